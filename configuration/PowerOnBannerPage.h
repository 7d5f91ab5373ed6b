// "Edit Power On Banner": reads the banner when first shown, and Save
// writes the edited text and reads it back; the sheet stays open until the
// write has ended.
#pragma once

#include "BannerStateMachine.h"
#include "ToolSheet.h"

class CPowerOnBannerPage : public CToolPage {
public:
    CPowerOnBannerPage();
    ~CPowerOnBannerPage() override;

    CBannerStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnShow() override;
    LRESULT OnNotify(const NMHDR* header) override;

private:
    void OnFinished(HRESULT result);
    // The edit's text, without trailing white space, becomes the edited text.
    void CommitEdit();

    CBannerStateMachine m_machine;
    HFONT m_font = nullptr;
    bool m_saving = false;
    bool m_readStarted = false;
};

// The sheet the Configuration page opens; returns when it has closed.
void RunPowerOnBannerSheet(HWND owner);
