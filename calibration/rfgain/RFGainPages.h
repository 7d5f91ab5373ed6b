// The RF gain wizard's pages. Each is a row of the wizard's page table
// (RFGainWizardRules.cpp); the main and second receivers' pages are one
// class with the row's receiver.
//
// Every page hears the progress lines and the end of the chains it starts. A page cannot be left while
// a chain runs; Cancel follows CRFGCInfo::QueryCancel, and a page that
// hears an end after a Cancel presses Cancel again, so the radio is always
// restored before the wizard closes (a failure other than the Cancel
// itself, the restore's too, is told first).
// A Cancel that waits greys the button meanwhile. After a failure only
// Cancel is left.
#pragma once

#include "MachineWindow.h"
#include "RFGainInfo.h"
#include "RFGainWizardRules.h"
#include "RichEditCtrlContext.h"
#include "Wizard97Sheet.h"

// SigGen and SigGenHigh as they are; the base of the others.
class CRFGCPage : public CMachineWindow<CWizard97Page> {
public:
    CRFGCPage(CRFGCInfo& info, const SRFGCPage& row);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    LRESULT OnSetActive() override;
    bool OnKillActive() override;
    bool OnQueryCancel() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;
    bool OnWizardFinish() override;
    void OnMachineFinished(HRESULT result) final;

    // The end of the page's own chain, unless Cancel was pressed meanwhile.
    virtual void OnChainFinished(HRESULT /*result*/) {}
    // Where the machine's progress lines go; null for nowhere.
    virtual HWND LogWindow() const { return nullptr; }

    CRFGCStateMachine& Machine() { return m_info.Machine(); }
    bool IsTechnicianRun() const { return m_info.IsTechnicianRun(); }
    // The failure as the page's log and box tell it.
    std::wstring FailureText(HRESULT result);
    // The failure's box over the sheet, unless the machine asked the user already.
    void ShowFailure(HRESULT result);

    CRFGCInfo& m_info;
    const SRFGCPage& m_row;
};

// Welcome, the Knobs pages and Completion: each runs its chain when shown.
class CRFGCChainPage : public CRFGCPage {
public:
    using CRFGCPage::CRFGCPage;

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;
    void OnChainFinished(HRESULT result) override;
};

// Where the stored table comes from: computed from the signal generator, the
// factory's, the DSP's current one (advanced runs), or the registry's
// (advanced runs with a valid main receiver value).
class CRFGCChooseSourcePage : public CRFGCPage {
public:
    using CRFGCPage::CRFGCPage;

protected:
    LRESULT OnSetActive() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
};

// The RX, RXHigh and Display pages: a button that runs the page's chain,
// and its log.
class CRFGCActionPage : public CRFGCPage {
public:
    CRFGCActionPage(CRFGCInfo& info, const SRFGCPage& row);
    ~CRFGCActionPage() override;

protected:
    BOOL OnInitDialog() override;
    LRESULT OnSetActive() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnChainFinished(HRESULT result) override;
    HWND LogWindow() const override { return m_log.Handle(); }

private:
    void Act();
    bool StartChain();
    void Log(const std::wstring& text);

    const int m_buttonId;
    HFONT m_logFont = nullptr;
    CRichEditCtrlContext m_log;
};
