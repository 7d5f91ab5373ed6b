// "Edit Power On Banner": reads the banner when first shown, and Save
// writes the edited text and reads it back; the sheet stays open until the
// write has ended.
#pragma once

#include "BannerStateMachine.h"
#include "LogText.h"
#include "MachineWindow.h"

class CPowerOnBannerPage : public CMachinePage {
public:
    CPowerOnBannerPage();

    CBannerStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnShown(bool shown) override;
    void OnFirstShow() override;
    LRESULT OnApply(bool closing) override;
    bool OnQueryCancel() override;
    void OnInterrupt() override;
    void OnMachineFinished(HRESULT result) override;

private:
    // The edit's text, without trailing white space, becomes the edited text.
    void CommitEdit();

    CBannerStateMachine m_machine;
    CFontHandle m_font;
    bool m_saving = false;
};

// The sheet the Configuration page opens; returns when it has closed.
void RunPowerOnBannerSheet(HWND owner);
