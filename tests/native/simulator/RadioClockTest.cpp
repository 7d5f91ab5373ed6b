#include "Radio.h"

#include <gtest/gtest.h>

namespace {

// The time shown in the time menu, as hh*3600 + mm*60 + ss.
int ShownSeconds(CRadio& radio)
{
    radio.Handle("MN073;");
    const std::string shown = *radio.Handle("DS;");
    const auto pair = [&](size_t at) { return (shown[at] & 0x0F) * 10 + (shown[at + 1] & 0x0F); };
    return pair(4) * 3600 + pair(6) * 60 + pair(8);
}

TEST(RadioClock, StepsTheSelectedFieldWithoutCarry)
{
    CRadio radio;
    radio.Clock().SetOffset(0);
    const int before = ShownSeconds(radio);
    radio.Handle("SWT12;");
    radio.Handle("UP;");
    radio.Handle("UP;");
    const int minutes = (before / 60 % 60 + 2) % 60 - before / 60 % 60;
    EXPECT_NEAR(ShownSeconds(radio) - before, minutes * 60, 1);
    radio.Handle("MN255;");
    radio.Handle("UP;");  // no menu: nothing to step
    EXPECT_NEAR(ShownSeconds(radio) - before, minutes * 60, 1);
}

TEST(RadioClock, OldFirmwareTakesSwitchesOnlyInTheExtendedMode)
{
    CRadio radio;
    radio.SetVersion("RVM", 340);
    radio.Handle("MN073;");
    radio.Handle("SWT11;");
    radio.Handle("UP;");
    EXPECT_EQ(radio.Clock().Offset(), 0);
    radio.Handle("Q71;");
    radio.Handle("SWT11;");
    radio.Handle("UP;");
    EXPECT_NE(radio.Clock().Offset(), 0);
}

TEST(RadioClock, ShowsTheDateOrderAndTheDateInIt)
{
    CRadio radio;
    radio.Handle("MN030;");
    EXPECT_EQ(radio.Handle("DS;"), std::optional<std::string>("DS@@@@@@U@@@;"));
    radio.Clock().SetDayFirst(true);
    EXPECT_EQ(radio.Handle("DS;"), std::optional<std::string>("DS@@@@@@E@@@;"));
    radio.Handle("MN029;");
    EXPECT_EQ(radio.Handle("DS;")->size(), 12u);  // six digits and a blank between the icons and ";"
}

TEST(RadioClock, AResetLeavesTheMenuAndTheRadioDeafForAWhile)
{
    CRadio radio;
    radio.Handle("Q71;");
    radio.Handle("MN073;");
    EXPECT_FALSE(radio.Handle("LDD20000;"));
    EXPECT_EQ(radio.Clock().Menu(), 0u);
    EXPECT_EQ(radio.CommandMode(), "0");
    EXPECT_FALSE(radio.Handle(";"));
}

}  // namespace
