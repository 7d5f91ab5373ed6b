// Configuration restore from the Configuration tab against the simulated
// radio: only the saved regions are written, the radio is reset and found
// again; a file that cannot be read or fails its checks sends nothing; older firmware writes byte by byte;
// the close question while writing, also for the program's close.
#include "ConfigEndToEnd.h"
#include "ConfigFixture.h"
#include "ContactStateMachine.h"
#include "resource.h"

using namespace configtest;

namespace {

const wchar_t kRestoreDialog[] = L"Restore Configuration";

class ConfigRestoreEndToEndTest : public ConfigEndToEndTest {
protected:
    void Restore(const std::wstring& path)
    {
        AnswerFileDialog(L"Open", path);
        DriveToolDialog(kRestoreDialog, [](HWND) { return false; });
        radio.ClearLog();
        Press(IDC_RESTORE_CONFIGURATION);
    }
};

}  // namespace

TEST_F(ConfigRestoreEndToEndTest, OnlyTheSavedRegionsAreWrittenThenTheRadioIsResetAndFoundAgain)
{
    Connect();
    const std::vector<uint8_t> pattern{1, 2, 3, 4, 5, 6, 7, 8};
    radio.WriteEeprom(0x00F8, std::vector<uint8_t>(8, 0x33));
    const std::wstring path = folder.Write(L"restore.Q7Config", FileOf({{0x00F8, pattern}, {0x0400, pattern}}));
    Restore(path);
    EXPECT_FALSE(toolFailed);
    EXPECT_EQ(radio.ReadEeprom(0x00F8, 8), (std::vector<uint8_t>{1, 2, 3, 4, 0x33, 0x33, 0x33, 0x33}))
        << "0x00FC on lies outside the saved regions";
    EXPECT_EQ(radio.ReadEeprom(0x0400, 8), std::vector<uint8_t>(8, 0xFF));
    const std::vector<SimulatedCommand> log = radio.Log();
    size_t reset = 0;
    while (reset < log.size() && log[reset].command != "LDD20000;")
        ++reset;
    ASSERT_LT(reset + 1, log.size());
    // From write to write: the radio stamps a command when its last byte is
    // in, and when it reads the line, a little after the write.
    const auto written = [](const SimulatedCommand& entry) {
        return entry.ms - entry.command.size() * 10 * 1000.0 / entry.speed;
    };
    constexpr double kReadLatencyMs = 1;
    EXPECT_GE(written(log[reset + 1]) - written(log[reset]), 5500 - kReadLatencyMs) << "the wait after the reset";
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(CTabView::TAB_CONFIGURATION), IDC_RESTORE_CONFIGURATION)));
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

TEST_F(ConfigRestoreEndToEndTest, AFileThatCannotBeReadOrFailsItsChecksSendsNothing)
{
    Connect();
    std::string corrupt = FileOf({{0x0100, {1, 2, 3}}});
    corrupt[corrupt.find("010203")] = '1';
    const std::wstring held = folder.Write(L"held.Q7Config", FileOf({{0x0100, {1, 2, 3}}}));
    const HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const struct {
        const char* what;
        std::wstring path;
        const wchar_t* caption;
    } cases[] = {
        {"corrupted", folder.Write(L"corrupt.Q7Config", corrupt), L"Restore Configuration Error"},
        {"empty", folder.Write(L"empty.Q7Config", ""), L"Restore Configuration Error"},
        {"held open by another program", held, L"Configuration file read error"},
    };
    std::wstring path;
    AnswerFileDialogs(L"Open", [&] { return path; });
    boxes.OnDialog(kRestoreDialog, [](HWND dialog) { return Cancel(dialog); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = boxes.Count();
        path = c.path;
        radio.ClearLog();
        Press(IDC_RESTORE_CONFIGURATION);
        EXPECT_TRUE(radio.Commands().empty());
        ASSERT_EQ(boxes.Count(), before + 1);
        EXPECT_EQ(boxes[before].caption, c.caption);
        EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING) << "the radio was not reset";
    }
    CloseHandle(holder);
}

// The cable pulled in the middle of the writes: the radio holds part of the
// file, and the failure box says what to do about it after the cause.
TEST_F(ConfigRestoreEndToEndTest, ACablePulledMidWriteIsToldWithTheAdviceToRestoreAgain)
{
    Connect();
    radio.SetReplyDelay(50);
    const std::vector<uint8_t> page(0x100, 0x5A);
    AnswerFileDialog(L"Open", folder.Write(L"pulled.Q7Config", FileOf({{0x0100, page}, {0x0200, page}, {0x6800, page}})));
    DriveToolDialog(kRestoreDialog, [this](HWND) {
        if (Count("EW") < 5)
            return false;
        radio.Unplug();
        return true;
    });
    radio.ClearLog();
    Press(IDC_RESTORE_CONFIGURATION);
    EXPECT_TRUE(toolFailed);
    EXPECT_EQ(Count("LDD20000;"), 0u);
    ASSERT_GE(boxes.Count(), 1u);
    const SeenBox& told = boxes.Boxes().back();
    EXPECT_EQ(told.caption, L"Restore Configuration Error");
    const std::wstring advice = L"\nTurn power off and back on, then restore configuration.";
    ASSERT_GT(told.text.size(), advice.size()) << told.text;
    EXPECT_EQ(told.text.substr(told.text.size() - advice.size()), advice) << told.text;
    EXPECT_EQ(StatusText(), L"Failed to restore configuration");
}

namespace {

// The chunks that hold the saved regions and the bytes just past them.
const std::pair<unsigned, unsigned> kAroundSavedRegions[] = {{0x0000, 0x0500}, {0x6800, 0x0300}, {0x7E00, 0x0200}};

std::string MemLine(unsigned address, const std::vector<uint8_t>& bytes)
{
    char line[96];
    int length = snprintf(line, sizeof line, "MEM2 %02X %02X %02X ", address >> 8, address & 0xFF,
                          static_cast<unsigned>(bytes.size()));
    for (uint8_t byte : bytes)
        length += snprintf(line + length, sizeof line - length, "%02X", byte);
    return line;
}

}  // namespace

TEST_F(ConfigRestoreEndToEndTest, ARoundTripBringsBackTheSavedRegionsByteForByteAndTouchesNothingElse)
{
    Connect();
    for (const auto& [start, length] : kAroundSavedRegions) {
        std::vector<uint8_t> bytes(length);
        for (unsigned i = 0; i < length; ++i)
            bytes[i] = PatternByte(start + i);
        radio.WriteEeprom(start, bytes);
    }
    const std::wstring path = folder.File(L"roundtrip.Q7Config");
    AnswerFileDialog(L"Save As", path);
    DriveToolDialog(L"Save Configuration", [](HWND) { return false; });
    Press(IDC_SAVE_CONFIGURATION);
    const std::string saved = ReadFileBytes(path);
    ASSERT_FALSE(saved.empty());
    ASSERT_FALSE(toolFailed);

    // Everything changed, inside the saved regions and out.
    const auto altered = [](unsigned address) { return static_cast<uint8_t>(~PatternByte(address) ^ 0x5A); };
    for (const auto& [start, length] : kAroundSavedRegions) {
        std::vector<uint8_t> bytes(length);
        for (unsigned i = 0; i < length; ++i)
            bytes[i] = altered(start + i);
        radio.WriteEeprom(start, bytes);
    }
    // Lines outside the saved regions, the file sealed again.
    std::vector<std::string> lines = SplitLines(saved);
    lines.pop_back();
    lines.push_back(MemLine(0x00FC, {0x11, 0x22, 0x33, 0x44}));
    lines.push_back(MemLine(0x03FE, {0x55, 0x66, 0x77, 0x88}));
    lines.push_back(MemLine(0x7E20, {0x99, 0xAA}));
    lines.push_back(MemLine(0x6A00, {0xBB}));
    const std::wstring extended = folder.Write(L"extended.Q7Config", Sealed(lines));

    Restore(extended);
    ASSERT_FALSE(toolFailed);
    EXPECT_EQ(boxes.Count(), 0u);
    for (const auto& [start, length] : kAroundSavedRegions) {
        const std::vector<uint8_t> bytes = radio.ReadEeprom(start, length);
        ASSERT_EQ(bytes.size(), length);
        for (unsigned i = 0; i < length; ++i) {
            const unsigned address = start + i;
            const uint8_t expected = InReadableEepromRegion(address, 1) ? PatternByte(address) : altered(address);
            ASSERT_EQ(bytes[i], expected) << "at " << std::hex << address;
        }
    }
    EXPECT_EQ(Count("LDD20000;"), 1u);
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(CTabView::TAB_CONFIGURATION), IDC_SAVE_CONFIGURATION)));
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

TEST_F(ConfigRestoreEndToEndTest, OlderFirmwareWritesByteByByteEachConfirmedByAReadBack)
{
    Connect(38400, 382);
    radio.WriteEeprom(0x00F8, std::vector<uint8_t>(8, 0x33));
    Restore(folder.Write(L"bytes.Q7Config", FileOf({{0x00F8, {1, 2, 3, 4, 5, 6}}})));
    ASSERT_FALSE(toolFailed);
    EXPECT_EQ(radio.ReadEeprom(0x00F8, 8), (std::vector<uint8_t>{1, 2, 3, 4, 0x33, 0x33, 0x33, 0x33}));
    const std::vector<std::string> commands = radio.Commands();
    std::vector<std::string> writes;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].compare(0, 4, "LDPW") != 0)
            continue;
        writes.push_back(commands[i]);
        ASSERT_LT(i + 1, commands.size());
        EXPECT_EQ(commands[i + 1], "LDPR" + commands[i].substr(4, 7) + ";") << "the write confirmed";
    }
    EXPECT_EQ(writes, (std::vector<std::string>{"LDPW000.248.001;", "LDPW000.249.002;", "LDPW000.250.003;",
                                                "LDPW000.251.004;"}));
    EXPECT_EQ(Count("EW"), 0u);
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

namespace {

class ConfigRestoreCloseTest : public ConfigRestoreEndToEndTest {
protected:
    static constexpr unsigned kFirst = 0x0100, kLast = 0x6900;

    // A restore whose close is asked for once the first block is written;
    // the question gets `answer`, once `when` holds.
    void CloseWhileWriting(int answer, std::function<bool()> when = nullptr)
    {
        Connect();
        radio.WriteEeprom(kFirst, std::vector<uint8_t>(0x100, 0x33));
        radio.WriteEeprom(kLast, std::vector<uint8_t>(0x100, 0x33));
        radio.SetReplyDelay(50);
        boxes.AddAnswer(answer, std::move(when));
        const std::string file = FileOf({{kFirst, PatternPage(kFirst)}, {kLast, PatternPage(kLast)}});
        AnswerFileDialog(L"Open", folder.Write(L"close.Q7Config", file));
        DriveToolDialog(kRestoreDialog, [this](HWND dialog) { return Count("EW") > 0 && Cancel(dialog); });
        radio.ClearLog();
        Press(IDC_RESTORE_CONFIGURATION);
    }

    static std::vector<uint8_t> PatternPage(unsigned start)
    {
        std::vector<uint8_t> bytes(0x100);
        for (unsigned i = 0; i < bytes.size(); ++i)
            bytes[i] = PatternByte(start + i);
        return bytes;
    }
};

const wchar_t kInterruptQuestion[] = L"Are you sure you wish to interrupt configuration restore?";

}  // namespace

TEST_F(ConfigRestoreCloseTest, NoToTheCloseQuestionLetsTheRestoreRunToItsEnd)
{
    CloseWhileWriting(IDNO);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, kInterruptQuestion);
    EXPECT_EQ(boxes[0].caption, L"Critical Operation in Progress");
    EXPECT_FALSE(toolFailed);
    EXPECT_EQ(radio.ReadEeprom(kFirst, 0x100), PatternPage(kFirst));
    EXPECT_EQ(radio.ReadEeprom(kLast, 0x100), PatternPage(kLast));
    EXPECT_EQ(Count("LDD20000;"), 1u);
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

TEST_F(ConfigRestoreCloseTest, YesToTheCloseQuestionCancelsTheUnfinishedRestoreAndWarns)
{
    CloseWhileWriting(IDYES);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].text, kInterruptQuestion);
    EXPECT_EQ(boxes[1].text, L"Restore was cancelled. Turn power off and back on, then restore configuration.");
    EXPECT_FALSE(toolFailed);
    // Left partly written, as the warning says.
    EXPECT_NE(radio.ReadEeprom(kFirst, 0x100), std::vector<uint8_t>(0x100, 0x33)) << "the first block was written";
    EXPECT_EQ(radio.ReadEeprom(kLast, 0x100), std::vector<uint8_t>(0x100, 0x33));
    EXPECT_EQ(Count("LDD20000;"), 0u) << "no reset after a cancel";
    EXPECT_EQ(StatusText(), L"Restore configuration was cancelled");
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN) << "a cancel leaves the radio to be found anew";
}

// Yes to a question still open when the restore ends cancels nothing and
// warns of nothing.
TEST_F(ConfigRestoreCloseTest, YesOnlyOnceTheRadioIsBeingFoundAgainGivesNoCancelWarning)
{
    CloseWhileWriting(IDYES, [this] { return !model.Contact().IsIdle(); });
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, kInterruptQuestion);
    EXPECT_EQ(radio.ReadEeprom(kLast, 0x100), PatternPage(kLast));
    EXPECT_EQ(Count("LDD20000;"), 1u);
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

TEST_F(ConfigRestoreCloseTest, YesOnlyOnceTheRestoreHasReportedGivesNoCancelWarning)
{
    CloseWhileWriting(IDYES, [this] { return StatusText() == L"Configuration was restored"; });
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, kInterruptQuestion);
    EXPECT_EQ(radio.ReadEeprom(kLast, 0x100), PatternPage(kLast));
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

// Once "LDD20000;" has gone out the restore is complete: Cancel during the
// reset wait asks nothing, cancels nothing, and the radio is found again.
TEST_F(ConfigRestoreCloseTest, CancelDuringTheResetWaitOnlyWaitsForTheEnd)
{
    Connect();
    AnswerFileDialog(L"Open", folder.Write(L"reset.Q7Config", FileOf({{kFirst, PatternPage(kFirst)}})));
    DriveToolDialog(kRestoreDialog, [this](HWND dialog) { return Count("LDD20000;") > 0 && Cancel(dialog); });
    radio.ClearLog();
    Press(IDC_RESTORE_CONFIGURATION);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_FALSE(toolFailed);
    EXPECT_EQ(radio.ReadEeprom(kFirst, 0x100), PatternPage(kFirst));
    EXPECT_EQ(StatusText(), L"Configuration was restored");
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING) << "the radio was found again";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(CTabView::TAB_CONFIGURATION), IDC_RESTORE_CONFIGURATION)));
}

// The program closed from outside during the reset wait: the restore
// dialog's own rule decides (it waits for the end), and then the program
// closes.
TEST_F(ConfigRestoreCloseTest, TheProgramClosedDuringTheResetWaitClosesOnceTheRestoreHasEnded)
{
    Connect();
    AnswerFileDialog(L"Open", folder.Write(L"reset.Q7Config", FileOf({{kFirst, PatternPage(kFirst)}})));
    const HWND frame = Frame();
    DriveToolDialog(kRestoreDialog, [&](HWND) {
        return Count("LDD20000;") > 0 && PostMessageW(frame, WM_CLOSE, 0, 0);
    });
    radio.ClearLog();
    Press(IDC_RESTORE_CONFIGURATION);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_FALSE(toolFailed);
    EXPECT_EQ(StatusText(), L"Configuration was restored");
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING) << "the radio was found again first";
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 5000));
}
