#include "PortPage.h"

#include "ContactStateMachine.h"
#include "SerialPorts.h"
#include "TextSinks.h"
#include "ToolTips.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

struct SpeedChoice {
    const wchar_t* text;
    DWORD speed;
};

// 0 lets the contact machine search the speed.
const SpeedChoice kSpeeds[] = {
    {L"AUTO", 0}, {L"38400", 38400}, {L"19200", 19200}, {L"9600", 9600}, {L"4800", 4800},
};

std::wstring SelectedText(HWND combo)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    std::wstring text(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
    text.resize(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    return text;
}

// The item of exactly this name, none when there is none. (A prefix match
// would show COM10 for COM1.)
bool SelectPort(HWND combo, const std::wstring& port)
{
    const LRESULT index = port.empty() ? CB_ERR
                                       : SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(port.c_str()));
    SendMessageW(combo, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : index, 0);
    return index != CB_ERR;
}

}  // namespace

CPortPage::CPortPage() : CPropertyPage(IDD_PORT), m_model(GetModel())
{
    SetHelpTopic(L"Port.htm");
}

bool CPortPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_CONNECTION_STATUS:
        OnConnectionStatus();
        return true;
    case WM_APP_PORT_STATE:
        OnPortState();
        return true;
    case WM_APP_PORT:
        SelectPort(m_portCombo, m_model.Port.Get());
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

BOOL CPortPage::OnInitDialog()
{
    ReplaceInWindowText(Item(IDC_PORT_LABEL), L"??", kDeviceWord);
    m_portCombo = Item(IDC_PORT_COMBO);
    m_speedCombo = Item(IDC_SPEED_COMBO);
    FillPortCombo();
    // A saved port that is gone from the system is forgotten.
    if (!SelectPort(m_portCombo, m_model.Port.Get()))
        m_model.Port.Set(std::wstring());
    FillSpeedCombo();
    const HWND toolTip = CreateBalloonToolTip(m_hwnd);
    AddToolTip(toolTip, m_hwnd, IDC_TEST_COMMUNICATIONS, IDS_TIP_TEST_COMMUNICATIONS);
    AddToolTip(toolTip, m_hwnd, IDC_CLOSE_PORT, IDS_TIP_CLOSE_PORT);
    return TRUE;
}

void CPortPage::OnShow(bool shown, UINT)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        return;
    }
    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_subscriptions.Add(m_hwnd, m_model.Port);
    m_model.Port.NotifyWindow(m_hwnd);
    m_subscriptions.Add(m_hwnd, m_model.PortState);
    m_model.PortState.NotifyWindow(m_hwnd);
}

bool CPortPage::OnCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_TEST_COMMUNICATIONS:
        if (code != BN_CLICKED)
            return CPropertyPage::OnCommand(id, code, control);
        OnTestCommunications();
        return true;
    case IDC_CLOSE_PORT:
        if (code != BN_CLICKED)
            return CPropertyPage::OnCommand(id, code, control);
        m_model.ClosePort();
        return true;
    case IDC_PORT_COMBO:
        if (code == CBN_DROPDOWN)
            FillPortCombo();
        else if (code == CBN_SELCHANGE)
            OnPortSelected();
        else
            return CPropertyPage::OnCommand(id, code, control);
        return true;
    case IDC_SPEED_COMBO:
        if (code != CBN_SELCHANGE)
            return CPropertyPage::OnCommand(id, code, control);
        OnSpeedSelected();
        return true;
    }
    return CPropertyPage::OnCommand(id, code, control);
}

void CPortPage::OnConnectionStatus()
{
    // The "Unexpected Device" box has said all there is about a device that
    // is not a Q7; its boot loader is not a Q7 waiting for firmware.
    if (m_model.IsPortOpen() && m_model.Contact().m_result != E_UNEXPECTED_DEVICE)
        ShowConnectionStatus();
}

void CPortPage::OnPortState()
{
    // The port open but nobody known on it: search again.
    if (m_model.IsPortOpen() && m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_UNKNOWN &&
        m_model.Contact().IsIdle())
        StartContactAtOpenPort();
}

void CPortPage::OnTestCommunications()
{
    m_model.ClosePort();
    if (m_model.Port.Get().empty()) {
        ShowErrorBox(m_hwnd, IDS_CHOOSE_PORT_CAPTION, IDS_CHOOSE_PORT);
        SendMessageW(m_portCombo, CB_SHOWDROPDOWN, TRUE, 0);
        return;
    }
    StartContactAtOpenPort();
    // A port that will not open (its cable pulled) leaves the connection
    // status unknown, as it was: no change tells the user, so the page does.
    CContactStateMachine& contact = m_model.Contact();
    if (contact.IsIdle() && !m_model.IsPortOpen())
        ShowTracedBox(m_hwnd, MB_ICONHAND, FormatText(IDS_STATUS_CAPTION, kDeviceWord),
                      FormatFailureText(static_cast<DWORD>(contact.m_result), m_model.LostPort()));
}

void CPortPage::OnPortSelected()
{
    const std::wstring port = SelectedText(m_portCombo);
    if (port != m_model.Port.Get())
        m_model.Port.Set(port);
}

void CPortPage::OnSpeedSelected()
{
    const LRESULT index = SendMessageW(m_speedCombo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;
    const auto speed = static_cast<DWORD>(SendMessageW(m_speedCombo, CB_GETITEMDATA, index, 0));
    if (speed != m_model.FixedSerialSpeed.Get())
        m_model.FixedSerialSpeed.Set(speed);
}

void CPortPage::FillPortCombo()
{
    const std::wstring selected = SelectedText(m_portCombo);
    SendMessageW(m_portCombo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& port : EnumerateSerialPorts())
        SendMessageW(m_portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port.c_str()));
    if (!selected.empty())
        SelectPort(m_portCombo, selected);
}

void CPortPage::FillSpeedCombo()
{
    LRESULT selection = 0;
    for (const SpeedChoice& choice : kSpeeds) {
        const LRESULT index = SendMessageW(m_speedCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text));
        SendMessageW(m_speedCombo, CB_SETITEMDATA, index, choice.speed);
        if (choice.speed == m_model.FixedSerialSpeed.Get())
            selection = index;
    }
    SendMessageW(m_speedCombo, CB_SETCURSEL, selection, 0);
}

void CPortPage::ShowConnectionStatus()
{
    const std::wstring caption = FormatText(IDS_STATUS_CAPTION, kDeviceWord);
    switch (m_model.ConnectionStatus.Get()) {
    case FIRMWARE_STATUS_BOOT_LOADER:
        TraceAndMessageBox(m_hwnd, MB_ICONWARNING, caption, m_model.DescribeBootLoaderConnection());
        break;
    case FIRMWARE_STATUS_RUNNING:
        TraceAndMessageBox(m_hwnd, MB_ICONINFORMATION, caption, m_model.DescribeConnection());
        break;
    default:
        if (m_model.IsPortOpen())
            ShowErrorBox(m_hwnd, caption, IDS_NOT_RESPONDING, kDeviceWord);
        break;
    }
}
