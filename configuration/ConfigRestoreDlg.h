// "Restore Configuration": asks for the file at once, checks it line by line,
// and only then writes its bytes into the radio and restarts the radio.
#pragma once

#include "ConfigRestoreStateMachine.h"
#include "Dialog.h"
#include "Model.h"
#include "Observable.h"
#include "WaitCursor.h"

class CConfigRestoreDlg : public CDialog, public CWaitCursorE<CConfigRestoreDlg> {
public:
    CConfigRestoreDlg();

    // IDOK restored, IDCANCEL cancelled, 3 failed.
    INT_PTR DoModal(HWND owner) { return CDialog::DoModal(owner); }

    void ChooseAndReadConfigurationFile();
    HRESULT ReadConfigurationFile(const std::wstring& path);
    void OnMachineFinished(HRESULT result);

    CConfigRestoreStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnClose();
    void OnDestroy();

    CPersistable<std::wstring> m_folder{L"ConfigurationFolder", 0};
    HRESULT m_result = 0;
    CModel& m_model;
    CConfigRestoreStateMachine m_machine;
    bool m_shown = false;
    bool m_finished = false;
    CEventSubscriptions m_subscriptions;
};
