// The Help menu's dialogs: the About box with its licence viewer, and the
// release-notes viewer of which at most one is open.
#include "ShellFixture.h"

#include <richedit.h>


#include "FileBytes.h"
#include "LicenseDlg.h"
#include "ReleaseInfoDlg.h"
#include "Window.h"
#include "resource.h"

namespace {

#define Q7_STR2(x) L## #x
#define Q7_STR(x) Q7_STR2(x)
#define Q7_VERSION_TEXT Q7_STR(Q7_VERSION_MAJOR) L"." Q7_STR(Q7_VERSION_MINOR) L"." Q7_STR(Q7_VERSION_BUILD) L"." Q7_STR(Q7_VERSION_REVISION)

const wchar_t kNotesCaption[] = L"Firmware Release Notes";

// A firmware folder of its own, with or without release notes.
class CNotesFolder {
public:
    CNotesFolder()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"q7-shell-notes-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~CNotesFolder()
    {
        DeleteFileW(File().c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring File() const { return path + L"\\hfwnotes.rtf"; }
    void Write(const std::string& rtf) const
    {
        const HANDLE file = CreateFileW(File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, rtf.data(), static_cast<DWORD>(rtf.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::wstring path;
};

BOOL CALLBACK CollectViewer(HWND window, LPARAM list)
{
    if (IsWindowVisible(window) && GetWindowString(window) == kNotesCaption)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> NotesViewers()
{
    std::vector<HWND> viewers;
    EnumThreadWindows(GetCurrentThreadId(), &CollectViewer, reinterpret_cast<LPARAM>(&viewers));
    return viewers;
}

// Where a viewer's text stands: the selection and the first line shown.
struct ViewerPlace {
    CHARRANGE selection{-1, -1};
    LRESULT firstLine = -1;
};

ViewerPlace PlaceOf(HWND viewer)
{
    ViewerPlace place;
    const HWND text = GetDlgItem(viewer, IDC_RICH_EDIT);
    SendMessageW(text, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&place.selection));
    place.firstLine = SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0);
    return place;
}

}  // namespace

class ReleaseNotesTest : public ShellTest {
protected:
    ReleaseNotesTest() { WriteSetting(L"FirmwareFolder", folder.path); }
    void ChooseReleaseNotes() { SendMessageW(Frame(), WM_COMMAND, ID_HELP_RELEASE_NOTES, 0); }

    CNotesFolder folder;
};

TEST_F(ReleaseNotesTest, ChoosingTheNotesTwiceLeavesOneViewerAndClosingLetsANewOneOpen)
{
    folder.Write("{\\rtf1\\ansi Version 4.55 fixes the {\\b keyer}.\\par}");
    OpenFrame();
    ChooseReleaseNotes();
    ASSERT_EQ(NotesViewers().size(), 1u);
    const HWND first = NotesViewers()[0];
    EXPECT_EQ(GetWindowString(GetDlgItem(first, IDC_RICH_EDIT)).find(L"Version 4.55 fixes the keyer."), 0u);
    EXPECT_EQ(GetParent(first), nullptr) << "a top-level window";

    ChooseReleaseNotes();
    ASSERT_EQ(NotesViewers().size(), 1u);
    EXPECT_FALSE(IsWindow(first));

    SendMessageW(NotesViewers()[0], WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(NotesViewers().empty());
    ChooseReleaseNotes();
    EXPECT_EQ(NotesViewers().size(), 1u);
    EXPECT_EQ(boxes.Count(), 0u);

    CloseFrame();
    EXPECT_TRUE(NotesViewers().empty()) << "the frame closes its viewer";
}

// No notes, or notes far longer than any the server had: a box, and no viewer.
TEST_F(ReleaseNotesTest, NotesMissingOrTooLongShowTheErrorAndOpenNothing)
{
    const struct {
        const char* what;
        ULONGLONG size;
        std::wstring box;
    } rows[] = {
        {"no notes", 0, L"Unable to open Firmware Release Notes \"" + folder.File() + L"\""},
        {"one byte longer than 4 MiB", (4 << 20) + 1,
         L"ReadFile failed on \"" + folder.File() + L"\"\r\nError 0x000000DF: The file is too large to be read."},
    };
    OpenFrame();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.size) {
            ASSERT_TRUE(WriteSparseFile(folder.File(), row.size, "{\\rtf1\\ansi Version 4.55\\par "));
        }
        const size_t before = boxes.Count();
        ChooseReleaseNotes();
        PumpUntil([&] { return boxes.Count() > before; }, 2000);
        EXPECT_TRUE(NotesViewers().empty());
        ASSERT_EQ(boxes.Count(), before + 1);
        const SeenBox& box = boxes.Boxes().back();
        EXPECT_EQ(box.caption, L"Release Notes Error");
        EXPECT_EQ(box.text, row.box);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(box.owner, Frame());
    }
}

TEST_F(ShellTest, TheAboutBoxShowsTheVersionBlockAndTheLicenceText)
{
    std::wstring aboutTitle, aboutText, licenseTitle, licenseText;
    bool licenseSeen = false;
    boxes.OnDialog(L"About Zentrova Q7 Utility", [&](HWND about) {
        if (!licenseSeen) {
            aboutTitle = GetWindowString(about);
            aboutText = GetWindowString(GetDlgItem(about, IDC_ABOUT_TEXT));
            PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDC_VIEW_LICENSE, BN_CLICKED), 0);
            return false;
        }
        PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    });
    boxes.OnDialog(L"Zentrova Q7 Utility License Agreement", [&](HWND license) {
        licenseTitle = GetWindowString(license);
        licenseText = GetWindowString(GetDlgItem(license, IDC_RICH_EDIT));
        licenseSeen = true;
        PostMessageW(license, WM_CLOSE, 0, 0);
        return true;
    });
    OpenFrame();
    SendMessageW(Frame(), WM_COMMAND, ID_APP_ABOUT, 0);

    EXPECT_EQ(aboutTitle, L"About Zentrova Q7 Utility");
    EXPECT_EQ(aboutText, L"Zentrova Q7 Utility\r\n\r\nVersion " Q7_VERSION_TEXT);
    EXPECT_EQ(licenseTitle, L"Zentrova Q7 Utility License Agreement");
    // The resource is UTF-8; the viewer shows it as text, not as bytes.
    const std::string resource = LoadLicenseText();
    ASSERT_FALSE(resource.empty());
    std::wstring expected(MultiByteToWideChar(CP_UTF8, 0, resource.data(), static_cast<int>(resource.size()),
                                              nullptr, 0),
                          L'\0');
    MultiByteToWideChar(CP_UTF8, 0, resource.data(), static_cast<int>(resource.size()), expected.data(),
                        static_cast<int>(expected.size()));
    const std::wstring firstLine = expected.substr(0, expected.find_first_of(L"\r\n"));
    EXPECT_FALSE(firstLine.empty());
    EXPECT_EQ(licenseText.find(firstLine), 0u);
    EXPECT_GT(licenseText.size(), expected.size() / 2);
}

TEST_F(ReleaseNotesTest, TheViewerOpensAtTheTopWithNothingSelected)
{
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 200; ++i)
        rtf += "Line " + std::to_string(i) + " of the notes.\\par ";
    folder.Write(rtf + "}");
    OpenFrame();
    SendMessageW(Frame(), WM_COMMAND, ID_HELP_RELEASE_NOTES, 0);
    PumpPending();
    ASSERT_EQ(NotesViewers().size(), 1u);
    const ViewerPlace place = PlaceOf(NotesViewers()[0]);
    EXPECT_EQ(place.selection.cpMin, 0);
    EXPECT_EQ(place.selection.cpMax, 0);
    EXPECT_EQ(place.firstLine, 0);
}

TEST_F(ShellTest, TheLicenceOpensAtTheTopWithNothingSelected)
{
    ViewerPlace place;
    bool seen = false;
    boxes.OnDialog(L"Zentrova Q7 Utility License Agreement", [&](HWND license) {
        place = PlaceOf(license);
        seen = true;
        PostMessageW(license, WM_CLOSE, 0, 0);
        return true;
    });
    OpenFrame();
    CLicenseDlg license;
    license.DoModal(Frame());
    ASSERT_TRUE(seen);
    EXPECT_EQ(place.selection.cpMin, 0);
    EXPECT_EQ(place.selection.cpMax, 0);
    EXPECT_EQ(place.firstLine, 0);
}
