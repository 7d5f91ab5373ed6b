#include "MachineTestWindow.h"

#include "MessagePump.h"
#include "Model.h"
#include "WindowMessages.h"

CMachineTestWindow::CMachineTestWindow()
    : m_window([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
          return OnMessage(message, wParam, lParam, result);
      })
{
    GetModel().SetMainWindow(Handle());
    m_subscriptions.Add(Handle(), GetModel().MachineFinished);
}

CMachineTestWindow::~CMachineTestWindow()
{
    m_subscriptions.RemoveAll();
    GetModel().SetMainWindow(nullptr);
}

bool CMachineTestWindow::WaitForFinish(DWORD timeoutMs)
{
    return PumpUntil([this] { return m_finished.has_value(); }, timeoutMs);
}

bool CMachineTestWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    CModel& model = GetModel();
    switch (message) {
    case WM_APP_SERIAL_DATA:
        result = model.DispatchReceive(Handle(), message, wParam, lParam);
        return true;
    case WM_TIMER:
        result = model.DispatchTimer(Handle(), message, wParam, lParam);
        return true;
    case WM_APP_STATUS_TEXT:
        statusTexts.push_back(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    case WM_APP_LOG_TEXT:
        logTexts.push_back(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    case WM_APP_MACHINE_FINISHED:
        m_finished = wParam;
        ++m_finishCount;
        return true;
    }
    return false;
}
