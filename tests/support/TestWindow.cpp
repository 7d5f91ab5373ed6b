#include "TestWindow.h"

namespace {

const wchar_t kClassName[] = L"Q7TestWindow";

}  // namespace

CTestWindow::CTestWindow(Handler handler, HWND parent) : m_handler(std::move(handler))
{
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &CTestWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc);
    }();
    (void)registered;
    const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    m_window = CreateWindowW(kClassName, L"Q7 test", style, 0, 0, 300, 200, parent, nullptr,
                             GetModuleHandleW(nullptr), this);
}

CTestWindow::~CTestWindow()
{
    if (m_window)
        DestroyWindow(m_window);
}

LRESULT CALLBACK CTestWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->m_handler && self->m_handler(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY && self)
        self->m_window = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
}
