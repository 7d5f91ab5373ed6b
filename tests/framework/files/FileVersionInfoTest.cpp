#include <gtest/gtest.h>

#include "FileVersionInfo.h"
#include "TempFolder.h"
#include "TextOrId.h"

TEST(FileVersionInfo, ProgramsOwnVersionBlock)
{
    CFileVersionInfo info;
    ASSERT_TRUE(info.LoadFromModule(nullptr));
    EXPECT_EQ(info.GetString(CFileVersionInfo::FileDescription), L"Zentrova Q7 Utility");
    EXPECT_EQ(info.GetString(CFileVersionInfo::CompanyName), L"Zentrova");
    EXPECT_EQ(info.GetString(CFileVersionInfo::OriginalFileName), L"Q7Utility.exe");
    EXPECT_EQ(info.GetString(CFileVersionInfo::Comments), L"");

    const unsigned expected[] = {Q7_VERSION_REVISION, Q7_VERSION_BUILD, Q7_VERSION_MINOR, Q7_VERSION_MAJOR};
    for (unsigned part = 0; part < 4; ++part) {
        EXPECT_EQ(info.GetFileVersionPart(part), expected[part]) << part;
        EXPECT_EQ(info.GetProductVersionPart(part), expected[part]) << part;
    }
    EXPECT_EQ(info.GetFileVersionPart(4), 0);
    EXPECT_EQ(info.GetString(CFileVersionInfo::FileVersion),
              FormatText(L"%u.%u.%u.%u", expected[3], expected[2], expected[1], expected[0]));
    EXPECT_EQ(info.GetFixedInfo().dwSignature, 0xFEEF04BDu);
}

TEST(FileVersionInfo, FileWithoutVersionBlockLeavesNothingBehind)
{
    CFileVersionInfo info;
    ASSERT_TRUE(info.LoadFromModule(nullptr));
    CTempFolder folder;
    folder.Write(L"plain.txt", "no version here");
    EXPECT_FALSE(info.LoadFromFile(folder.File(L"plain.txt")));
    EXPECT_EQ(info.GetString(CFileVersionInfo::FileDescription), L"");
    EXPECT_EQ(info.GetFileVersionPart(3), 0);
    EXPECT_FALSE(info.LoadFromFile(folder.File(L"missing.exe")));
}

TEST(FileVersionInfo, TranslationChoice)
{
    using T = CFileVersionInfo::Translation;
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    const LANGID swissGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS);
    const LANGID french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    const LANGID usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const LANGID ukEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);
    const struct {
        std::vector<T> translations;
        LANGID user;
        size_t chosen;
    } cases[] = {
        {{{usEnglish, 1200}, {german, 1200}}, german, 1},           // the user's language
        {{{usEnglish, 1200}, {swissGerman, 1200}}, german, 1},      // its primary language
        {{{french, 1200}, {0, 1200}, {usEnglish, 1200}}, german, 1},  // neutral
        {{{french, 1200}, {ukEnglish, 1200}}, german, 1},           // English
        {{{french, 1200}, {LANG_ENGLISH, 1200}}, german, 1},
        {{{french, 1252}, {german, 1252}}, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 0},  // the first
        {{{usEnglish, 1200}}, usEnglish, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(CFileVersionInfo::ChooseTranslation(cases[i].translations, cases[i].user), cases[i].chosen) << i;
}
