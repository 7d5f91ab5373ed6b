#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "BoxWatcher.h"
#include "ErrorText.h"
#include "TestWindow.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

// A top-level window with descendants, recording the status texts it receives.
class StatusWindows {
public:
    StatusWindows()
        : m_top([](UINT message, WPARAM, LPARAM lParam, LRESULT&) {
              if (message != WM_APP_STATUS_TEXT)
                  return false;
              s_texts.push_back(reinterpret_cast<const wchar_t*>(lParam));
              return true;
          }),
          m_child(nullptr, m_top.Handle()),
          m_grandChild(nullptr, m_child.Handle())
    {
        s_texts.clear();
    }

private:
    CTestWindow m_top, m_child, m_grandChild;

public:
    const HWND top = m_top.Handle(), child = m_child.Handle(), grandChild = m_grandChild.Handle();
    static inline std::vector<std::wstring> s_texts;
};

}  // namespace

TEST(TextSinks, TraceToMainWindowReachesTheTopLevelAncestor)
{
    StatusWindows windows;
    TraceToMainWindow(windows.grandChild, L"Contact failed 0x%x %s", 0xE2000045u, L"No response after reset");
    TraceToMainWindow(windows.child, IDS_PORT_OPEN, L"COM3");
    ASSERT_EQ(StatusWindows::s_texts.size(), 2u);
    EXPECT_EQ(StatusWindows::s_texts[0], L"Contact failed 0xe2000045 No response after reset");
    EXPECT_EQ(StatusWindows::s_texts[1], L"Serial port COM3 is open");
}

TEST(TextSinks, ShowErrorBoxTracesAndShowsAStopBox)
{
    StatusWindows windows;
    CBoxWatcher boxes;
    SetLastError(ERROR_ACCESS_DENIED);
    const int answer = ShowErrorBox(windows.child, IDS_COM_PORT_ERROR_CAPTION, IDS_WIN32_CALL_FAILED, L"SetupComm",
                                    L"COM3", 5u, L"Access denied.");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the box lost the code";
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"COM Port Error");
    EXPECT_EQ(boxes[0].text, L"SetupComm failed on \"COM3\"\r\nError 0x00000005: Access denied.");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(boxes[0].owner, windows.top);
    EXPECT_EQ(answer, IDOK);
    ASSERT_EQ(StatusWindows::s_texts.size(), 1u);
    EXPECT_EQ(StatusWindows::s_texts[0], boxes[0].text);
}

TEST(TextSinks, TraceAndMessageBoxReturnsTheAnswer)
{
    StatusWindows windows;
    CBoxWatcher boxes{IDNO};
    const int answer =
        TraceAndMessageBox(windows.top, MB_YESNO | MB_ICONQUESTION, L"Question", L"Go on with %u?", 3u);
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, L"Go on with 3?");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(StatusWindows::s_texts.size(), 1u);
}

TEST(TextSinks, ShowErrorCodeBoxShowsTheCodeTextAloneAndTracesNothing)
{
    StatusWindows windows;
    CBoxWatcher boxes;
    ShowErrorCodeBox(windows.top, E_STATE_MACHINE_BUSY, IDS_SAVE_CONFIG_ERROR_CAPTION);
    ShowErrorCodeBox(windows.top, 0xE2000001, IDS_BANNER_ERROR_CAPTION);  // unknown code: empty text
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Save Configuration Error");
    EXPECT_EQ(boxes[0].text, L"Cannot start a busy state machine");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(boxes[1].caption, L"Power On Banner Error");
    EXPECT_EQ(boxes[1].text, L"");
    EXPECT_TRUE(StatusWindows::s_texts.empty());
}

TEST(TextSinks, OsVersionTextNamesTheSystem)
{
    const std::wstring text = GetOsVersionText();
    EXPECT_EQ(text.rfind(L"OS Version ", 0), 0u);
    EXPECT_NE(text.find(L" Build "), std::wstring::npos);
    EXPECT_NE(text.find(L"Windows"), std::wstring::npos) << text;
}

// Unless the program declares them, 8.1 and 10 report themselves as 8 and
// the version text could never name them.
TEST(TextSinks, TheProgramDeclaresTheSystemsItsVersionTextNames)
{
    const struct {
        const char* system;
        const char* id;
    } rows[] = {
        {"Vista", "e2011457-1546-43c5-a5fe-008deee3d3f0"}, {"7", "35138b9a-5d96-4fbd-8e2d-a2440225f93a"},
        {"8", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38"},     {"8.1", "1f676c76-80e1-4239-95bb-83d0f6d0da78"},
        {"10", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"},
    };
    const HRSRC found = FindResourceW(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                         SizeofResource(nullptr, found));
    std::transform(manifest.begin(), manifest.end(), manifest.begin(), [](char c) { return std::tolower(c); });
    const size_t begin = manifest.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
    const size_t end = manifest.find("</compatibility>");
    ASSERT_LT(begin, end);
    const std::string section = manifest.substr(begin, end - begin);
    for (const auto& row : rows) {
        const std::string entry = std::string("<supportedos id=\"{") + row.id + "}\"/>";
        EXPECT_NE(section.find(entry), std::string::npos) << row.system;
    }
}
