// "TX Gain Calibration Summary": the radio's TX gain data file in a
// resizable viewer. A file that cannot be opened is reported in a box, and
// no viewer opens.
#pragma once

#include <string>

#include "Dialog.h"
#include "RichEditCtrlContext.h"

// The record's first bytes as the viewer shows them: bytes that are no text
// (controls but CR, LF and TAB) as '?'; when the record was `cut` there,
// its whole lines and a line that names the file `path` for the rest.
std::wstring FormatShownRecord(std::string head, bool cut, const std::wstring& path);

class CTXGCSummaryDlg : public CDialog {
public:
    CTXGCSummaryDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    CRichEditCtrlContext m_text;
};
