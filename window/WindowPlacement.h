// A window's position, size and show state, kept in the registry under
// HKEY_CURRENT_USER\<application key>\<subkey> as ten REG_DWORD values: the
// fields of its WINDOWPLACEMENT.
#pragma once

#include <windows.h>

#include "TextOrId.h"

// Write failures end the save and are otherwise ignored.
bool SaveWindowPlacement(HWND window, TextOrId appKeyPath, const wchar_t* subkey = nullptr);
// True only when all ten values were read and the placement was applied;
// otherwise the window is left as it is.
bool RestoreWindowPlacement(HWND window, TextOrId appKeyPath, const wchar_t* subkey = nullptr);

// 0 or a Win32 error; a value that is not 4 bytes long gives ERROR_INVALID_DATA.
LONG ReadRegistryDword(HKEY key, const wchar_t* name, DWORD& value);
LONG ReadRegistryDword(HKEY key, const wchar_t* name, LONG& value);
