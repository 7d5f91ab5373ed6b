// "TX Gain Calibration Summary": the radio's TX gain data file in a
// resizable viewer. A file that cannot be opened is reported in a box, and
// no viewer opens.
#pragma once

#include "Dialog.h"
#include "RichEditCtrlContext.h"

class CTXGCSummaryDlg : public CDialog {
public:
    CTXGCSummaryDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    CRichEditCtrlContext m_text;
};
