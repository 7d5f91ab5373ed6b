#include "DialogResize.h"

#include <algorithm>

namespace {

RECT RectInParent(HWND control, HWND parent)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

void CDialogResize::Init(HWND dialog, const std::vector<ResizeRule>& rules, bool sizeGrip, bool minimumTrackSize)
{
    m_dialog = dialog;
    m_controls.clear();
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_CLIPCHILDREN);

    RECT client;
    GetClientRect(dialog, &client);
    m_initialClient = {client.right, client.bottom};
    RECT window;
    GetWindowRect(dialog, &window);
    m_minimumTrackSize = minimumTrackSize ? SIZE{window.right - window.left, window.bottom - window.top} : SIZE{};

    for (const ResizeRule& rule : rules) {
        if (HWND control = GetDlgItem(dialog, rule.id))
            m_controls.push_back({control, rule.flags, RectInParent(control, dialog)});
    }

    const bool child = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    if (sizeGrip && !child && !m_grip) {
        const int width = GetSystemMetrics(SM_CXVSCROLL);
        const int height = GetSystemMetrics(SM_CYHSCROLL);
        m_grip = CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                 client.right - width, client.bottom - height, width, height, dialog, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        if (m_grip)
            m_controls.push_back({m_grip, DLSZ_MOVE_X | DLSZ_MOVE_Y, RectInParent(m_grip, dialog)});
    }
}

bool CDialogResize::OnSize(UINT type, int width, int height)
{
    if (!m_dialog)
        return false;
    if (type != SIZE_MINIMIZED)
        Layout(width, height);
    if (m_grip)
        ShowWindow(m_grip, type == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
    return true;
}

bool CDialogResize::OnGetMinMaxInfo(MINMAXINFO& info) const
{
    if (!m_dialog)
        return false;
    if (m_minimumTrackSize.cx && m_minimumTrackSize.cy)
        info.ptMinTrackSize = {m_minimumTrackSize.cx, m_minimumTrackSize.cy};
    return true;
}

void CDialogResize::Layout(int clientWidth, int clientHeight)
{
    const int dx = clientWidth - m_initialClient.cx;
    const int dy = clientHeight - m_initialClient.cy;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (const Control& control : m_controls) {
        RECT rect = control.rect;
        if (control.flags & DLSZ_MOVE_X)
            OffsetRect(&rect, dx, 0);
        else if (control.flags & DLSZ_SIZE_X)
            rect.right += dx;
        if (control.flags & DLSZ_MOVE_Y)
            OffsetRect(&rect, 0, dy);
        else if (control.flags & DLSZ_SIZE_Y)
            rect.bottom += dy;
        if (positions)
            positions = DeferWindowPos(positions, control.window, nullptr, rect.left, rect.top,
                                       std::max(0L, rect.right - rect.left), std::max(0L, rect.bottom - rect.top),
                                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        EndDeferWindowPos(positions);
    // WS_CLIPCHILDREN keeps the dialog's own repaint off its controls.
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
