// The RF gain machine's roads against the simulated transceiver: prepare,
// set-up and restore of both receivers, the stored sources (factory,
// current, registry), the display, and the wizard's cancel.
#include "RFGainInfo.h"
#include "RFGainFixture.h"

namespace {

std::vector<uint8_t> FactoryBytes()
{
    return std::vector<uint8_t>(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end());
}

TEST_F(RFGainTest, PrepareAndBothSetUpsChangeWhatTheyMustAndTheRestorePutsAllBack)
{
    // Every switch the restore taps, and the antenna, start in the state the
    // set-up changes.
    radio.Control("rx set ai=1 an=2 bset=1 notch=2 sub-nr=1 sb=1 sub-antenna=0");
    radio.Control("rx tune 00014070000");
    const State before = radio.State();

    ASSERT_EQ(Prepare(), 0);
    EXPECT_EQ(radio.CommandMode(), "1");
    ASSERT_EQ(SetUp(0), 0);
    State set = radio.State();
    const State mainSet = {{"tx-test", "1"}, {"bset", "0"}, {"sb", "0"}, {"ln", "0"}, {"an", "1"},
                           {"atu", "0"},     {"rx-antenna", "0"}, {"md", "3"}, {"nr", "0"}, {"notch", "0"},
                           {"ra", "00"},     {"pa", "0"},   {"rg", "250"}, {"sq", "000"}, {"bw", "0010"},
                           {"cw-tune", "1"}, {"db", "00"},  {"tt", "0"},   {"ai", "0"}};
    for (const auto& [key, value] : mainSet)
        EXPECT_EQ(set.at(key), value) << key;

    ASSERT_EQ(SetUp(1), 0);
    set = radio.State();
    const State subSet = {{"sb", "1"},     {"sub-antenna", "1"}, {"md$", "3"}, {"sub-nr", "0"}, {"bset", "0"},
                          {"ra$", "00"},   {"pa$", "0"},         {"rg$", "250"}, {"sq$", "000"}, {"bw$", "0010"},
                          {"fb", "00014070000"}};
    for (const auto& [key, value] : subSet)
        EXPECT_EQ(set.at(key), value) << key;
    // The second pass over the second receiver's switch sets without asking.
    EXPECT_EQ(Count("SB1;"), 1u);

    ASSERT_EQ(Restore(), 0);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.CommandMode(), "0");
    EXPECT_FALSE(machine.IsRestorePending());
    // Each control was asked once in the run; the restore asks again after setting.
    EXPECT_EQ(Count("AI;"), 3u);  // the query, after "AI0;", after "AI1;"
    EXPECT_FALSE(sheet.progress.empty());
    EXPECT_EQ(sheet.progress.back(), L"Ready");
}

TEST_F(RFGainTest, ASecondReceiverlessRadioSkipsItsSwitchesAndGetsTheRestOfTheSetUp)
{
    radio.SetOptionModuleReply("OMAPXF--TLK-R---;");
    Contact();
    ASSERT_EQ(GetModel().SecondReceiver, SUBRX_NOT_INSTALLED);
    const State before = radio.State();
    // The option refresh leaves the device kind to the contact.
    GetModel().DeviceKind.Set(DEVICE_UNKNOWN);
    ASSERT_EQ(Prepare(), 0);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
    EXPECT_EQ(GetModel().SecondReceiver, SUBRX_NOT_INSTALLED);
    ASSERT_EQ(SetUp(0), 0);
    ASSERT_EQ(SetUp(1), 0);
    EXPECT_EQ(Count("SB1;"), 0u);
    EXPECT_EQ(Count("SQ$;"), 0u);
    EXPECT_EQ(Count("SWT48;") + Count("SWH25;"), 0u);
    EXPECT_EQ(Count("MD$3;"), 1u);
    ASSERT_EQ(Restore(), 0);
    ExpectRestored(before, radio.State());
}

class RFGainStoreTest : public RFGainTest {
protected:
    std::vector<uint8_t> Eeprom(BYTE receiver) { return radio.ReadEeprom(RFGainTableAddress(receiver), 128); }
};

TEST_F(RFGainStoreTest, FactoryTableGoesToTheReceiversDspAndEepromByteForByte)
{
    ASSERT_EQ(Prepare(), 0);
    radio.ClearLog();
    ASSERT_EQ(Calibrate(0, RFGC_SOURCE_FACTORY), 0);
    EXPECT_EQ(Table("main"), FactoryBytes());
    EXPECT_EQ(Eeprom(0), FactoryBytes());
    // The DSP command went through: a sync of half its length, one "(hh)"
    // a piece, and the two unanswered ";".
    EXPECT_EQ(SyncLengths(), std::vector<size_t>{130});
    EXPECT_EQ(Count("!bc"), 1u);
    EXPECT_EQ(Count(";"), 2u);
    EXPECT_FALSE(machine.IsTableWritten(0));

    ASSERT_EQ(Calibrate(1, RFGC_SOURCE_FACTORY), 0);
    EXPECT_EQ(Table("sub"), FactoryBytes());
    EXPECT_EQ(Eeprom(1), FactoryBytes());
    EXPECT_EQ(Count("@bc"), 1u);

    // Display: the EEPROM's copy and the DSP's, identical.
    ASSERT_EQ(Run([&] { return machine.StartDisplay(sheet.Handle(), 1); }), 0);
    EXPECT_EQ(FormatTableComparison(machine.m_run.dspTable, machine.m_run.eepromTable)[0],
              L"\nDSP and MCU EEPROM content are identical\n\n");
    EXPECT_EQ(machine.m_run.eepromTable, kFactoryRFGainTable);
}

TEST_F(RFGainStoreTest, CurrentTableIsReadFromTheDspAndStored)
{
    const std::vector<uint8_t> current = Table("main");
    ASSERT_EQ(Calibrate(0, RFGC_SOURCE_CURRENT), 0);
    EXPECT_EQ(Eeprom(0), current);
    EXPECT_EQ(Table("main"), current);
    EXPECT_EQ(Count("!bb"), 1u);
}

TEST_F(RFGainStoreTest, ZeroTableIsNeverStored)
{
    const std::vector<uint8_t> eeprom = Eeprom(0);
    radio.Control("dsp table main " + std::string(256, '0'));
    EXPECT_EQ(Calibrate(0, RFGC_SOURCE_CURRENT), E_RFGC_DATA_ZERO);
    EXPECT_EQ(Eeprom(0), eeprom);
}

class RFGainRegistryStoreTest : public RFGainStoreTest {
protected:
    void TearDown() override
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, AppKeyPath().c_str(), L"RFGainCalibrationSubRXTable");
        RFGainStoreTest::TearDown();
    }
    void WriteValue(const std::wstring& text)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, AppKeyPath().c_str(), L"RFGainCalibrationSubRXTable", REG_SZ,
                        text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
};

TEST_F(RFGainRegistryStoreTest, RegistryTableIsStoredAndABadOneStoresNothing)
{
    std::wstring text;
    for (unsigned i = 0; i < 128; ++i)
        text += FormatTextC(L"%02x ", 0x80 + i / 2);
    WriteValue(text.substr(0, text.size() - 3));  // 127 pairs
    const std::vector<uint8_t> dsp = Table("sub"), eeprom = Eeprom(1);
    EXPECT_EQ(Calibrate(1, RFGC_SOURCE_REGISTRY), E_RFGC_REGISTRY_TABLE_INVALID);
    EXPECT_EQ(Table("sub"), dsp);
    EXPECT_EQ(Eeprom(1), eeprom);

    WriteValue(text);
    ASSERT_EQ(Calibrate(1, RFGC_SOURCE_REGISTRY), 0);
    EXPECT_EQ(Table("sub")[127], 0x80 + 127 / 2);
    EXPECT_EQ(Eeprom(1), Table("sub"));
    EXPECT_NE(std::find(sheet.progress.begin(), sheet.progress.end(),
                        L"Using calibration data from RFGainCalibrationSubRXTable registry value"),
              sheet.progress.end());
}

// The wizard's cancel: a chain ends with ERROR_CANCELLED, then the restore
// runs, and only after it may the sheet close. Cancel pressed again during
// the restore does not cut it short.
TEST_F(RFGainTest, CancelEndsTheChainThenRestoresThenCloses)
{
    radio.Control("rx set ai=1");
    const State before = radio.State();
    CRFGCInfo info(nullptr);
    CRFGCStateMachine& wizardMachine = info.Machine();
    wizardMachine.m_owner = sheet.Handle();
    GetModel().SetActiveMachine(&wizardMachine);
    const auto finished = [&](size_t count) {
        return PumpUntil([&] { return sheet.finished.size() == count && wizardMachine.IsIdle(); }, 30000);
    };

    ASSERT_TRUE(wizardMachine.StartPrepare(sheet.Handle()));
    ASSERT_TRUE(finished(1));
    ASSERT_TRUE(wizardMachine.StartCalibrate(sheet.Handle(), 0, RFGC_SOURCE_FACTORY));
    ASSERT_TRUE(radio.WaitForCommand("02", 5000));
    EXPECT_FALSE(info.QueryCancel(sheet.Handle()));
    ASSERT_TRUE(finished(2));
    EXPECT_EQ(sheet.finished[1], HRESULT(ERROR_CANCELLED));
    EXPECT_EQ(info.m_cancelRequested, 1);

    // The page's end handler presses Cancel again: the restore starts.
    EXPECT_FALSE(info.QueryCancel(sheet.Handle()));
    ASSERT_FALSE(wizardMachine.IsIdle());
    EXPECT_FALSE(info.QueryCancel(sheet.Handle()));
    EXPECT_FALSE(info.QueryCancel(sheet.Handle()));
    ASSERT_TRUE(finished(3));
    EXPECT_EQ(sheet.finished[2], 0);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.CommandMode(), "0");
    EXPECT_TRUE(info.QueryCancel(sheet.Handle()));
}

}  // namespace
