#include "ConfigurationPage.h"

#include <commctrl.h>

#include "CWMemoryDlg.h"
#include "ConfigRestoreDlg.h"
#include "ConfigSaveDlg.h"
#include "DateTimePage.h"
#include "Help.h"
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

CConfigurationPage::CConfigurationPage() : CPropertyPage(IDD_CONFIGURATION) {}

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
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != FALSE);
        return false;
    case WM_DESTROY:
        m_subscriptions.RemoveAll();
        return false;
    case WM_HELP:
        ShowHelpTopic(m_hwnd, L"Configuration.htm");
        result = TRUE;
        return true;
    case WM_APP_CONNECTION_STATUS:
        OnConnectionStatus();
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam), result);
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CConfigurationPage::OnInitDialog()
{
    m_toolTip = CreateBalloonToolTip(m_hwnd);
    for (const Tool& tool : kTools) {
        if (tool.toolTipId)
            AddToolTip(m_toolTip, m_hwnd, tool.buttonId, tool.toolTipId);
    }
}

void CConfigurationPage::OnShowWindow(bool shown)
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

bool CConfigurationPage::OnCommand(UINT id, UINT code)
{
    const Tool* tool = FindTool(static_cast<int>(id));
    if (!tool || code != BN_CLICKED)
        return false;
    if (tool->open)
        tool->open(m_hwnd);
    return true;
}

// The sheet's notifications are the tab view's business, not the tools'.
bool CConfigurationPage::OnNotify(const NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != m_hwnd && header->hwndFrom != Sheet())
        return false;
    if (header->code > PSN_FIRST || header->code < PSN_LAST)
        return false;
    result = 0;
    return true;
}
