// Full 5 W calibrations against the simulated radio, and the runs that a
// radio's fault ends: each leaves the radio as it found it.
#include <algorithm>

#include "ErrorText.h"
#include "TXGainFixture.h"

namespace {

class TXGainRunsTest : public TXGainRadioTest {};

TEST_F(TXGainRunsTest, FullRunAtMcu455RestoresEveryKindOfSetting)
{
    Contact();
    // Settings that each kind of restore entry must bring back.
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"rt", "1"}, {"xt", "1"}, {"ro", "+0150"}, {"q5", "1"}, {"an", "2"}, {"m058", "010"}, {"m023", "002"}})
        Set(name, value);
    radio.Control("tech-steps 2");
    radio.Control("out-of-band 2 1");
    const std::wstring expected = SetGains(radio, TXGAIN_LEVEL_5W);
    const RadioState before = State();

    ASSERT_EQ(Run(TXGAIN_LEVEL_5W), 0);
    EXPECT_EQ(Summary(), expected) << "the out-of-band band keeps its line";
    EXPECT_EQ(machine.GetProgressText(), L"5 watt calibration succeeded\n");
    const RadioState after = State();
    ExpectRestored(before, after);
    EXPECT_EQ(after.at("m078"), "1") << "TX ALC stays on";
    EXPECT_EQ(after.at("tt"), "0");
    EXPECT_EQ(after.at("db"), "00");

    const std::vector<std::string> commands = radio.Commands();
    const std::vector<std::string> start(commands.begin(), commands.begin() + 6);
    EXPECT_EQ(start, (std::vector<std::string>{"TT0;", "DB00;", "OM;", "TQ;", "IC;", "MN051;"}));
    EXPECT_EQ(IndexOf(commands, "Q7"), commands.size()) << "no command mode from MCU 346";
    EXPECT_EQ(CountCommand("SWH16;"), 11u);
    EXPECT_EQ(CountCommand("MN079;"), 11u);
    EXPECT_EQ(CountCommand("MN023;"), 11u + 11u) << "set, then restored, per band";
    size_t at = 0;
    for (unsigned band = 0; band < 11; ++band) {
        char set[32];
        snprintf(set, sizeof set, "BN%02u;", band);
        at = IndexOf(commands, set, at);
        ASSERT_LT(at, commands.size()) << band;
        snprintf(set, sizeof set, "FA000%05u000;", kBandKHz[band]);
        ASSERT_LT(IndexOf(commands, set, at), IndexOf(commands, "SWH16;", at)) << band;
    }
    EXPECT_EQ(page.CountProgress(L"Calibrating at 1.900 MHz"), 1u);
    EXPECT_EQ(page.CountProgress(L"Calibration skipped for Out-of-Band frequency 5.336 MHz"), 1u);
    EXPECT_EQ(page.progress.front(), L"Starting 5 watt calibration");
    EXPECT_EQ(page.progress.back(), L"5 watt calibration succeeded");
}

TEST_F(TXGainRunsTest, SwrTooHighUnkeysAtOnceAndEndsWithC3)
{
    Contact();
    radio.Control("swr 2 20");
    // That "RX;" lost (bands 0 and 1 unkey first), the restore's unkey still
    // unkeys: it waits for "TQ0;".
    radio.IgnoreNext("RX;", 1, 2);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_TXGC_SWR_TOO_HIGH);
    const std::vector<SimulatedCommand> log = radio.Log();
    size_t swr = 0;
    while (swr < log.size() && log[swr].reply != "DS@@@@@2\xB0>@@;")
        ++swr;
    ASSERT_LT(swr + 1, log.size());
    EXPECT_EQ(log[swr + 1].command, "RX;");
    EXPECT_EQ(machine.GetProgressText(), L"SWR 2.0-1 is too high for calibration\n" +
                                             FormatErrorText(E_TXGC_SWR_TOO_HIGH) + L"\n5 watt calibration failed\n");
    EXPECT_EQ(page.CountProgress(L"Verify that a dummy load is attached to ANT 1"), 1u);
    EXPECT_EQ(SummaryLines(), 2u) << "bands 0 and 1";
}

TEST_F(TXGainRunsTest, AnSwrDisplayTooLongToReadIsAskedAgainUntilTheRunEnds)
{
    Contact();
    radio.Control("swr-display 2 4294967305>");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_DS);
    const std::vector<SimulatedCommand> log = radio.Log();
    const auto garbled = std::count_if(log.begin(), log.end(), [](const SimulatedCommand& entry) {
        return entry.reply == "DS4294967305>@@;";
    });
    EXPECT_EQ(garbled, 8) << "each of the state's sends";
    EXPECT_EQ(SummaryLines(), 2u) << "bands 0 and 1";
}

// One wizard's runs in one record, in their order: a run refused before its
// first band adds nothing; a failed run's text follows its own band lines.
TEST_F(TXGainRunsTest, TheRecordSaysWhichRunFailedAfterItsOwnBandLines)
{
    Contact();
    const std::wstring gains = SetGains(radio, TXGAIN_LEVEL_5W);
    std::vector<std::wstring> band;
    for (size_t at = 0, end; (end = gains.find(L'\n', at)) != std::wstring::npos; at = end + 1)
        band.push_back(gains.substr(at, end + 1 - at));
    Set("tx-test", "1");
    ASSERT_EQ(Run(TXGAIN_LEVEL_5W), E_TXGC_NOT_TX_NORM);
    Set("tx-test", "0");
    radio.Control("swr 1 20");
    ASSERT_EQ(Run(TXGAIN_LEVEL_5W), E_TXGC_SWR_TOO_HIGH);
    radio.Control("swr 1 0");
    radio.Control("swr 2 20");
    ASSERT_EQ(Run(TXGAIN_LEVEL_5W), E_TXGC_SWR_TOO_HIGH);
    // The file's block, after its header lines.
    const std::wstring block = FormatTXGainBlock(SYSTEMTIME{}, machine.GetRecord(), L"version");
    const std::wstring failed = L"5 watt calibration failed\r\n";
    const std::wstring lines = L"version\r\n" + band[0] + failed + band[0] + band[1] + failed + L"\r\n";
    ASSERT_GE(block.size(), lines.size());
    EXPECT_EQ(block.substr(block.size() - lines.size()), lines) << block;
}

TEST_F(TXGainRunsTest, PowerOffTheLevelEndsWithC5AfterReceive)
{
    Contact();
    radio.Control("power-error 4");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_TXGC_POWER_NOT_REACHED);
    EXPECT_EQ(CountCommand("SWH16;"), 1u);
    EXPECT_EQ(CountCommand("DB;"), 4u);
    EXPECT_TRUE(Summary().empty());
}

TEST_F(TXGainRunsTest, PowerThatNeverSettlesEndsWithC4AfterListingTheSamples)
{
    Contact();
    radio.Control("settle 1000");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_TXGC_POWER_NOT_CONVERGED);
    EXPECT_EQ(CountCommand("DB;"), 21u);
    const auto settle = std::find(page.progress.begin(), page.progress.end(), L"Power did not settle\nSample values:\n");
    ASSERT_NE(settle, page.progress.end());
    ASSERT_GE(page.progress.end() - settle, 5);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NE(settle[i].find(L" W;"), std::wstring::npos) << settle[i];
}

TEST_F(TXGainRunsTest, RadioOnABandBeyondTheTableEndsWithBnCode)
{
    Contact();
    Set("bn", "11");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_BN);
    EXPECT_EQ(CountCommand("BN;"), 8u);
    EXPECT_EQ(CountCommand("FA00001900000;"), 0u);
}

TEST_F(TXGainRunsTest, TxTestEndsWithC0BeforeAnyMenu)
{
    Contact();
    Set("tx-test", "1");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_TXGC_NOT_TX_NORM);
    EXPECT_EQ(radio.Commands(), (std::vector<std::string>{"TT0;", "DB00;", "OM;", "TQ;", "IC;"}));
    EXPECT_EQ(page.CountProgress(L"TX Gain Calibration requires TX NORM, not TX TEST"), 1u);
}

TEST_F(TXGainRunsTest, SilentVfoBFromBand4EndsThereRestored)
{
    Contact();
    // The preparation's query, then three a band (save, set, restore); band
    // 4's eight are lost, the restore's are answered.
    radio.IgnoreNext("FB;", 8, 1 + 4 * 3);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_FB);
    EXPECT_EQ(SummaryLines(), 4u);
    EXPECT_EQ(CountCommand("FA00014200000;"), 0u) << "band 4 was the last";
}

TEST_F(TXGainRunsTest, CancelWhileKeyedUnkeysAndRestores)
{
    Contact();
    const RadioState before = State();
    ASSERT_TRUE(machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W));
    ASSERT_TRUE(radio.WaitForCommand("SWH16;", 20000));
    EXPECT_TRUE(machine.CancelCalibration());
    ASSERT_TRUE(page.WaitForFinish(20000));
    EXPECT_EQ(page.finished.front(), static_cast<HRESULT>(ERROR_CANCELLED));
    ExpectRestored(before, State());
    EXPECT_EQ(CountCommand("SWH16;"), 1u);
    EXPECT_GE(CountCommand("RX;"), 1u);
    EXPECT_EQ(machine.GetProgressText(), FormatErrorText(ERROR_CANCELLED) + L"\n5 watt calibration failed\n");
}

// The radio falls silent once TUNE is keyed, for less than the restore's
// eight queries. The run gives up on its own "TQ;"; the restore's unkey finds
// the radio still keyed (the first "RX;" was lost), unkeys it and restores
// exactly. A silence that outlasts the restore is the wizard's test.
TEST_F(TXGainRunsTest, SilenceWhileKeyedIsWaitedOut)
{
    Contact();
    const RadioState before = State();
    ASSERT_TRUE(machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W));
    ASSERT_TRUE(radio.WaitForCommand("SWH16;", 20000));
    radio.SetSilent(true);
    PumpFor(5000);
    radio.SetSilent(false);
    ASSERT_TRUE(page.WaitForFinish(30000));
    EXPECT_EQ(page.finished.front(), E_NO_RESPONSE_TQ);
    EXPECT_EQ(machine.GetRadioWarning(), L"");
    ExpectRestored(before, State());
}

}  // namespace
