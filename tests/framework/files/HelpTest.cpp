#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "BoxWatcher.h"
#include "Help.h"
#include "resource.h"

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows()
{
    std::vector<HWND> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The test program has no help file beside it, like a program whose help
// file was removed.
class Help : public testing::Test {
protected:
    Help()
    {
        owner = CreateWindowW(L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr,
                              nullptr, nullptr);
        control = CreateWindowW(L"BUTTON", L"Help", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, owner,
                                reinterpret_cast<HMENU>(1003), nullptr, nullptr);
        before = VisibleWindows();
    }
    ~Help() override
    {
        // Nothing of the help system may stay open.
        EXPECT_EQ(VisibleWindows(), before);
        DestroyWindow(owner);
    }

    std::wstring UnavailableText() const { return L"Unable to open help file \"" + GetHelpFilePath() + L"\""; }

    HWND owner = nullptr;
    HWND control = nullptr;
    std::vector<HWND> before;
};

}  // namespace

TEST_F(Help, HelpFileLiesBesideTheProgram)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring expected = program;
    expected.replace(expected.rfind(L'.'), std::wstring::npos, L".chm");
    EXPECT_EQ(GetHelpFilePath(), expected);
}

TEST_F(Help, MissingHelpFileIsReportedForATopic)
{
    CBoxWatcher boxes;
    const DWORD start = GetTickCount();
    EXPECT_EQ(ShowHelpTopic(owner, L"Port.htm"), nullptr);
    std::printf("Help topic without help file, box answered: %lu ms\n", GetTickCount() - start);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Help Error");
    EXPECT_EQ(boxes[0].text, UnavailableText());
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes[0].owner, owner);
}

TEST_F(Help, MissingHelpFileIsReportedForTheContents)
{
    CBoxWatcher boxes;
    EXPECT_EQ(ShowHelpTopic(owner, nullptr), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, UnavailableText());
}

TEST_F(Help, MissingHelpFileIsReportedForContextHelp)
{
    CBoxWatcher boxes;
    HELPINFO info{sizeof info, HELPINFO_WINDOW, 1003, control, 0x20000 + 1003, {10, 10}};
    EXPECT_EQ(ShowContextHelp(&info), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Help Error");
    EXPECT_EQ(boxes[0].text, UnavailableText());
    EXPECT_EQ(boxes[0].owner, owner);
}

TEST_F(Help, ErrorWithoutDescriptionShowsTheFallback)
{
    CBoxWatcher boxes;
    ShowHtmlHelpError(owner, L"No help for this page");
    ShowHtmlHelpError(owner, IDS_HELP_ERROR_CAPTION);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].text, L"No help for this page");
    EXPECT_EQ(boxes[1].text, L"Help Error");
}
