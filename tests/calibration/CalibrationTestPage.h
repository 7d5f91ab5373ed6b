// The wizard sheet's stand-in for the calibration machines: a window that is
// its own sheet's current page and keeps what a machine sends it, its
// progress lines and its ends.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "MessagePump.h"
#include "TestWindow.h"
#include "WindowMessages.h"

class CCalibrationTestPage {
public:
    CCalibrationTestPage()
        : m_window([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
              switch (message) {
              case PSM_GETCURRENTPAGEHWND:
                  result = reinterpret_cast<LRESULT>(Handle());
                  return true;
              case WM_APP_PROGRESS_TEXT:
                  progress.push_back(reinterpret_cast<const wchar_t*>(lParam));
                  return true;
              case WM_APP_MACHINE_FINISHED:
                  finished.push_back(static_cast<HRESULT>(wParam));
                  return true;
              }
              return false;
          })
    {
    }
    HWND Handle() const { return m_window.Handle(); }
    bool WaitForFinish(DWORD ms)
    {
        return PumpUntil([this] { return !finished.empty(); }, ms);
    }
    // The progress lines that contain the text.
    size_t CountProgress(const std::wstring& text) const
    {
        size_t count = 0;
        for (const std::wstring& line : progress)
            count += line.find(text) != std::wstring::npos;
        return count;
    }

    std::vector<std::wstring> progress;
    // The result of each end, in order.
    std::vector<HRESULT> finished;

private:
    CTestWindow m_window;
};
