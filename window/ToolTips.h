// Balloon tool tips on a window's controls, their texts taken from the
// string table by id.
#pragma once

#include <windows.h>

// An activated tool-tip window owned by `owner`, of the style (TTS_*).
HWND CreateToolTip(HWND owner, DWORD style);
// The same with TTS_BALLOON.
HWND CreateBalloonToolTip(HWND owner);
// A tool for the control (TTF_IDISHWND | TTF_SUBCLASS) with the text of the
// string-table entry.
bool AddToolTip(HWND toolTip, HWND owner, int controlId, UINT textId);
