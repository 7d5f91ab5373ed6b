// A whole computed calibration of both receivers against the simulated
// transceiver: each DSP measures the signal generator, computes its table,
// and the table is read back and stored; the restore then puts the radio
// back as it was.
#include "RFGainFixture.h"

namespace {

TEST_F(RFGainTest, ComputedCalibrationOfBothReceiversStoresEachTableAndRestoresTheRadio)
{
    radio.Control("dsp signal main -73");
    radio.Control("dsp signal sub -73");
    radio.Control("rx set ai=1 notch=1");
    const State before = radio.State();

    ASSERT_EQ(Prepare(), 0);
    ASSERT_EQ(SetUp(0), 0);
    ASSERT_EQ(Calibrate(0, RFGC_SOURCE_COMPUTED), 0);
    const std::vector<uint8_t> mainTable = Table("main");
    EXPECT_NE(mainTable, std::vector<uint8_t>(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end()));
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), mainTable);
    EXPECT_EQ(machine.IsTableWritten(0), 1);
    EXPECT_EQ(machine.IsTableWritten(1), 0);
    // The factory table to measure against, the level, the reference with
    // and without preamp and attenuator, the computed table read back.
    std::vector<std::string> commands = DspCommands();
    const std::vector<std::string> expected = {"!bc", "!bd0000;", "!b800;", "!b801;", "!b802;", "!b803;", "!b804;",
                                               "!bb00"};
    ASSERT_EQ(commands.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(commands[i].substr(0, expected[i].size()), expected[i]);
    EXPECT_EQ(commands.back().size(), 262u);

    ASSERT_EQ(SetUp(1), 0);
    radio.ClearLog();
    ASSERT_EQ(Calibrate(1, RFGC_SOURCE_COMPUTED), 0);
    EXPECT_EQ(radio.ReadEeprom(0x4D80, 128), Table("sub"));
    EXPECT_EQ(machine.IsTableWritten(1), 1);
    commands = DspCommands();
    ASSERT_EQ(commands.size(), expected.size());
    for (const std::string& command : commands)
        EXPECT_EQ(command[0], '@');
    EXPECT_EQ(Count("PA$1;"), 2u);
    EXPECT_EQ(Count("RA$01;"), 1u);

    ASSERT_EQ(Restore(), 0);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.CommandMode(), "0");
}

}  // namespace
