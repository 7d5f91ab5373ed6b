#include "ConfigurationPage.h"

#include <commctrl.h>

#include "CWMemoryDlg.h"
#include "ConfigRestoreDlg.h"
#include "ConfigSaveDlg.h"
#include "DateTimePage.h"
#include "Model.h"
#include "PowerOnBannerPage.h"
#include "ToolTips.h"
#include "WindowMessages.h"
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
const CConfigurationPage::Tool kTools[] = {
    {IDC_SAVE_CONFIGURATION, IDS_TIP_SAVE_CONFIGURATION, OpenConfigSave, WhenRunning},
    {IDC_RESTORE_CONFIGURATION, IDS_TIP_RESTORE_CONFIGURATION, OpenConfigRestore, WhenRunning},
    {IDC_CONFIGURE_XTAL_FILTERS, 0, RunXtalFilterDialog, WhenRunning},
    {IDC_EDIT_CW_MEMORIES, 0, RunCWMemoryDialog, WhenRunning},
    {IDC_EDIT_BANNER, 0, RunPowerOnBannerSheet, WhenRunning},
    {IDC_SET_DATE_TIME, IDS_TIP_SET_DATE_TIME, RunDateTimeSheet, WhenRunning},
};

BOOL CALLBACK EnableChildWindow(HWND child, LPARAM connectionStatus)
{
    const CConfigurationPage::Tool* tool = CConfigurationPage::FindTool(GetDlgCtrlID(child));
    const int status = static_cast<int>(connectionStatus);
    EnableWindow(child, tool ? tool->usable(status) : WhenRunning(status));
    return TRUE;
}

}  // namespace

CConfigurationPage::CConfigurationPage() : CPropertyPage(IDD_CONFIGURATION)
{
    SetHelpTopic(L"Configuration.htm");
}

const CConfigurationPage::Tool* CConfigurationPage::FindTool(int buttonId)
{
    for (const Tool& tool : kTools) {
        if (tool.buttonId == buttonId)
            return &tool;
    }
    return nullptr;
}

bool CConfigurationPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_CONNECTION_STATUS)
        return CPropertyPage::OnMessage(message, wParam, lParam, result);
    OnConnectionStatus();
    return true;
}

BOOL CConfigurationPage::OnInitDialog()
{
    m_toolTip = CreateBalloonToolTip(m_hwnd);
    for (const Tool& tool : kTools) {
        if (tool.toolTipId)
            AddToolTip(m_toolTip, m_hwnd, tool.buttonId, tool.toolTipId);
    }
    return TRUE;
}

void CConfigurationPage::OnShow(bool shown, UINT)
{
    m_subscriptions.RemoveAll();
    if (!shown)
        return;
    CModel& model = GetModel();
    m_subscriptions.Add(m_hwnd, model.ConnectionStatus);
    model.ConnectionStatus.NotifyWindow(m_hwnd);
}

void CConfigurationPage::OnConnectionStatus()
{
    EnumChildWindows(m_hwnd, &EnableChildWindow, GetModel().ConnectionStatus.Get());
}

bool CConfigurationPage::OnCommand(UINT id, UINT code, HWND control)
{
    const Tool* tool = FindTool(static_cast<int>(id));
    if (!tool || code != BN_CLICKED)
        return CPropertyPage::OnCommand(id, code, control);
    if (tool->open)
        tool->open(m_hwnd);
    return true;
}
