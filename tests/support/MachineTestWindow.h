// A hidden main window for machine tests: it routes serial notices and timer
// ticks to the model as the main frame does, and records what the machines
// tell it (status lines, log lines, finished results).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Observable.h"
#include "TestWindow.h"

class CMachineTestWindow {
public:
    CMachineTestWindow();
    ~CMachineTestWindow();

    HWND Handle() const { return m_window.Handle(); }

    // Runs the message loop until a machine reports its end.
    bool WaitForFinish(DWORD timeoutMs);
    HRESULT Result() const { return static_cast<HRESULT>(*m_finished); }
    void ResetFinished()
    {
        m_finished.reset();
        m_finishCount = 0;
    }
    int FinishCount() const { return m_finishCount; }

    std::vector<std::wstring> statusTexts;
    std::vector<std::wstring> logTexts;

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    std::optional<WPARAM> m_finished;
    int m_finishCount = 0;
    CTestWindow m_window;
    CEventSubscriptions m_subscriptions;
};
