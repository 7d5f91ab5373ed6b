#include "Keyer.h"
#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

class KeyerTest : public testing::Test {
protected:
    CKeyer keyer;
    const CKeyer::Clock::time_point start = CKeyer::Clock::now();
    CKeyer::Clock::time_point At(int ms) const { return start + milliseconds(ms); }
};

TEST_F(KeyerTest, TransmitsOneCharacterAPaceAndReportsWhatWaits)
{
    keyer.SetPace(milliseconds(50));
    EXPECT_FALSE(keyer.Key("KY CQ;", At(0)));
    EXPECT_TRUE(keyer.Transmitting(At(0)));
    EXPECT_EQ(keyer.Poll(At(10)), "TB200;");
    EXPECT_EQ(keyer.Poll(At(60)), "TB100;");
    EXPECT_FALSE(keyer.Key("KY  DE;", At(70)));
    EXPECT_EQ(keyer.Poll(At(100)), "TB300;");
    EXPECT_EQ(keyer.Sent(At(100)), "CQ");
    EXPECT_EQ(keyer.Sent(At(1000)), "CQ DE");
    EXPECT_EQ(keyer.Poll(At(1000)), "TB000;");
    EXPECT_TRUE(keyer.Transmitting(At(1000))) << "only 0x04 drops the carrier";
}

TEST_F(KeyerTest, EndOfTransmissionDropsWhatWaitsAndKeepAliveAddsNothing)
{
    keyer.SetPace(milliseconds(50));
    keyer.Key("KY ABCDEFGH;", At(0));
    keyer.Key(std::string("KY ") + CKeyer::kEndOfTransmission + ";", At(120));
    EXPECT_FALSE(keyer.Transmitting(At(120)));
    EXPECT_EQ(keyer.Sent(At(2000)), "AB");
    keyer.Key(std::string("KY ") + CKeyer::kKeepAlive + ";", At(3000));
    EXPECT_TRUE(keyer.Transmitting(At(3000)));
    EXPECT_EQ(keyer.Waiting(At(3000)), 0u);
}

TEST_F(KeyerTest, HandsOverDecodedTextAtMost99AtATime)
{
    keyer.QueueReceived("CQ;");
    EXPECT_EQ(keyer.Poll(At(0)), "TB003CQ;;");
    EXPECT_EQ(keyer.Poll(At(0)), "TB000;");
    keyer.QueueReceived(std::string(120, 'E'));
    EXPECT_EQ(keyer.Poll(At(0)), "TB099" + std::string(99, 'E') + ";");
    EXPECT_EQ(keyer.Poll(At(0)), "TB021" + std::string(21, 'E') + ";");
}

TEST(RadioKeyer, RoutesKeyAndPollToTheKeyer)
{
    CRadio radio;
    radio.Keyer().SetPace(milliseconds(10000));
    EXPECT_FALSE(radio.Handle("KY TEST;"));
    EXPECT_EQ(radio.Handle("TB;"), std::optional<std::string>("TB400;"));
}

}  // namespace
