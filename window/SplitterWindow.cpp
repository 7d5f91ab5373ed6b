#include "SplitterWindow.h"

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

bool CHorizontalSplitter::OnSize(UINT, int, int)
{
    Layout();
    return true;
}

bool CHorizontalSplitter::OnSetCursor(HWND, UINT hitTest)
{
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(m_hwnd, &at);
    if (hitTest != HTCLIENT || !IsOnBar(at.y))
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
    return true;
}

bool CHorizontalSplitter::OnLButtonDown(POINT at)
{
    if (IsOnBar(at.y)) {
        m_dragging = true;
        SetCapture(m_hwnd);
    }
    return true;
}

bool CHorizontalSplitter::OnMouseMove(POINT at)
{
    if (m_dragging)
        MoveBar(at.y - kBarHeight / 2);
    return true;
}

bool CHorizontalSplitter::OnLButtonUp(POINT)
{
    if (m_dragging) {
        m_dragging = false;
        ReleaseCapture();
    }
    return true;
}

void CHorizontalSplitter::OnCaptureChanged()
{
    m_dragging = false;
}

// The panes' notices belong to the dialog around the splitter.
bool CHorizontalSplitter::OnNotify(const NMHDR& header, LRESULT& result)
{
    result = SendMessageW(GetParent(m_hwnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

bool CHorizontalSplitter::OnCommand(UINT id, UINT code, HWND control)
{
    SendMessageW(GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    return true;
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
