// "Save Configuration": asks for the file at once, reads the saved EEPROM
// regions with its machine, and writes the file only when they were all read.
#pragma once

#include "ConfigSaveStateMachine.h"
#include "Dialog.h"
#include "Model.h"
#include "Observable.h"
#include "WaitCursor.h"

class CConfigSaveDlg : public CDialog, public CWaitCursorE<CConfigSaveDlg> {
public:
    CConfigSaveDlg();

    // IDOK when the file was saved, IDCANCEL otherwise.
    INT_PTR DoModal(HWND owner) { return CDialog::DoModal(owner); }

    // 1 with a file chosen, 2 when the file dialog was cancelled or failed.
    int ChooseFile();
    void StartSave();
    void OnMachineFinished(HRESULT result);

    const std::wstring& Path() const { return m_path; }
    CConfigSaveStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    void OnFirstShow();
    void OnCancel();
    void OnDestroy();

    CPersistable<std::wstring> m_folder{L"ConfigurationFolder", 0};
    CModel& m_model;
    CConfigSaveStateMachine m_machine;
    std::wstring m_path;
    SYSTEMTIME m_time{};
    bool m_shown = false;
    CEventSubscriptions m_subscriptions;
};
