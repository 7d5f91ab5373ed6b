// Where program-wide log and status text goes: the main window's status
// output, and message boxes.
#pragma once

#include <windows.h>

#include <string>

#include "TextOrId.h"

// The end of the window's GetParent chain.
HWND GetTopLevelAncestor(HWND window);

// WM_APP_STATUS_TEXT to the top-level ancestor of the window.
void SendStatusText(HWND window, const std::wstring& text);

template <typename... Args>
void TraceToMainWindow(HWND window, TextOrId format, Args... args)
{
    SendStatusText(window, FormatText(format, args...));
}

// Under Wine a message box clears the thread's last error: every box of the
// program keeps it, so that a failure shown in a box still tells its code.
int MessageBoxKeepingError(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

int ShowTracedBox(HWND window, UINT flags, TextOrId caption, const std::wstring& text);

// Sends the text like TraceToMainWindow, then shows it in a message box.
template <typename... Args>
int TraceAndMessageBox(HWND window, UINT flags, TextOrId caption, TextOrId format, Args... args)
{
    return ShowTracedBox(window, flags, caption, FormatText(format, args...));
}

template <typename... Args>
int ShowErrorBox(HWND window, TextOrId caption, TextOrId format, Args... args)
{
    return TraceAndMessageBox(window, MB_ICONHAND, caption, format, args...);
}

// A box with the code's message text alone, or followed by the advice (a
// string id) on a line of its own; nothing goes to the status output. With
// the port gone (`lostPort`), the text says so where the code is the lost
// device's (FormatFailureText).
int ShowErrorCodeBox(HWND owner, DWORD code, UINT captionId, const std::wstring& lostPort = {}, UINT adviceId = 0);

// "OS Version %u.%u Build %u " and the product name, for log headers.
std::wstring GetOsVersionText();
