#include "MachineTestWindow.h"

#include "MessagePump.h"
#include "Model.h"
#include "WindowMessages.h"

CMachineTestWindow::CMachineTestWindow()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CMachineTestWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q7TestMainWindow";
    RegisterClassW(&wc);
    m_window = CreateWindowW(wc.lpszClassName, L"Q7 test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                             wc.hInstance, nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    GetModel().SetMainWindow(m_window);
    m_subscriptions.Add(m_window, GetModel().MachineFinished);
}

CMachineTestWindow::~CMachineTestWindow()
{
    m_subscriptions.RemoveAll();
    GetModel().SetMainWindow(nullptr);
    DestroyWindow(m_window);
}

bool CMachineTestWindow::WaitForFinish(DWORD timeoutMs)
{
    return PumpUntil([this] { return m_finished.has_value(); }, timeoutMs);
}

LRESULT CALLBACK CMachineTestWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CMachineTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    CModel& model = GetModel();
    switch (message) {
    case WM_APP_SERIAL_DATA:
        return model.DispatchReceive(window, message, wParam, lParam);
    case WM_TIMER:
        return model.DispatchTimer(window, message, wParam, lParam);
    case WM_APP_STATUS_TEXT:
        self->statusTexts.push_back(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_APP_LOG_TEXT:
        self->logTexts.push_back(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_APP_MACHINE_FINISHED:
        self->m_finished = wParam;
        ++self->m_finishCount;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
