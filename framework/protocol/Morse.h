// The radio's CW memory text: one Morse code byte a character. Element i of
// a character (the first sent is 0) is bit i, 1 for a dah; a 1 just above
// the last element marks the length.
#pragma once

#include <windows.h>

#include <string>

#include "TextOrId.h"

constexpr BYTE kMorseWordSpace = 0x80;
// Ends a stored text; erased memory (0xFF) ends it too.
constexpr BYTE kMorseEndOfText = 0xCC;
constexpr BYTE kMorseErased = 0xFF;

// Lower-case letters as upper-case; 0 for a character without code.
BYTE CharToMorseCode(wchar_t character);
// Always upper case; a code without character is a space.
wchar_t MorseCodeToChar(BYTE code);

// The characters that have a code, as typed.
std::wstring FilterMorseText(const std::wstring& text);

// Zeroes the count bytes of the buffer and encodes at most count characters;
// a shorter text is followed by kMorseEndOfText. Returns the number encoded.
size_t TextToMorseCodes(TextOrId text, size_t count, BYTE* codes);
// Up to count codes, ending before kMorseEndOfText or kMorseErased.
std::wstring MorseCodesToText(const BYTE* codes, size_t count);
