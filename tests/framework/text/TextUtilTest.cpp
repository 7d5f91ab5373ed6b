#include <gtest/gtest.h>

#include <vector>

#include "ErrorText.h"
#include "TextUtil.h"

TEST(Checksum, ByteSumWrapsAtEightBits)
{
    const BYTE bytes[] = {0xFF, 0x02, 0x80, 0x80};
    EXPECT_EQ(ByteSum8(bytes, 2), 0x01);
    EXPECT_EQ(ByteSum8(bytes, 4), 0x01);
    EXPECT_EQ(ByteSum8(bytes, 0), 0x00);
    const std::vector<BYTE> packet(64, 0x11);
    EXPECT_EQ(ByteSum8(packet.data(), packet.size()), 0x40);
}

TEST(Hex, DigitsOfBothCases)
{
    const std::wstring digits = L"0123456789ABCDEFabcdef";
    const BYTE values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < digits.size(); ++i) {
        BYTE nibble = 0xEE;
        EXPECT_TRUE(HexDigitValue(digits[i], nibble)) << digits[i];
        EXPECT_EQ(nibble, values[i]) << digits[i];
    }
    for (wchar_t bad : std::wstring(L"/:@G`g x\x0660\xFF10")) {
        BYTE nibble = 0xEE;
        EXPECT_FALSE(HexDigitValue(bad, nibble)) << static_cast<unsigned>(bad);
        EXPECT_EQ(nibble, 0xEE);
    }

    BYTE value = 0;
    EXPECT_TRUE(HexPairToByte(L'7', L'f', value));
    EXPECT_EQ(value, 0x7F);
    SetLastError(0);
    EXPECT_FALSE(HexPairToByte(L'G', L'0', value));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER));
    SetLastError(0);
    EXPECT_FALSE(HexPairToByte(L'0', L'x', value));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER));
    EXPECT_EQ(value, 0x7F);
}

TEST(Hex, TextOfExactlyTheCountParses)
{
    BYTE bytes[3] = {0xEE, 0xEE, 0xEE};
    EXPECT_TRUE(ParseHexText(L"0A 0B", 2, bytes));
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0x0B);
    EXPECT_EQ(bytes[2], 0xEE);

    BYTE more[3] = {0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(ParseHexText(L"0A 0B", 3, more));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_FALSE(ParseHexText(L"0A0B0C", 2, more));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    // A failed parse writes nothing.
    EXPECT_EQ(more[0], 0xEE);

    EXPECT_TRUE(ParseHexText(L"\t0a\r\n0b  ff ", 3, more));
    EXPECT_EQ(more[2], 0xFF);
    EXPECT_TRUE(ParseHexText(L"", 0, nullptr));
}

TEST(Hex, BadDigitsFail)
{
    BYTE bytes[2] = {0xEE, 0xEE};
    for (const wchar_t* text : {L"0G 0B", L"0A0", L"0 A0B", L"0x0A"}) {
        SetLastError(0);
        EXPECT_FALSE(ParseHexText(text, 2, bytes)) << text;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER)) << text;
    }
    EXPECT_EQ(bytes[0], 0xEE);
}

TEST(Hex, EveryByteRoundTrips)
{
    std::vector<BYTE> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<BYTE>(i);
    const std::wstring text = BytesToHex(all.data(), all.size());
    ASSERT_EQ(text.size(), 512u);
    EXPECT_EQ(text.substr(0, 8), L"00010203");
    EXPECT_EQ(text.substr(0x7E * 2, 8), L"7E7F8081");
    EXPECT_EQ(text.substr(504), L"FCFDFEFF");
    std::vector<BYTE> back(256);
    ASSERT_TRUE(ParseHexText(text, back.size(), back.data()));
    EXPECT_EQ(back, all);
    EXPECT_EQ(BytesToHex(all.data(), 0), L"");
}

TEST(Numbers, DigitTests)
{
    EXPECT_TRUE(IsDecimalDigits(L""));
    EXPECT_TRUE(IsDecimalDigits(L"0123456789"));
    EXPECT_FALSE(IsDecimalDigits(L"12a"));
    EXPECT_FALSE(IsDecimalDigits(L"-1"));
    EXPECT_FALSE(IsDecimalDigits(L"1 "));
    EXPECT_TRUE(IsHexDigits(L""));
    EXPECT_TRUE(IsHexDigits(L"0123456789abcdefABCDEF"));
    EXPECT_FALSE(IsHexDigits(L"0x1F"));
    EXPECT_FALSE(IsHexDigits(L"FG"));
}

TEST(Numbers, ByteAndWordValues)
{
    BYTE byte = 7;
    EXPECT_TRUE(ParseByteValue(L"0", byte));
    EXPECT_EQ(byte, 0);
    EXPECT_TRUE(ParseByteValue(L"255", byte));
    EXPECT_EQ(byte, 255);
    EXPECT_TRUE(ParseByteValue(L"0042", byte));
    EXPECT_EQ(byte, 42);
    for (const wchar_t* bad : {L"256", L"", L"-1", L"+1", L" 1", L"1 ", L"12x", L"99999999999999999999"}) {
        SetLastError(0);
        EXPECT_FALSE(ParseByteValue(bad, byte)) << bad;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << bad;
    }
    EXPECT_EQ(byte, 42);

    unsigned short word = 7;
    EXPECT_TRUE(ParseWordValue(L"65535", word));
    EXPECT_EQ(word, 65535);
    EXPECT_TRUE(ParseWordValue(L"383", word));
    EXPECT_EQ(word, 383);
    for (const wchar_t* bad : {L"65536", L"", L"4294967296", L"0x10"})
        EXPECT_FALSE(ParseWordValue(bad, word)) << bad;
    EXPECT_EQ(word, 383);
}

TEST(Escape, NonPrintableCharactersBecomeHex)
{
    EXPECT_EQ(EscapeNonPrintable(L"FA00014250000;"), L"FA00014250000;");
    EXPECT_EQ(EscapeNonPrintable(L" ~"), L" ~");
    EXPECT_EQ(EscapeNonPrintable(std::wstring(L"\x01" L"A\r\n\x7F\x80\xFF;\0", 9)),
              L"\\x01A\\x0D\\x0A\\x7F\\x80\\xFF;\\x00");
    // Only the low byte of a wide character is shown.
    EXPECT_EQ(EscapeNonPrintableChar(L'\x263A'), L"\\x3A");
    EXPECT_EQ(EscapeNonPrintableChar(L'\t'), L"\\x09");
    EXPECT_EQ(EscapeNonPrintableChar(L'x'), L"x");
    EXPECT_EQ(EscapeNonPrintable(L""), L"");
}

TEST(Split, PiecesBetweenSeparators)
{
    using Pieces = std::vector<std::wstring>;
    EXPECT_EQ(SplitString(L"a,,b,", L","), (Pieces{L"a", L"", L"b"}));
    EXPECT_EQ(SplitString(L"a;b c", L"; "), (Pieces{L"a", L"b", L"c"}));
    EXPECT_EQ(SplitString(L",a", L","), (Pieces{L"", L"a"}));
    EXPECT_EQ(SplitString(L",", L","), (Pieces{L""}));
    EXPECT_EQ(SplitString(L"abc", L","), (Pieces{L"abc"}));
    EXPECT_EQ(SplitString(L"abc", L""), (Pieces{L"abc"}));
    EXPECT_EQ(SplitString(L"", L","), Pieces{});
}
