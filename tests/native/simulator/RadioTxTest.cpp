#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using Reply = std::optional<std::string>;

std::optional<std::string> Control(CRadio& radio, const char* request, std::vector<std::string> args)
{
    return radio.Tx().Control(request, args);
}

// Sends each command; the last one's reply.
Reply Send(CRadio& radio, std::initializer_list<const char*> commands)
{
    Reply reply;
    for (const char* command : commands)
        reply = radio.Handle(command);
    return reply;
}

TEST(RadioTx, MenusShowTheirDisplaysAndStep)
{
    CRadio radio;
    EXPECT_EQ(Send(radio, {"MN055;", "DS;"}), Reply("DSPA@@@NQR@@;"));
    EXPECT_EQ(Send(radio, {"MN051;", "DS;"}), Reply("DS@@@@@NQR@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@TEST@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@TEST@@;")) << "the last value stays";
    EXPECT_EQ(Send(radio, {"DN;", "DS;"}), Reply("DS@@@@@NQR@@;"));
    ASSERT_EQ(Control(radio, "tech-steps", {"3"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"MN072;", "DS;"}), Reply("DS@@@@OFF0@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "UP;", "DS;"}), Reply("DS@@@@OFF2@@;"));
    EXPECT_EQ(Send(radio, {"UP;", "DS;"}), Reply("DS@@@@@ON@@@;"));
    EXPECT_EQ(Send(radio, {"MN058;", "MP;"}), Reply("MP000;"));
    EXPECT_EQ(Send(radio, {"MP012;", "MP;"}), Reply("MP012;"));
    EXPECT_EQ(Send(radio, {"MN079;", "FA00001900000;", "PC005;", "DS;"}), Reply("DS@@@@@@90@@;"))
        << "band 0, TUNE at 12 W";
    EXPECT_EQ(Send(radio, {"MN058;", "MP000;", "MN079;", "DS;"}), Reply("DS@@@@@@40@@;")) << "band 0 at 5 W";
    ASSERT_EQ(Control(radio, "gain", {"10", "1", "123"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"FA00052000000;", "PC050;", "DS;"}), Reply("DS@@@@@123@@;"));
    EXPECT_EQ(Send(radio, {"MN255;", "DS;"})->substr(0, 11), "DS@52000000") << "the receiver's display again";
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
    ASSERT_EQ(Control(radio, "settle", {"2"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"FA00014200000;", "PC005;", "SWH16;", "TQ;"}), Reply("TQ1;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  4.7 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  4.8 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  5.0 W;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  5.0 W;"));
    EXPECT_EQ(radio.Handle("DS;"), Reply("DS@@@@@1\xB2>@@;")) << "SWR 1.2";
    ASSERT_EQ(Control(radio, "swr", {"5", "20"}), Reply("ok"));
    EXPECT_EQ(radio.Handle("DS;"), Reply("DS@@@@@2\xB0>@@;"));
    EXPECT_EQ(Send(radio, {"RX;", "TQ;"}), Reply("TQ0;"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB7030;")) << "VFO B's display while receiving";
    EXPECT_EQ(radio.Handle("DS;")->substr(0, 11), "DS@14200000") << "the receiver's display";
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
        ASSERT_EQ(Control(radio, "power-error", {row.percent}), Reply("ok"));
        Send(radio, row.commands);
        EXPECT_EQ(Send(radio, {"SWH16;", "DB;"}), Reply(row.reading));
    }
}

TEST(RadioTx, FaultsOnDemand)
{
    CRadio radio;
    ASSERT_EQ(Control(radio, "tune-keys", {"0"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"SWH16;", "TQ;"}), Reply("TQ0;"));
    ASSERT_EQ(Control(radio, "tune-keys", {"1"}), Reply("ok"));
    ASSERT_EQ(Control(radio, "unkeys", {"0"}), Reply("ok"));
    EXPECT_EQ(Send(radio, {"SWH16;", "RX;", "TQ;"}), Reply("TQ1;"));
    ASSERT_EQ(Control(radio, "out-of-band", {"5", "1"}), Reply("ok"));
    EXPECT_EQ(radio.Handle("DB;"), Reply("DB  END;"));
    EXPECT_EQ(Send(radio, {"FA00005100000;", "DB;"}), Reply("DB  END;")) << "no band at all";
    EXPECT_EQ(Control(radio, "swr", {"11", "20"}), Reply("error bad arguments"));
    EXPECT_FALSE(Control(radio, "no-such-request", {}));
}

}  // namespace
