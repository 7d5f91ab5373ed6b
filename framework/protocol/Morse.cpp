#include "Morse.h"

#include <algorithm>
#include <cstring>

namespace {

struct MorseChar {
    wchar_t character;
    BYTE code;
};

const MorseChar kMorseTable[] = {
    {L' ', 0x80}, {L'!', 0x28}, {L'%', 0x22}, {L'(', 0x2D}, {L'*', 0x68}, {L'+', 0x2A}, {L',', 0x73},
    {L'-', 0x61}, {L'.', 0x6A}, {L'/', 0x29}, {L'0', 0x3F}, {L'1', 0x3E}, {L'2', 0x3C}, {L'3', 0x38},
    {L'4', 0x30}, {L'5', 0x20}, {L'6', 0x21}, {L'7', 0x23}, {L'8', 0x27}, {L'9', 0x2F}, {L'=', 0x31},
    {L'?', 0x4C}, {L'@', 0x56}, {L'A', 0x06}, {L'B', 0x11}, {L'C', 0x15}, {L'D', 0x09}, {L'E', 0x02},
    {L'F', 0x14}, {L'G', 0x0B}, {L'H', 0x10}, {L'I', 0x04}, {L'J', 0x1E}, {L'K', 0x0D}, {L'L', 0x12},
    {L'M', 0x07}, {L'N', 0x05}, {L'O', 0x0F}, {L'P', 0x16}, {L'Q', 0x1B}, {L'R', 0x0A}, {L'S', 0x08},
    {L'T', 0x03}, {L'U', 0x0C}, {L'V', 0x18}, {L'W', 0x0E}, {L'X', 0x19}, {L'Y', 0x1D}, {L'Z', 0x13},
    {L'_', 0x1A}, {L'~', 0x85}, {L'|', 0x1C},
};

// Codes from here up (the word space among them) decode as a space.
constexpr BYTE kFirstSpaceCode = 0x78;
constexpr BYTE kTildeCode = 0x85;

}  // namespace

BYTE CharToMorseCode(wchar_t character)
{
    if (character >= L'a' && character <= L'z')
        character = static_cast<wchar_t>(character - L'a' + L'A');
    for (const MorseChar& entry : kMorseTable) {
        if (entry.character == character)
            return entry.code;
    }
    return 0;
}

wchar_t MorseCodeToChar(BYTE code)
{
    if (code == kTildeCode)
        return L'~';
    if (code >= kFirstSpaceCode)
        return L' ';
    for (const MorseChar& entry : kMorseTable) {
        if (entry.code == code)
            return entry.character;
    }
    return L' ';
}

std::wstring FilterMorseText(const std::wstring& text)
{
    std::wstring kept;
    for (wchar_t c : text) {
        if (CharToMorseCode(c))
            kept += c;
    }
    return kept;
}

size_t TextToMorseCodes(TextOrId text, size_t count, BYTE* codes)
{
    const std::wstring characters = text.Text();
    std::memset(codes, 0, count);
    const size_t encoded = std::min(characters.size(), count);
    for (size_t i = 0; i < encoded; ++i)
        codes[i] = CharToMorseCode(characters[i]);
    if (encoded < count)
        codes[encoded] = kMorseEndOfText;
    return encoded;
}

std::wstring MorseCodesToText(const BYTE* codes, size_t count)
{
    std::wstring text;
    for (size_t i = 0; i < count && codes[i] != kMorseEndOfText && codes[i] != kMorseErased; ++i)
        text += MorseCodeToChar(codes[i]);
    return text;
}
