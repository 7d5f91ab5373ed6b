// The radio's plain settings, the transmitter's and the receivers' alike.
#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using Reply = std::optional<std::string>;

TEST(RadioSettings, EachTakesOnlyAValueOfItsOwnFormAndAnswersIt)
{
    struct Row {
        const char* set;
        const char* query;
        // Of another width, sign or range: not taken.
        const char* wrong;
    } rows[] = {
        {"FA00007030000;", "FA;", "FA7030;"},     {"FB00001900000;", "FB;", "FB0000190000A;"},
        {"BN00;", "BN;", "BN0;"},                 {"PC005;", "PC;", "PC5;"},
        {"AN2;", "AN;", "AN3;"},                  {"RT1;", "RT;", "RT2;"},
        {"RO-0150;", "RO;", "RO00150;"},          {"Q51;", "Q5;", "Q5x;"},
        {"RA00;", "RA;", "RA0;"},                 {"RA$00;", "RA$;", "RA$000;"},
        {"BW$0010;", "BW$;", "BW$10;"},           {"RG$250;", "RG$;", "RG$-25;"},
    };
    for (const Row& row : rows) {
        CRadio radio;
        EXPECT_FALSE(radio.Handle(row.set)) << row.set;
        EXPECT_EQ(radio.Handle(row.query), Reply(row.set)) << row.query;
        EXPECT_FALSE(radio.Handle(row.wrong)) << row.wrong;
        EXPECT_EQ(radio.Handle(row.query), Reply(row.set)) << row.wrong;
    }
}

TEST(RadioSettings, SecondReceiversFormIsASettingOfItsOwn)
{
    CRadio radio;
    const Reply main = radio.Handle("RA;");
    radio.Handle("RA$00;");
    radio.Handle("MD$3;");
    EXPECT_EQ(radio.Handle("RA;"), main);
    EXPECT_EQ(radio.Handle("RA$;"), Reply("RA$00;"));
    EXPECT_EQ(radio.Handle("MD$;"), Reply("MD$3;"));
    EXPECT_NE(radio.Handle("MD;"), Reply("MD3;"));
    EXPECT_FALSE(radio.Handle("XYZ;"));
}

TEST(RadioSettings, FaultsStuckAndRefused)
{
    CRadio radio;
    ASSERT_TRUE(radio.Settings().SetStuck("BW", "0050"));
    radio.Handle("BW0010;");
    EXPECT_EQ(radio.Handle("BW;"), Reply("BW0050;"));
    ASSERT_TRUE(radio.Settings().ClearStuck("BW"));
    EXPECT_NE(radio.Handle("BW;"), Reply("BW0010;")) << "the set while stuck was not taken";
    EXPECT_FALSE(radio.Settings().SetStuck("BW", "50"));

    // The query still answers while the settings are refused; menu values too.
    radio.Refuse("RT", 2);
    radio.Refuse("MP", 1);
    EXPECT_FALSE(radio.Handle("RT1;"));
    EXPECT_EQ(radio.Handle("RT;"), Reply("RT0;"));
    radio.Handle("RT1;");
    EXPECT_EQ(radio.Handle("RT;"), Reply("RT0;"));
    radio.Handle("RT1;");
    EXPECT_EQ(radio.Handle("RT;"), Reply("RT1;"));
    radio.Handle("MN058;");
    radio.Handle("MP005;");
    EXPECT_EQ(radio.Handle("MP;"), Reply("MP000;"));
    radio.Handle("MP005;");
    EXPECT_EQ(radio.Handle("MP;"), Reply("MP005;"));
}

}  // namespace
