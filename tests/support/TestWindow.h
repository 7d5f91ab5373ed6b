// A window for tests whose messages go to a handler the test gives; what the
// handler leaves goes to the default procedure.
//
//     CTestWindow window([&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
//         if (message != WM_APP_STATUS_TEXT)
//             return false;
//         ...
//         return true;
//     });
#pragma once

#include <windows.h>

#include <functional>

#include "NonCopyable.h"

class CTestWindow : private CNonCopyable {
public:
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    // A hidden top-level window (parent null) or a child of `parent`.
    explicit CTestWindow(Handler handler, HWND parent = nullptr);
    ~CTestWindow();

    HWND Handle() const { return m_window; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler m_handler;
    HWND m_window = nullptr;
};
