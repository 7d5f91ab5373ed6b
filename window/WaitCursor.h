// The wait cursor over a window while its machine runs, except over its
// Cancel button, which must stay easy to find.
#pragma once

#include <windows.h>

// WM_SETCURSOR of a busy window: the wait cursor over its client area, except
// over the Cancel button. True when it set the cursor (the message's result is TRUE).
inline bool ShowWaitCursor(HWND under, UINT hitTest)
{
    if (hitTest != HTCLIENT || GetDlgCtrlID(under) == IDCANCEL)
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

class CWaitCursorE {
public:
    void BeginBusy()
    {
        if (m_busyCount++ == 0)
            RefreshCursor();
    }
    void EndBusy()
    {
        if (m_busyCount > 0 && --m_busyCount == 0)
            RefreshCursor();
    }
    bool IsBusy() const { return m_busyCount > 0; }

    // WM_SETCURSOR: true when the wait cursor was set.
    bool OnSetCursor(HWND under, UINT hitTest) { return m_busyCount != 0 && ShowWaitCursor(under, hitTest); }

private:
    // Puts the cursor where it is, so that the window is asked for it again now.
    static void RefreshCursor()
    {
        POINT where;
        if (GetCursorPos(&where))
            SetCursorPos(where.x, where.y);
    }

    unsigned m_busyCount = 0;
};
