// The licence agreement: the program's own text resource in a resizable,
// read-only viewer.
#pragma once

#include "Dialog.h"
#include "RichEditCtrlContext.h"

class CLicenseDlg : public CDialog {
public:
    CLicenseDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnCancel() override;
    void OnDestroy() override;

private:
    CRichEditCtrlContext m_text;
};

// The text of resource 10002 (UTF-8 bytes); empty when it is missing.
std::string LoadLicenseText();
