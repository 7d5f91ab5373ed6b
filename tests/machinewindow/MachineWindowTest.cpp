// The life cycle every machine window shares: the run starts on the first
// show only, only the window's own end counts, Cancel asks first and reaches
// a machine whose result is not yet a failure; and the model never enters a
// machine's handler again while a box it shows is up.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "BoxWatcher.h"
#include "MachineTestWindow.h"
#include "MachineWindow.h"
#include "MessagePump.h"
#include "ScriptedPeer.h"
#include "TwoStepMachine.h"
#include "resource.h"

namespace {

class CTestMachineDialog : public CMachineDialog {
public:
    explicit CTestMachineDialog(MachineRegistration registration = MachineRegistration::FromFirstShow)
        : CMachineDialog(machine, registration, IDD_CONFIG_SAVE)
    {
    }

    CTwoStepMachine machine;
    int starts = 0;
    int idleCloses = 0;
    // The end closes the dialog (a save that was written).
    bool endCloses = false;
    std::vector<HRESULT> results;
    std::vector<bool> shows;

protected:
    void OnShown(bool shown) override { shows.push_back(shown); }
    void OnFirstShow() override
    {
        ++starts;
        Run([this] { return machine.StartRun(); });
    }
    void OnMachineFinished(HRESULT result) override
    {
        results.push_back(result);
        if (endCloses)
            EndDialog(IDOK);
    }
    SQuestion CloseQuestion() override
    {
        return {IDS_CLOSE_WHILE_SENDING, IDS_CRITICAL_OPERATION, MB_YESNO | MB_ICONWARNING};
    }
    void OnCloseIdle() override { ++idleCloses; }
};

class MachineWindowTest : public testing::Test {
protected:
    MachineWindowTest() { GetModel().SetActiveMachine(nullptr); }
    ~MachineWindowTest() override
    {
        dialog.Destroy();
        GetModel().SetActiveMachine(nullptr);
    }

    void Show()
    {
        ASSERT_TRUE(dialog.Create(window.Handle()));
        ShowWindow(dialog.Handle(), SW_SHOW);
        PumpPending();
    }
    void Reply(const char* text)
    {
        peer.Deliver(text);
        PumpPending();
    }
    void PressCancel() { SendMessageW(dialog.Handle(), WM_COMMAND, IDCANCEL, 0); }

    CMachineTestWindow window;
    CScriptedPeer peer;
    CTestMachineDialog dialog;
};

}  // namespace

TEST_F(MachineWindowTest, TheRunStartsOnTheFirstShowOnlyAndOnlyItsOwnEndCounts)
{
    Show();
    EXPECT_EQ(dialog.starts, 1);
    EXPECT_EQ(GetModel().ActiveMachine(), &dialog.machine);
    EXPECT_EQ(dialog.machine.m_owner, dialog.Handle()) << "its log lines come to the dialog";
    ShowWindow(dialog.Handle(), SW_HIDE);
    ShowWindow(dialog.Handle(), SW_SHOW);
    EXPECT_EQ(dialog.starts, 1);
    EXPECT_EQ(peer.CommandTexts(), std::vector<std::string>{"A;"});

    // Another machine ends while this one runs: nothing changes.
    GetModel().MachineFinished.SendToListeners(static_cast<WPARAM>(E_FAIL), 0);
    EXPECT_TRUE(dialog.results.empty());
    Reply("a;");
    Reply("b;");
    EXPECT_EQ(dialog.results, std::vector<HRESULT>{0});
    // Nor after the run has ended.
    GetModel().MachineFinished.SendToListeners(static_cast<WPARAM>(E_FAIL), 0);
    EXPECT_EQ(dialog.results.size(), 1u);
    EXPECT_EQ(dialog.starts, 1);
}

// A page that saves its settings on a hide must not save them again when it
// is destroyed hidden; destroyed while shown, it hears of that hide too.
TEST_F(MachineWindowTest, AWhileShownWindowHearsOfEachHideOnce)
{
    using Shows = std::vector<bool>;
    const struct {
        const char* name;
        bool hideBeforeDestroy;
        Shows shows;
    } kCases[] = {
        {"destroyed after a hide", true, {true, false, true, false}},
        {"destroyed while shown", false, {true, false, true, false}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        CTestMachineDialog page(MachineRegistration::WhileShown);
        ASSERT_TRUE(page.Create(window.Handle()));
        ShowWindow(page.Handle(), SW_SHOW);
        ShowWindow(page.Handle(), SW_HIDE);
        ShowWindow(page.Handle(), SW_SHOW);
        if (c.hideBeforeDestroy)
            ShowWindow(page.Handle(), SW_HIDE);
        page.Destroy();
        EXPECT_EQ(page.shows, c.shows);
        EXPECT_EQ(page.starts, 1);
        EXPECT_EQ(GetModel().ActiveMachine(), nullptr);
    }
}

TEST_F(MachineWindowTest, CancelAsksFirstAndReachesOnlyAMachineNotYetFailed)
{
    Show();
    {
        CBoxWatcher boxes({IDNO});
        PressCancel();
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Critical Operation in Progress");
    }
    EXPECT_EQ(dialog.machine.m_result, 0);
    const HWND cancel = GetDlgItem(dialog.Handle(), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(cancel)) << "No takes no Cancel";
    {
        CBoxWatcher boxes({IDYES});
        PressCancel();
    }
    EXPECT_EQ(dialog.machine.m_result, static_cast<HRESULT>(ERROR_CANCELLED));
    EXPECT_FALSE(IsWindowEnabled(cancel)) << "a Cancel that waits shows it was taken";
    // The machine stops at its next step, and its end is the window's.
    Reply("a;");
    EXPECT_EQ(dialog.results, std::vector<HRESULT>{ERROR_CANCELLED});
    EXPECT_TRUE(IsWindowEnabled(cancel));
    EXPECT_EQ(peer.Count("B;"), 0u);

    // Idle, Cancel closes without a question.
    CBoxWatcher none;
    PressCancel();
    EXPECT_EQ(none.Count(), 0u);
    EXPECT_EQ(dialog.idleCloses, 1);
}

// The run ends while the question is up: nothing is interrupted and the
// window's own end stands. Yes closes a window that end left open, as when
// idle, but not one it closed (a save written is no cancel).
TEST_F(MachineWindowTest, ARunThatEndsWhileTheQuestionIsUpKeepsItsOwnEnd)
{
    const struct {
        const char* name;
        bool endCloses;
        int answer;
        int idleCloses;
    } kCases[] = {
        {"its end closed it, Yes", true, IDYES, 0},
        {"its end left it open, Yes", false, IDYES, 1},
        {"its end left it open, No", false, IDNO, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        CTestMachineDialog modal;
        modal.endCloses = c.endCloses;
        ASSERT_TRUE(modal.Create(window.Handle()));
        ShowWindow(modal.Handle(), SW_SHOW);
        bool answering = false;
        peer.responder = [&](const std::string& command) { return answering ? command == "A;" ? "a;" : "b;" : ""; };
        CBoxWatcher boxes;
        boxes.AddAnswer(c.answer, [&] {
            if (!std::exchange(answering, true))
                peer.Deliver("a;");
            return !modal.results.empty();
        });
        SendMessageW(modal.Handle(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(modal.results, std::vector<HRESULT>{0});
        EXPECT_EQ(modal.machine.m_result, 0) << "interrupted";
        EXPECT_EQ(modal.idleCloses, c.idleCloses);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(modal.Handle(), IDCANCEL)));
        modal.Destroy();
        peer.responder = nullptr;
    }
}

TEST_F(MachineWindowTest, CancelKeepsAFailureTheMachineHasAlready)
{
    Show();
    dialog.machine.m_result = E_FAIL;
    CBoxWatcher boxes({IDYES});
    PressCancel();
    EXPECT_EQ(dialog.machine.m_result, E_FAIL);
}

TEST_F(MachineWindowTest, ABoxInAHandlerHoldsBackTheNextReplyAndDropsTheTicks)
{
    dialog.machine.boxOnFirstReply = true;
    Show();
    CBoxWatcher boxes;
    DWORD shown = 0;
    boxes.AddAnswer(IDOK, [&] {
        // The second reply arrives, and ticks come, while the box is up.
        if (shown == 0) {
            shown = GetTickCount();
            peer.Deliver("b;");
        }
        return GetTickCount() - shown > 200;
    });
    Reply("a;");
    ASSERT_TRUE(PumpUntil([&] { return peer.Count("B;") == 1; }, 5000));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(dialog.machine.deepest, 1);
    EXPECT_EQ(dialog.machine.ticks, 0);
    // The held-back reply reached the machine once, after the box.
    EXPECT_EQ(dialog.machine.replies, 2);
    Reply("c;");
    EXPECT_EQ(dialog.results, std::vector<HRESULT>{0});
}

// The main window's close comes to a modal dialog mid-run: the answer to the
// dialog's question decides for the program too, also when the dialog ends
// later by another road.
TEST_F(MachineWindowTest, TheMainWindowClosesAfterTheDialogOnlyWhenItsQuestionWasAnsweredYes)
{
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        CTestMachineDialog modal;
        CBoxWatcher boxes({answer});
        boxes.OnDialog(L"Save Configuration", [&](HWND) {
            EXPECT_TRUE(CModalRun::ForwardClose(window.Handle()));
            modal.EndDialog(IDOK);
            return true;
        });
        modal.DoModal(window.Handle());
        EXPECT_EQ(boxes.Count(), 1u);
        MSG close;
        EXPECT_EQ(PeekMessageW(&close, window.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE, answer == IDYES);
        GetModel().SetActiveMachine(nullptr);
    }
}
