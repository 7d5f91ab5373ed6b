// The wizard that owns and runs a machine: the machine is the model's active
// machine for the wizard's life or while it shows, released only while it
// is still the wizard's, owned by the sheet from the first page on, also
// when the sheet's PSCB_INITIALIZED comes late or never; and the hides and
// shows the system brings, for whatever reason, leave a run alone.
#include <gtest/gtest.h>

#include <vector>

#include "CountingMachine.h"
#include "MachineTestWindow.h"
#include "MachineWizard.h"
#include "MessagePump.h"
#include "ScriptedPeer.h"
#include "TwoStepMachine.h"
#include "resource.h"

namespace {

struct STestContext {
    CTwoStepMachine& Machine() { return machine; }
    CTwoStepMachine machine;
};

// Notes the machine's owner and whether the sheet gives its title font when
// first shown, as a first page that starts a run there would need them.
class CTestPage : public CWizard97Page {
public:
    explicit CTestPage(CTwoStepMachine& machine)
        : CWizard97Page(IDD_TXGC_DUMMY_LOAD_XQ6T, WizardPageKind::Interior), m_machine(machine)
    {
    }

    std::vector<HWND> ownersWhenActivated;
    std::vector<bool> titleFontWhenActivated;

protected:
    LRESULT OnSetActive() override
    {
        ownersWhenActivated.push_back(m_machine.m_owner);
        titleFontWhenActivated.push_back(SendMessageW(Sheet(), CWizard97Sheet::TitleFontMessage(), 0, 0) != 0);
        return 0;
    }

private:
    CTwoStepMachine& m_machine;
};

class CTestWizard : public CMachineWizard<STestContext> {
public:
    explicit CTestWizard(WizardRegistration registration)
        : CMachineWizard(registration, IDS_TXGC_TITLE, IDB_CALIBRATION_WAVE, IDB_CALIBRATION_METER),
          page(m_context.machine)
    {
        AddPage(page);
    }

    CTestPage page;
};

// Windows may send PSCB_INITIALIZED after the first page's activation (the
// order is undocumented; Wine sends it before): this sheet never gets it.
class CNoInitializedWizard : public CTestWizard {
public:
    CNoInitializedWizard() : CTestWizard(WizardRegistration::WhileShown)
    {
        s_callback = m_header.pfnCallback;
        m_header.pfnCallback = &WithoutInitialized;
    }

private:
    static int CALLBACK WithoutInitialized(HWND sheet, UINT message, LPARAM lParam)
    {
        return message == PSCB_INITIALIZED ? 0 : s_callback(sheet, message, lParam);
    }
    static inline PFNPROPSHEETCALLBACK s_callback = nullptr;
};

class MachineWizardTest : public testing::Test {
protected:
    MachineWizardTest() { GetModel().SetActiveMachine(nullptr); }
    ~MachineWizardTest() override { GetModel().SetActiveMachine(nullptr); }

    HWND Open(CTestWizard& wizard)
    {
        const HWND sheet = wizard.Create(window.Handle());
        ShowWindow(sheet, SW_SHOW);
        PumpPending();
        return sheet;
    }
    static IStateMachine* Active() { return GetModel().ActiveMachine(); }

    CMachineTestWindow window;
    CScriptedPeer peer;
};

}  // namespace

TEST_F(MachineWizardTest, TheMachineIsRegisteredForTheWizardsLifeOrWhileItShowsAndReleasedOnlyWhileItsOwn)
{
    for (const WizardRegistration registration : {WizardRegistration::ForLife, WizardRegistration::WhileShown}) {
        const bool forLife = registration == WizardRegistration::ForLife;
        SCOPED_TRACE(forLife ? "for life" : "while shown");
        {
            CTestWizard unopened(registration);
            EXPECT_EQ(Active() != nullptr, forLife);
        }
        EXPECT_EQ(Active(), nullptr);

        CTestWizard wizard(registration);
        CTwoStepMachine* const machine = &wizard.Machine();
        const HWND sheet = Open(wizard);
        EXPECT_EQ(Active(), machine);
        EXPECT_EQ(machine->m_owner, sheet);
        EXPECT_EQ(wizard.page.ownersWhenActivated, std::vector<HWND>{sheet});
        ShowWindow(sheet, SW_HIDE);
        EXPECT_EQ(Active(), forLife ? machine : nullptr);
        ShowWindow(sheet, SW_SHOW);
        EXPECT_EQ(Active(), machine);
        wizard.Destroy();
        EXPECT_EQ(Active(), nullptr);

        // Another machine's registration is left alone.
        CCountingMachine other;
        {
            CTestWizard second(registration);
            const HWND secondSheet = Open(second);
            GetModel().SetActiveMachine(&other);
            ShowWindow(secondSheet, SW_HIDE);
            second.Destroy();
        }
        EXPECT_EQ(Active(), &other);
        GetModel().SetActiveMachine(nullptr);
    }
}

TEST_F(MachineWizardTest, TheFirstPagesActivationFindsTheSheetReadyWhenTheCallbackComesLateOrNever)
{
    CTestWizard early(WizardRegistration::WhileShown);
    CNoInitializedWizard never;
    for (CTestWizard* wizard : {&early, static_cast<CTestWizard*>(&never)}) {
        SCOPED_TRACE(wizard == &early ? "PSCB_INITIALIZED first" : "no PSCB_INITIALIZED");
        const HWND sheet = Open(*wizard);
        EXPECT_EQ(wizard->Handle(), sheet);
        EXPECT_EQ(wizard->page.ownersWhenActivated, std::vector<HWND>{sheet});
        EXPECT_EQ(wizard->page.titleFontWhenActivated, std::vector<bool>{true});
        EXPECT_EQ(Active(), &wizard->Machine());
        wizard->Destroy();
    }
}

// Every hide WM_SHOWWINDOW gives a reason for is the system's, and so is the
// second hide without one that follows it; a show ends that, so a later hide
// of the user's own releases the machine again.
TEST_F(MachineWizardTest, TheSystemsHidesForAnyReasonKeepTheMachineAndAShowEndsThem)
{
    CTestWizard wizard(WizardRegistration::WhileShown);
    const HWND sheet = Open(wizard);
    for (const LPARAM reason : {SW_PARENTCLOSING, SW_OTHERZOOM, SW_OTHERUNZOOM}) {
        SCOPED_TRACE(testing::Message() << "reason " << reason);
        SendMessageW(sheet, WM_SHOWWINDOW, FALSE, reason);
        SendMessageW(sheet, WM_SHOWWINDOW, FALSE, 0);
        EXPECT_EQ(Active(), &wizard.Machine());
        SendMessageW(sheet, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
        SendMessageW(sheet, WM_SHOWWINDOW, TRUE, 0);
        EXPECT_EQ(Active(), &wizard.Machine());
        SendMessageW(sheet, WM_SHOWWINDOW, FALSE, 0);
        EXPECT_EQ(Active(), nullptr) << "the user's hide after the show";
        SendMessageW(sheet, WM_SHOWWINDOW, TRUE, 0);
        EXPECT_EQ(Active(), &wizard.Machine());
    }
}

// Windows hides an owned wizard while its owner is being minimised, before
// the owner is iconic, and shows it on restore; Wine does not, so the
// messages are sent here. Replies that come meanwhile must reach the run.
TEST_F(MachineWizardTest, AMinimisedOwnersHideAndShowLeaveTheRunGoing)
{
    CTestWizard wizard(WizardRegistration::WhileShown);
    CTwoStepMachine& machine = wizard.Machine();
    const HWND sheet = Open(wizard);
    ASSERT_TRUE(machine.StartRun());
    SendMessageW(sheet, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
    SendMessageW(sheet, WM_SHOWWINDOW, FALSE, 0);
    peer.Deliver("a;");
    PumpPending();
    EXPECT_EQ(machine.replies, 1);
    EXPECT_EQ(peer.Count("B;"), 1u);
    SendMessageW(sheet, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
    SendMessageW(sheet, WM_SHOWWINDOW, TRUE, 0);
    peer.Deliver("b;");
    PumpPending();
    EXPECT_TRUE(machine.IsIdle());
    EXPECT_EQ(machine.replies, 2);
    EXPECT_EQ(Active(), &machine);
}
