// "Restore Configuration": asks for the file at once, checks it line by line,
// and only then writes its bytes into the radio and restarts the radio.
#pragma once

#include "ConfigRestoreStateMachine.h"
#include "ConfigFile.h"
#include "MachineWindow.h"

class CConfigRestoreDlg : public CMachineDialog {
public:
    CConfigRestoreDlg();

    // IDOK restored, IDCANCEL cancelled, 3 failed.
    INT_PTR DoModal(HWND owner) { return CDialog::DoModal(owner); }

    CConfigRestoreStateMachine& Machine() { return m_machine; }

protected:
    BOOL OnInitDialog() override;
    void OnFirstShow() override;
    void OnDestroy() override;
    SQuestion CloseQuestion() override;
    void OnInterrupt() override;
    void OnCloseIdle() override;
    void OnMachineFinished(HRESULT result) override;

private:
    // Before the reset has gone out; after it, a close only waits for the
    // end, and the contact run that follows.
    bool IsInterruptible() { return IsMachineBusy() && !m_machine.IsResetting(); }
    void ChooseAndReadConfigurationFile();
    HRESULT ReadConfigurationFile(const std::wstring& path);

    CConfigurationFolder m_folder;
    HRESULT m_result = 0;
    CModel& m_model;
    CConfigRestoreStateMachine m_machine;
};
