#include <gtest/gtest.h>

#include "FirmwareFileSet.h"
#include "Folders.h"
#include "TempFolder.h"

namespace {

std::wstring CurrentDirectory()
{
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return std::wstring(buffer, length);
}

CFirmwareFileSet SetOf(std::initializer_list<const wchar_t*> names)
{
    CFirmwareFileSet set;
    for (const wchar_t* name : names)
        set.AddFile(name);
    return set;
}

}  // namespace

TEST(FirmwareFileNameVersion, IsTheLastDigitRunBeforeTheExtensionAsTheLoadersReadIt)
{
    const struct {
        const wchar_t* name;
        WORD version;
    } cases[] = {
        {L"hmcu0462.hex", 462},
        {L"hmcu0462b.hex", 462},
        {L"HMCU0461.HEX", 461},
        {L"hdsp9999.hex", 9999},
        {L"hmcu1x2.hex", 2},
        {L"hmcu0450", 450},         // no extension: the end of the name
        {L"hmcu0450.hex.txt", 450}, // only the last '.' starts the extension
        {L"hmcu70000.hex", 70000 % 65536},
        {L"hmcu.hex", 0},
        {L"0462.hex", 0},           // the run reaches the first character
        {L"h7.hex", 0},             // or the second
        {L"C:\\fw2\\hmcu.hex", 0},  // folders are not part of the name
        {L"C:\\fw\\hfpf0123.hex", 123},
        {L"fw3/hfpf0124.hex", 124},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFileNameVersion(c.name), c.version) << c.name;

    // The set holds the versions the loaders will verify.
    const CFirmwareFileSet set = SetOf({L"hmcu70000.hex", L"hmcu70000b.hex", L"haux1x2.hex"});
    EXPECT_EQ(set.GetVersion(kFirmwareMcu), ParseFileNameVersion(L"hmcu70000.hex"));
    EXPECT_EQ(set.GetCompanionVersion(), ParseFileNameVersion(L"hmcu70000b.hex"));
    EXPECT_EQ(set.GetVersion(kFirmwareDsp2), ParseFileNameVersion(L"haux1x2.hex"));
}

TEST(FirmwareFileSetAddFile, GivesEachPrefixItsKind)
{
    const struct {
        const wchar_t* name;
        FirmwareFileKind kind;
    } cases[] = {
        {L"hmcu0450.hex", kFirmwareMcu},     {L"hdsp0140.hex", kFirmwareDsp1},
        {L"hfpf0120.hex", kFirmwareFpf},     {L"haux0141.hex", kFirmwareDsp2},
        {L"DTBL0142.Hex", kFirmwareDataTable}, {L"tboot0003.hex", kFirmwareTinyBoot},
    };
    for (const auto& c : cases) {
        CFirmwareFileSet set;
        EXPECT_TRUE(set.AddFile(c.name)) << c.name;
        for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind) {
            const bool expected = kind == c.kind;
            EXPECT_EQ(set.GetPath(FirmwareFileKind(kind)), expected ? c.name : L"") << c.name << " " << kind;
            EXPECT_EQ(set.GetVersion(FirmwareFileKind(kind)) != 0, expected) << c.name << " " << kind;
        }
    }
}

TEST(FirmwareFileSetAddFile, KeepsTheNewestFileOfAKind)
{
    for (const bool newerFirst : {true, false}) {
        CFirmwareFileSet set;
        const wchar_t* newer = L"HMCU0461.HEX";
        const wchar_t* older = L"hmcu0460.hex";
        EXPECT_TRUE(set.AddFile(newerFirst ? newer : older));
        EXPECT_EQ(set.AddFile(newerFirst ? older : newer), !newerFirst);
        EXPECT_EQ(set.GetVersion(kFirmwareMcu), 461);
        EXPECT_EQ(set.GetPath(kFirmwareMcu), newer);
    }

    CFirmwareFileSet same;
    EXPECT_TRUE(same.AddFile(L"hdsp0140.hex"));
    EXPECT_FALSE(same.AddFile(L"HDSP0140.HEX"));
    EXPECT_EQ(same.GetPath(kFirmwareDsp1), L"hdsp0140.hex");
}

TEST(FirmwareFileSetAddFile, IgnoresOtherFiles)
{
    CFirmwareFileSet set;
    // The download's files under their temporary names among them.
    for (const wchar_t* name : {L"hmcu0500.txt", L"hxyz0100.hex", L"hmcu0500.hex.bak", L"readme", L"mcu0500.hex",
                                L"hmcu.hex", L"hfwnotes.rtf.bak", L"hfwnotes.txt", L"hmcu0500.hex.partial",
                                L"hmcu0500b.hex.partial", L"hfwnotes.rtf.partial"}) {
        EXPECT_FALSE(set.AddFile(name)) << name;
    }
    for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind)
        EXPECT_TRUE(set.GetPath(FirmwareFileKind(kind)).empty());
    EXPECT_FALSE(set.HasNotes());
}

TEST(FirmwareFileSetAddFile, TakesTheReleaseNotesAsAFlag)
{
    CFirmwareFileSet set;
    EXPECT_TRUE(set.AddFile(L"C:\\fw\\HFWNOTES.RTF"));
    EXPECT_TRUE(set.HasNotes());
    for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind)
        EXPECT_TRUE(set.GetPath(FirmwareFileKind(kind)).empty());
}

TEST(FirmwareFileSetAddFile, KeepsTheNewestMcuCompanionApart)
{
    CFirmwareFileSet set;
    EXPECT_TRUE(set.AddFile(L"hmcu0462B.hex"));
    EXPECT_FALSE(set.AddFile(L"hmcu0461b.hex"));
    EXPECT_TRUE(set.AddFile(L"hmcu0463b.HEX"));
    EXPECT_EQ(set.GetCompanionVersion(), 463);
    EXPECT_EQ(set.GetCompanionPath(), L"hmcu0463b.HEX");
    // Of two with one version the first stays.
    EXPECT_FALSE(set.AddFile(L"C:\\other\\hmcu463b.hex"));
    EXPECT_EQ(set.GetCompanionPath(), L"hmcu0463b.HEX");
    // Never the main MCU file, nor in its place.
    EXPECT_TRUE(set.GetPath(kFirmwareMcu).empty());
    EXPECT_FALSE(set.IsMcuValid());
    EXPECT_TRUE(set.AddFile(L"hmcu0463.hex"));
    EXPECT_FALSE(set.AddFile(L"C:\\other\\hmcu0463B.hex"));
    EXPECT_EQ(set.GetPath(kFirmwareMcu), L"hmcu0463.hex");
    EXPECT_EQ(set.GetCompanionPath(), L"hmcu0463b.HEX");
    // A "b" of another kind is just that kind's file.
    EXPECT_TRUE(set.AddFile(L"hdsp0140b.hex"));
    EXPECT_EQ(set.GetVersion(kFirmwareDsp1), 140);
}

TEST(FirmwareFileSetCompleteness, PairsMcuFilesFrom462On)
{
    EXPECT_FALSE(SetOf({}).IsMcuValid());
    EXPECT_TRUE(SetOf({L"hmcu0461.hex"}).IsMcuValid());
    EXPECT_FALSE(SetOf({L"hmcu0462.hex"}).IsMcuValid());
    EXPECT_TRUE(SetOf({L"hmcu0462.hex", L"hmcu0462B.hex"}).IsMcuValid());
    EXPECT_FALSE(SetOf({L"hmcu0463.hex", L"hmcu0462b.hex"}).IsMcuValid());
    EXPECT_FALSE(SetOf({L"hmcu0462.hex", L"hmcu0463b.hex"}).IsMcuValid());
}

TEST(FirmwareFileSetCompleteness, NeedsTinyBootAndFromDsp137ADataTable)
{
    EXPECT_TRUE(SetOf({L"hdsp0136.hex", L"tboot0001.hex"}).IsDsp1Valid());
    EXPECT_FALSE(SetOf({L"hdsp0137.hex", L"tboot0001.hex"}).IsDsp1Valid());
    EXPECT_TRUE(SetOf({L"hdsp0137.hex", L"tboot0001.hex", L"dtbl0137.hex"}).IsDsp1Valid());
    EXPECT_TRUE(SetOf({L"hdsp9999.hex", L"tboot0001.hex"}).IsDsp1Valid());
    EXPECT_FALSE(SetOf({L"hdsp0136.hex"}).IsDsp1Valid());
    EXPECT_FALSE(SetOf({L"tboot0001.hex", L"dtbl0137.hex"}).IsDsp1Valid());

    EXPECT_TRUE(SetOf({L"haux0136.hex", L"tboot0001.hex"}).IsDsp2Valid());
    EXPECT_FALSE(SetOf({L"haux0140.hex", L"tboot0001.hex"}).IsDsp2Valid());
    EXPECT_TRUE(SetOf({L"haux0140.hex", L"tboot0001.hex", L"dtbl0140.hex"}).IsDsp2Valid());
    EXPECT_FALSE(SetOf({L"hdsp0136.hex", L"tboot0001.hex"}).IsDsp2Valid());

    EXPECT_FALSE(SetOf({L"hdsp0136.hex", L"tboot0001.hex"}).HasRequiredFiles());
    EXPECT_FALSE(SetOf({L"hmcu0450.hex"}).HasRequiredFiles());
    EXPECT_TRUE(SetOf({L"hmcu0450.hex", L"hdsp0136.hex", L"tboot0001.hex"}).HasRequiredFiles());
}

class FirmwareFileSetScan : public testing::Test {
protected:
    CTempFolder m_temp;
};

TEST_F(FirmwareFileSetScan, KeepsFullPathsOfTheNewestFilesAndLeavesTheCurrentDirectory)
{
    const std::wstring folder = m_temp.MakeFolder(L"fw");
    for (const wchar_t* name : {L"HMCU0461.HEX", L"hmcu0460.hex", L"hmcu0461b.hex", L"hdsp0140.hex", L"tboot0003.hex",
                                L"dtbl0140.hex", L"hfwnotes.rtf", L"readme.txt", L"hmcu0999.txt", L"hxyz0999.hex",
                                L"hmcu0999.hex.partial"}) {
        m_temp.Write(std::wstring(L"fw\\") + name, "");
    }
    const std::wstring before = CurrentDirectory();

    CFirmwareFileSet set;
    set.Scan(folder);

    EXPECT_EQ(CurrentDirectory(), before);
    EXPECT_EQ(set.GetPath(kFirmwareMcu), folder + L"\\HMCU0461.HEX");
    EXPECT_EQ(set.GetVersion(kFirmwareMcu), 461);
    EXPECT_EQ(set.GetCompanionPath(), folder + L"\\hmcu0461b.hex");
    EXPECT_EQ(set.GetPath(kFirmwareDsp1), folder + L"\\hdsp0140.hex");
    EXPECT_EQ(set.GetPath(kFirmwareTinyBoot), folder + L"\\tboot0003.hex");
    EXPECT_EQ(set.GetPath(kFirmwareDataTable), folder + L"\\dtbl0140.hex");
    EXPECT_TRUE(set.GetPath(kFirmwareFpf).empty());
    EXPECT_TRUE(set.GetPath(kFirmwareDsp2).empty());
    EXPECT_TRUE(set.HasNotes());
    EXPECT_TRUE(set.HasRequiredFiles());
}

TEST_F(FirmwareFileSetScan, NamesFilesOfARelativeFolderByFullPath)
{
    const std::wstring folder = m_temp.MakeFolder(L"rel");
    m_temp.Write(L"rel\\hfpf0120.hex", "");
    const std::wstring before = CurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryW(m_temp.Path().c_str()));

    CFirmwareFileSet set;
    set.Scan(L"rel");
    const std::wstring during = CurrentDirectory();
    SetCurrentDirectoryW(before.c_str());

    EXPECT_EQ(during, m_temp.Path());
    EXPECT_EQ(set.GetPath(kFirmwareFpf), folder + L"\\hfpf0120.hex");
}

TEST_F(FirmwareFileSetScan, EmptiesTheSetWhenTheFolderIsMissing)
{
    const std::wstring before = CurrentDirectory();
    CFirmwareFileSet set = SetOf({L"hmcu0450.hex", L"hmcu0450b.hex", L"hfwnotes.rtf", L"tboot0001.hex"});

    set.Scan(m_temp.File(L"missing"));

    EXPECT_EQ(CurrentDirectory(), before);
    for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind) {
        EXPECT_TRUE(set.GetPath(FirmwareFileKind(kind)).empty());
        EXPECT_EQ(set.GetVersion(FirmwareFileKind(kind)), 0);
    }
    EXPECT_TRUE(set.GetCompanionPath().empty());
    EXPECT_EQ(set.GetCompanionVersion(), 0);
    EXPECT_FALSE(set.HasNotes());
}
