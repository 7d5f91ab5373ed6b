#include <gtest/gtest.h>

#include "ErrorText.h"
#include "MessageRows.h"

TEST(FormatErrorText, GivesEveryProgramCodeItsTableTextWithoutLineBreak)
{
    for (const MessageRow& row : kMessageRows)
        EXPECT_EQ(FormatErrorText(row.code), row.text) << std::hex << row.code;
}

TEST(FormatErrorText, KnowsExactlyTheTableCodes)
{
    // Walk the facility: a code the table lacks has no text, and the table
    // lacks none the resource has.
    size_t found = 0;
    for (DWORD severity : {0xA2000000u, 0xE2000000u}) {
        for (DWORD n = 0; n < 0x400; ++n) {
            if (!FormatErrorText(severity | n).empty())
                ++found;
        }
    }
    EXPECT_EQ(found, std::size(kMessageRows));
}

TEST(FormatErrorText, UsesTheSystemTextForWin32Errors)
{
    wchar_t* system = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPWSTR>(&system), 0, nullptr);
    ASSERT_NE(system, nullptr);
    std::wstring expected = system;
    LocalFree(system);
    while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r'))
        expected.pop_back();

    EXPECT_EQ(FormatErrorText(ERROR_ACCESS_DENIED), expected);
    EXPECT_FALSE(expected.empty());
    // The same error carried as an HRESULT.
    EXPECT_EQ(FormatErrorText(0x80070005), expected);
}

// Wine has no text for a file too large; the box of a refused file still
// says what is wrong, also when the code comes as an HRESULT.
TEST(FormatErrorText, GivesTheProgramsTextWhereTheSystemHasNone)
{
    const std::wstring text = FormatErrorText(ERROR_FILE_TOO_LARGE);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(FormatErrorText(0x800700DF), text);
}

TEST(FormatErrorText, UsesWinInetForItsErrors)
{
    const std::wstring text = FormatErrorText(12029);  // cannot connect
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    // The extended error carries the server's last response after its text.
    EXPECT_NE(FormatErrorText(12003).find(L"\r\nInternetGetLastResponseInfo returns 0x"), std::wstring::npos);
}

TEST(FormatErrorText, IsEmptyForUnknownCodes)
{
    EXPECT_EQ(FormatErrorText(0xE2000001), L"");
    EXPECT_EQ(FormatErrorText(0xA2000FFF), L"");
    EXPECT_EQ(FormatErrorText(0x0000FFFE), L"");
}

TEST(MapResult, TurnsWin32ErrorsIntoFailures)
{
    EXPECT_EQ(MapResult(5), static_cast<HRESULT>(0x80070005));
    EXPECT_EQ(MapResult(0), 0);
    EXPECT_EQ(MapResult(E_STATE_MACHINE_BUSY), E_STATE_MACHINE_BUSY);
    EXPECT_TRUE(IsFailure(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsFailure(0));
}
