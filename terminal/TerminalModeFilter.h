// What each terminal mode may send: the character classes of the radio's
// keyer, the CW prosigns, and the tokens of the stored memories.
#pragma once

#include <windows.h>

#include <string>

enum TerminalMode : BYTE {
    TERMINAL_MODE_CW,
    TERMINAL_MODE_RTTY,
    TERMINAL_MODE_PSK,
};

// Class bits: one per mode (bit 0 CW, 1 RTTY, 2 PSK), and the two rewrites.
enum : BYTE {
    TERMINAL_CLASS_LINE_BREAK = 0x10,
    TERMINAL_CLASS_COMMA = 0x20,
};

// The class of a 7-bit code; anything above 0x7F has none (0).
BYTE TerminalCharacterClass(wchar_t character);

// What the keyer gets for typed text: characters of other modes and codes
// above 0x7F dropped, ";" as ",", a line break as the mode's own.
std::wstring FilterForMode(const std::wstring& text, unsigned mode);

// A prosign character as its two letters, the way the radio echoes it.
std::wstring ExpandProsigns(const std::wstring& text);

struct STerminalTokens {
    std::wstring text;
    bool stopWhenDone = false;
    bool startTransmit = false;
};

// A memory's text without "[TXON]" and "[TXOFF]" (flagged instead), with
// "[CRLF]" and "[NL]" as a carriage return.
STerminalTokens StripTerminalTokens(std::wstring text);
