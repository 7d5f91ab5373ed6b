// "Crystal Filter Configuration": one receiver's five filter slots and, for
// the main receiver, the transmit filters; read when first shown and when
// the receiver is switched, checked against the radio's rules, and written
// back group by group, after which the radio restarts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "MachineWindow.h"
#include "XtalFilterStateMachine.h"

class CXtalFilterDlg : public CMachineDialog {
public:
    CXtalFilterDlg();

    CXtalFilterStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnFirstShow() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnOK() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnInterrupt() override;
    void OnCloseIdle() override;
    void OnMachineFinished(HRESULT result) override;

private:
    LRESULT OnDeltaPos(const NMUPDOWN& change);
    void OnReceiver();
    void OnModeMap(unsigned mode);
    void OnTransmitFilter(const CObservable<BYTE>& value, int firstId);

    // The up-down's position once set: its range may have cut the value.
    int SetSpin(int firstId, unsigned slot, int position);
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

    CXtalFilterStateMachine m_machine;
    bool m_writing = false;
    bool m_closeWhenWritten = false;
};

// The dialog the Configuration page opens; returns when it has closed.
void RunXtalFilterDialog(HWND owner);
