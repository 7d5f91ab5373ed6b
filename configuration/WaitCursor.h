// The wait cursor over a tool's dialog while its machine runs, except over
// the Cancel button, which stays usable.
#pragma once

#include <windows.h>

// WM_SETCURSOR: true when the wait cursor was set (the message's result is TRUE).
inline bool SetWaitCursor(HWND dialog, HWND under, bool busy)
{
    if (!busy || under == GetDlgItem(dialog, IDCANCEL))
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}
