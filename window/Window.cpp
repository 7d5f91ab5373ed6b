#include "Window.h"

#include <windowsx.h>

#include <algorithm>

#include "Help.h"

namespace {

// The object bound to a window, and the procedure a subclass stands in front of.
const wchar_t kObjectProperty[] = L"Q7.WindowObject";
const wchar_t kPreviousProcProperty[] = L"Q7.PreviousProc";

}  // namespace

CWindow::~CWindow()
{
    if (m_hwnd)
        Detach();
}

void CWindow::Destroy()
{
    if (Exists())
        DestroyWindow(m_hwnd);
}

CWindow* CWindow::FromHandle(HWND window)
{
    return window ? static_cast<CWindow*>(GetPropW(window, kObjectProperty)) : nullptr;
}

bool CWindow::RegisterClass(const wchar_t* name, HICON icon, HICON smallIcon, HBRUSH background)
{
    WNDCLASSEXW windowClass{sizeof windowClass};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = &CWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindow::Create(const wchar_t* className, HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                     HMENU menuOrId, const RECT* rect)
{
    const int x = rect ? rect->left : CW_USEDEFAULT;
    const int y = rect ? rect->top : CW_USEDEFAULT;
    const int width = rect ? rect->right - rect->left : CW_USEDEFAULT;
    const int height = rect ? rect->bottom - rect->top : CW_USEDEFAULT;
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                           GetModuleHandleW(nullptr), this);
}

bool CWindow::Subclass(HWND window)
{
    if (!window || m_hwnd || FromHandle(window))
        return false;
    Attach(window);
    m_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindow::WindowProc)));
    SetPropW(window, kPreviousProcProperty, reinterpret_cast<HANDLE>(m_previousProc));
    return m_previousProc != nullptr;
}

void CWindow::Unsubclass()
{
    if (m_hwnd && m_previousProc)
        Detach();
}

void CWindow::CenterOn(HWND other)
{
    RECT own;
    GetWindowRect(m_hwnd, &own);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(other && IsWindowVisible(other) ? other : m_hwnd, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    RECT area = monitor.rcWork;
    if (other && IsWindowVisible(other))
        GetWindowRect(other, &area);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG left = (area.left + area.right - width) / 2;
    LONG top = (area.top + area.bottom - height) / 2;
    // Kept on the monitor, its top left corner first.
    left = std::max(monitor.rcWork.left, std::min(left, monitor.rcWork.right - width));
    top = std::max(monitor.rcWork.top, std::min(top, monitor.rcWork.bottom - height));
    if (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_CHILD) {
        POINT corner{left, top};
        ScreenToClient(GetParent(m_hwnd), &corner);
        left = corner.x;
        top = corner.y;
    }
    SetWindowPos(m_hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE:
        result = OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam)) ? 0 : -1;
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_CLOSE:
        return OnClose();
    case WM_ENDSESSION:
        return OnEndSession(wParam != FALSE);
    case WM_SHOWWINDOW:
        OnShow(wParam != FALSE, static_cast<UINT>(lParam));
        return false;
    case WM_SIZE:
        return OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
    case WM_SETFOCUS:
        return OnSetFocus(reinterpret_cast<HWND>(wParam));
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam & 0xFFF0));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_SETCURSOR:
        if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return false;
        result = TRUE;
        return true;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_MENUSELECT:
        return OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam), at);
    case WM_KEYDOWN:
        return OnKeyDown(static_cast<UINT>(wParam));
    case WM_CHAR:
        return OnChar(static_cast<wchar_t>(wParam));
    case WM_GETDLGCODE:
        // Asked often and without side effects: the default may be asked twice.
        result = DefaultProc(message, wParam, lParam);
        return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam), result);
    case WM_CUT:
        return OnCut();
    case WM_PASTE:
        return OnPaste();
    case WM_CLEAR:
        return OnClear();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(at);
    case WM_LBUTTONUP:
        return OnLButtonUp(at);
    case WM_MOUSEMOVE:
        return OnMouseMove(at);
    case WM_CAPTURECHANGED:
        OnCaptureChanged();
        return false;
    case WM_HELP:
        if (!OnHelp())
            return false;
        result = TRUE;
        return true;
    }
    return false;
}

bool CWindow::OnHelp()
{
    if (!m_helpTopic)
        return false;
    ShowHelpTopic(m_hwnd, m_helpTopic);
    return true;
}

LRESULT CWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam);
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void CWindow::Attach(HWND window)
{
    m_hwnd = window;
    SetPropW(window, kObjectProperty, this);
}

void CWindow::Detach()
{
    if (m_previousProc) {
        // Only when no later subclass stands in front of this one; otherwise
        // the procedure stays and passes everything on (see WindowProc).
        if (GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWindow::WindowProc)) {
            SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
            RemovePropW(m_hwnd, kPreviousProcProperty);
        }
        m_previousProc = nullptr;
    }
    if (FromHandle(m_hwnd) == this)
        RemovePropW(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        result = DefaultProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Detach();
        OnFinalMessage();
    }
    return result;
}

LRESULT CALLBACK CWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindow* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self)
            self->Attach(window);
    }
    if (self)
        return self->Dispatch(message, wParam, lParam);
    // An object that let go while another subclass still calls this procedure.
    if (const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcProperty))) {
        if (message == WM_NCDESTROY)
            RemovePropW(window, kPreviousProcProperty);
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring GetWindowString(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

void ReplaceInWindowText(HWND window, const wchar_t* mark, const wchar_t* replacement)
{
    std::wstring text = GetWindowString(window);
    const size_t markLength = wcslen(mark);
    const size_t replacementLength = wcslen(replacement);
    for (size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + replacementLength))
        text.replace(at, markLength, replacement);
    SetWindowTextW(window, text.c_str());
}
