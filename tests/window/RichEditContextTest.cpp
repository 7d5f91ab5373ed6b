// The output window's context menu: which edit commands it offers for the
// control's state, and what a chosen command does.
#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <map>

#include "MessagePump.h"
#include "RichEditCtrlContext.h"
#include "resource.h"

namespace {

// While the control's menu is open a thread timer reads its items and then
// presses `key` in it (Escape: dismiss).
class CMenuReader {
public:
    std::map<UINT, bool> Open(HWND control, WPARAM key)
    {
        s_reader = this;
        m_key = key;
        m_states.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CMenuReader::OnTick);
        RECT rect;
        GetWindowRect(control, &rect);
        const POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        SendMessageW(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(at.x, at.y));
        KillTimer(nullptr, timer);
        s_reader = nullptr;
        return m_states;
    }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
    {
        const HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!s_reader || !menuWindow || !IsWindowVisible(menuWindow) || !s_reader->m_states.empty())
            return;
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT id = GetMenuItemID(menu, i);
            if (id != 0 && id != static_cast<UINT>(-1))
                s_reader->m_states[id] = !(GetMenuState(menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
        }
        if (s_reader->m_key == VK_ESCAPE)
            PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMessageW(menuWindow, WM_CHAR, s_reader->m_key, 0);
    }

    static CMenuReader* s_reader;
    WPARAM m_key = VK_ESCAPE;
    std::map<UINT, bool> m_states;
};

CMenuReader* CMenuReader::s_reader = nullptr;

class RichEditContextTest : public testing::Test {
protected:
    void Make(DWORD extraStyle)
    {
        parent = CreateWindowExW(0, L"STATIC", L"log", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_TRUE(log.CreateControl(parent, {10, 10, 380, 250},
                                      WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | extraStyle, 0, IDC_RICH_EDIT));
        SetWindowTextW(log.Handle(), L"first line\r\nsecond line");
        SetForegroundWindow(parent);
        PumpPending();
    }
    ~RichEditContextTest() override { DestroyWindow(parent); }

    void Select(LONG from, LONG to)
    {
        CHARRANGE range{from, to};
        log.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    CHARRANGE Selection()
    {
        CHARRANGE range{};
        log.Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    HWND parent = nullptr;
    CRichEditCtrlContext log;
    CMenuReader menu;
};

}  // namespace

TEST_F(RichEditContextTest, AReadOnlyLogOffersCopyAndSelectAllButNeverCutOrDelete)
{
    Make(ES_READONLY);
    Select(0, 5);
    std::map<UINT, bool> states = menu.Open(log.Handle(), VK_ESCAPE);
    ASSERT_EQ(states.size(), 6u) << "the menu was not read";
    EXPECT_TRUE(states[ID_EDIT_COPY]);
    EXPECT_TRUE(states[ID_EDIT_SELECT_ALL]);
    EXPECT_FALSE(states[ID_EDIT_CUT]);
    EXPECT_FALSE(states[ID_EDIT_CLEAR]);
    EXPECT_EQ(states[ID_EDIT_UNDO], log.Send(EM_CANUNDO) != 0);
    EXPECT_EQ(states[ID_EDIT_PASTE], log.Send(EM_CANPASTE) != 0);

    Select(3, 3);
    states = menu.Open(log.Handle(), VK_ESCAPE);
    EXPECT_FALSE(states[ID_EDIT_COPY]);
    EXPECT_FALSE(states[ID_EDIT_CUT]);
    EXPECT_TRUE(states[ID_EDIT_SELECT_ALL]);
    EXPECT_EQ(GetWindowTextLengthW(log.Handle()), 23) << "dismissing the menu changes nothing";
}

TEST_F(RichEditContextTest, AWritableControlOffersCutAndDeleteForASelection)
{
    Make(0);
    Select(0, 5);
    std::map<UINT, bool> states = menu.Open(log.Handle(), VK_ESCAPE);
    EXPECT_TRUE(states[ID_EDIT_CUT]);
    EXPECT_TRUE(states[ID_EDIT_CLEAR]);
    EXPECT_TRUE(states[ID_EDIT_COPY]);
}

TEST_F(RichEditContextTest, TheChosenItemIsCarriedOut)
{
    Make(ES_READONLY);
    Select(2, 2);
    menu.Open(log.Handle(), 'a');  // "Select &All"
    const CHARRANGE all = Selection();
    EXPECT_EQ(all.cpMin, 0);
    EXPECT_EQ(all.cpMax, 23);
}

TEST_F(RichEditContextTest, EditCommandsSentToTheControlAct)
{
    Make(0);
    SendMessageW(log.Handle(), WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
    EXPECT_EQ(Selection().cpMax, 23);
    Select(0, 6);
    SendMessageW(log.Handle(), WM_COMMAND, ID_EDIT_CLEAR, 0);
    EXPECT_EQ(GetWindowTextLengthW(log.Handle()), 17);
    SendMessageW(log.Handle(), WM_COMMAND, ID_EDIT_CLEAR_ALL, 0);
    EXPECT_EQ(GetWindowTextLengthW(log.Handle()), 0);
    SendMessageW(log.Handle(), WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_GT(GetWindowTextLengthW(log.Handle()), 0);
}

TEST_F(RichEditContextTest, TheObjectLetsGoWhenTheControlIsDestroyed)
{
    Make(0);
    const HWND control = log.Handle();
    EXPECT_EQ(CWindow::FromHandle(control), &log);
    DestroyWindow(control);
    EXPECT_EQ(log.Handle(), nullptr);
    EXPECT_EQ(CWindow::FromHandle(control), nullptr);
}
