// The main frame's client window: a modeless property sheet made into a
// borderless child that shows the six tools as tabs and stretches with the
// frame. It has no buttons; each page acts on its own controls.
#pragma once

#include "CalibrationPage.h"
#include "CommandTesterPage.h"
#include "ConfigurationPage.h"
#include "DialogResize.h"
#include "FirmwarePage.h"
#include "PortPage.h"
#include "PropertySheet.h"
#include "TerminalPage.h"

// The sheet's tab control: it keeps the current page on its display area.
class CPropSheetTabCtrl : public CWindow {
protected:
    bool OnWindowPosChanged(const WINDOWPOS& position) override;
};

class CTabView : public CPropertySheet {
public:
    // Tab indexes, in page order.
    enum Tab { TAB_PORT, TAB_FIRMWARE, TAB_CONFIGURATION, TAB_CALIBRATION, TAB_COMMAND_TESTER, TAB_TERMINAL };

    CTabView();
    ~CTabView() override;

    // Called by the frame as soon as the sheet window exists: the buttons go,
    // the tab control grows to the edges, and resizing begins.
    void FixUpAfterCreate();

    int FirmwarePageIndex() const { return m_firmwarePageIndex; }

protected:
    void OnPreCreate(void* dialogTemplate) override;
    bool OnSize(UINT type, int width, int height) override { return m_resize.OnSize(type, width, height); }
    bool OnGetMinMaxInfo(MINMAXINFO& info) override { return m_resize.OnGetMinMaxInfo(info); }
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnSysCommand(UINT command) override;

private:

    CDialogResize m_resize;
    int m_firmwarePageIndex = TAB_FIRMWARE;
    CCalibrationPage m_calibrationPage;
    CCommandTesterPage m_commandTesterPage;
    CConfigurationPage m_configurationPage;
    CFirmwarePage m_firmwarePage;
    CPortPage m_portPage;
    CTerminalPage m_terminalPage;
    CPropSheetTabCtrl m_tabControl;
};
