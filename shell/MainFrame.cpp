#include "MainFrame.h"

#include <commctrl.h>

#include "AboutDlg.h"
#include "ContactStateMachine.h"
#include "FileVersionInfo.h"
#include "Help.h"
#include "ReleaseInfoDlg.h"
#include "SerialPorts.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "WindowPlacement.h"
#include "resource.h"

namespace {

const wchar_t kPlacementSubkey[] = L"Window";
const wchar_t kNoPort[] = L"NONE";

// The View menu's switches: a model setting each, shown as a check mark.
struct ViewSwitch {
    UINT id;
    bool (*isOn)(CModel& model);
    void (*set)(CModel& model, bool on);
};

template <auto Setting>
constexpr ViewSwitch Switch(UINT id)
{
    return {id, [](CModel& model) { return (model.*Setting).Get() != 0; },
            [](CModel& model, bool on) { (model.*Setting).Set(on ? 1 : 0); }};
}

const ViewSwitch kViewSwitches[] = {
    Switch<&CModel::Accessibility>(ID_VIEW_ACCESSIBILITY),
    Switch<&CModel::AdvancedMode>(ID_VIEW_ADVANCED_MODE),
    Switch<&CModel::Trace>(ID_VIEW_TRACE),
    Switch<&CModel::VerboseLogging>(ID_VIEW_VERBOSE_LOGGING),
};

}  // namespace

CMainFrame::CMainFrame()
    : CFrameWindow(IDS_READY),
      m_model(GetModel()),
      m_updateUI{ID_VIEW_ACCESSIBILITY, ID_VIEW_ADVANCED_MODE, ID_VIEW_STATUS_BAR, ID_VIEW_TRACE,
                 ID_VIEW_VERBOSE_LOGGING, ID_HELP_CONTENTS, ID_HELP_RELEASE_NOTES, ID_APP_ABOUT}
{
}

CMainFrame::~CMainFrame()
{
    Destroy();
    m_subscriptions.RemoveAll();
    // Still ours only when it never reached the menu bar, or that is gone.
    if (m_portMenu && IsMenu(m_portMenu))
        DestroyMenu(m_portMenu);
}

HWND CMainFrame::CreateMainFrame()
{
    return CreateFrame(IDR_MAINFRAME);
}

SIZE CMainFrame::ComputeMinimumTrackSize(SIZE sheetClient)
{
    return {(sheetClient.cx * 105 + 50) / 100, (sheetClient.cy * 109 + 50) / 100};
}

bool CMainFrame::PreTranslateMessage(MSG* message)
{
    if (m_accelerators && TranslateAcceleratorW(m_hwnd, m_accelerators, message))
        return true;
    // Wine's dialog keys never end for a focus on a control no one sees, and
    // arrow keys would change it unseen: whatever left the focus there, the
    // current page takes it back and the key goes to it.
    if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST && !IsWindowVisible(message->hwnd) &&
        IsChild(m_tabView.Handle(), message->hwnd)) {
        m_tabView.FocusCurrentPage();
        message->hwnd = GetFocus();
    }
    return m_tabView.IsDialogMessage(message);
}

bool CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_APP_SERIAL_DATA:
        result = RouteToBusyMachineOrPage(message, wParam, lParam);
        return true;
    case WM_APP_PAGE_TEXT:
        OnPageText(wParam, lParam);
        return true;
    case WM_APP_STATUS_TEXT:
        OnStatusText(lParam);
        return true;
    case WM_APP_VERBOSE_TEXT:
        if (m_model.VerboseLogging.Get() != 0)
            OnStatusText(lParam);
        return true;
    case WM_APP_CONNECTION_STATUS:
        OnConnectionStatusChanged();
        return true;
    case WM_APP_MACHINE_FINISHED:
        OnStatusText(IDS_READY);
        return true;
    case WM_APP_SERIAL_NUMBER:
    case WM_APP_PORT_STATE:
    case WM_APP_PORT_SPEED:
        UpdateTitle();
        return true;
    case WM_APP_PORT:
        OnPortChanged();
        return true;
    }
    return CFrameWindow::OnMessage(message, wParam, lParam, result);
}

bool CMainFrame::OnTimer(UINT_PTR id)
{
    RouteToBusyMachineOrPage(WM_TIMER, id, 0);
    return true;
}

bool CMainFrame::OnHelp()
{
    ShowHelpTopic(m_hwnd, nullptr);
    return true;
}

bool CMainFrame::OnEndSession(bool)
{
    return true;
}

void CMainFrame::OnInitMenuPopup(HMENU menu)
{
    m_updateUI.UpdateMenu(menu);
}

bool CMainFrame::OnCreate(const CREATESTRUCTW&)
{
    m_statusBar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SBARS_SIZEGRIP,
                                      LoadResString(IDS_READY).substr(0, 128).c_str(), m_hwnd, ID_VIEW_STATUS_BAR);
    m_model.SetMainWindow(m_hwnd);
    m_model.LoadSettings();

    for (const ViewSwitch& view : kViewSwitches)
        m_updateUI.SetCheck(view.id, view.isOn(m_model));
    m_updateUI.SetCheck(ID_VIEW_STATUS_BAR, true);
    m_updateUI.SetText(ID_HELP_CONTENTS, FormatText(IDS_MENU_HELP, kDeviceWord));
    m_updateUI.SetText(ID_HELP_RELEASE_NOTES, FormatText(IDS_MENU_RELEASE_NOTES, kDeviceWord));
    m_updateUI.SetText(ID_APP_ABOUT, FormatText(IDS_MENU_ABOUT, kDeviceWord));

    if (m_model.TechnicianTXGainCalibration.Get() != 0) {
        m_portMenu = CreatePopupMenu();
        InsertMenuW(GetMenu(m_hwnd), 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(m_portMenu), L"&Port");
        DrawMenuBar(m_hwnd);
    }
    BuildPortMenu();

    m_client = m_tabView.Create(m_hwnd);
    if (!m_client)
        return false;
    m_tabView.FixUpAfterCreate();

    int start = m_model.ActivePage.Get();
    if (m_model.Port.Get().empty() || start < 0 || start >= m_tabView.GetTabCount())
        start = CTabView::TAB_PORT;
    m_tabView.SetCurrentIndex(start);
    m_tabView.FocusCurrentPage();

    m_model.MainWindowReady = 1;
    if (CMessageLoop* loop = CMessageLoop::Current())
        loop->AddMessageFilter(this);

    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_model.ConnectionStatus.NotifyWindow(m_hwnd);
    m_subscriptions.Add(m_hwnd, m_model.MachineFinished);
    m_subscriptions.Add(m_hwnd, m_model.SerialNumber);
    m_model.SerialNumber.NotifyWindow(m_hwnd);
    m_subscriptions.Add(m_hwnd, m_model.Port);
    m_subscriptions.Add(m_hwnd, m_model.PortSpeed);
    // A port closed before any radio answered changes no connection status.
    m_subscriptions.Add(m_hwnd, m_model.PortState);

    // With no port it ends at once with "Serial port name is missing".
    StartContactAtOpenPort();
    return true;
}

LRESULT CMainFrame::RouteToBusyMachineOrPage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_model.IsIdle()) {
        const LRESULT result = message == WM_TIMER ? m_model.DispatchTimer(m_hwnd, message, wParam, lParam)
                                                   : m_model.DispatchReceive(m_hwnd, message, wParam, lParam);
        // A speed search moves the port from speed to speed without a notice.
        if (m_model.IsPortOpen() && m_model.GetPortSpeed() != m_titleSpeed)
            UpdateTitle();
        return result;
    }
    // The Terminal and Command Tester pages read the port while no machine runs.
    if (HWND page = m_tabView.GetCurrentPage())
        return SendMessageW(page, message, wParam, lParam);
    return 0;
}

void CMainFrame::OnPageText(WPARAM wParam, LPARAM lParam)
{
    if (HWND page = m_tabView.GetCurrentPage())
        SendMessageW(page, WM_APP_PAGE_TEXT, wParam, lParam);
}

void CMainFrame::OnStatusText(LPARAM text)
{
    // The status bar keeps "Ready"; the text goes to the Firmware page's log.
    if (m_tabView.GetCurrentIndex() != m_tabView.FirmwarePageIndex())
        return;
    const std::wstring line = text ? TextOrId(reinterpret_cast<const wchar_t*>(text)).Text() : std::wstring();
    SendMessageW(m_hwnd, WM_APP_PAGE_TEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void CMainFrame::OnConnectionStatusChanged()
{
    UpdateTitle();
    UpdateConnectionStatus();
}

void CMainFrame::OnPortChanged()
{
    UpdateTitle();
    m_model.ClosePort();
    if (!m_model.Port.Get().empty())
        StartContactAtOpenPort();
}

void CMainFrame::UpdateTitle()
{
    std::wstring title = GetProgramVersionText();
    if (m_model.SerialNumber.Get() != SERIAL_NUMBER_UNKNOWN)
        title += FormatText(IDS_TITLE_SERIAL_NUMBER, static_cast<unsigned>(m_model.SerialNumber.Get()));
    const std::wstring& port = m_model.Port.Get();
    m_titleSpeed = m_model.IsPortOpen() ? m_model.GetPortSpeed() : 0;
    if (!port.empty()) {
        title += m_model.IsPortOpen() ? FormatText(IDS_ON_PORT_AT_SPEED, port.c_str(), m_titleSpeed)
                                      : FormatText(IDS_TITLE_PORT_CLOSED, port.c_str());
    }
    SetWindowTextW(m_hwnd, title.c_str());
}

void CMainFrame::UpdateConnectionStatus()
{
    const FirmwareStatusEnum status = m_model.ConnectionStatus.Get();
    // Either text would call another device a Q7; the "Unexpected Device"
    // box has said what it is not.
    if ((status == FIRMWARE_STATUS_BOOT_LOADER || status == FIRMWARE_STATUS_RUNNING) &&
        m_model.Contact().m_result == E_UNEXPECTED_DEVICE)
        return;
    std::wstring text;
    switch (status) {
    case FIRMWARE_STATUS_BOOT_LOADER:
        text = m_model.DescribeBootLoaderConnection();
        break;
    case FIRMWARE_STATUS_RUNNING:
        text = m_model.DescribeConnection();
        break;
    default:
        text = m_model.IsPortOpen() ? FormatText(IDS_NOT_RESPONDING, kDeviceWord)
                                    : FormatText(IDS_PORT_CLOSED, m_model.Port.Get().c_str());
        break;
    }
    if (!text.empty())
        SendStatusText(m_hwnd, text);
}

void CMainFrame::OnShow(bool show, UINT)
{
    if (!show || m_shown || IsWindowVisible(m_hwnd))
        return;
    m_shown = true;
    RECT client{};
    GetClientRect(m_client, &client);
    m_minimumTrackSize = ComputeMinimumTrackSize({client.right, client.bottom});
    if (!RestoreWindowPlacement(m_hwnd, m_model.AppKey().Path(), kPlacementSubkey)) {
        SetWindowPos(m_hwnd, nullptr, 0, 0, m_minimumTrackSize.cx, m_minimumTrackSize.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CenterOn(nullptr);
    }
}

bool CMainFrame::OnGetMinMaxInfo(MINMAXINFO& info)
{
    if (m_minimumTrackSize.cx && m_minimumTrackSize.cy)
        info.ptMinTrackSize = {m_minimumTrackSize.cx, m_minimumTrackSize.cy};
    return true;
}

// The default processing destroys the frame. While a modal dialog runs (a
// firmware load, a restore) the close goes to that dialog first.
bool CMainFrame::OnClose()
{
    if (CFrameWindow::OnClose())
        return true;
    m_subscriptions.RemoveAll();
    const int current = m_tabView.GetCurrentIndex();
    if (current != m_model.ActivePage.Get())
        m_model.ActivePage.Set(current);
    m_tabView.Destroy();
    m_client = nullptr;
    return false;
}

void CMainFrame::OnDestroy()
{
    m_subscriptions.RemoveAll();
    CloseReleaseNotes(m_releaseNotes);
    m_releaseNotes = nullptr;
    m_model.ClosePort();
    if (CMessageLoop* loop = CMessageLoop::Current())
        loop->RemoveMessageFilter(this);
    m_model.SaveSettings();
    SaveWindowPlacement(m_hwnd, m_model.AppKey().Path(), kPlacementSubkey);
    CFrameWindow::OnDestroy();
}

bool CMainFrame::OnCommand(UINT id, UINT code, HWND control)
{
    if (m_updateUI.SwallowsCommand(id, code) || OnViewSwitch(id))
        return true;
    switch (id) {
    case ID_APP_EXIT:
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        return true;
    case ID_VIEW_STATUS_BAR:
        OnViewStatusBar();
        return true;
    case ID_HELP_CONTENTS:
        ShowHelpTopic(m_hwnd, nullptr);
        return true;
    case ID_HELP_RELEASE_NOTES:
        OnReleaseNotes();
        return true;
    case ID_APP_ABOUT:
        OnAppAbout();
        return true;
    }
    if (id >= ID_PORT_MENU_FIRST && id <= ID_PORT_MENU_LAST) {
        OnPortMenuCommand(id);
        return true;
    }
    return CFrameWindow::OnCommand(id, code, control);
}

bool CMainFrame::OnViewSwitch(UINT id)
{
    for (const ViewSwitch& view : kViewSwitches) {
        if (view.id != id)
            continue;
        const bool on = !view.isOn(m_model);
        view.set(m_model, on);
        m_updateUI.SetCheck(id, on);
        UpdateLayout();
        return true;
    }
    return false;
}

void CMainFrame::OnViewStatusBar()
{
    const bool visible = !IsWindowVisible(m_statusBar);
    ShowWindow(m_statusBar, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    m_updateUI.SetCheck(ID_VIEW_STATUS_BAR, visible);
    UpdateLayout();
}

void CMainFrame::OnReleaseNotes()
{
    CloseReleaseNotes(m_releaseNotes);
    m_releaseNotes = ShowReleaseNotes(m_hwnd, m_model.FirmwareFolder.Get());
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal(m_hwnd);
}

void CMainFrame::BuildPortMenu()
{
    if (!m_portMenu)
        return;
    while (GetMenuItemCount(m_portMenu) > 0)
        DeleteMenu(m_portMenu, 0, MF_BYPOSITION);
    InsertMenuW(m_portMenu, 0, MF_BYPOSITION | MF_STRING, ID_PORT_MENU_FIRST, kNoPort);
    const std::vector<std::wstring> ports = EnumerateSerialPorts();
    const size_t room = ID_PORT_MENU_LAST - ID_PORT_MENU_FIRST;
    for (size_t i = 0; i < ports.size() && i < room; ++i) {
        MENUITEMINFOW item{sizeof item};
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
        item.wID = static_cast<UINT>(ID_PORT_MENU_FIRST + i + 1);
        item.fState = ports[i] == m_model.Port.Get() ? MFS_CHECKED : MFS_UNCHECKED;
        item.dwTypeData = const_cast<wchar_t*>(ports[i].c_str());
        InsertMenuItemW(m_portMenu, static_cast<UINT>(i + 1), TRUE, &item);
    }
}

void CMainFrame::OnPortMenuCommand(UINT id)
{
    const int position = static_cast<int>(id - ID_PORT_MENU_FIRST);
    if (!m_portMenu || position >= GetMenuItemCount(m_portMenu))
        return;
    wchar_t text[64] = {};
    MENUITEMINFOW item{sizeof item};
    item.fMask = MIIM_STRING;
    item.dwTypeData = text;
    item.cch = 64;
    if (!GetMenuItemInfoW(m_portMenu, static_cast<UINT>(position), TRUE, &item))
        return;
    const std::wstring port = wcscmp(text, kNoPort) == 0 ? std::wstring() : std::wstring(text);
    if (port == m_model.Port.Get())
        return;
    m_model.Port.Set(port);
    BuildPortMenu();
}
