#include "ConfigurationPage.h"

#include <commctrl.h>

#include "CWMemoryDlg.h"
#include "ConfigRestoreDlg.h"
#include "ConfigSaveDlg.h"
#include "DateTimePage.h"
#include "PowerOnBannerPage.h"
#include "XtalFilterDlg.h"
#include "resource.h"

namespace {

bool WhenRunning(int connectionStatus)
{
    return connectionStatus == FIRMWARE_STATUS_RUNNING;
}

// Each tool lives on the opener's stack for the time of its modal run.

void OpenConfigSave(HWND page)
{
    CConfigSaveDlg dialog;
    dialog.DoModal(page);
}

void OpenConfigRestore(HWND page)
{
    CConfigRestoreDlg dialog;
    dialog.DoModal(page);
}

// What each button opens, and when it may be pressed.
const SConfigurationTool kTools[] = {
    {IDC_SAVE_CONFIGURATION, IDS_TIP_SAVE_CONFIGURATION, OpenConfigSave, WhenRunning},
    {IDC_RESTORE_CONFIGURATION, IDS_TIP_RESTORE_CONFIGURATION, OpenConfigRestore, WhenRunning},
    {IDC_CONFIGURE_XTAL_FILTERS, 0, RunXtalFilterDialog, WhenRunning},
    {IDC_EDIT_CW_MEMORIES, 0, RunCWMemoryDialog, WhenRunning},
    {IDC_EDIT_BANNER, 0, RunPowerOnBannerSheet, WhenRunning},
    {IDC_SET_DATE_TIME, IDS_TIP_SET_DATE_TIME, RunDateTimeSheet, WhenRunning},
};

}  // namespace

CConfigurationPage::CConfigurationPage() : CLauncherPage(IDD_CONFIGURATION, kTools, TTS_BALLOON)
{
    SetHelpTopic(L"Configuration.htm");
}

void CConfigurationPage::UpdateButtons()
{
    const int status = GetModel().ConnectionStatus.Get();
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const SConfigurationTool* tool = FindTool(GetDlgCtrlID(child));
        EnableWindow(child, tool ? tool->usable(status) : WhenRunning(status));
    }
}
