#include "FrameWindow.h"

#include <commctrl.h>

#include "TextOrId.h"

HWND CFrameWindow::CreateFrame(UINT resourceId, HWND parent, DWORD style, DWORD exStyle)
{
    const HINSTANCE module = GetModuleHandleW(nullptr);
    wchar_t className[32];
    swprintf(className, 32, L"Q7Frame%u", resourceId);
    const auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0,
                                                    LR_DEFAULTSIZE | LR_SHARED));
    const auto smallIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterClass(className, icon, smallIcon, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return nullptr;
    m_accelerators = LoadAcceleratorsW(module, MAKEINTRESOURCEW(resourceId));
    const HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(resourceId));
    const HWND frame = CWindow::Create(className, parent, LoadResString(resourceId).c_str(), style, exStyle, menu);
    if (!frame && menu)
        DestroyMenu(menu);
    return frame;
}

void CFrameWindow::UpdateLayout()
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (m_statusBar && IsWindowVisible(m_statusBar)) {
        SendMessageW(m_statusBar, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(m_statusBar, &bar);
        client.bottom -= bar.bottom - bar.top;
    }
    if (m_client)
        SetWindowPos(m_client, nullptr, client.left, client.top, client.right - client.left,
                     client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CFrameWindow::OnSize(UINT type, int, int)
{
    if (type != SIZE_MINIMIZED)
        UpdateLayout();
    return true;
}

bool CFrameWindow::OnSetFocus(HWND)
{
    if (m_client && IsWindowVisible(m_client))
        SetFocus(m_client);
    return true;
}

void CFrameWindow::OnDestroy()
{
    // Only a top-level frame ends the program.
    if (!(GetWindowLongPtrW(m_hwnd, GWL_STYLE) & (WS_CHILD | WS_POPUP)))
        PostQuitMessage(1);
}

bool CFrameWindow::OnMenuSelect(UINT id, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && !menu) {
        SetStatusText(LoadResString(m_idleTextId));
        return true;
    }
    std::wstring prompt;
    if (!(flags & (MF_POPUP | MF_SEPARATOR)) && id != 0) {
        prompt = LoadResString(id);
        prompt = prompt.substr(0, prompt.find(L'\n'));
    }
    SetStatusText(prompt);
    return true;
}

void CFrameWindow::SetStatusText(const std::wstring& text)
{
    if (m_statusBar)
        SendMessageW(m_statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
