// The RF gain machine against a radio that misbehaves: every wait ends, every
// failure has its code, and the restore puts back what it can.
#include "RFGainFixture.h"

namespace {

using RFGainFaultTest = RFGainTest;

// A control that never takes its value ends the set-up with its code after
// three tries, instead of trying for ever.
TEST_F(RFGainFaultTest, FilterThatNeverTakesItsWidthEndsTheSetUpAfterThreeTries)
{
    ASSERT_EQ(Prepare(), 0);
    radio.Control("rx stuck BW 0050");
    EXPECT_EQ(SetUp(0), E_NO_RESPONSE_BW);
    EXPECT_EQ(Count("BW0010;"), 3u);
    EXPECT_EQ(Count("BW;"), 4u);
}

// A DSP that only ever says "(FD)" ends the command with its code: 256 such
// replies are an attempt that timed out.
TEST_F(RFGainFaultTest, DspThatOnlySaysFDEndsWithTheCommandsCode)
{
    radio.Control("dsp fd forever");
    EXPECT_EQ(Calibrate(0, RFGC_SOURCE_FACTORY), E_NO_RESPONSE_RFGC_TABLE_WRITE);
    EXPECT_EQ(SyncLengths(), (std::vector<size_t>{256, 256}));
    EXPECT_EQ(Count("!bc"), 0u);
}

// "(FD)" starts the count of the sync again; a wrong complement fails the
// attempt, whose next sync is 8 long, and the second failure ends the state.
TEST_F(RFGainFaultTest, SyncCountsOnlyRepliesInARowAndAWrongComplementGetsOneMoreAttempt)
{
    radio.Control("dsp fd 5");
    radio.Control("dsp complement 2");
    const std::vector<uint8_t> table = Table("main");
    EXPECT_EQ(Calibrate(0, RFGC_SOURCE_FACTORY), E_DSP_RESPONSE_NOT_COMPLEMENT);
    EXPECT_EQ(SyncLengths(), (std::vector<size_t>{130 + 5, 8}));
    EXPECT_EQ(Count("!bc"), 2u);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), std::vector<uint8_t>(128, 0xFF));
}

TEST_F(RFGainFaultTest, TableReadOneByteTooLongOrShortStoresNothing)
{
    radio.Control("dsp extra 1");
    EXPECT_EQ(Calibrate(0, RFGC_SOURCE_CURRENT), E_RFGC_TABLE_READ_UNEXPECTED);

    radio.ClearLog();
    radio.Control("dsp short 1");
    EXPECT_EQ(Calibrate(0, RFGC_SOURCE_CURRENT), E_NO_RESPONSE_RFGC_TABLE_READ);
    EXPECT_EQ(Count("!bb"), 2u);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), std::vector<uint8_t>(128, 0xFF));
}

// A restore step that fails is reported at the end, and the steps after it
// still run: auto information, the second receiver and the command mode come
// back. Cancel during the restore does not cut it short, and the next start
// forgets the failure.
TEST_F(RFGainFaultTest, RestoreGoesOnPastASilentControlAndIgnoresCancel)
{
    radio.Control("rx set ai=1 sb=1");
    const State before = radio.State();
    ASSERT_EQ(Prepare(), 0);
    ASSERT_EQ(SetUp(0), 0);
    radio.IgnoreNext("RG", 100);
    radio.ClearLog();
    ASSERT_TRUE(machine.StartRestore(sheet.Handle()));
    ASSERT_TRUE(radio.WaitForCommand("RG;", 5000));
    machine.Cancel();
    ASSERT_TRUE(PumpUntil([&] { return machine.IsIdle(); }, 10000));
    ASSERT_EQ(sheet.finished.size(), 3u);
    EXPECT_EQ(sheet.finished.back(), E_NO_RESPONSE_RG);
    EXPECT_EQ(Count("RG;"), 3u);
    ExpectRestored(before, radio.State(), {"rg"});
    EXPECT_EQ(radio.CommandMode(), "0");

    radio.IgnoreNext("RG", 0);
    EXPECT_EQ(Restore(), 0);
    ExpectRestored(before, radio.State());
}

// Cancel while the table goes to EEPROM waits for the write: the table is
// never left part new, part old.
TEST_F(RFGainFaultTest, CancelDuringTheEepromWriteLetsTheWholeTableIn)
{
    radio.IgnoreNext("EW", 1, 1);
    ASSERT_TRUE(machine.StartCalibrate(sheet.Handle(), 0, RFGC_SOURCE_FACTORY));
    ASSERT_TRUE(radio.WaitForCommandCount("EW", 2, 10000));
    EXPECT_TRUE(machine.Cancel());
    ASSERT_TRUE(PumpUntil([&] { return machine.IsIdle(); }, 10000));
    EXPECT_EQ(sheet.finished.back(), 0);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128),
              std::vector<uint8_t>(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end()));
}

// From the moment a block of the table has gone out, acknowledged or not,
// until the last is, EEPROM may hold a table part new, part old: it counts
// as incomplete. A write that never sent a block left EEPROM as it was.
TEST_F(RFGainFaultTest, TheStoredTableIsIncompleteOnceABlockHasGoneOutUntilTheLast)
{
    const struct {
        const char* what;
        // Before the write starts, and once its first block has reached the radio.
        std::function<void()> before;
        std::function<void()> atFirstBlock;
        bool failed;
        bool incomplete;
    } rows[] = {
        {"the port closed at the write's start", [] { GetModel().ClosePort(); }, nullptr, true, false},
        {"the whole table", nullptr, nullptr, false, false},
        // Written by the radio, its acknowledgement never heard.
        {"the cable pulled as the first block goes out", [&] { radio.SetReplyDelay(500); }, [&] { radio.Unplug(); },
         true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Contact();
        if (row.before)
            row.before();
        const HRESULT result = Run([&] {
            if (!machine.StartAt(machine.m_writeProm))
                return false;
            if (row.atFirstBlock && radio.WaitForCommand("EW", 5000))
                row.atFirstBlock();
            return true;
        });
        EXPECT_EQ(result != 0, row.failed) << std::hex << result;
        EXPECT_EQ(machine.IsStoredTableIncomplete(), row.incomplete);
        EXPECT_EQ(machine.IsTableStored(), !row.failed);
    }
}

// Replies that come while the signal-level box is up belong to no question
// of the machine: "(5A)" then would count as a sync reply of the next
// measurement. It is thrown away when the box closes: traced, no reply of
// the run shows it.
TEST_F(RFGainFaultTest, ReplyWhileTheSignalLevelBoxIsUpIsDropped)
{
    GetModel().Trace.Set(1);
    radio.Control("dsp signal main -100");
    DWORD said = 0;
    boxes.AddAnswer(IDRETRY, [&] {
        if (said == 0) {
            radio.Control("say (5A)");
            said = GetTickCount();
        }
        return GetTickCount() - said > 300;
    });
    boxes.AddAnswer(IDABORT);
    EXPECT_EQ(Run([&] { return machine.StartHighLevel(sheet.Handle(), 0); }), E_RFGC_SIGNAL_TOO_LOW);
    PumpFor(200);
    GetModel().Trace.Set(0);
    EXPECT_EQ(sheet.finished.size(), 1u);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"RF Gain Calibration Error");
    EXPECT_EQ(boxes[0].text, FormatErrorText(E_RFGC_SIGNAL_TOO_LOW));
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    // The second measurement starts afresh: its pause, then a whole sync.
    EXPECT_EQ(SyncLengths(), (std::vector<size_t>{4, 4}));
    EXPECT_EQ(Count("!bd"), 2u);
    EXPECT_EQ(Count("!b8"), 0u);
    EXPECT_NE(std::find(sheet.progress.begin(), sheet.progress.end(), L"Received signal level is -100 dBm"),
              sheet.progress.end());
    EXPECT_EQ(std::count_if(sheet.progress.begin(), sheet.progress.end(),
                            [](const std::wstring& line) { return line.find(L"(5A)") != std::wstring::npos; }),
              0);
}

// A reply in the pause before a DSP command answers nothing: the sync still
// begins with "!02" and is whole, and the command goes out once.
TEST_F(RFGainFaultTest, ReplyInThePauseBeforeADspCommandIsNoSyncReply)
{
    EXPECT_EQ(Run([&] {
                  const bool started = machine.StartCalibrate(sheet.Handle(), 0, RFGC_SOURCE_FACTORY);
                  radio.Control("say (5A)");
                  return started;
              }),
              0);
    EXPECT_EQ(SyncLengths(), (std::vector<size_t>{130}));
    EXPECT_EQ(Count("!bc"), 1u);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), Table("main"));
}

// A report the radio sends on its own is no answer to "AI;": the value
// restored is the radio's auto-information setting.
TEST_F(RFGainFaultTest, UnsolicitedFrequencyReportIsNoAutoInformationValue)
{
    radio.Control("rx set ai=1");
    radio.IgnoreNext("AI;", 1);
    ASSERT_TRUE(machine.StartPrepare(sheet.Handle()));
    ASSERT_TRUE(radio.WaitForCommand("AI;", 5000));
    radio.Control("rx tune 00014070000");
    ASSERT_TRUE(PumpUntil([&] { return machine.IsIdle(); }, 10000));
    ASSERT_EQ(sheet.finished.back(), 0);
    ASSERT_EQ(Restore(), 0);
    EXPECT_EQ(Count("AI1;"), 1u);
    EXPECT_EQ(Count("FA00014070000;"), 0u);
    EXPECT_EQ(radio.State().at("ai"), "1");
}

}  // namespace
