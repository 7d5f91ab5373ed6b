// What the TX gain calibration reads from replies, and its data file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <vector>

#include "BoxWatcher.h"
#include "FileBytes.h"
#include "Files.h"
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
        {L"DS@@@@1\xB5@@>@;", 15, ESwrVerdict::Noted},     // blanks may follow the pointed digit
        {L"DS@@@@@25>@@;", 25, ESwrVerdict::TooHigh},
        {L"DS@@@@@ON@@@;", 0, ESwrVerdict::Good},
        {L"DS@@@@@2\xB0@@@;", 0, ESwrVerdict::Good},  // no '>'
        {L"DB@@@@@2\xB0>@@;", 0, ESwrVerdict::Good},  // not a display
        {L"DS", 0, ESwrVerdict::Good},
        {L"D>", 0, ESwrVerdict::Good},
        {L"DS>2\xB0;", 0, ESwrVerdict::Good},  // the '>' ends the number before it starts
        {L"DS12345678>@@;", 12345678, ESwrVerdict::TooHigh},  // as many digits as the display holds
        {L"DS4294967305>@@;", kNoDisplayNumber, ESwrVerdict::Unreadable},  // once read as 0.9
        {L"DS@1@2@3@4@5@6@7@8\xB9>;", kNoDisplayNumber, ESwrVerdict::Unreadable},  // blanks hide no digit
        // Garbled before the '>': once read as the digits up to the first stranger.
        {L"DS2?5>@@;", kNoDisplayNumber, ESwrVerdict::Unreadable},
        {L"DS@@@@1\xB5@9>@;", kNoDisplayNumber, ESwrVerdict::Unreadable},  // a digit after the pointed one
        {L"DS@@@1\xB5\xB0>@@;", kNoDisplayNumber, ESwrVerdict::Unreadable},
        {L"DS@@@@@1\xB5;>", kNoDisplayNumber, ESwrVerdict::Unreadable},
        {L"DS@@@@@@@@>@@;", 0, ESwrVerdict::Good},  // blanks alone
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
    STXGainRecord record;
    record.serialNumber = 42;
    record.connection = L"MCU 04.55 on COM12 at 38400";
    record.summary = L"1900 kHz TXGain LP 123\r\n3750 kHz TXGain LP  45\r\n";
    EXPECT_EQ(FormatTXGainBlock(time, record, L"Zentrova Q7 Utility Version 1.0.0.0"),
              L"Q7 TX Gain Calibration data written on 2026-12-06 at 16:05:41\r\n"
              L"Q7 Serial Number 00042\r\n"
              L"MCU 04.55 on COM12 at 38400\r\n"
              L"Zentrova Q7 Utility Version 1.0.0.0\r\n"
              L"1900 kHz TXGain LP 123\r\n3750 kHz TXGain LP  45\r\n"
              L"\r\n");
    // A run cut short says so after its band lines, before the next run's.
    const STXGainRecord cut = {65535, L"c", L"s\r\n5 watt calibration failed\r\nt\r\n"};
    EXPECT_EQ(FormatTXGainBlock(time, cut, L"v"),
              L"Q7 TX Gain Calibration data written on 2026-12-06 at 16:05:41\r\n\r\nc\r\nv\r\ns\r\n"
              L"5 watt calibration failed\r\nt\r\n\r\n");
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
    TXGainFileWriteTest() { GetModel().SerialNumber.Set(SERIAL_NUMBER_UNKNOWN); }

    // Radio 42's record of one band.
    const STXGainRecord record = {42, L"Q7 MCU version 04.55 on COM12 at 38400 bit/s", L"1900 kHz TXGain LP 123\r\n"};
    // An earlier text, with bytes beyond ASCII and no last line end, to follow
    // the new block byte for byte.
    const std::string previous = "the previous calibration\r\n\xE9t\xE9";

    CTempFolder folder;
    CBoxWatcher boxes;
};

TEST_F(TXGainFileWriteTest, NewBlockGoesBeforeTheOldTextAndNothingIsLeftBeside)
{
    const std::wstring path = folder.Write(L"Q7 TXGain SN 00042.txt", previous);
    ASSERT_TRUE(WriteTXGainFile(nullptr, path, record));
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(text.rfind("Q7 TX Gain Calibration data written on ", 0), 0u) << text;
    const std::string block = "\r\nQ7 Serial Number 00042\r\nQ7 MCU version 04.55 on COM12 at 38400 bit/s\r\n";
    EXPECT_NE(text.find(block), std::string::npos) << "the record's radio, not the model's";
    EXPECT_EQ(text.substr(text.size() - previous.size() - 26), "1900 kHz TXGain LP 123\r\n\r\n" + previous);
    EXPECT_EQ(CountFiles(folder.Path()), 1u);
    EXPECT_EQ(boxes.Count(), 0u);

    ASSERT_TRUE(WriteTXGainFile(nullptr, path, STXGainRecord{42, L"c", L""}));
    EXPECT_EQ(ReadFileBytes(path), text) << "no band line writes nothing";
}

// The files of the folder but the record.
std::vector<std::wstring> FilesBeside(const std::wstring& folder, const std::wstring& record)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName != record)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Whatever keeps the new block from the record, the record stays as it was
// and the block goes to a file of its own beside it, named with the time,
// which the one box names after what failed.
TEST_F(TXGainFileWriteTest, ABlockTheRecordCannotTakeIsKeptBesideIt)
{
    const std::wstring name = L"Q7 TXGain SN 00042.txt";
    const std::wstring path = folder.Write(name, previous);
    HANDLE holder = INVALID_HANDLE_VALUE;
    const auto holdOpen = [&](DWORD access, DWORD share) {
        return [&, access, share] {
            holder = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        };
    };
    const auto release = [&] { CloseHandle(holder); };
    constexpr ULONGLONG kLongestRecord = 16 << 20;
    struct Row {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> undo;
        DWORD error;
        // The call the box names.
        const wchar_t* call;
        // A record this long: the earlier text and zeros.
        ULONGLONG sparseSize = 0;
    } rows[] = {
        {"read-only", [&] { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }, ERROR_ACCESS_DENIED, L"CreateFile"},
        {"held open without sharing", holdOpen(GENERIC_READ, 0), release, ERROR_SHARING_VIOLATION, L"CreateFile"},
        {"held open for reading", holdOpen(GENERIC_READ, FILE_SHARE_READ), release, ERROR_ACCESS_DENIED,
         L"MoveFileEx"},
        {"held open for writing", holdOpen(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
         release, ERROR_ACCESS_DENIED, L"MoveFileEx"},
        {"failing part-way", [] { CFileWrite2::FailNextWriteAfter(10); }, [] {}, ERROR_DISK_FULL, L"WriteFile"},
        {"failing to flush", [] { CFileWrite2::FailNextFlush(); }, [] {}, ERROR_IO_DEVICE, L"FlushFileBuffers"},
        {"one byte longer than 16 MiB", [] {}, [] {}, ERROR_FILE_TOO_LARGE, L"ReadFile", kLongestRecord + 1},
        {"of 2.5 GB", [] {}, [] {}, ERROR_FILE_TOO_LARGE, L"ReadFile", 2560ull << 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.sparseSize) {
            ASSERT_TRUE(WriteSparseFile(path, row.sparseSize, previous));
        }
        const size_t boxesBefore = boxes.Count();
        row.arrange();
        EXPECT_FALSE(WriteTXGainFile(nullptr, path, record));
        EXPECT_EQ(GetLastError(), row.error);
        row.undo();

        const std::vector<std::wstring> beside = FilesBeside(folder.Path(), name);
        ASSERT_EQ(beside.size(), 1u);
        const std::wstring kept = folder.File(beside[0]);
        EXPECT_EQ(beside[0].rfind(L"Q7 TXGain SN 00042 2", 0), 0u);
        EXPECT_EQ(beside[0].size(), std::wstring(L"Q7 TXGain SN 00042 20261206T165641.txt").size());
        const std::string block = ReadFileBytes(kept);
        EXPECT_EQ(block.rfind("Q7 TX Gain Calibration data written on ", 0), 0u) << block;
        EXPECT_EQ(block.substr(block.size() - 26), "1900 kHz TXGain LP 123\r\n\r\n") << "the block alone";

        ASSERT_EQ(boxes.Count(), boxesBefore + 1);
        const std::wstring text = boxes.Boxes().back().text;
        EXPECT_EQ(boxes.Boxes().back().caption, L"TX Gain Calibration file error");
        wchar_t code[16];
        swprintf(code, 16, L"0x%08X", static_cast<unsigned>(row.error));
        EXPECT_EQ(text.rfind(std::wstring(row.call) + L" failed on \"" + path + L"\"\r\nError " + code, 0), 0u)
            << std::string(text.begin(), text.end());
        const std::wstring where = L"\r\n\r\nThe new calibration data is kept in \"" + kept + L"\".";
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), where.size())), where);

        WIN32_FILE_ATTRIBUTE_DATA old{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &old);
        if (row.sparseSize) {
            EXPECT_EQ((ULONGLONG(old.nFileSizeHigh) << 32) | old.nFileSizeLow, row.sparseSize);
            ASSERT_TRUE(WriteFileBytes(path, previous));
        }
        EXPECT_EQ(ReadFileBytes(path), previous);
        DeleteFileW(kept.c_str());
    }

    // Kept twice within a second, the second block gets a name of its own.
    holdOpen(GENERIC_READ, 0)();
    EXPECT_FALSE(WriteTXGainFile(nullptr, path, record));
    EXPECT_FALSE(WriteTXGainFile(nullptr, path, record));
    release();
    EXPECT_EQ(FilesBeside(folder.Path(), name).size(), 2u);
}

TEST_F(TXGainFileWriteTest, AFolderInThePlaceOfTheRecordKeepsTheBlockBesideIt)
{
    // A folder of the file's name cannot be replaced by a file.
    const std::wstring path = folder.MakeFolder(L"Q7 TXGain SN 00042.txt");
    EXPECT_FALSE(WriteTXGainFile(nullptr, path, record));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(CountFiles(folder.Path()), 1u) << "the kept block, no temporary file";
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
