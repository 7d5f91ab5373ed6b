// The licence agreement: the program's own text resource in a resizable,
// read-only viewer.
#pragma once

#include "Dialog.h"
#include "DialogResize.h"
#include "RichEditCtrlContext.h"

class CLicenseDlg : public CDialog {
public:
    CLicenseDlg();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();

    CRichEditCtrlContext m_text;
    CDialogResize m_resize;
};

// The text of resource 10002 (UTF-8 bytes); empty when it is missing.
std::string LoadLicenseText();
