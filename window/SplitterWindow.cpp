#include "SplitterWindow.h"

#include <windowsx.h>

#include <algorithm>

namespace {

const wchar_t kClassName[] = L"Q7HorizontalSplitter";
const int kBarHeight = 4;
const int kShareScale = 10000;

int ClientHeight(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client.bottom;
}

}  // namespace

HWND CHorizontalSplitter::CreateSplitter(HWND parent, const RECT& rect, int id, DWORD style, DWORD exStyle)
{
    if (!RegisterClass(kClassName, nullptr, nullptr, GetSysColorBrush(COLOR_BTNFACE)))
        return nullptr;
    return Create(kClassName, parent, nullptr, style, exStyle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                  &rect);
}

void CHorizontalSplitter::SetPanes(HWND top, HWND bottom, int topPercent)
{
    m_top = top;
    m_bottom = bottom;
    m_share = std::clamp(topPercent, 0, 100) * (kShareScale / 100);
    Layout();
}

bool CHorizontalSplitter::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return true;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT at{};
            GetCursorPos(&at);
            ScreenToClient(m_hwnd, &at);
            if (IsOnBar(at.y)) {
                SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
                result = TRUE;
                return true;
            }
        }
        return false;
    case WM_LBUTTONDOWN:
        if (IsOnBar(GET_Y_LPARAM(lParam))) {
            m_dragging = true;
            SetCapture(m_hwnd);
        }
        return true;
    case WM_MOUSEMOVE:
        if (m_dragging)
            MoveBar(GET_Y_LPARAM(lParam) - kBarHeight / 2);
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (m_dragging) {
            m_dragging = false;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return true;
    case WM_NOTIFY:
    case WM_COMMAND:
        // The panes' notices belong to the dialog around the splitter.
        result = SendMessageW(GetParent(m_hwnd), message, wParam, lParam);
        return true;
    }
    return CWindow::OnMessage(message, wParam, lParam, result);
}

void CHorizontalSplitter::Layout()
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int height = client.bottom;
    m_barTop = std::clamp(static_cast<int>(static_cast<long long>(height) * m_share / kShareScale), 0,
                          std::max(height - kBarHeight, 0));
    if (m_top)
        MoveWindow(m_top, 0, 0, client.right, m_barTop, TRUE);
    if (m_bottom)
        MoveWindow(m_bottom, 0, m_barTop + kBarHeight, client.right, std::max(height - m_barTop - kBarHeight, 0),
                   TRUE);
}

bool CHorizontalSplitter::IsOnBar(int y) const
{
    return y >= m_barTop && y < m_barTop + kBarHeight;
}

void CHorizontalSplitter::MoveBar(int y)
{
    const int height = ClientHeight(m_hwnd);
    if (height <= kBarHeight)
        return;
    y = std::clamp(y, 0, height - kBarHeight);
    m_share = static_cast<int>(static_cast<long long>(y) * kShareScale / height);
    Layout();
}
