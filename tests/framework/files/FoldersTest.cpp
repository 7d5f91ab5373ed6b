#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "Folders.h"
#include "TempFolder.h"

namespace {

class Folders : public testing::Test {
protected:
    Folders()
    {
        owner = CreateWindowW(L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    }
    ~Folders() override { DestroyWindow(owner); }

    CTempFolder folder;
    HWND owner = nullptr;
};

}  // namespace

TEST_F(Folders, TreeIsCreatedLevelByLevel)
{
    const std::wstring deep = folder.File(L"a\\b\\c");
    EXPECT_TRUE(CreateFolderTree(deep + L"\\"));
    EXPECT_TRUE(FolderExists(folder.File(L"a\\b")));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(CreateFolderTree(deep));

    // One level at a time only.
    EXPECT_FALSE(CreateFolder(folder.File(L"x\\y")));
    EXPECT_FALSE(FolderExists(folder.File(L"x")));
    EXPECT_TRUE(CreateFolder(folder.File(L"x")));
}

TEST_F(Folders, DriveRootsAndServerNamesNeedNothing)
{
    const std::wstring root = folder.Path().substr(0, 3);
    ASSERT_EQ(root.substr(1), L":\\");
    EXPECT_TRUE(CreateFolderTree(root));
    EXPECT_TRUE(CreateFolder(root));
    EXPECT_TRUE(CreateFolder(L"\\\\server"));
    EXPECT_FALSE(CreateFolder(root.substr(0, 2)));
    EXPECT_FALSE(CreateFolder(L""));
    EXPECT_FALSE(CreateFolderTree(L""));
}

TEST_F(Folders, FileInTheWayIsNoFolder)
{
    folder.Write(L"taken", "x");
    EXPECT_FALSE(CreateFolder(folder.File(L"taken")));
    EXPECT_FALSE(CreateFolderTree(folder.File(L"taken\\below")));
    EXPECT_FALSE(FolderExists(folder.File(L"taken")));
    EXPECT_TRUE(FindFileExists(folder.File(L"taken")));
}

TEST_F(Folders, ExistenceOfFoldersAndFiles)
{
    folder.Write(L"one.hex", "");
    EXPECT_TRUE(FolderExists(folder.Path()));
    EXPECT_TRUE(FindFileExists(folder.File(L"*.hex")));
    EXPECT_FALSE(FindFileExists(folder.File(L"*.txt")));
    EXPECT_FALSE(FindFileExists(folder.File(L"two.hex")));
    EXPECT_FALSE(FolderExists(folder.File(L"missing")));
}

TEST_F(Folders, ExistingFolderNeedsNoQuestion)
{
    CBoxWatcher boxes;
    EXPECT_TRUE(EnsureFolderExists(owner, folder.Path()));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Folders, MissingFolderIsCreatedWhenTheUserAgrees)
{
    const std::wstring wanted = folder.File(L"Q7 Configuration\\2026");
    CBoxWatcher boxes{IDYES};
    EXPECT_TRUE(EnsureFolderExists(owner, wanted));
    EXPECT_TRUE(FolderExists(wanted));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Create folder");
    EXPECT_EQ(boxes[0].text, L"Folder \"" + wanted + L"\" does not exist. Do you want to create it now?");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(boxes[0].owner, owner);
}

TEST_F(Folders, MissingFolderStaysMissingWhenTheUserDeclines)
{
    const std::wstring wanted = folder.File(L"declined");
    CBoxWatcher boxes{IDNO};
    EXPECT_FALSE(EnsureFolderExists(owner, wanted));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_FALSE(FolderExists(wanted));
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Folders, FailedCreationAsksAgain)
{
    folder.Write(L"taken", "x");
    CBoxWatcher boxes{IDYES, IDNO};
    EXPECT_FALSE(EnsureFolderExists(owner, folder.File(L"taken\\below")));
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(Folders, ApplicationDataFolders)
{
    const std::wstring appData = GetAppDataFolder(owner);
    ASSERT_FALSE(appData.empty());
    EXPECT_TRUE(FolderExists(appData));
    EXPECT_NE(appData.back(), L'\\');
    const std::wstring vendor = GetVendorAppDataFolder(owner);
    EXPECT_EQ(vendor, appData + L"\\Zentrova");

    const std::wstring tail = L"\\Q7 Test " + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(GetVendorAppDataPath(owner, tail), vendor + tail);
    EXPECT_FALSE(FolderExists(vendor + tail));

    const std::wstring created = CreateAppDataSubfolder(owner, tail);
    EXPECT_EQ(created, vendor + tail);
    EXPECT_TRUE(FolderExists(created));
    // Twice is fine.
    EXPECT_EQ(CreateAppDataSubfolder(owner, tail), created);
    RemoveDirectoryW(created.c_str());
}

TEST(Paths, CombineAndParent)
{
    EXPECT_EQ(CombinePath(L"C:\\Q7 Firmware", L"hmcu0383.hex"), L"C:\\Q7 Firmware\\hmcu0383.hex");
    EXPECT_EQ(CombinePath(L"C:\\Q7 Firmware\\", L"notes.txt"), L"C:\\Q7 Firmware\\notes.txt");
    EXPECT_EQ(CombinePath(L"C:\\" + std::wstring(MAX_PATH, L'a'), L"b.txt"), L"");

    EXPECT_EQ(GetParentFolder(L"C:\\Q7 Firmware\\hmcu0383.hex"), L"C:\\Q7 Firmware");
    // A trailing backslash ends an empty last element.
    EXPECT_EQ(GetParentFolder(L"C:\\Q7 Firmware\\sub\\"), L"C:\\Q7 Firmware\\sub");
    EXPECT_EQ(GetParentFolder(L"C:\\hmcu0383.hex"), L"C:\\");
    EXPECT_EQ(GetParentFolder(std::wstring(L"D:\\a\\b")), L"D:\\a");
}

TEST(Paths, VersionInFileName)
{
    const struct {
        const wchar_t* path;
        unsigned short version;
    } cases[] = {
        {L"abc0123.hex", 123},
        {L"C:\\Q7 Firmware\\hmcu0383.hex", 383},
        {L"C:\\v2\\tboot0005.hex", 5},
        {L"hdsp0140", 140},
        {L"hfpf0101b.hex", 101},  // the last digits before the extension
        {L"hm12cu7.hex", 7},
        {L"0123.hex", 0},  // digits from the start
        {L"a0123.hex", 0},  // a run reaching the second character
        {L"ab5.hex", 5},
        {L"C:\\2020\\notes.txt", 0},  // folders do not count
        {L"hmcu.hex", 0},
        {L"", 0},
        {L"xy65535.hex", 65535},
        {L"xy65536.hex", 0},  // the low 16 bits
        {L"xy123456789012.hex", 123456789012 % 65536},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFileNameVersion(c.path), c.version) << c.path;

    EXPECT_EQ(FormatVersionNumber(383), L"03.83");
    EXPECT_EQ(FormatVersionNumber(0), L"00.00");
    EXPECT_EQ(FormatVersionNumber(9999), L"99.99");
    EXPECT_EQ(FormatVersionNumber(12345), L"123.45");
    EXPECT_EQ(FormatFileNameVersion(L"C:\\fw\\hfpf1205.hex"), L"12.05");
    EXPECT_EQ(FormatFileNameVersion(L"C:\\fw\\release notes.txt"), L"00.00");
}
