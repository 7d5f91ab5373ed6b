// The wait cursor over a window while its machine runs, except over its
// Cancel button, which must stay easy to find.
#pragma once

#include <windows.h>

template <typename T>
class CWaitCursorE {
public:
    CWaitCursorE() : m_waitCursor(LoadCursorW(nullptr, IDC_WAIT)) {}

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
    bool OnSetCursor(HWND under, UINT hitTest)
    {
        if (hitTest != HTCLIENT || m_busyCount == 0 || GetDlgCtrlID(under) == IDCANCEL)
            return false;
        SetCursor(m_waitCursor);
        return true;
    }

private:
    // Puts the cursor where it is, so that the window is asked for it again now.
    static void RefreshCursor()
    {
        POINT where;
        if (GetCursorPos(&where))
            SetCursorPos(where.x, where.y);
    }

    unsigned m_busyCount = 0;
    HCURSOR m_waitCursor;
};
