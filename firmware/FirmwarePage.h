// The Firmware tab. For now it keeps the activity log of firmware work, into
// which the main frame passes the program's status text.
#pragma once

#include "PropertyPage.h"
#include "RichEditCtrlContext.h"

class CFirmwarePage : public CPropertyPage {
public:
    CFirmwarePage();
    ~CFirmwarePage() override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    // A time-stamped line in the log.
    void OnPageText(LPARAM text);
    // Fetches newer firmware files from the maker's server into the folder.
    void OnCopyNewFiles();

    HFONT m_logFont = nullptr;
    CRichEditCtrlContext m_log;
};
