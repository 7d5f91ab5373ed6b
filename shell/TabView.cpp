#include "TabView.h"

#include <commctrl.h>

namespace {

// The sheet's own controls.
constexpr int kTabControlId = 0x3020;
constexpr int kApplyButtonId = 0x3021;
constexpr int kHiddenButtons[] = {IDOK, IDCANCEL, kApplyButtonId, IDHELP};

}  // namespace

bool CPropSheetTabCtrl::OnWindowPosChanged(const WINDOWPOS& position)
{
    // The control still hears of its new size (WM_SIZE comes from here).
    DefaultProc(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    const HWND sheet = GetParent(m_hwnd);
    if (const auto page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))) {
        RECT display;
        GetClientRect(m_hwnd, &display);
        Send(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        MapWindowPoints(m_hwnd, sheet, reinterpret_cast<POINT*>(&display), 2);
        MoveWindow(page, display.left, display.top, display.right - display.left, display.bottom - display.top, TRUE);
    }
    return true;
}

CTabView::CTabView() : CPropertySheet(nullptr, PSH_NOAPPLYNOW, 0)
{
    AddPage(m_portPage);
    m_firmwarePageIndex = static_cast<int>(PageCount());
    AddPage(m_firmwarePage);
    AddPage(m_configurationPage);
    AddPage(m_calibrationPage);
    AddPage(m_commandTesterPage);
    AddPage(m_terminalPage);
}

CTabView::~CTabView()
{
    Destroy();
    m_tabControl.Unsubclass();
}

void CTabView::OnPreCreate(void* dialogTemplate)
{
    DWORD* style = TemplateStyle(dialogTemplate);
    *style &= ~(WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    *style |= WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

void CTabView::FixUpAfterCreate()
{
    for (int id : kHiddenButtons) {
        if (HWND button = Item(id)) {
            ShowWindow(button, SW_HIDE);
            EnableWindow(button, FALSE);
        }
    }
    const HWND tab = GetTabControl();
    RECT rect;
    GetWindowRect(tab, &rect);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    InflateRect(&rect, 4, 8);
    MoveWindow(tab, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    m_tabControl.Subclass(tab);
    m_resize.Init(m_hwnd, {{kTabControlId, DLSZ_SIZE_X | DLSZ_SIZE_Y}}, false, true);
}

bool CTabView::OnSysCommand(UINT command)
{
    if (command != SC_CLOSE)
        return false;
    Send(WM_CLOSE);
    return true;
}

bool CTabView::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDOK && id != IDCANCEL)
        return false;
    // Enter and Esc in a page still "press" the hidden buttons; the sheet
    // would then end its current page and leave the frame without tabs.
    const HWND button = Item(id);
    if (button && !IsWindowEnabled(button))
        return true;
    DefaultProc(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    if (!GetCurrentPage())
        Destroy();
    return true;
}
