// Full calibrations at the other levels and on older firmware.
#include "TXGainFixture.h"

namespace {

class TXGainLevelsTest : public TXGainRadioTest {};

TEST_F(TXGainLevelsTest, FullRunAtMcu340SetsTheExtendedModeAndNoBand)
{
    radio.SetMcuVersion(340);
    Contact();
    Set("tx", "1");  // keyed when the run starts
    const std::wstring expected = SetGains(radio, TXGAIN_LEVEL_5W);
    const RadioState before = State();
    ASSERT_EQ(Run(TXGAIN_LEVEL_5W), 0);
    EXPECT_EQ(Summary(), expected);
    const RadioState after = State();
    ExpectRestored(before, after, {"tt", "db", "m078", "tx"});
    EXPECT_EQ(after.at("tx"), "0");
    EXPECT_EQ(after.at("q7"), "0");
    const std::vector<std::string> commands = radio.Commands();
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 3, commands.begin() + 6),
              (std::vector<std::string>{"TQ;", "RX;", "TQ;"}));
    EXPECT_LT(IndexOf(commands, "Q71;"), IndexOf(commands, "FA;"));
    EXPECT_EQ(CountCommand("Q70;"), 1u);
    EXPECT_EQ(IndexOf(commands, "BN"), commands.size());
}

TEST_F(TXGainLevelsTest, FullRunAt50WattsChecksTheAmplifier)
{
    Contact();
    const std::wstring expected = SetGains(radio, TXGAIN_LEVEL_50W);
    const RadioState before = State();
    ASSERT_EQ(Run(TXGAIN_LEVEL_50W), 0);
    EXPECT_EQ(Summary(), expected);
    EXPECT_EQ(machine.GetProgressText(), L"50 watt calibration succeeded\n");
    ExpectRestored(before, State());
    const std::vector<std::string> commands = radio.Commands();
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 5, commands.begin() + 9),
              (std::vector<std::string>{"MN055;", "DS;", "MN051;", "DS;"}));
    EXPECT_EQ(CountCommand("PC050;"), 11u);
}

TEST_F(TXGainLevelsTest, FullRunAtOneMilliwattUsesTheTransverterOutput)
{
    radio.SetMcuVersion(442);
    Contact();
    Set("an", "2");
    const std::wstring expected = SetGains(radio, TXGAIN_LEVEL_1MW);
    const RadioState before = State();
    ASSERT_EQ(Run(TXGAIN_LEVEL_1MW, 1), 0);
    EXPECT_EQ(Summary(), expected);
    EXPECT_EQ(machine.GetProgressText(), L"1 milliwatt calibration succeeded\n");
    ExpectRestored(before, State());
    EXPECT_EQ(CountCommand("PC010;"), 11u);
    EXPECT_EQ(CountCommand("AN;"), 0u);
    EXPECT_EQ(CountCommand("MN023;"), 0u);
    // The transverter menu: checked once, then up to TEST and back per band.
    EXPECT_EQ(CountCommand("MN051;"), 1u + 11u + 11u);
    EXPECT_EQ(CountCommand("UP;") - 2, 11u) << "one step each for the tech mode and TX ALC";
    EXPECT_EQ(CountCommand("DN;"), 11u + 1u) << "and the tech mode at the end";
    for (const SimulatedCommand& entry : radio.Log())
        EXPECT_EQ(entry.reply.find('>'), std::string::npos) << "no SWR display read";
}

}  // namespace
