// Checksums, hex and decimal conversions, escaping and splitting of texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The sum of the bytes mod 256.
BYTE ByteSum8(const void* buffer, size_t count);

// 0-9, A-F, a-f.
bool HexDigitValue(wchar_t digit, BYTE& nibble);
// A bad digit fails with E_UNEXPECTED_HEX_CHARACTER as the last error.
bool HexPairToByte(wchar_t high, wchar_t low, BYTE& value);
// Exactly count bytes as pairs of hex digits, white space allowed between
// pairs. The bytes are written only on success; a bad digit fails with
// E_UNEXPECTED_HEX_CHARACTER, another count with ERROR_INVALID_DATA.
bool ParseHexText(const std::wstring& text, size_t count, BYTE* bytes);
// Two upper-case digits a byte, no separators.
std::wstring BytesToHex(const void* bytes, size_t count);

// Every character is a digit of that kind; an empty text passes.
bool IsDecimalDigits(const std::wstring& text);
bool IsHexDigits(const std::wstring& text);
// Plain decimal digits within range; anything else fails with
// ERROR_INVALID_DATA and leaves the value alone.
bool ParseByteValue(const std::wstring& text, BYTE& value);
bool ParseWordValue(const std::wstring& text, unsigned short& value);

// Characters outside ' '..'~' as "\x" and two upper-case hex digits of their
// low byte, for trace lines of what the radio sent.
std::wstring EscapeNonPrintable(const std::wstring& text);
std::wstring EscapeNonPrintableChar(wchar_t character);

// The pieces between any of the separators. Adjacent separators give an
// empty piece; a separator at the end gives none.
std::vector<std::wstring> SplitString(const std::wstring& text, const std::wstring& separators);
