// The configuration file: its CRC, the writer's bytes against the golden
// file, the writer's failures, and the reader's rules line by line.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <utility>

#include "AllocationFault.h"
#include "BoxWatcher.h"
#include "ErrorText.h"
#include "ConfigFile.h"
#include "ConfigFileReader.h"
#include "ConfigFixture.h"
#include "FileVersionInfo.h"
#include "Model.h"
#include "TempFolder.h"
#include "TestWindow.h"
#include "WindowMessages.h"

using namespace configtest;

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The system's own text of a Win32 error (it differs between systems).
std::wstring SystemMessage(DWORD code)
{
    wchar_t text[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 256, nullptr);
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return message;
}

// Line 4 as a reader of the file expects it: the program's description and
// file version from its own version resource.
std::string VersionLineFromResource()
{
    CFileVersionInfo version;
    if (!version.LoadFromModule(nullptr))
        return "no version resource";
    char line[128];
    snprintf(line, sizeof line, "Q7 Utility Version = %s Version %u.%u.%u.%u",
             Narrow(version.GetString(CFileVersionInfo::FileDescription)).c_str(), version.GetFileVersionPart(3),
             version.GetFileVersionPart(2), version.GetFileVersionPart(1), version.GetFileVersionPart(0));
    return line;
}

// Serial number, MCU version and mode as the golden file's radio had them.
class ConfigFileTest : public testing::Test {
protected:
    ConfigFileTest()
    {
        CModel& model = GetModel();
        model.SerialNumber.Set(kGoldenSerial);
        model.FirmwareVersion.Set(VERSION_MCU, 455);
        model.AdvancedMode.Set(0);
    }
    ~ConfigFileTest() override
    {
        FailConfigFileLineForTest(0);
        GetModel().AdvancedMode.Set(0);
    }

    size_t FilesIn(const std::wstring& folder)
    {
        size_t count = 0;
        WIN32_FIND_DATAW entry;
        const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE)
            return 0;
        do {
            count += !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
        return count;
    }

    CTempFolder folder;
};

}  // namespace

TEST(ConfigFileCrc, MatchesTheStandardCheckValuesWhateverTheFeeding)
{
    DWORD crc = 0;
    Crc32UpdateString(L"abc", &crc);
    EXPECT_EQ(crc, 0x352441C2u);
    EXPECT_EQ(~crc, 0xCADBBE3Du) << "the value a file of the line abc carries";

    DWORD pieces = 0;
    for (const wchar_t* piece : {L"1234", L"", L"56789"})
        Crc32UpdateString(piece, &pieces);
    EXPECT_EQ(pieces, 0xCBF43926u);

    // Only the low byte of a character counts.
    DWORD wide = 0;
    Crc32UpdateString(std::wstring{wchar_t(0x3161), L'b', L'c'}, &wide);
    EXPECT_EQ(wide, 0x352441C2u);

    DWORD bare = 0xFFFFFFFF;
    for (char c : std::string("123456789"))
        Crc32UpdateByte(static_cast<BYTE>(c), &bare);
    EXPECT_EQ(~bare, 0xCBF43926u);
}

TEST(ConfigFileNames, DefaultNameFolderAndFilter)
{
    EXPECT_EQ(MakeDefaultConfigurationFileName(kGoldenTime, 1234), L"SN01234.20261206T165641.Q7Config");
    EXPECT_EQ(MakeDefaultConfigurationFileName(kGoldenTime, SERIAL_NUMBER_UNKNOWN), L"20261206T165641.Q7Config");

    const wchar_t pairs[] = L"Q7 Configuration File (*.Q7Config)\0*.Q7Config\0All Files (*.*)\0*.*\0";
    EXPECT_EQ(GetConfigurationFileFilter(), std::wstring(pairs, std::size(pairs) - 1));

    const std::wstring configFolder = GetConfigurationFolder(nullptr);
    const std::wstring tail = L"\\Zentrova\\Q7 Configuration";
    EXPECT_TRUE(configFolder.size() > tail.size() &&
                configFolder.compare(configFolder.size() - tail.size(), tail.size(), tail) == 0)
        << Narrow(configFolder);
    EXPECT_TRUE(GetFileAttributesW(configFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ConfigFileTest, TheWriterWritesTheGoldenFileAndSealsItsOwnVersionLine)
{
    const std::vector<BYTE> image = PatternImage();
    const std::wstring path = folder.File(L"written.Q7Config");
    ASSERT_TRUE(WriteConfigurationFile(path, kGoldenTime, image.data()));

    const std::vector<std::string> written = SplitLines(ReadFileBytes(path));
    const std::vector<std::string> golden = SplitLines(ReadFileBytes(kGoldenFile));
    ASSERT_EQ(written.size(), 56u);
    ASSERT_EQ(golden.size(), 56u);
    for (size_t i = 0; i < 55; ++i) {
        if (i == 3)
            EXPECT_EQ(written[i], VersionLineFromResource());
        else
            EXPECT_EQ(written[i], golden[i]) << "line " << i + 1;
    }
    std::string covered;
    for (size_t i = 0; i < 55; ++i)
        covered += written[i];
    char crcLine[32];
    snprintf(crcLine, sizeof crcLine, "CRC32 = 0x%08lX", static_cast<unsigned long>(~ReferenceCrc32(covered)));
    EXPECT_EQ(written[55], crcLine);
    EXPECT_EQ(FilesIn(folder.Path()), 1u) << "no temporary file is left";
}

TEST_F(ConfigFileTest, WithoutASerialNumberTheLineIsLeftOut)
{
    GetModel().SerialNumber.Set(SERIAL_NUMBER_UNKNOWN);
    GetModel().FirmwareVersion.Set(VERSION_MCU, 0);
    const std::vector<BYTE> image = PatternImage();
    const std::wstring path = folder.File(L"anonymous.Q7Config");
    ASSERT_TRUE(WriteConfigurationFile(path, kGoldenTime, image.data()));
    const std::vector<std::string> lines = SplitLines(ReadFileBytes(path));
    ASSERT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines[4], "Q7 Firmware Version = ??.??");
    EXPECT_EQ(lines[5].substr(0, 14), "MEM2 00 00 20 ");
}

TEST_F(ConfigFileTest, AFailedWriteLeavesTheOldFileAndNoOtherAndKeepsItsError)
{
    const std::vector<BYTE> image = PatternImage();
    const std::string old = "the file saved last week\r\n";
    const std::wstring path = folder.Write(L"target.Q7Config", old);
    // The first line, a data line, and the CRC line.
    for (unsigned failing : {1u, 30u, 56u}) {
        CBoxWatcher boxes;
        FailConfigFileLineForTest(failing);
        SetLastError(0);
        EXPECT_FALSE(WriteConfigurationFile(path, kGoldenTime, image.data()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL)) << "the error survives the box";
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Configuration file write error");
        EXPECT_EQ(boxes[0].text,
                  L"WriteFile failed on \"" + path + L"\"\r\nError 0x00000070: " + SystemMessage(ERROR_DISK_FULL));
        EXPECT_EQ(ReadFileBytes(path), old) << "line " << failing;
        EXPECT_EQ(FilesIn(folder.Path()), 1u) << "line " << failing;
    }
}

TEST_F(ConfigFileTest, AReadOnlyOrLockedTargetKeepsTheOldFile)
{
    const std::vector<BYTE> image = PatternImage();
    const std::string old = "kept\r\n";
    const std::wstring readOnly = folder.Write(L"readonly.Q7Config", old);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        CBoxWatcher boxes;
        EXPECT_FALSE(WriteConfigurationFile(readOnly, kGoldenTime, image.data()));
        EXPECT_NE(GetLastError(), 0u);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes[0].text, L"CreateFile failed on \"" + readOnly + L"\"\r\nError 0x00000005: " +
                                     SystemMessage(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(ReadFileBytes(readOnly), old);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::wstring locked = folder.Write(L"locked.Q7Config", old);
    const HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        CBoxWatcher boxes;
        EXPECT_FALSE(WriteConfigurationFile(locked, kGoldenTime, image.data()));
        EXPECT_NE(GetLastError(), 0u);
        EXPECT_EQ(boxes.Count(), 1u);
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadFileBytes(locked), old);
    EXPECT_EQ(FilesIn(folder.Path()), 2u);
}

namespace {

using Bytes = std::vector<std::pair<int, BYTE>>;

const std::wstring kRestoreError = L"Restore Configuration Error";

struct ReaderCase {
    const char* what;
    std::string content;
    HRESULT expected;
    // The reader's box, "" for none.
    std::wstring box;
    Bytes bytes;
    std::wstring caption = kRestoreError;
    // When set, the file is this long: `content` and zeros that take no disk.
    ULONGLONG sparseSize = 0;
};

const std::string kHeader = "*Configuration saved on 2026-12-06 at 16:56:41";
const std::string kData = "MEM2 01 00 02 ABCD";
const Bytes kDataBytes{{0x100, 0xAB}, {0x101, 0xCD}};
const std::wstring kAltered =
    L"The configuration file has been altered after it was saved.\r\nCannot restore from a modified configuration file.";
const std::wstring kIncomplete =
    L"The configuration file is incomplete.\r\nCannot restore from an incomplete configuration file.";

std::string Replace(std::string text, const std::string& what, const std::string& with)
{
    const size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

std::string CrcHexInLowerCase(std::string text)
{
    const size_t at = text.find("CRC32 = 0x") + 10;
    for (size_t i = at; i < at + 8; ++i)
        text[i] = static_cast<char>(tolower(text[i]));
    return text;
}

std::wstring Unparsed(const std::string& line)
{
    return L"Unable to parse line \"" + std::wstring(line.begin(), line.end()) + L"\"";
}

// The file class's box for a file longer than the reader takes; "<path>"
// stands for the file's path.
const std::wstring kTooLarge = L"ReadFile failed on \"<path>\"\r\nError 0x000000DF: The file is too large to be read.";
const std::wstring kReadError = L"Configuration file read error";

// As many data lines of 128 bytes at 0x0100 as the EEPROM's 0x8400 bytes
// fill, and the bytes they hand over.
std::vector<std::string> FullEepromLines(Bytes& bytes)
{
    std::string data;
    for (int k = 0; k < 128; ++k) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02X", k);
        data += pair;
    }
    std::vector<std::string> lines{kHeader};
    for (unsigned line = 0; line < 0x8400 / 128; ++line) {
        lines.push_back("MEM2 01 00 80 " + data);
        for (int k = 0; k < 128; ++k)
            bytes.emplace_back(0x100 + k, static_cast<BYTE>(k));
    }
    return lines;
}

std::vector<std::string> Plus(std::vector<std::string> lines, const std::string& line)
{
    lines.push_back(line);
    return lines;
}

std::vector<ReaderCase> ReaderCases()
{
    const std::string good = Sealed({kHeader, kData});
    const std::string spaces(512 << 10, ' ');
    Bytes full;
    const std::vector<std::string> fullLines = FullEepromLines(full);
    return {
        {"a sealed file", good, 0, L"", kDataBytes},
        {"lone line feeds", Sealed({kHeader, kData}, "\n"), 0, L"", kDataBytes},
        {"carriage returns inside a line are dropped", Replace(Sealed({kHeader, kData}), "MEM2", "ME\rM2"), 0, L"",
         kDataBytes},
        {"an altered comment", Replace(good, "16:56", "16:57"), E_CONFIG_FILE_CORRUPT, kAltered, kDataBytes},
        {"an altered data digit", Replace(good, "ABCD", "ABCE"), E_CONFIG_FILE_CORRUPT, kAltered,
         {{0x100, 0xAB}, {0x101, 0xCE}}},
        {"the CRC in lower case", CrcHexInLowerCase(good), 0, L"", kDataBytes},
        {"0X and text after the CRC value", Replace(good, " = 0x", " = 0X").substr(0, good.size() - 2) + " sealed\r\n",
         0, L"", kDataBytes},
        {"a CRC value of seven digits", Sealed({kHeader, kData}).substr(0, good.size() - 3) + "\r\n",
         E_CONFIG_FILE_CORRUPT, kAltered, kDataBytes},
        {"no CRC line", kHeader + "\r\n" + kData + "\r\n", E_CONFIG_FILE_INCOMPLETE, kIncomplete, kDataBytes},
        {"data after the CRC line", good + "MEM2 01 02 01 EF\r\n", E_CONFIG_FILE_INCOMPLETE, kIncomplete,
         {{0x100, 0xAB}, {0x101, 0xCD}, {0x102, 0xEF}}},
        {"a second CRC line over everything", Sealed(SplitLines(good + "MEM2 01 02 01 EF\r\n")), 0, L"",
         {{0x100, 0xAB}, {0x101, 0xCD}, {0x102, 0xEF}}},
        {"a CRC line without its line feed", good.substr(0, good.size() - 2), E_CONFIG_FILE_INCOMPLETE, kIncomplete,
         kDataBytes},
        {"no data line", Sealed({kHeader}), E_CONFIG_FILE_INCOMPLETE, kIncomplete, {}},
        {"an empty file", "", E_CONFIG_FILE_INCOMPLETE, kIncomplete, {}},
        {"an odd data length", Sealed({"MEM2 01 00 02 ABC"}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM2 01 00 02 ABC"), {}},
        {"a one-digit address", Sealed({"MEM2 1 00 02 ABCD"}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM2 1 00 02 ABCD"), {}},
        {"two spaces", Sealed({"MEM2  01 00 02 ABCD"}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM2  01 00 02 ABCD"), {}},
        {"too few tokens", Sealed({"MEM2 01 00 02 "}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM2 01 00 02 "), {}},
        {"a longer first word", Sealed({"MEM2X 01 00 02 ABCD"}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM2X 01 00 02 ABCD"),
         {}},
        {"trailing blanks and more tokens", Sealed({"MEM2 01 00 02 abcd\t extra"}), 0, L"", kDataBytes},
        {"a record running past FFFF", Sealed({"MEM2 FF FF 02 1234"}), 0, L"", {{0xFFFF, 0x12}, {0x10000, 0x34}}},
        {"the old form", Sealed({"MEM 001.000 = 171", "MEM-  2.255 =  +7"}), 0, L"", {{0x100, 171}, {0x2FF, 7}}},
        {"the old form without its point", Sealed({"MEM 1.0 = 171"}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM 1.0 = 171"),
         {}},
        {"the old form cut short", Sealed({"MEM 001.000 = "}), E_CONFIG_FILE_CORRUPT, Unparsed("MEM 001.000 = "), {}},
        {"the old form out of range", Sealed({"MEM 001.000 = 256"}), E_CONFIG_FILE_CORRUPT,
         Unparsed("MEM 001.000 = 256"), {}},
        {"a comment of 1024 characters", Sealed({std::string(1024, '*'), kData}), 0, L"", kDataBytes},
        {"a comment of 1025 characters", Sealed({std::string(1025, '*'), kData}), E_CONFIG_FILE_CORRUPT,
         Unparsed(std::string(64, '*') + "..."), {}},
        // Split into tokens, a line like this filled the memory of the process.
        {"a data line of 512 KiB", "MEM2" + spaces + "\n", E_CONFIG_FILE_CORRUPT,
         Unparsed("MEM2" + spaces.substr(0, 60) + "..."), {}},
        {"a file of 1 MiB", Sealed({kHeader, kData}), 0, L"", kDataBytes, kRestoreError, 1 << 20},
        {"a file one byte longer than 1 MiB", Sealed({kHeader, kData}), ERROR_FILE_TOO_LARGE, kTooLarge, {},
         kReadError, (1 << 20) + 1},
        {"a file of 2.5 GB", Sealed({kHeader, kData}), ERROR_FILE_TOO_LARGE, kTooLarge, {}, kReadError,
         2560ull << 20},
        {"all the bytes the EEPROM holds", Sealed(fullLines), 0, L"", full},
        {"one more byte in a data line", Sealed(Plus(fullLines, "MEM2 01 00 01 AB")), E_CONFIG_FILE_CORRUPT,
         Unparsed("MEM2 01 00 01 AB"), full},
        {"one more byte in the old form", Sealed(Plus(fullLines, "MEM 001.000 = 171")), E_CONFIG_FILE_CORRUPT,
         Unparsed("MEM 001.000 = 171"), full},
        {"a matching serial number", Sealed({"Q7 Serial Number = 01234", kData}), 0, L"", kDataBytes},
        {"a serial number taken modulo 65536", Sealed({"Q7 Serial Number = 66770", kData}), 0, L"", kDataBytes},
        {"a serial line without its equals sign", Sealed({"Q7 Serial Number: 01234", kData}), E_CONFIG_FILE_CORRUPT,
         L"Unable to parse Q7 Serial Number line \"Q7 Serial Number: 01234\", Serial number verification skipped",
         {}},
        {"another radio's serial number", Sealed({"Q7 Serial Number = 01235", kData}), E_CONFIG_SERIAL_MISMATCH,
         L"The Serial Number within the restore file\ndoes not match the Serial Number of your Q7.\n\nRestore cannot "
         L"continue.",
         {},
         L"Serial Number Mismatch"},
    };
}

}  // namespace

TEST_F(ConfigFileTest, TheReaderChecksEveryLine)
{
    for (const ReaderCase& test : ReaderCases()) {
        SCOPED_TRACE(test.what);
        const std::wstring path = folder.Write(L"case.Q7Config", test.content);
        if (test.sparseSize) {
            ASSERT_TRUE(WriteSparseFile(path, test.sparseSize, test.content));
        }
        Bytes handed;
        // The restore dialog's top-level window: the status output.
        std::vector<std::wstring> statuses;
        CTestWindow owner([&](UINT message, WPARAM, LPARAM lParam, LRESULT&) {
            if (message != WM_APP_STATUS_TEXT)
                return false;
            statuses.push_back(reinterpret_cast<const wchar_t*>(lParam));
            return true;
        });
        CConfigFileReader reader(owner.Handle(),
                                 [&](int address, BYTE value) { handed.emplace_back(address, value); });
        CBoxWatcher boxes;
        EXPECT_EQ(reader.ReadConfigurationFile(path), test.expected);
        EXPECT_EQ(handed, test.bytes);
        if (test.box.empty()) {
            EXPECT_EQ(boxes.Count(), 0u);
            EXPECT_TRUE(statuses.empty());
        } else {
            std::wstring box = test.box;
            if (box.find(L"<path>") != std::wstring::npos)
                box.replace(box.find(L"<path>"), 6, path);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes[0].text, box);
            EXPECT_EQ(boxes[0].caption, test.caption);
            EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
            EXPECT_EQ(boxes[0].owner, owner.Handle());
            // Error boxes also go to the status output; the mismatch's question does not.
            EXPECT_EQ(statuses, test.caption != L"Serial Number Mismatch" ? std::vector<std::wstring>{box}
                                                                          : std::vector<std::wstring>{});
        }
    }
}

TEST_F(ConfigFileTest, TheGoldenFileHandsOverEverySavedByte)
{
    Bytes handed;
    CConfigFileReader reader(nullptr, [&](int address, BYTE value) { handed.emplace_back(address, value); });
    ASSERT_EQ(reader.ReadConfigurationFile(kGoldenFile), 0);
    ASSERT_EQ(handed.size(), GetSavedByteCount());
    size_t next = 0;
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        for (unsigned i = 0; i < GetSavedRegionLength(region); ++i, ++next) {
            const int address = static_cast<int>(GetSavedRegionStart(region) + i);
            ASSERT_EQ(handed[next], std::make_pair(address, PatternByte(address)));
        }
    }
}

TEST_F(ConfigFileTest, SerialNumberChecksFollowTheModeAndTheRadio)
{
    const std::wstring path = folder.Write(L"other.Q7Config", Sealed({"Q7 Serial Number = 00042", kData}));
    const auto read = [&] {
        CConfigFileReader reader(nullptr, [](int, BYTE) {});
        return reader.ReadConfigurationFile(path);
    };
    GetModel().AdvancedMode.Set(1);
    {
        CBoxWatcher boxes{IDNO};
        EXPECT_EQ(read(), E_CONFIG_SERIAL_MISMATCH);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Serial Number Mismatch");
        EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_NE(boxes[0].text.find(L"Press Yes to continue anyway."), std::wstring::npos);
    }
    {
        CBoxWatcher boxes{IDYES};
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(boxes.Count(), 1u);
    }
    // A radio whose serial number is not known is not asked about.
    GetModel().SerialNumber.Set(SERIAL_NUMBER_UNKNOWN);
    CBoxWatcher boxes;
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

// Memory runs out while a file is read, and stays out until the file's
// buffer is given back: the box is built after that, and the program runs
// on. An allocation too large for the vector ends the same way.
TEST_F(ConfigFileTest, MemoryThatRunsOutWhileReadingRefusesTheFileAfterLettingItGo)
{
    // A file of a size no other block of the read has.
    const std::string content = Sealed({kHeader + std::string(777, '*'), kData});
    const std::wstring path = folder.Write(L"big.Q7Config", content);
    const std::function<void()> faults[] = {
        [] {
            allocationfault::FailUntilWatchedBlockIsFreed();
            throw std::bad_alloc();
        },
        [] { throw std::length_error("vector::_M_default_append"); },
    };
    for (const auto& fault : faults) {
        CBoxWatcher boxes;
        allocationfault::WatchBlockOfSize(content.size());
        CConfigFileReader reader(nullptr, [&](int, BYTE) { fault(); });
        HRESULT result = 0;
        EXPECT_NO_THROW(result = reader.ReadConfigurationFile(path));
        EXPECT_TRUE(allocationfault::WatchedBlockSeen()) << "the file's buffer was watched";
        EXPECT_FALSE(allocationfault::Failing());
        EXPECT_EQ(result, static_cast<HRESULT>(ERROR_NOT_ENOUGH_MEMORY));
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Configuration file read error");
        EXPECT_EQ(boxes[0].text.rfind(L"ReadFile failed on \"" + path + L"\"\r\nError 0x00000008: ", 0), 0u)
            << Narrow(boxes[0].text);
    }
}

TEST_F(ConfigFileTest, AFileThatCannotBeOpenedKeepsItsErrorThroughTheBox)
{
    CBoxWatcher boxes;
    CConfigFileReader reader(nullptr, [](int, BYTE) {});
    EXPECT_EQ(reader.ReadConfigurationFile(folder.File(L"missing.Q7Config")), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Configuration file read error");
}
