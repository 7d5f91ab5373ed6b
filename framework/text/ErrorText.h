// Result codes: the program's own (messages.h, from the message table),
// Win32 errors carried as positive values, and WinINet errors.
#pragma once

#include <windows.h>

#include <string>

#include "messages.h"

// Win32 errors travel as positive values; wherever a result is tested it is
// first mapped to its HRESULT so that it counts as a failure.
inline HRESULT MapResult(HRESULT result)
{
    return result > 0 ? static_cast<HRESULT>(0x80070000u | (static_cast<DWORD>(result) & 0xFFFF)) : result;
}

inline bool IsFailure(HRESULT result) { return MapResult(result) < 0; }

// The thread's last error after a call that failed; a failure that left no
// code behind must still read as one.
inline DWORD LastFailure()
{
    const DWORD error = GetLastError();
    return error != 0 ? error : static_cast<DWORD>(E_FAIL);
}

// The text of any code, without trailing line breaks; empty when none is known.
std::wstring FormatErrorText(DWORD code);

// What a failure tells the user. Once the port has gone (`lostPort` names
// it; empty while it is open) a Win32 code but a cancel is the lost device's,
// whichever it gave (21 under Wine, 5 or 1167 on Windows, 6 once the port
// has closed), whose system text ("Not ready.", "Invalid handle.") does not
// say the cable is gone: "Serial port %s is closed". Any other failure: the
// code's own text.
std::wstring FormatFailureText(DWORD code, const std::wstring& lostPort);
