#include <gtest/gtest.h>

#include <cwctype>

#include "LogText.h"

namespace {

// A visible log window a few lines high, scrolled both ways as the
// dialogs' logs are.
class LogText : public testing::Test {
protected:
    LogText()
    {
        frame = CreateWindowW(L"STATIC", L"log", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr,
                              nullptr, nullptr);
        log = CreateWindowExW(0, L"RichEdit20W", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                  ES_AUTOHSCROLL | ES_READONLY,
                              0, 0, 300, 100, frame, nullptr, nullptr, nullptr);
    }
    ~LogText() override { DestroyWindow(frame); }

    std::wstring Text() const
    {
        std::wstring text(4096, L'\0');
        GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr, nullptr};
        text.resize(SendMessageW(log, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&text[0])));
        return text;
    }

    int FirstVisibleLine() const { return static_cast<int>(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0)); }
    int LineCount() const { return static_cast<int>(SendMessageW(log, EM_GETLINECOUNT, 0, 0)); }

    void AppendLines(int count)
    {
        for (int i = 0; i < count; ++i)
            AppendLogText(log, L"line " + std::to_wstring(i));
    }

    HWND frame = nullptr;
    HWND log = nullptr;
};

}  // namespace

TEST_F(LogText, LinesAreSeparatedButNotLedByABreak)
{
    AppendLogText(log, L"first");
    EXPECT_EQ(Text(), L"first");
    AppendLogText(log, L"second");
    EXPECT_EQ(Text(), L"first\r\nsecond");
}

TEST_F(LogText, ViewFollowsTheEndWhileAtTheBottom)
{
    ASSERT_TRUE(IsWindowVisible(log));
    AppendLines(60);
    const int lines = LineCount();
    EXPECT_EQ(lines, 60);
    EXPECT_GT(FirstVisibleLine(), 40);
    AppendLines(5);
    EXPECT_GT(FirstVisibleLine(), 45);
}

TEST_F(LogText, LongLinesAreShownFromTheirStart)
{
    const std::wstring wide = L"Sending DSP1 firmware file " + std::wstring(200, L'x') + L".hex";
    for (int i = 0; i < 12; ++i) {
        AppendLogText(log, wide);
        POINT scroll{-1, -1};
        SendMessageW(log, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
        EXPECT_EQ(scroll.x, 0) << "line " << i;
    }
    EXPECT_GT(FirstVisibleLine(), 0) << "and the newest line in view";
}

TEST_F(LogText, UserWhoScrolledUpStaysThere)
{
    AppendLines(60);
    SendMessageW(log, WM_VSCROLL, SB_TOP, 0);
    ASSERT_EQ(FirstVisibleLine(), 0);
    AppendLines(5);
    EXPECT_EQ(FirstVisibleLine(), 0);
    AppendFormattedText(log, L" more", CHARFORMATW{});
    EXPECT_EQ(FirstVisibleLine(), 0);

    // Back at the bottom, the view follows again.
    SendMessageW(log, WM_VSCROLL, SB_BOTTOM, 0);
    const int bottom = FirstVisibleLine();
    AppendLines(5);
    EXPECT_GE(FirstVisibleLine(), bottom + 5);
}

TEST_F(LogText, FormattedTextIsAppendedInItsFormat)
{
    AppendLogText(log, L"plain");
    CHARFORMATW red{};
    red.dwMask = CFM_COLOR | CFM_ITALIC;
    red.dwEffects = CFE_ITALIC;
    red.crTextColor = RGB(255, 0, 0);
    AppendFormattedText(log, L"RED", red);
    EXPECT_EQ(Text(), L"plainRED");

    // The selection is empty and at the end.
    CHARRANGE selection{};
    SendMessageW(log, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 8);
    EXPECT_EQ(selection.cpMax, 8);

    const auto formatOf = [this](LONG from, LONG to) {
        CHARRANGE range{from, to};
        SendMessageW(log, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMATW format{};
        format.cbSize = sizeof format;
        SendMessageW(log, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    };
    const CHARFORMATW appended = formatOf(5, 8);
    EXPECT_EQ(appended.dwMask & (CFM_COLOR | CFM_ITALIC), static_cast<DWORD>(CFM_COLOR | CFM_ITALIC));
    EXPECT_EQ(appended.crTextColor, RGB(255, 0, 0));
    EXPECT_TRUE(appended.dwEffects & CFE_ITALIC);
    EXPECT_FALSE(appended.dwEffects & CFE_AUTOCOLOR);
    const CHARFORMATW before = formatOf(0, 5);
    EXPECT_FALSE(before.dwEffects & CFE_ITALIC);
    EXPECT_TRUE(before.dwEffects & CFE_AUTOCOLOR);
}

TEST(LogFont, TenPointCourierNew)
{
    const HWND window = CreateWindowW(L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HFONT font = CreateLogFont(window);
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_STREQ(logFont.lfFaceName, L"Courier New");
    const HDC dc = GetDC(window);
    const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    // Ten points are 10/72 inch; negative: the character height, not the cell.
    EXPECT_EQ(logFont.lfHeight, -(10 * pixelsPerInch + 36) / 72);
    DeleteObject(font);
    DestroyWindow(window);
}

TEST(LogFont, TimeStampIsTheLocalTime)
{
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    const std::wstring stamp = FormatTimeStamp();
    GetLocalTime(&after);
    ASSERT_EQ(stamp.size(), 9u);
    EXPECT_EQ(stamp[2], L':');
    EXPECT_EQ(stamp[5], L':');
    EXPECT_EQ(stamp[8], L' ');
    for (int i : {0, 1, 3, 4, 6, 7})
        EXPECT_TRUE(iswdigit(stamp[i])) << stamp;
    const int seconds = std::stoi(stamp.substr(0, 2)) * 3600 + std::stoi(stamp.substr(3, 2)) * 60 + std::stoi(stamp.substr(6, 2));
    const auto secondsOf = [](const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; };
    // Around midnight the second reading may wrap; the stamp then matches one end.
    if (secondsOf(before) <= secondsOf(after)) {
        EXPECT_GE(seconds, secondsOf(before));
        EXPECT_LE(seconds, secondsOf(after));
    } else {
        EXPECT_TRUE(seconds >= secondsOf(before) || seconds <= secondsOf(after));
    }
}
