#include "TerminalModeFilter.h"

#include <array>

namespace {

struct ClassRow {
    BYTE bits;
    const char* characters;
};

// Every 7-bit code is in exactly one row.
constexpr ClassRow kClassRows[] = {
    {0x07, " !(+,-./0123456789=?ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\x7F"},
    {0x06, "\x07\x0A#$&')" ":"},
    {0x05, "%*_@"},
    {0x04, "\x01\x02\x03\x04\x05\x06\x08\x09\x0B\x0C\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B"
           "\x1C\x1D\x1E\x1F\"<>[\\]^`{|}~"},
    {TERMINAL_CLASS_LINE_BREAK, "\r"},
    {TERMINAL_CLASS_COMMA, ";"},
};

constexpr std::array<BYTE, 128> BuildClassTable()
{
    std::array<BYTE, 128> table{};
    for (const ClassRow& row : kClassRows) {
        for (const char* c = row.characters; *c; ++c)
            table[static_cast<unsigned char>(*c) & 0x7F] = row.bits;
    }
    return table;
}

constexpr std::array<BYTE, 128> kClassTable = BuildClassTable();

struct Prosign {
    wchar_t character;
    const wchar_t* letters;
};

const Prosign kProsigns[] = {
    {L'_', L"AA"}, {L'+', L"AR"}, {L'%', L"AS"}, {L'=', L"BT"}, {L'(', L"KN"}, {L'*', L"SK"}, {L'!', L"VE"},
};

const wchar_t* const kLineBreaks[] = {L" ", L"\r\n", L"\n"};

// Removes every occurrence; true when there was one.
bool RemoveAll(std::wstring& text, const std::wstring& token)
{
    bool found = false;
    for (size_t at; (at = text.find(token)) != std::wstring::npos; found = true)
        text.erase(at, token.size());
    return found;
}

void ReplaceAll(std::wstring& text, const std::wstring& token, const std::wstring& replacement)
{
    for (size_t at = 0; (at = text.find(token, at)) != std::wstring::npos; at += replacement.size())
        text.replace(at, token.size(), replacement);
}

}  // namespace

BYTE TerminalCharacterClass(wchar_t character)
{
    return character < 0x80 ? kClassTable[character] : 0;
}

std::wstring FilterForMode(const std::wstring& text, unsigned mode)
{
    std::wstring kept;
    if (mode > TERMINAL_MODE_PSK)
        return kept;
    for (const wchar_t c : text) {
        const BYTE bits = TerminalCharacterClass(c);
        if (bits & TERMINAL_CLASS_COMMA)
            kept += L',';
        else if (bits & TERMINAL_CLASS_LINE_BREAK)
            kept += kLineBreaks[mode];
        else if (bits & (1u << mode))
            kept += c;
    }
    return kept;
}

std::wstring ExpandProsigns(const std::wstring& text)
{
    std::wstring expanded;
    for (const wchar_t c : text) {
        const wchar_t* letters = nullptr;
        for (const Prosign& prosign : kProsigns) {
            if (prosign.character == c)
                letters = prosign.letters;
        }
        if (letters)
            expanded += letters;
        else
            expanded += c;
    }
    return expanded;
}

STerminalTokens StripTerminalTokens(std::wstring text)
{
    STerminalTokens tokens;
    if (text.find(L'[') != std::wstring::npos) {
        tokens.stopWhenDone = RemoveAll(text, L"[TXOFF]");
        tokens.startTransmit = RemoveAll(text, L"[TXON]");
        ReplaceAll(text, L"[CRLF]", L"\r");
        ReplaceAll(text, L"[NL]", L"\r");
    }
    tokens.text = std::move(text);
    return tokens;
}
