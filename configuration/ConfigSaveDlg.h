// "Save Configuration": asks for the file at once, reads the saved EEPROM
// regions with its machine, and writes the file only when they were all read.
#pragma once

#include "ConfigSaveStateMachine.h"
#include "ConfigFile.h"
#include "MachineWindow.h"

class CConfigSaveDlg : public CMachineDialog {
public:
    CConfigSaveDlg();

    // IDOK when the file was saved, IDCANCEL otherwise.
    INT_PTR DoModal(HWND owner) { return CDialog::DoModal(owner); }

    const std::wstring& Path() const { return m_path; }
    CConfigSaveStateMachine& Machine() { return m_machine; }

protected:
    BOOL OnInitDialog() override;
    void OnFirstShow() override;
    void OnDestroy() override;
    SQuestion CloseQuestion() override;
    void OnInterrupt() override;
    void OnCloseIdle() override;
    void OnMachineFinished(HRESULT result) override;

private:
    // 1 with a file chosen, 2 when the file dialog was cancelled or failed.
    int ChooseFile();

    CConfigurationFolder m_folder;
    CModel& m_model;
    CConfigSaveStateMachine m_machine;
    std::wstring m_path;
    SYSTEMTIME m_time{};
};
