// What the TX gain calibration reads from replies, and its data file.
#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "FileBytes.h"
#include "Model.h"
#include "TXGainFile.h"
#include "TXGainRules.h"
#include "TempFolder.h"

namespace {

TEST(TXGainRules, SwrDisplayAndItsVerdict)
{
    struct Row {
        const wchar_t* reply;
        unsigned tenths;
        ESwrVerdict verdict;
    } rows[] = {
        {L"DS@@@@@0\xB9>@@;", 9, ESwrVerdict::Good},
        {L"DS@@@@@1\xB0>@@;", 10, ESwrVerdict::Noted},
        {L"DS@@@@@1\xB9>@@;", 19, ESwrVerdict::Noted},
        {L"DS@@@@@2\xB0>@@;", 20, ESwrVerdict::TooHigh},
        {L"DS@@@1@2\xB5>@@;", 125, ESwrVerdict::TooHigh},  // blanks inside are skipped
        {L"DS@@@@1\xB5@9>@;", 15, ESwrVerdict::Noted},     // the pointed digit is the last
        {L"DS@@@@@25>@@;", 25, ESwrVerdict::TooHigh},
        {L"DS@@@@@ON@@@;", 0, ESwrVerdict::Good},
        {L"DS@@@@@2\xB0@@@;", 0, ESwrVerdict::Good},  // no '>'
        {L"DB@@@@@2\xB0>@@;", 0, ESwrVerdict::Good},  // not a display
        {L"DS", 0, ESwrVerdict::Good},
        {L"D>", 0, ESwrVerdict::Good},
        {L"DS>2\xB0;", 0, ESwrVerdict::Good},  // the '>' ends the number before it starts
    };
    for (const Row& row : rows) {
        unsigned tenths = 99;
        EXPECT_EQ(JudgeSwr(row.reply, tenths), row.verdict) << row.reply;
        EXPECT_EQ(tenths, row.tenths) << row.reply;
        EXPECT_EQ(ParseDisplayNumber(row.reply), row.tenths) << row.reply;
    }
}

TEST(TXGainRules, PowerReadingsInTolerancePerLevel)
{
    struct Row {
        unsigned level;
        const wchar_t* sample;
        bool accepted;
    } rows[] = {
        {0, L"  5.0 W;", true},   {0, L"  4.9 W;", true},   {0, L"  5.1 W;", true},   {0, L"  5.2 W;", false},
        {0, L"  4.8 W;", false},  {0, L" 5.0 W;", false},   {0, L"  5.0", false},     {0, L"  50 W;", false},
        {1, L"  50 W;", true},    {1, L"  49 W;", true},    {1, L"  51 W;", true},    {1, L"  52 W;", false},
        {1, L"  5.0 W;", false},  {2, L" 1.00 MW;", true},  {2, L" 0.99 MW;", true},  {2, L" 1.01 MW;", true},
        {2, L" 1.02 MW;", false}, {2, L" 1.00 W;", false},  {2, L"  5.0 W;", false},  {2, L"", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsPowerInTolerance(row.level, row.sample), row.accepted) << row.level << " " << row.sample;
}

TEST(TXGainRules, PowerCommandPerLevelAndFirmware)
{
    EXPECT_EQ(GetPowerCommand(TXGAIN_LEVEL_5W, 455), L"PC005;");
    EXPECT_EQ(GetPowerCommand(TXGAIN_LEVEL_50W, 442), L"PC050;");
    EXPECT_EQ(GetPowerCommand(TXGAIN_LEVEL_1MW, 442), L"PC010;");
    EXPECT_EQ(GetPowerCommand(TXGAIN_LEVEL_1MW, 443), L"PC100;");
    EXPECT_EQ(GetPowerCommand(TXGAIN_LEVEL_1MW, 245), L"PC010;");
}

TEST(TXGainRules, OptionModulesByPosition)
{
    struct Row {
        const wchar_t* reply;
        bool jw2d, bh7w, xq6t;
    } rows[] = {
        {L"", false, false, false},
        {L"OM-", false, false, false},
        {L"OM-A", true, false, false},
        {L"OM-AP", true, true, false},
        {L"OM--PX", false, true, true},
        {L"OM-APXS-TLK-R---;", true, true, true},
        {L"OMAPX-S--------;", false, false, false},  // one place early
        {L"OM-apx----------;", false, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsJW2DInstalled(row.reply), row.jw2d) << row.reply;
        EXPECT_EQ(IsBH7WInstalled(row.reply), row.bh7w) << row.reply;
        EXPECT_EQ(IsXQ6TInstalled(row.reply), row.xq6t) << row.reply;
    }
}

TEST(TXGainRules, SummaryLineFromTheGainDisplay)
{
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@123@@;", 1900, TXGAIN_LEVEL_5W), L"1900 kHz TXGain LP 123\r\n");
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@@45@@;", 52000, TXGAIN_LEVEL_50W), L"52000 kHz TXGain HP  45\r\n");
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@@@@@@;", 5336, TXGAIN_LEVEL_1MW), L"5336 kHz TXGain MW    \r\n");
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@9@7", 7150, TXGAIN_LEVEL_5W), L"7150 kHz TXGain LP 9 7\r\n");
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@12;", 7150, TXGAIN_LEVEL_5W), L"7150 kHz TXGain LP 12;\r\n");
    EXPECT_EQ(FormatSummaryLine(L"DS@@@@@1;", 7150, TXGAIN_LEVEL_5W), L"");
}

TEST(TXGainFile, NameAndContentsBySerialNumber)
{
    EXPECT_EQ(GetTXGainFileName(42), L"Q7 TXGain SN 00042.txt");
    EXPECT_EQ(GetTXGainFileName(65534), L"Q7 TXGain SN 65534.txt");
    EXPECT_EQ(GetTXGainFileName(65535), L"Q7 TXGain.txt");

    const SYSTEMTIME time = {2026, 12, 0, 6, 16, 5, 41, 0};
    const std::wstring summary = L"1900 kHz TXGain LP 123\r\n3750 kHz TXGain LP  45\r\n";
    EXPECT_EQ(FormatTXGainFile(time, 42, L"MCU 04.55 on COM12 at 38400", L"Zentrova Q7 Utility Version 1.0.0.0",
                               summary),
              L"Q7 TX Gain Calibration data written on 2026-12-06 at 16:05:41\r\n"
              L"Q7 Serial Number 00042\r\n"
              L"MCU 04.55 on COM12 at 38400\r\n"
              L"Zentrova Q7 Utility Version 1.0.0.0\r\n"
              L"1900 kHz TXGain LP 123\r\n3750 kHz TXGain LP  45\r\n"
              L"\r\n");
    EXPECT_EQ(FormatTXGainFile(time, 65535, L"c", L"v", L"s\r\n"),
              L"Q7 TX Gain Calibration data written on 2026-12-06 at 16:05:41\r\n\r\nc\r\nv\r\ns\r\n\r\n");
}

size_t CountFiles(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    size_t count = 0;
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

class TXGainFileWriteTest : public testing::Test {
protected:
    TXGainFileWriteTest() { GetModel().SerialNumber.Set(42); }
    ~TXGainFileWriteTest() override { GetModel().SerialNumber.Set(SERIAL_NUMBER_UNKNOWN); }

    CTempFolder folder;
    CBoxWatcher boxes;
};

TEST_F(TXGainFileWriteTest, ReplacesTheFileWholeAndLeavesNothingBeside)
{
    const std::wstring path = folder.Write(L"Q7 TXGain SN 00042.txt", "the previous calibration\r\n");
    ASSERT_TRUE(WriteTXGainFile(nullptr, path, L"1900 kHz TXGain LP 123\r\n"));
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(text.rfind("Q7 TX Gain Calibration data written on ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nQ7 Serial Number 00042\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 26), "1900 kHz TXGain LP 123\r\n\r\n");
    EXPECT_EQ(CountFiles(folder.Path()), 1u);
    EXPECT_EQ(boxes.Count(), 0u);

    ASSERT_TRUE(WriteTXGainFile(nullptr, path, L""));
    EXPECT_EQ(ReadFileBytes(path), text) << "an empty summary writes nothing";
}

TEST_F(TXGainFileWriteTest, ReadOnlyFileIsRefusedAndKept)
{
    const std::wstring path = folder.Write(L"Q7 TXGain SN 00042.txt", "kept\r\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteTXGainFile(nullptr, path, L"1900 kHz TXGain LP 123\r\n"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"TX Gain Calibration file error");
    EXPECT_NE(boxes[0].text.find(path), std::wstring::npos) << boxes[0].text;
    EXPECT_EQ(ReadFileBytes(path), "kept\r\n");
    EXPECT_EQ(CountFiles(folder.Path()), 1u) << "no temporary file left";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TXGainFileWriteTest, FailedReplaceLeavesTheOldFileAndNoTemporary)
{
    // A folder of the file's name cannot be replaced by a file.
    const std::wstring path = folder.MakeFolder(L"Q7 TXGain SN 00042.txt");
    EXPECT_FALSE(WriteTXGainFile(nullptr, path, L"1900 kHz TXGain LP 123\r\n"));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(CountFiles(folder.Path()), 0u);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
