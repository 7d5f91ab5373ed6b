#include "ShellFixture.h"

#include <commctrl.h>

#include <algorithm>

#include "ContactStateMachine.h"
#include "Window.h"
#include "resource.h"

namespace {

const wchar_t kSerialComm[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::map<HWND, CMessageRecorder*> g_recorders;

struct ToolTipSearch {
    HWND owner;
    HWND tip = nullptr;
};

BOOL CALLBACK FindToolTip(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<ToolTipSearch*>(context);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    TTTOOLINFOW tool{TTTOOLINFOW_V2_SIZE};
    if (wcscmp(name, TOOLTIPS_CLASSW) == 0 && SendMessageW(window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) &&
        tool.hwnd == search->owner)
        search->tip = window;
    return TRUE;
}

}  // namespace

HWND FindToolTipOf(HWND owner)
{
    ToolTipSearch search{owner};
    EnumThreadWindows(GetCurrentThreadId(), &FindToolTip, reinterpret_cast<LPARAM>(&search));
    return search.tip;
}

std::wstring ToolTipText(HWND toolTip, HWND owner, int id)
{
    wchar_t buffer[80] = {};
    TTTOOLINFOW tool{TTTOOLINFOW_V2_SIZE};
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(owner, id));
    tool.lpszText = buffer;
    SendMessageW(toolTip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

CSerialCommEntries::~CSerialCommEntries()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const std::wstring& name : m_names)
        RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

void CSerialCommEntries::Add(const std::wstring& name, const std::wstring& port)
{
    AddRaw(name, REG_SZ, port.c_str(), static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
}

void CSerialCommEntries::AddRaw(const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
    m_names.push_back(name);
}

CMessageRecorder::CMessageRecorder(HWND window, std::initializer_list<UINT> messages)
    : m_window(window), m_wanted(messages)
{
    g_recorders[window] = this;
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMessageRecorder::Proc)));
}

CMessageRecorder::~CMessageRecorder()
{
    if (IsWindow(m_window))
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    g_recorders.erase(m_window);
}

size_t CMessageRecorder::Count(UINT message) const
{
    const auto found = m_counts.find(message);
    return found == m_counts.end() ? 0 : found->second;
}

LRESULT CALLBACK CMessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMessageRecorder* self = g_recorders.at(window);
    if (std::find(self->m_wanted.begin(), self->m_wanted.end(), message) != self->m_wanted.end())
        ++self->m_counts[message];
    return CallWindowProcW(self->m_previous, window, message, wParam, lParam);
}

ShellTest::ShellTest() : model(GetModel())
{
    // Settings as on a machine that never ran the program.
    RegDeleteTreeW(model.AppKey().Key(), nullptr);
    model.ActivePage.Set(0);
    model.AdvancedMode.Set(0);
    model.FirmwareFolder.Set(std::wstring());
    model.FixedSerialSpeed.Set(0);
    model.Port.Set(std::wstring());
    model.Trace.Set(0);
    model.VerboseLogging.Set(0);
    model.Accessibility.Set(0);
    model.TechnicianTXGainCalibration.Set(0);
    model.SetActiveMachine(nullptr);
    model.ClosePort();
    CContactStateMachine& contact = model.Contact();
    if (!contact.IsIdle())
        contact.Restart(contact.m_openPort);  // ends at once without a port
}

ShellTest::~ShellTest()
{
    if (m_frame && m_frame->Handle())
        CloseFrame();
    m_frame.reset();
    m_loop.reset();
    model.SetActiveMachine(nullptr);
}

void ShellTest::WriteSetting(const wchar_t* name, const std::wstring& value)
{
    RegSetValueExW(model.AppKey().Key(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ShellTest::WriteSetting(const wchar_t* name, DWORD value)
{
    RegSetValueExW(model.AppKey().Key(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

std::optional<DWORD> ShellTest::ReadDwordSetting(const wchar_t* name)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(model.AppKey().Key(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

CMainFrame& ShellTest::OpenFrame()
{
    if (!m_loop)
        m_loop = std::make_unique<CMessageLoop>();
    m_frame = std::make_unique<CMainFrame>();
    EXPECT_TRUE(m_frame->CreateMainFrame());
    ShowWindow(m_frame->Handle(), SW_SHOW);
    // Wine activates a shown window when the display says so, which under
    // load can come later and move the focus under a test's feet.
    const HWND frame = m_frame->Handle();
    PumpUntil([frame] { return GetForegroundWindow() == frame && GetActiveWindow() == frame; }, 5000);
    PumpPending();
    return *m_frame;
}


int ShellTest::CloseFrame()
{
    SendMessageW(m_frame->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(m_frame->Handle(), nullptr);
    // The quit message waits behind whatever the close posted.
    return DispatchToQuit();
}

int ShellTest::DispatchToQuit()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return static_cast<int>(message.wParam);
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return -1;
}

bool ShellTest::OpenFrameOnRadio(const std::wstring& port, int tab)
{
    WriteSetting(L"Port", port);
    WriteSetting(L"ActivePage", static_cast<DWORD>(tab));
    OpenFrame();
    return PumpUntil(
        [&] { return model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && model.Contact().IsIdle(); }, 20000);
}

HWND ShellTest::Page(int tab)
{
    auto page = reinterpret_cast<HWND>(SendMessageW(Tabs().Handle(), PSM_INDEXTOHWND, tab, 0));
    if (!page) {
        const int current = Tabs().GetCurrentIndex();
        SelectTab(tab);
        SelectTab(current);
        page = reinterpret_cast<HWND>(SendMessageW(Tabs().Handle(), PSM_INDEXTOHWND, tab, 0));
    }
    return page;
}

void ShellTest::SelectTab(int tab)
{
    Tabs().SetCurrentIndex(tab);
    PumpPending();
}

std::wstring ShellTest::Title() const
{
    return GetWindowString(Frame());
}

std::wstring ShellTest::FirmwareLog()
{
    return GetWindowString(GetDlgItem(Page(CTabView::TAB_FIRMWARE), IDC_RICH_EDIT));
}

HMENU ShellTest::OpenMenu(int position)
{
    const HMENU popup = GetSubMenu(GetMenu(Frame()), position);
    SendMessageW(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(position, FALSE));
    return popup;
}
