// The mode filter over every 7-bit code, the prosigns and the memory tokens.
#include <gtest/gtest.h>

#include "TerminalModeFilter.h"

namespace {

const std::wstring kBoth = L" !(+,-./0123456789=?ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\x7F";

struct ModeCase {
    unsigned mode;
    const char* name;
    // Codes kept as they are, besides kBoth.
    std::wstring alsoKept;
    std::wstring lineBreak;
};

const ModeCase kModes[] = {
    {TERMINAL_MODE_CW, "CW", L"%*_@", L" "},
    {TERMINAL_MODE_RTTY, "RTTY", L"\x07\x0A#$&'):", L"\r\n"},
    {TERMINAL_MODE_PSK, "PSK",
     L"\x07\x0A#$&'):%*_@\x01\x02\x03\x04\x05\x06\x08\x09\x0B\x0C\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19"
     L"\x1A\x1B\x1C\x1D\x1E\x1F\"<>[\\]^`{|}~",
     L"\n"},
};

TEST(TerminalModeFilter, EveryCodeInEveryMode)
{
    for (const ModeCase& mode : kModes) {
        const std::wstring kept = kBoth + mode.alsoKept;
        for (wchar_t code = 0; code < 0x80; ++code) {
            std::wstring expected;
            if (code == L';')
                expected = L",";
            else if (code == L'\r')
                expected = mode.lineBreak;
            else if (code != 0 && kept.find(code) != std::wstring::npos)
                expected = std::wstring(1, code);
            EXPECT_EQ(FilterForMode(std::wstring(1, code), mode.mode), expected)
                << mode.name << " code 0x" << std::hex << static_cast<unsigned>(code);
        }
    }
}

TEST(TerminalModeFilter, DropsEverythingAboveSevenBits)
{
    // 0xC1 and 0x141 would pass as "A" if only the low seven bits were looked at.
    for (unsigned mode = 0; mode < 3; ++mode)
        EXPECT_EQ(FilterForMode(L"C\x00C1Q\x0141\x00E9\x0416 ", mode), L"CQ ") << mode;
}

TEST(TerminalModeFilter, RewritesWithinAText)
{
    EXPECT_EQ(FilterForMode(L"CQ;DE\rK", TERMINAL_MODE_CW), L"CQ,DE K");
    EXPECT_EQ(FilterForMode(L"CQ;DE\rK@", TERMINAL_MODE_RTTY), L"CQ,DE\r\nK");
    EXPECT_EQ(FilterForMode(L"a\rb", TERMINAL_MODE_PSK), L"a\nb");
}

TEST(TerminalModeFilter, ProsignsBecomeTheirLetters)
{
    EXPECT_EQ(ExpandProsigns(L"_+%=(*!"), L"AAARASBTKNSKVE");
    EXPECT_EQ(ExpandProsigns(L"CQ = K"), L"CQ BT K");
}

TEST(TerminalModeFilter, MemoryTokens)
{
    struct {
        const wchar_t* text;
        const wchar_t* result;
        bool stop;
        bool start;
    } cases[] = {
        {L"[TXON]CQ CQ[CRLF][TXOFF]", L"CQ CQ\r", true, true},
        {L"[TXOFF]A[TXOFF]B[NL]", L"AB\r", true, false},
        {L"[TXON][TXON]", L"", false, true},
        {L"[txon] [X] [CRLF[NL]]", L"[txon] [X] [CRLF\r]", false, false},
        {L"plain text", L"plain text", false, false},
    };
    for (const auto& c : cases) {
        const STerminalTokens tokens = StripTerminalTokens(c.text);
        EXPECT_EQ(tokens.text, c.result);
        EXPECT_EQ(tokens.stopWhenDone, c.stop);
        EXPECT_EQ(tokens.startTransmit, c.start);
    }
}

}  // namespace
