// The firmware download against a real FTP server on 127.0.0.1:21, and
// against WinINet as Windows documents it.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "DownloadFixture.h"
#include "FakeInternet.h"
#include "FileBytes.h"
#include "FirmwareDownloadDlg.h"
#include "FtpServer.h"
#include "MessagePump.h"
#include "Model.h"
#include "TempFolder.h"
#include "TestWindow.h"
#include "Window.h"
#include "resource.h"

namespace {

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Content a file name stands for: sound hex for ".hex", a line of text else.
std::string ContentFor(const std::string& name)
{
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".hex") != 0)
        return "{\\rtf1 " + name + "}";
    return FirmwareHexText(96, static_cast<unsigned>(std::hash<std::string>()(name)));
}

// A record whose checksum is off by one, in an otherwise sound file.
std::string CorruptHex(const std::string& name)
{
    std::string text = ContentFor(name);
    const size_t lineEnd = text.find("\r\n");
    char& last = text[lineEnd - 1];
    last = last == '0' ? '1' : '0';
    return text;
}

TEST(FirmwareDownloadNames, NamesThatCouldPassForOthersAreRefusedAndShownPlainly)
{
    const struct {
        const wchar_t* name;
        bool plain;
        const wchar_t* shown;
    } rows[] = {
        {L"hmcu0470.hex", true, L"hmcu0470.hex"},
        {L"notes-\x00E9t\x00E9.rtf", true, L"notes-\x00E9t\x00E9.rtf"},
        {L"0470.hex", true, L"0470.hex"},
        {L"HFWNOTES.RTF", true, L"HFWNOTES.RTF"},
        {L"hmcu\x202Exeh.0740", false, L"hmcu?xeh.0740"},  // shows as "hmcu0470.hex"
        {L"x.hex\r\nFound hmcu0470.hex", false, L"x.hex??Found hmcu0470.hex"},
        {L"\x2067hmcu0470.hex\x2069", false, L"?hmcu0470.hex?"},
        // Only a letter or a digit starts a name: "..0470.hex" could leave the folder.
        {L"..0470.hex", false, L"..0470.hex"},
        {L"...hmcu0470.hex", false, L"...hmcu0470.hex"},
        {L".hex", false, L".hex"},
        {L"-hmcu0470.hex", false, L"-hmcu0470.hex"},
        {L" hmcu0470.hex", false, L" hmcu0470.hex"},
        {L"", false, L""},
        {L"hmcu\\0470.hex", false, L"hmcu\\0470.hex"},
        // A pair of surrogates is one character, shown as it is; one alone is none.
        {L"hmcu0470\xD83D\xDE00.hex", true, L"hmcu0470\xD83D\xDE00.hex"},
        {L"hmcu0470\xD83D.hex", false, L"hmcu0470?.hex"},
        {L"hmcu0470\xDE00.hex", false, L"hmcu0470?.hex"},
        {L"hmcu0470\xDE00\xD83D.hex", false, L"hmcu0470??.hex"},
        {L"hmcu0470.hex\xD83D", false, L"hmcu0470.hex?"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsPlainFileName(row.name), row.plain) << testing::PrintToString(std::wstring(row.name));
        EXPECT_EQ(VisibleFileName(row.name), row.shown) << testing::PrintToString(std::wstring(row.name));
    }
}

// Both ends of each run of characters that show as nothing or move what
// follows (Unicode's Default_Ignorable_Code_Point, the Arabic letter mark,
// the line and paragraph separators, the controls), and their neighbours.
TEST(FirmwareDownloadNames, EveryInvisibleCharacterIsRefusedAndItsNeighboursAreNot)
{
    const struct {
        char32_t first, last;
    } refused[] = {
        {0x0000, 0x001F}, {0x007F, 0x009F}, {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C},
        {0x115F, 0x1160}, {0x17B4, 0x17B5}, {0x180B, 0x180F}, {0x200B, 0x200F}, {0x2028, 0x202E},
        {0x2060, 0x206F}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0},
        {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
    };
    const auto text = [](char32_t c) {
        if (c < 0x10000)
            return std::wstring(1, static_cast<wchar_t>(c));
        c -= 0x10000;
        return std::wstring{static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
    };
    for (const auto& range : refused) {
        for (char32_t c : {range.first, range.last}) {
            const std::wstring name = L"hmcu0470" + text(c) + L".hex";
            EXPECT_FALSE(IsPlainFileName(name)) << std::hex << static_cast<unsigned>(c);
            EXPECT_EQ(VisibleFileName(name), L"hmcu0470?.hex") << std::hex << static_cast<unsigned>(c);
        }
        // The neighbours are text (below U+0000 there is none).
        for (char32_t c : {range.first - 1, range.last + 1}) {
            if (range.first != 0 || c != range.first - 1) {
                EXPECT_TRUE(IsPlainFileName(L"hmcu0470" + text(c) + L".hex")) << std::hex << static_cast<unsigned>(c);
            }
        }
    }
}

TEST(FirmwareDownloadNames, APathLiesInTheFolderOnlyDirectly)
{
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        bool inside;
    } rows[] = {
        {L"C:\\hmcu\\fw\\hmcu0470.hex", L"C:\\hmcu\\fw", true},
        {L"C:\\hmcu\\fw\\hmcu0470.hex", L"C:\\hmcu\\fw\\", true},
        {L"c:\\HMCU\\FW\\hmcu0470.hex", L"C:\\hmcu\\fw", true},
        {L"C:\\hmcu0470.hex", L"C:\\", true},
        // What "..0470.hex" in the folder C:\hmcu\fw became under Wine.
        {L"C:\\hmcu0470.hex", L"C:\\hmcu\\fw", false},
        {L"C:\\hmcu\\fw\\sub\\hmcu0470.hex", L"C:\\hmcu\\fw", false},
        {L"C:\\hmcu\\fw2\\hmcu0470.hex", L"C:\\hmcu\\fw", false},
        {L"", L"C:\\hmcu\\fw", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LiesDirectlyIn(row.path, row.folder), row.inside) << testing::PrintToString(std::wstring(row.path));
}

class FirmwareDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_root.MakeFolder(L"Q7");
        m_firmware = m_root.MakeFolder(L"Q7\\firmware");
        GetModel().Trace.Set(0);
    }
    void TearDown() override
    {
        GetModel().Trace.Set(0);
        // A protected file would outlive its folder.
        for (const std::wstring& name : FolderNames(m_local.Path()))
            SetFileAttributesW(m_local.File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    void ServeFile(const std::string& name, const std::string& content)
    {
        m_root.Write(L"Q7\\firmware\\" + Widen(name), content);
        m_served[name] = content;
    }

    CTempFolder m_root;
    CTempFolder m_local;
    std::wstring m_firmware;
    std::map<std::string, std::string> m_served;
    CFtpServer m_server;
};

struct Scenario {
    const char* name;
    bool trace;
    std::vector<std::string> local;
    std::vector<std::string> served;
    std::vector<std::string> corrupt;  // served with a bad record checksum
    std::vector<std::string> listedOnly;  // listed, with no file behind
    std::set<std::string> retrieved;
    INT_PTR end;
    std::vector<std::wstring> logLines;  // when the dialog offers "Close"
    std::set<std::wstring> localAfter;
    std::vector<std::string> readOnly;  // local files the user protected
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

const Scenario kScenarios[] = {
    {"NewerFilesOnly", false,
     {"hmcu0450.hex", "hdsp0240.hex", "tboot0101.hex", "hfpf0140.hex"},
     {"hmcu0460.hex", "hmcu0455.hex", "hmcu0460b.hex", "hdsp0240.hex", "hfpf0132.hex", "hfwnotes.rtf", "readme.txt"},
     {}, {},
     {"hmcu0460.hex", "hmcu0460b.hex", "hfwnotes.rtf"}, IDOK, {},
     {L"hmcu0450.hex", L"hdsp0240.hex", L"tboot0101.hex", L"hfpf0140.hex", L"hmcu0460.hex", L"hmcu0460b.hex",
      L"hfwnotes.rtf"}},
    {"OlderOrEqualCopiesNothing", false,
     {"hmcu0460.hex"}, {"hmcu0455.hex", "hmcu0460.hex", "HMCU0100.HEX"}, {}, {},
     {}, IDOK, {}, {L"hmcu0460.hex"}},
    {"NotesAloneCopiesNothing", true,
     {"hmcu0460.hex"}, {"hfwnotes.rtf", "hmcu0455.hex"}, {}, {},
     {}, IDOK, {L"Skipped hfwnotes.rtf"}, {L"hmcu0460.hex"}},
    {"TraceKeepsTheDialogOpen", true,
     {"hmcu0450.hex"}, {"hmcu0470.hex"}, {}, {},
     {"hmcu0470.hex"}, IDOK,
     {L"Navigate to Q7/firmware", L"Found hmcu0470.hex", L"File verified hmcu0470.hex", L"Copied hmcu0470.hex from Zentrova",
      L"Copied 1 files from Zentrova to ", L"Click \"Close\" to close this window"},
     {L"hmcu0450.hex", L"hmcu0470.hex"}},
    {"CorruptHexIsNotKept", false,
     {"hmcu0450.hex"}, {"hfwnotes.rtf"}, {"hmcu0480.hex"}, {},
     {"hmcu0480.hex", "hfwnotes.rtf"}, CFtpDlg::kFailed,
     {L"File hmcu0480.hex verify failed", L"intel hex line checksum error", L"Unable to copy file hmcu0480.hex",
      L"Copied 1 files from Zentrova to ", L"All Copy Complete completed with error 0xE2000022"},
     {L"hmcu0450.hex", L"hfwnotes.rtf"}},
    {"FailedTransferLeavesNoFile", false,
     {"hmcu0450.hex"}, {}, {}, {"hmcu0600.hex"},
     {"hmcu0600.hex"}, CFtpDlg::kFailed, {L"FtpGetFile completed with error 0x"}, {L"hmcu0450.hex"}},
    {"ReadOnlyFileIsKept", true,
     {"hmcu0450.hex", "hfwnotes.rtf"}, {"hfwnotes.rtf", "hmcu0470.hex"}, {}, {},
     {"hmcu0470.hex"}, CFtpDlg::kFailed,
     {L"MoveFileEx failed on \"", L"\\hfwnotes.rtf\"", L"Error 0x00000005: ", L"Unable to copy file hfwnotes.rtf",
      L"Copied 1 files from Zentrova to ", L"All Copy Complete completed with error 0x00000005"},
     {L"hmcu0450.hex", L"hfwnotes.rtf", L"hmcu0470.hex"}, {"hfwnotes.rtf"}},
    {"PathPartsAreRefused", true,
     {"hmcu0450.hex"}, {}, {}, {"..\\hmcu0999.hex", "C:hmcu0997.hex", "sub\\..\\hmcu0996.hex", "sub/hmcu0995.hex",
      "hmcu0994?.hex", "hmcu0993\x7F.hex"},
     {}, IDOK, {L"Skipped ..\\hmcu0999.hex", L"Skipped C:hmcu0997.hex", L"Skipped sub\\..\\hmcu0996.hex",
      L"Skipped hmcu0994?.hex", L"Skipped hmcu0993?.hex"},
     {L"hmcu0450.hex"}},
};

class FirmwareDownloadScenario : public FirmwareDownloadTest, public testing::WithParamInterface<Scenario> {};

TEST_P(FirmwareDownloadScenario, CopiesWhatIsNewerAndSound)
{
    const Scenario& scenario = GetParam();
    for (const std::string& name : scenario.local)
        m_local.Write(Widen(name), ContentFor(name));
    for (const std::string& name : scenario.readOnly)
        SetFileAttributesW(m_local.File(Widen(name)).c_str(), FILE_ATTRIBUTE_READONLY);
    for (const std::string& name : scenario.served)
        ServeFile(name, ContentFor(name));
    for (const std::string& name : scenario.corrupt)
        ServeFile(name, CorruptHex(name));
    // A folder named like newer firmware is never fetched.
    CreateDirectoryW((m_firmware + L"\\hmcu0999.hex").c_str(), nullptr);
    ASSERT_TRUE(m_server.Start(m_root.Path()));
    for (const std::string& name : scenario.listedOnly)
        ASSERT_TRUE(m_server.ListExtraName(name));
    GetModel().Trace.Set(scenario.trace ? 1 : 0);

    const DownloadRun run = RunDownload(m_local.Path());
    m_server.Poll();

    EXPECT_EQ(run.end, scenario.end);
    EXPECT_EQ(m_server.Retrieved(), scenario.retrieved);
    EXPECT_EQ(FolderNames(m_local.Path()), scenario.localAfter);
    EXPECT_EQ(run.offeredClose, scenario.trace || scenario.end != IDOK);
    for (const std::wstring& line : scenario.logLines)
        EXPECT_NE(run.log.find(line), std::wstring::npos) << "missing: " << testing::PrintToString(line) << "\nin:\n"
                                                          << testing::PrintToString(run.log);
    // Taken files hold what the server held.
    for (const std::string& name : scenario.retrieved) {
        if (scenario.localAfter.count(Widen(name))) {
            EXPECT_EQ(ReadFileBytes(m_local.File(Widen(name))), m_served[name]) << name;
        }
    }
    // Nothing was written beside the folder either.
    const std::set<std::wstring> beside = FolderNames(m_local.Path() + L"\\..");
    for (const wchar_t* name : {L"hmcu0999.hex", L"hmcu0997.hex", L"hmcu0996.hex"})
        EXPECT_EQ(beside.count(name), 0u) << testing::PrintToString(std::wstring(name));
}

INSTANTIATE_TEST_SUITE_P(Roads, FirmwareDownloadScenario, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST_F(FirmwareDownloadTest, NoServerFailsWithCannotConnect)
{
    m_local.Write(L"hmcu0450.hex", ContentFor("hmcu0450.hex"));
    const DownloadRun run = RunDownload(m_local.Path());
    EXPECT_EQ(run.end, CFtpDlg::kFailed);
    EXPECT_TRUE(run.offeredClose);
    EXPECT_NE(run.log.find(L"InternetConnect completed with error 0x00002EFD"), std::wstring::npos)
        << testing::PrintToString(run.log);
    EXPECT_EQ(FolderNames(m_local.Path()), (std::set<std::wstring>{L"hmcu0450.hex"}));
}

TEST_F(FirmwareDownloadTest, StartsOnTheFirstShowOnly)
{
    ServeFile("hmcu0470.hex", ContentFor("hmcu0470.hex"));
    ASSERT_TRUE(m_server.Start(m_root.Path()));
    GetModel().Trace.Set(1);
    CTestWindow owner([](UINT, WPARAM, LPARAM, LRESULT&) { return false; });
    bool hidden = false;

    // Hiding and showing the owner, once the download has started, shows the
    // dialog again.
    const DownloadRun run = RunDownload(
        m_local.Path(),
        [&](HWND dialog) {
            if (!hidden && GetWindowString(GetDlgItem(dialog, IDC_RICH_EDIT)).find(L"Open connection") !=
                               std::wstring::npos) {
                hidden = true;
                ShowOwnedPopups(owner.Handle(), FALSE);
                ShowOwnedPopups(owner.Handle(), TRUE);
            }
        },
        owner.Handle());
    m_server.Poll();

    EXPECT_EQ(run.end, IDOK);
    EXPECT_EQ(m_server.Retrieved(), (std::set<std::string>{"hmcu0470.hex"}));
    const std::wstring open = L"Open connection to 127.0.0.1";
    const size_t first = run.log.find(open);
    EXPECT_NE(first, std::wstring::npos);
    EXPECT_EQ(run.log.find(open, first + 1), std::wstring::npos) << testing::PrintToString(run.log);
}

// Whatever the server does, a Cancel ends the dialog within about two
// seconds; the limit here only catches a hang (the benchmark prints the time).
constexpr DWORD kCancelLimitMs = 5000;

// True while another handle holds the file without sharing it.
bool IsHeld(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

struct CancelPoint {
    const char* name;
    unsigned throttle;  // bytes a second
    unsigned stall;     // bytes of a file sent before its transfer is held
    const char* event;  // what the server has seen when Cancel is pressed
    const char* done;   // what it sees once the transfer it was in has ended
    bool partialFileExists;
};

class FirmwareDownloadCancel : public FirmwareDownloadTest, public testing::WithParamInterface<CancelPoint> {};

void PrintTo(const CancelPoint& point, std::ostream* out) { *out << point.name; }

const CancelPoint kCancelPoints[] = {
    {"DuringTheListing", 300, 0, "list", "listed", false},
    {"DuringAStalledTransfer", 0, 64 * 1024, "stalled", "sent", true},
};

TEST_P(FirmwareDownloadCancel, EndsSoonAndTheNextRunLeavesNothingBehind)
{
    const CancelPoint& point = GetParam();
    m_local.Write(L"hmcu0450.hex", ContentFor("hmcu0450.hex"));
    ServeFile("hmcu0490.hex", FirmwareHexText(160 * 1024, 490));
    for (const char* name : {"readme1.txt", "readme2.txt", "readme3.txt", "readme4.txt", "readme5.txt"})
        ServeFile(name, name);
    ASSERT_TRUE(m_server.Start(m_root.Path()));
    ASSERT_TRUE(m_server.Throttle(point.throttle));
    ASSERT_TRUE(m_server.Stall(point.stall));
    const std::wstring partial = m_local.File(L"hmcu0490.hex.partial");
    DWORD cancelledAt = 0;

    const DownloadRun run = RunDownload(m_local.Path(), [&](HWND dialog) {
        m_server.Poll();
        if (!cancelledAt && m_server.Saw(point.event) &&
            (!point.partialFileExists || GetFileAttributesW(partial.c_str()) != INVALID_FILE_ATTRIBUTES)) {
            cancelledAt = GetTickCount();
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const DWORD closing = GetTickCount() - cancelledAt;

    ASSERT_NE(cancelledAt, 0u);
    EXPECT_EQ(run.end, IDCANCEL);
    EXPECT_FALSE(run.offeredClose);
    EXPECT_LT(closing, kCancelLimitMs);
    // Nothing was taken; what WinINet still writes keeps its temporary name.
    std::set<std::wstring> names = FolderNames(m_local.Path());
    names.erase(L"hmcu0490.hex.partial");
    EXPECT_EQ(names, (std::set<std::wstring>{L"hmcu0450.hex"}));

    // The server goes on, and WinINet ends the transfer after the dialog has
    // gone; a next run with nothing new to fetch leaves nothing behind.
    ASSERT_TRUE(m_server.Stall(0));
    ASSERT_TRUE(m_server.Throttle(0));
    EXPECT_TRUE(PumpUntil(
        [&] {
            m_server.Poll();
            return m_server.Saw(point.done) && !IsHeld(partial);
        },
        10000));
    ASSERT_TRUE(DeleteFileW((m_firmware + L"\\hmcu0490.hex").c_str()));
    const DownloadRun next = RunDownload(m_local.Path());
    EXPECT_EQ(next.end, IDOK);
    EXPECT_EQ(FolderNames(m_local.Path()), (std::set<std::wstring>{L"hmcu0450.hex"}));
}

INSTANTIATE_TEST_SUITE_P(Points, FirmwareDownloadCancel, testing::ValuesIn(kCancelPoints),
                         [](const testing::TestParamInfo<CancelPoint>& info) { return std::string(info.param.name); });

// Windows' side of WinINet's contract, which Wine does not show: a call that
// returns TRUE is done and sends no completion; one that fails with 997
// sends one; the connection's HANDLE_CLOSING comes only after its pending
// requests, and the socket's CONNECTION_CLOSED may come before it.
class FirmwareDownloadContract : public testing::Test {
protected:
    void SetUp() override
    {
        m_local.Write(L"hmcu0450.hex", ContentFor("hmcu0450.hex"));
        // The firmware file is the listing's second entry, found by a find-next.
        m_internet.Serve("readme.txt", ContentFor("readme.txt"));
        m_internet.Serve("hmcu0470.hex", ContentFor("hmcu0470.hex"));
        GetModel().Trace.Set(1);
    }
    void TearDown() override { GetModel().Trace.Set(0); }

    CTempFolder m_local;
    CFakeInternet m_internet;
};

struct ContractRoad {
    const char* name;
    std::map<CFakeInternet::Call, CFakeInternet::Answer> answers;
    // The (result, error) that end the pending requests, in turn.
    std::vector<std::pair<DWORD_PTR, DWORD>> completions;
    INT_PTR end;
    std::vector<std::wstring> logLines;
    bool copied;
};

void PrintTo(const ContractRoad& road, std::ostream* out) { *out << road.name; }

using Fake = CFakeInternet;

const ContractRoad kContractRoads[] = {
    {"EveryCallDoneAtOnce", {}, {}, IDOK, {L"Copied hmcu0470.hex from Zentrova"}, true},
    {"EveryRequestPending",
     {{Fake::kSetDirectory, {Fake::kPending}}, {Fake::kGetFile, {Fake::kPending}}},
     {{1, ERROR_SUCCESS}, {1, ERROR_SUCCESS}}, IDOK, {L"Copied hmcu0470.hex from Zentrova"}, true},
    // The connection's handle comes first, its completion later.
    {"ConnectionPending", {{Fake::kConnect, {Fake::kPending}}}, {{1, ERROR_SUCCESS}}, IDOK,
     {L"Copied hmcu0470.hex from Zentrova"}, true},
    {"ConnectionRefusedLater",
     {{Fake::kConnect, {Fake::kPending}}}, {{0, ERROR_INTERNET_CANNOT_CONNECT}}, CFtpDlg::kFailed,
     {L"InternetConnect completed with error 0x00002EFD"}, false},
    // A completion that failed without saying why is still a failure.
    {"FailureWithoutAnError",
     {{Fake::kSetDirectory, {Fake::kPending}}}, {{0, ERROR_SUCCESS}}, CFtpDlg::kFailed,
     {L"FtpSetCurrentDirectory completed with error 0x00002EE4"}, false},
    // An empty directory: the listing finds no file.
    {"NoFileAtOnceEndsTheListing",
     {{Fake::kFindFirst, {Fake::kFail, ERROR_FILE_NOT_FOUND}}}, {}, IDOK,
     {L"FtpFindFile completed with error 0x00000002", L"Click \"Close\""}, false},
    {"NoFileAtOnceElsewhereFails",
     {{Fake::kSetDirectory, {Fake::kFail, ERROR_FILE_NOT_FOUND}}}, {}, CFtpDlg::kFailed,
     {L"FtpSetCurrentDirectory completed with error 0x00000002"}, false},
};

class FirmwareDownloadRoad : public FirmwareDownloadContract, public testing::WithParamInterface<ContractRoad> {};

TEST_P(FirmwareDownloadRoad, EndsAsTheCallsSay)
{
    const ContractRoad& road = GetParam();
    for (const auto& [call, answer] : road.answers)
        m_internet.SetAnswer(call, answer);
    size_t completed = 0;

    const DownloadRun run = RunDownload(m_local.Path(), [&](HWND) {
        if (m_internet.PendingCount() && completed < road.completions.size()) {
            const auto [result, error] = road.completions[completed++];
            m_internet.Complete(result, error);
        }
    });

    EXPECT_EQ(completed, road.completions.size());
    EXPECT_EQ(run.end, road.end);
    EXPECT_TRUE(run.offeredClose);
    for (const std::wstring& line : road.logLines)
        EXPECT_NE(run.log.find(line), std::wstring::npos) << "missing: " << testing::PrintToString(line) << "\nin:\n"
                                                          << testing::PrintToString(run.log);
    std::set<std::wstring> expected{L"hmcu0450.hex"};
    if (road.copied)
        expected.insert(L"hmcu0470.hex");
    EXPECT_EQ(FolderNames(m_local.Path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Roads, FirmwareDownloadRoad, testing::ValuesIn(kContractRoads),
                         [](const testing::TestParamInfo<ContractRoad>& info) { return std::string(info.param.name); });

TEST_F(FirmwareDownloadContract, CancelWaitsForTheConnectionToLetGoOfTheFile)
{
    m_internet.SetAnswer(Fake::kGetFile, {Fake::kPending});
    DWORD cancelledAt = 0;
    bool completed = false;

    // The pending transfer ends a while after its socket has closed.
    const DownloadRun run = RunDownload(m_local.Path(), [&](HWND dialog) {
        if (!cancelledAt && m_internet.PendingCount()) {
            cancelledAt = GetTickCount();
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        } else if (cancelledAt && !completed && GetTickCount() - cancelledAt > 300) {
            completed = true;
            m_internet.Complete(0, ERROR_INTERNET_OPERATION_CANCELLED);
        }
    });

    EXPECT_TRUE(completed);
    EXPECT_EQ(run.end, IDCANCEL);
    EXPECT_EQ(FolderNames(m_local.Path()), (std::set<std::wstring>{L"hmcu0450.hex"}));
}

TEST_F(FirmwareDownloadContract, ACancelledRunsLateCallbacksReachNoLaterRun)
{
    // The first run's transfer never ends while its dialog is up.
    m_internet.SetAnswer(Fake::kGetFile, {Fake::kPending});
    DWORD cancelledAt = 0;
    const DownloadRun first = RunDownload(m_local.Path(), [&](HWND dialog) {
        if (!cancelledAt && m_internet.PendingCount()) {
            cancelledAt = GetTickCount();
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const DWORD closing = GetTickCount() - cancelledAt;
    ASSERT_NE(cancelledAt, 0u);
    EXPECT_EQ(first.end, IDCANCEL);
    EXPECT_LT(closing, kCancelLimitMs);

    // It ends, and its connection closes, while the next run waits for its
    // own first request.
    m_internet.SetAnswer(Fake::kGetFile, {Fake::kAtOnce});
    m_internet.SetAnswer(Fake::kSetDirectory, {Fake::kPending});
    const DownloadRun next = RunDownload(m_local.Path(), [&](HWND) {
        if (m_internet.PendingCount() == 2) {
            m_internet.Complete(0, ERROR_INTERNET_OPERATION_CANCELLED);
            m_internet.Complete(1, ERROR_SUCCESS);
        }
    });
    EXPECT_EQ(next.end, IDOK) << testing::PrintToString(next.log);
    EXPECT_EQ(FolderNames(m_local.Path()), (std::set<std::wstring>{L"hmcu0450.hex", L"hmcu0470.hex"}));
}

}  // namespace
