// The TX gain wizard's pages around the calibrate pages: Welcome (a user's
// or a technician's), the dummy load's jack, the transverter output's load,
// and the outcome of every run.
#pragma once

#include "MachineWindow.h"
#include "RichEditCtrlContext.h"
#include "TXGainContext.h"
#include "Wizard97Sheet.h"

// A page that runs the wizard's machine. It cannot be left while its run
// goes on; Cancel then stops the run (which restores the radio first) and
// closes the wizard once the run has ended.
class CTXGCMachinePage : public CMachineWindow<CWizard97Page> {
protected:
    CTXGCMachinePage(CTXGCContext& context, UINT templateId, WizardPageKind kind);

    bool OnQueryCancel() override;
    LRESULT OnWizardBack() override { return IsRunning() ? -1 : 0; }
    LRESULT OnWizardNext() override { return IsRunning() ? -1 : 0; }
    void OnInterrupt() override
    {
        HoldCancel();
        m_context.Machine().CancelCalibration();
    }
    // At the end of a run: a Cancel pressed meanwhile closes the wizard now.
    void CloseIfCancelled();

    CTXGCContext& m_context;
    bool m_cancelRequested = false;
};

// Welcome and WelcomeTech: what the wizard will do, each step greyed when
// the radio lacks its option module. Every activation asks the radio for its
// option modules again.
class CTXGCWelcomePage : public CTXGCMachinePage {
public:
    CTXGCWelcomePage(CTXGCContext& context, UINT templateId);

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;
    void OnMachineFinished(HRESULT result) override;

private:
    void EnableSteps();
};

// The jack of the dummy load: ANT 1, or ANT 2 with the antenna tuner.
class CTXGCDummyLoadPage : public CWizard97Page {
public:
    explicit CTXGCDummyLoadPage(CTXGCContext& context);

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void ShowDummyLoadText();

    CTXGCContext& m_context;
};

// The load on the transverter output, before the milliwatt calibration.
class CTXGCDummyLoadXQ6TPage : public CWizard97Page {
public:
    CTXGCDummyLoadXQ6TPage();
    ~CTXGCDummyLoadXQ6TPage() override;

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;

private:
    HFONT m_noteFont = nullptr;
};

// The outcome lines of every run made while the wizard is open.
class CTXGCCompletionPage : public CWizard97Page {
public:
    explicit CTXGCCompletionPage(CTXGCContext& context);

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;

private:
    CTXGCContext& m_context;
    CRichEditCtrlContext m_text;
};
