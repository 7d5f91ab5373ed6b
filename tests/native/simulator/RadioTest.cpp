#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using Reply = std::optional<std::string>;

TEST(Radio, AnswersThePollAndTheVersionQueries)
{
    CRadio radio;
    EXPECT_EQ(radio.Handle(";"), Reply("?;"));
    ASSERT_TRUE(radio.SetVersion("RVM", 455));
    ASSERT_TRUE(radio.SetVersion("RVF", 7));
    ASSERT_TRUE(radio.SetVersion("RVR", 1234));
    EXPECT_EQ(radio.Handle("RVM;"), Reply("RVM04.55;"));
    EXPECT_EQ(radio.Handle("RVF;"), Reply("RVF00.07;"));
    EXPECT_EQ(radio.Handle("RVR;"), Reply("RVR12.34;"));
    EXPECT_TRUE(radio.Handle("RVD;"));
    EXPECT_TRUE(radio.Handle("RVA;"));
    EXPECT_FALSE(radio.Handle("RVX;"));
    EXPECT_FALSE(radio.Handle("RVMM;"));
    EXPECT_FALSE(radio.SetVersion("RVX", 100));
    EXPECT_FALSE(radio.SetVersion("RVM", 10000));
}

TEST(Radio, KeepsQuietOnSettingsAndUnknownCommands)
{
    CRadio radio;
    EXPECT_FALSE(radio.Handle("TT0;"));
    EXPECT_FALSE(radio.Handle("FA00014070000;"));
    EXPECT_FALSE(radio.Handle("XYZ;"));
}

TEST(Radio, IdentifiesAsTold)
{
    CRadio radio;
    EXPECT_FALSE(radio.Handle("I;")) << "a running radio does not answer I;";
    radio.SetIdentifyReply(std::string("MV9;"));
    EXPECT_EQ(radio.Handle("I;"), Reply("MV9;"));
    radio.SetIdentifyReply(std::nullopt);
    EXPECT_FALSE(radio.Handle("I;"));
}

TEST(Radio, BootLoaderAnswersOnlyIdentifyAndPoll)
{
    CRadio radio;
    radio.SetBootLoader(true);
    EXPECT_EQ(radio.Handle("I;"), Reply(CRadio::kDefaultBootLoaderReply));
    EXPECT_EQ(radio.Handle(";"), Reply("?;"));
    EXPECT_FALSE(radio.Handle("RVM;"));
    EXPECT_FALSE(radio.Handle("OM;"));
    EXPECT_FALSE(radio.Handle("Q7;"));
    EXPECT_FALSE(radio.Handle("ER00000102;"));
    radio.SetIdentifyReply(std::string("Q7A;"));
    EXPECT_EQ(radio.Handle("I;"), Reply("Q7A;"));
    radio.SetBootLoader(false);
    EXPECT_TRUE(radio.Handle("RVM;"));
}

TEST(Radio, DefaultOptionModuleReplyPassesTheProgramsRules)
{
    const std::string reply = CRadio::kDefaultOptionModuleReply;
    EXPECT_EQ(reply.compare(0, 2, "OM"), 0);
    EXPECT_GE(reply.size() - 1, 16u) << "at least 16 characters before the ;";
    EXPECT_EQ(reply[6], 'S') << "second receiver";
    EXPECT_EQ(reply[14], '-') << "a Q7";
    EXPECT_EQ(reply.back(), ';');
}

TEST(Radio, OptionModuleNeedsMcu245)
{
    CRadio radio;
    radio.SetVersion("RVM", 245);
    EXPECT_EQ(radio.Handle("OM;"), Reply(CRadio::kDefaultOptionModuleReply));
    radio.SetOptionModuleReply(std::string("OMshort;"));
    EXPECT_EQ(radio.Handle("OM;"), Reply("OMshort;"));
    radio.SetOptionModuleReply(std::nullopt);
    EXPECT_FALSE(radio.Handle("OM;"));
    radio.SetOptionModuleReply(std::string("OMx;"));
    radio.SetVersion("RVM", 244);
    EXPECT_FALSE(radio.Handle("OM;"));
}

TEST(Radio, SpeedCommandsChangeTheLineSpeed)
{
    CRadio radio;
    EXPECT_EQ(radio.Speed(), 38400u);
    EXPECT_FALSE(radio.Handle("BR0;"));
    EXPECT_EQ(radio.Speed(), 4800u);
    radio.Handle("BR1;");
    EXPECT_EQ(radio.Speed(), 9600u);
    radio.Handle("BR2;");
    EXPECT_EQ(radio.Speed(), 19200u);
    radio.Handle("BR9;");
    EXPECT_EQ(radio.Speed(), 19200u) << "an unknown speed code changes nothing";
    radio.Handle("BR3;");
    EXPECT_EQ(radio.Speed(), 38400u);
    EXPECT_FALSE(radio.SetSpeed(57600));
    EXPECT_TRUE(radio.SetSpeed(9600));
    EXPECT_EQ(radio.Speed(), 9600u);
}

TEST(Radio, CommandModeIsQueriedSetAndRestored)
{
    CRadio radio;
    EXPECT_EQ(radio.Handle("Q7;"), Reply("Q70;"));
    EXPECT_FALSE(radio.Handle("Q7H;"));
    EXPECT_EQ(radio.Handle("Q7;"), Reply("Q7H;"));
    EXPECT_FALSE(radio.Handle("Q71;"));
    EXPECT_EQ(radio.CommandMode(), "1");
    // The restore: the saved reply, then the query, as one write.
    EXPECT_FALSE(radio.Handle("Q70;"));
    EXPECT_EQ(radio.Handle("Q7;"), Reply("Q70;"));
}

TEST(Radio, EepromCommandFamilyFollowsTheMcuVersion)
{
    CRadio radio;
    radio.Eeprom().Write(0x0123, {0x5A});
    radio.SetVersion("RVM", 383);
    EXPECT_EQ(radio.Handle("ER012301DB;"), Reply("ER0123015A81;"));
    EXPECT_FALSE(radio.Handle("LDPR001.035;"));
    EXPECT_FALSE(radio.Handle("LDPW001.035.200;"));
    EXPECT_EQ(radio.Eeprom().Read(0x0123, 1), std::vector<uint8_t>{0x5A}) << "LDPW ignored from 383";

    radio.SetVersion("RVM", 382);
    EXPECT_FALSE(radio.Handle("ER012301DB;"));
    EXPECT_FALSE(radio.Handle("EW0123015A81;"));
    EXPECT_EQ(radio.Handle("LDPR001.035;"), Reply("LDPR001.035.090;"));
    EXPECT_FALSE(radio.Handle("LDPW001.035.200;"));
    EXPECT_EQ(radio.Handle("LDPR001.035;"), Reply("LDPR001.035.200;"));
}

}  // namespace

TEST(Radio, AnswersAndSetsVfoA)
{
    CRadio radio;
    EXPECT_EQ(radio.Handle("FA;"), Reply("FA00014060000;"));
    EXPECT_FALSE(radio.Handle("FA00007030000;"));
    EXPECT_EQ(radio.Handle("FA;"), Reply("FA00007030000;"));
    EXPECT_FALSE(radio.Handle("FA7030;"));
    EXPECT_EQ(radio.Handle("FA;"), Reply("FA00007030000;"));
}
