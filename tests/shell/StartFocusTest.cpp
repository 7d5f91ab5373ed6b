// The keyboard right after start, on every start tab: the focus is in the
// page that shows (or on the tabs while it has nothing enabled), a menu key
// opens its menu through the program's own message loop, and an arrow key
// cannot reach a control of a hidden page.
#include "ShellFixture.h"

#include <cstdio>

#include "resource.h"

namespace {

// Ends the whole test program when the thread that armed it does not disarm
// it in time: a hang in a message filter is a failure, not a stalled run.
class CHangWatchdog {
public:
    CHangWatchdog(const char* what, DWORD ms) : m_what(what), m_ms(ms)
    {
        m_disarmed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &CHangWatchdog::Watch, this, 0, nullptr);
    }
    ~CHangWatchdog()
    {
        SetEvent(m_disarmed);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_disarmed);
    }

private:
    static DWORD WINAPI Watch(void* context)
    {
        auto* self = static_cast<CHangWatchdog*>(context);
        if (WaitForSingleObject(self->m_disarmed, self->m_ms) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "FAILED: the user-interface thread hung: %s\n", self->m_what);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    const char* m_what;
    DWORD m_ms;
    HANDLE m_disarmed;
    HANDLE m_thread;
};

// The keys the menu loop reads once the View menu is down: one step down the
// menu, then out of it again.
int g_menuKeysPosted = 0;

void CALLBACK PostMenuKeys(HWND, UINT, UINT_PTR timer, DWORD)
{
    // Only once a menu loop is running (it sends WM_ENTERIDLE before waiting).
    GUITHREADINFO thread{sizeof thread};
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &thread) || !(thread.flags & GUI_INMENUMODE))
        return;
    KillTimer(nullptr, timer);
    for (UINT key : {VK_DOWN, VK_ESCAPE, VK_ESCAPE})
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    ++g_menuKeysPosted;
}

// A key as the program's loop takes it: filters first, then translated and
// dispatched, until the queue is empty again.
void PressKey(UINT message, WPARAM key, LPARAM flags)
{
    PostMessageW(GetFocus(), message, key, flags);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CMessageLoop::Current()->PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

constexpr LPARAM kAltDown = 1 << 29;

}  // namespace

class StartFocusTest : public ShellTest {
protected:
    StartFocusTest()
    {
        // The saved port between two others, so that an arrow key in the
        // port list would change it.
        ports.Add(L"Q7ShellTestA", L"COM205");
        ports.Add(L"Q7ShellTestB", L"COM207");
        ports.Add(L"Q7ShellTestC", L"COM209");
        WriteSetting(L"Port", std::wstring(L"COM207"));
    }

    // The focus is on a control that shows: in the current page, or on the
    // tabs while the page has nothing enabled.
    void ExpectFocusShown()
    {
        const HWND focus = GetFocus();
        EXPECT_TRUE(focus && (IsChild(Tabs().GetCurrentPage(), focus) || focus == Tabs().GetTabControl()) &&
                    IsWindowVisible(focus));
    }

    // Alt+V opens the View menu, Down moves in it, Escape twice leaves it;
    // then Down on whatever has the focus. Nothing hangs, the port stays.
    void PressAltVAndDown()
    {
        CMessageRecorder frame(Frame(), {WM_INITMENUPOPUP});
        g_menuKeysPosted = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &PostMenuKeys);
        {
            CHangWatchdog watchdog("Alt+V and Down", 20000);
            PressKey(WM_SYSKEYDOWN, 'V', kAltDown | 1);
            PressKey(WM_KEYDOWN, VK_DOWN, 1);
        }
        KillTimer(nullptr, timer);
        EXPECT_EQ(frame.Count(WM_INITMENUPOPUP), 1u) << "the View menu opens";
        EXPECT_EQ(g_menuKeysPosted, 1);
        EXPECT_EQ(model.Port.Get(), L"COM207");
    }
};

TEST_F(StartFocusTest, OnEveryStartTabTheKeysReachTheShownPageAndTheMenu)
{
    for (int tab = 0; tab < 6; ++tab) {
        SCOPED_TRACE(tab);
        WriteSetting(L"ActivePage", static_cast<DWORD>(tab));
        OpenFrame();
        ASSERT_EQ(Tabs().GetCurrentIndex(), tab);
        ExpectFocusShown();
        if (tab == CTabView::TAB_PORT) {
            EXPECT_EQ(GetFocus(), GetDlgItem(Tabs().GetCurrentPage(), IDC_TEST_COMMUNICATIONS));
        }
        PressAltVAndDown();
        CloseFrame();
        EXPECT_EQ(model.Port.Get(), L"COM207");
    }
}

TEST_F(StartFocusTest, ATextControlTakingTheFocusKeepsItsSelection)
{
    // The Firmware page's first control is its folder box. Taken by its id:
    // under load, Wine's own activation may still be moving the focus now.
    WriteSetting(L"ActivePage", static_cast<DWORD>(CTabView::TAB_FIRMWARE));
    OpenFrame();
    const HWND box = GetDlgItem(Tabs().GetCurrentPage(), IDC_FIRMWARE_FOLDER);
    ASSERT_TRUE(SendMessageW(box, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
    SetWindowTextW(box, L"C:\\Q7 Firmware");
    SendMessageW(box, EM_SETSEL, 3, 3);
    SetFocus(Tabs().GetTabControl());

    Tabs().FocusCurrentPage();
    ASSERT_EQ(GetFocus(), box);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u) << "a key would replace the selected text";
    EXPECT_EQ(end, 3u);
}

TEST_F(StartFocusTest, AHiddenPageGivesUpTheFocus)
{
    WriteSetting(L"ActivePage", static_cast<DWORD>(CTabView::TAB_PORT));
    OpenFrame();
    SelectTab(CTabView::TAB_FIRMWARE);
    ExpectFocusShown();
    PressAltVAndDown();

    // Ctrl+Tab, the sheet's own key for the next page, from inside a page.
    SetFocus(GetNextDlgTabItem(Tabs().GetCurrentPage(), nullptr, FALSE));
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PressKey(WM_KEYDOWN, VK_TAB, 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    ASSERT_EQ(Tabs().GetCurrentIndex(), CTabView::TAB_CONFIGURATION);
    ExpectFocusShown();
    PressAltVAndDown();
}

TEST_F(StartFocusTest, AKeyForAHiddenControlBringsTheFocusBackFirst)
{
    WriteSetting(L"ActivePage", static_cast<DWORD>(CTabView::TAB_FIRMWARE));
    OpenFrame();
    // However it got there.
    SetFocus(GetDlgItem(Page(CTabView::TAB_PORT), IDC_PORT_COMBO));
    ASSERT_FALSE(IsWindowVisible(GetFocus()));
    PressAltVAndDown();
    ExpectFocusShown();
}

TEST_F(StartFocusTest, EnterOrTabInTheFolderBoxTakesTheFolderAndMovesOn)
{
    WriteSetting(L"ActivePage", static_cast<DWORD>(CTabView::TAB_FIRMWARE));
    OpenFrame();
    const HWND page = Tabs().GetCurrentPage();
    const HWND box = GetDlgItem(page, IDC_FIRMWARE_FOLDER);
    const HWND next = GetNextDlgTabItem(page, box, FALSE);
    ASSERT_NE(next, box);
    for (const WPARAM key : {VK_RETURN, VK_TAB}) {
        SCOPED_TRACE(key);
        const std::wstring folder = key == VK_RETURN ? L"C:\\Entered" : L"C:\\Tabbed";
        SetFocus(box);
        SetWindowTextW(box, (L"  " + folder).c_str());
        PressKey(WM_KEYDOWN, key, 1);
        PressKey(WM_CHAR, key == VK_RETURN ? L'\r' : L'\t', 1);
        EXPECT_EQ(GetFocus(), next);
        EXPECT_EQ(model.FirmwareFolder.Get(), folder);
    }
}
