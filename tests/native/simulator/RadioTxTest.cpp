#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using Reply = std::optional<std::string>;

std::string State(CRadio& radio)
{
    return *radio.TxControl("state", {});
}

// Sends each command; the last one's reply.
Reply Send(CRadio& radio, std::initializer_list<const char*> commands)
{
    Reply reply;
    for (const char* command : commands)
        reply = radio.Handle(command);
    return reply;
}

TEST(RadioTx, AsksAndSetsEachSettingSilently)
{
    struct Row {
        const char* query;
        const char* before;
        const char* set;
    } rows[] = {
        {"FB;", "FB00007030000;", "FB00001900000;"}, {"BN;", "BN05;", "BN00;"},     {"PC;", "PC100;", "PC005;"},
        {"AN;", "AN1;", "AN2;"},                     {"RT;", "RT0;", "RT1;"},       {"XT;", "XT0;", "XT1;"},
        {"RO;", "RO+0000;", "RO-0150;"},             {"Q5;", "Q50;", "Q51;"},       {"TQ;", "TQ0;", nullptr},
    };
    CRadio radio;
    for (const Row& row : rows) {
        EXPECT_EQ(radio.Handle(row.query), Reply(row.before)) << row.query;
        if (!row.set)
            continue;
        EXPECT_FALSE(radio.Handle(row.set)) << row.set;
        EXPECT_EQ(radio.Handle(row.query), Reply(row.set)) << row.query;
    }
    EXPECT_FALSE(radio.Handle("XYZ;"));
}

TEST(RadioTx, StateListsEverySettingAndSetTakesEachBack)
{
    CRadio radio;
    const std::string before = State(radio);
    EXPECT_EQ(before.rfind("ok FA=00014060000 Q7=0 FB=00007030000 BN=05 PC=100 AN=1 RT=0 XT=0 RO=+0000 Q5=0 TT=1 DB=01 "
                           "TX=0 TEST=0 MENU=0 M055=PA@@@NQR M051=0 M072=0 M078=0 M058=000 M023=000",
                           0),
              0u)
        << before;
    Send(radio, {"FA00003750000;", "TT0;", "DB00;", "MN072;", "UP;", "MN058;", "MP005;", "MN023;"});
    const std::string after = State(radio);
    EXPECT_NE(after.find("FA=00003750000"), std::string::npos) << after;
    EXPECT_NE(after.find("TT=0 DB=00"), std::string::npos) << after;
    EXPECT_NE(after.find("MENU=23 M055=PA@@@NQR M051=0 M072=1 M078=0 M058=005"), std::string::npos) << after;
    for (const char* setting : {"FA=00014060000", "TT=1", "DB=01", "MENU=0", "M072=0", "M058=000"}) {
        const std::string text = setting;
        const size_t equals = text.find('=');
        EXPECT_EQ(radio.TxControl("set", {text.substr(0, equals), text.substr(equals + 1)}), Reply("ok"));
    }
    EXPECT_EQ(State(radio), before);
    EXPECT_EQ(radio.TxControl("set", {"AN", "3"}), Reply("error bad arguments"));
    EXPECT_FALSE(radio.TxControl("no-such-request", {}));
}

TEST(RadioTx, MenusShowTheirDisplaysAndStep)
{
    CRadio radio;
    EXPECT_EQ(Send(radio, {"MN055;", "DS;"}), Reply("DSPA@@@NQR@@;"));
    EXPECT_EQ(Send(radio, {"MN051;", "DS;"}), Reply("DS@@@@@NQR@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@TEST@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@TEST@@;")) << "the last value stays";
    EXPECT_EQ(Send(radio, {"DN;", "DS;"}), Reply("DS@@@@@NQR@@;"));
    ASSERT_EQ(radio.TxControl("tech-steps", {"3"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"MN072;", "DS;"}), Reply("DS@@@@OFF0@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "UP;", "DS;"}), Reply("DS@@@@OFF2@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@@ON@@@;"));
    EXPECT_EQ(Send(radio, {"MN058;", "MP;"}), Reply("MP000;"));
    EXPECT_EQ(Send(radio, {"MP012;", "MP;"}), Reply("MP012;"));
    EXPECT_EQ(Send(radio, {"MN079;", "FA00001900000;", "PC005;", "DS;"}), Reply("DS@@@@@@90@@;"))
        << "band 0, TUNE at 12 W";
    EXPECT_EQ(Send(radio, {"MN058;", "MP000;", "MN079;", "DS;"}), Reply("DS@@@@@@40@@;")) << "band 0 at 5 W";
    ASSERT_EQ(radio.TxControl("gain", {"10", "1", "123"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"FA00052000000;", "PC050;", "DS;"}), Reply("DS@@@@@123@@;"));
    EXPECT_EQ(Send(radio, {"MN255;", "DS;"}), Reply("DS@@14025000@@;")) << "the VFO display again";
    EXPECT_FALSE(radio.Handle("MP;")) << "no value menu shown";
}

TEST(RadioTx, TuneNeedsTheExtendedModeBeforeMcu346)
{
    CRadio radio;
    radio.SetVersion("RVM", 340);
    EXPECT_EQ(Send(radio, {"MN051;", "UP;", "DS;"}), Reply("DS@@@@TEST@@;")) << "menus step in any mode";
    EXPECT_EQ(Send(radio, {"MN255;", "SWH16;", "TQ;"}), Reply("TQ0;"));
    EXPECT_EQ(Send(radio, {"Q71;", "SWH16;", "TQ;"}), Reply("TQ1;"));
}

TEST(RadioTx, TuneKeysAndTheReadingsSettle)
{
    CRadio radio;
    ASSERT_EQ(radio.TxControl("settle", {"2"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"FA00014200000;", "PC005;", "SWH16;", "TQ;"}), Reply("TQ1;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  4.7 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  4.8 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  5.0 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  5.0 W;"));
    EXPECT_EQ(radio.Handle("DS;"), Reply("DS@@@@@1\xB2>@@;")) << "SWR 1.2";
    ASSERT_EQ(radio.TxControl("swr", {"5", "20"}), Reply("ok"));
    EXPECT_EQ(radio.Handle("DS;"), Reply("DS@@@@@2\xB0>@@;"));
    EXPECT_EQ(Send(radio, {"RX;", "TQ;"}), Reply("TQ0;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB7030;")) << "VFO B's display while receiving";
    EXPECT_EQ(radio.Handle("DS;"), Reply("DS@@14025000@@;"));
}

TEST(RadioTx, PowerReadingsByLevel)
{
    struct Row {
        unsigned mcu;
        std::initializer_list<const char*> commands;
        const char* percent;
        const char* reading;
    } rows[] = {
        {455, {"PC050;"}, "0", "DB  50 W;"},
        {455, {"PC005;"}, "4", "DB  5.2 W;"},
        {455, {"PC100;", "MN051;", "UP;", "MN255;"}, "0", "DB 1.00 MW;"},
        {440, {"PC010;", "MN051;", "UP;", "MN255;"}, "0", "DB 1.00 MW;"},
        {455, {"PC100;", "MN058;", "MP010;", "MN255;"}, "0", "DB 10.0 W;"},
    };
    for (const Row& row : rows) {
        CRadio radio;
        radio.SetVersion("RVM", row.mcu);
        ASSERT_EQ(radio.TxControl("power-error", {row.percent}), Reply("ok"));
        Send(radio, row.commands);
        EXPECT_EQ(Send(radio, {"SWH16;", "DB;"}), Reply(row.reading));
    }
}

TEST(RadioTx, FaultsOnDemand)
{
    CRadio radio;
    ASSERT_EQ(radio.TxControl("tune-keys", {"0"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"SWH16;", "TQ;"}), Reply("TQ0;"));
    ASSERT_EQ(radio.TxControl("tune-keys", {"1"}), Reply("ok"));
    ASSERT_EQ(radio.TxControl("unkeys", {"0"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"SWH16;", "RX;", "TQ;"}), Reply("TQ1;"));
    ASSERT_EQ(radio.TxControl("out-of-band", {"5", "1"}), Reply("ok"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  END;"));
    EXPECT_EQ(Send(radio, {"FA00005100000;", "DB;"}), Reply("DB  END;")) << "no band at all";
    ASSERT_EQ(radio.TxControl("refuse", {"RT", "2"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"RT1;", "RT1;", "RT;"}), Reply("RT0;"));
    EXPECT_EQ(Send(radio, {"RT1;", "RT;"}), Reply("RT1;"));
    ASSERT_EQ(radio.TxControl("set", {"TEST", "1"}), Reply("ok"));
    EXPECT_EQ(radio.Handle("IC;"), Reply("IC\xA0@@@@;"));
}

}  // namespace
