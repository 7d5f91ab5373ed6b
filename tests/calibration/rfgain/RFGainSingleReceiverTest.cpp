// Computed calibration of a radio without a second receiver: nothing is
// asked of a receiver it does not have; then the optional high level,
// measured at a level the user chose to accept, and the display.
#include "RFGainFixture.h"

namespace {

class RFGainSingleReceiverTest : public RFGainTest {
protected:
    RFGainSingleReceiverTest() : RFGainTest({IDIGNORE}) {}
};

TEST_F(RFGainSingleReceiverTest, ComputedTableIsStoredWithoutAskingTheMissingReceiver)
{
    radio.SetOptionModuleReply("OMAPXF--TLK-R---;");
    radio.IgnoreNext("RG$", 1000);
    Contact();
    radio.Control("dsp signal main -73");
    ASSERT_EQ(Prepare(), 0);
    ASSERT_EQ(SetUp(0), 0);
    ASSERT_EQ(Calibrate(0, RFGC_SOURCE_COMPUTED), 0);
    EXPECT_EQ(machine.IsTableWritten(0), 1);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), Table("main"));
    EXPECT_EQ(Count("RG$"), 0u);

    // At -100 dBm the user is asked, and Ignore goes on.
    radio.Control("dsp signal main -100");
    radio.ClearLog();
    ASSERT_EQ(Run([&] { return machine.StartHighLevel(sheet.Handle(), 0); }), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(Count("05"), 1u);
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), Table("main"));

    ASSERT_EQ(Run([&] { return machine.StartDisplay(sheet.Handle(), 0); }), 0);
    EXPECT_EQ(FormatTableComparison(machine.m_run.dspTable, machine.m_run.eepromTable).size(), 2u);
}

}  // namespace
