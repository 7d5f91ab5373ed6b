// "Crystal Filter Configuration": one receiver's five filter slots and, for
// the main receiver, the transmit filters; read when first shown and when
// the receiver is switched, checked against the radio's rules, and written
// back group by group, after which the radio restarts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Dialog.h"
#include "WaitCursor.h"
#include "XtalFilterStateMachine.h"

class CXtalFilterDlg : public CDialog, private CWaitCursorE<CXtalFilterDlg> {
public:
    CXtalFilterDlg();
    ~CXtalFilterDlg() override;

    CXtalFilterStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    void OnFirstShow();
    bool OnCommand(int id, int code);
    LRESULT OnDeltaPos(const NMUPDOWN* change);
    void OnReceiver();
    void OnModeMap(unsigned mode);
    void OnTransmitFilter(const CObservable<BYTE>& value, int firstId);
    void OnClose();
    void OnFinished(HRESULT result);

    void SetBandwidth(unsigned slot, int hz);
    void SetOffset(unsigned slot, int hz);
    void SetGain(unsigned slot, int position);
    int ParseEdit(int editId, int low, int high) const;
    // An edit's text becomes the edited value, as when it loses the focus.
    void CommitEdit(int id);
    // Enter reaches OK and Apply before the edit has lost the focus.
    void CommitFocusedEdit();
    void UpdateApply();
    void EnableControls(bool enable);
    bool ValidateFilters();
    bool WriteChanges();
    void Cleanup();

    CXtalFilterStateMachine m_machine;
    CEventSubscriptions m_subscriptions;
    HWND m_toolTip = nullptr;
    bool m_shown = false;
    bool m_writing = false;
    bool m_closeWhenWritten = false;
};

// The dialog the Configuration page opens; returns when it has closed.
void RunXtalFilterDialog(HWND owner);
