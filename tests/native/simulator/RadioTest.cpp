#include "Radio.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using Reply = std::optional<std::string>;

// "name=value" words of CRadio::State by their names.
std::map<std::string, std::string> Words(const std::string& state)
{
    std::map<std::string, std::string> words;
    std::istringstream in(state);
    for (std::string word; in >> word;)
        words[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
    return words;
}

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
    EXPECT_EQ(reply[3], 'A') << "antenna tuner";
    EXPECT_EQ(reply[4], 'P') << "amplifier";
    EXPECT_EQ(reply[5], 'X') << "transverter interface";
    EXPECT_EQ(reply[6], 'S') << "second receiver";
    EXPECT_EQ(reply[12], 'R') << "a Q7 by its kind letter";
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

// One front panel for the transmitter, the clock and the receivers: a menu
// takes the display from whatever showed before, and each "DS;" is the
// display of the first that has it.
TEST(Radio, DisplayIsTheMenusThenTheSwrThenTheReceivers)
{
    struct Row {
        std::initializer_list<const char*> commands;
        const char* shows;
        size_t size;
    } rows[] = {
        {{}, "DS@14060000", 13},                      // the receiver's VFO A and its icons
        {{"MN051;"}, "DS@@@@@NQR@@;", 13},           // a TX menu
        {{"MN073;"}, "DS@@", 12},                     // the clock's time
        {{"MN051;", "MN029;"}, "DS@@", 12},           // the clock's menu leaves the TX menu
        {{"MN073;", "MN055;"}, "DSPA@@@NQR@@;", 13},  // and the other way round
        {{"MN073;", "MN255;"}, "DS@14060000", 13},
        {{"SWH16;"}, "DS@@@@@1\xB2>@@;", 13},        // keyed: the SWR
        {{"SWH16;", "MN078;"}, "DS@@@@OFF0@@;", 13},  // a menu before the SWR
        {{"SWH16;", "MN073;"}, "DS@@", 12},
        {{"SWH16;", "RX;"}, "DS@14060000", 13},
    };
    for (const Row& row : rows) {
        CRadio radio;
        for (const char* command : row.commands)
            radio.Handle(command);
        const std::string shown = radio.Handle("DS;").value_or("");
        EXPECT_EQ(shown.substr(0, std::char_traits<char>::length(row.shows)), row.shows) << shown;
        EXPECT_EQ(shown.size(), row.size) << shown;
    }
}

TEST(Radio, TxTestIsOneFlagForTheTapAndTheIcons)
{
    CRadio radio;
    radio.Handle("SWH18;");
    EXPECT_EQ(static_cast<unsigned char>((*radio.Handle("IC;"))[2]), 0xA0);
    ASSERT_TRUE(radio.Set("tx-test", "0"));
    EXPECT_EQ(static_cast<unsigned char>((*radio.Handle("IC;"))[2]), 0x80);
    radio.SetVersion("RVM", 340);
    radio.Handle("SWH18;");
    EXPECT_EQ(static_cast<unsigned char>((*radio.Handle("IC;"))[2]), 0x80) << "no switches before MCU 346 in mode 0";
}

// "state" lists every part's settings, and "set" puts each back by its name.
TEST(Radio, StateShowsEveryChangeAndSetTakesEachBack)
{
    CRadio radio;
    const auto before = Words(radio.State());
    for (const char* command : {"FA00003750000;", "RA$00;", "Q71;", "DB00;", "SWH18;", "SWH16;", "MN072;", "UP;",
                                "MN058;", "MP005;", "MN023;"})
        radio.Handle(command);
    radio.Dsp().SetSignal(1, -73);
    const std::map<std::string, std::string> changed = {
        {"fa", "00003750000"}, {"ra$", "00"}, {"q7", "1"},    {"db", "00"},    {"tx-test", "1"},
        {"tx", "1"},           {"m072", "1"}, {"m058", "005"}, {"menu", "23"}, {"signal-sub", "-73"},
    };
    auto after = Words(radio.State());
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, value] : before) {
        const auto change = changed.find(name);
        EXPECT_EQ(after[name], change == changed.end() ? value : change->second) << name;
    }
    for (const auto& [name, value] : changed) {
        if (name != "signal-sub")
            EXPECT_TRUE(radio.Set(name, before.at(name))) << name;
    }
    radio.Dsp().SetSignal(1, std::nullopt);
    EXPECT_EQ(Words(radio.State()), before);
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"an", "3"}, {"rg", "25"}, {"notch", "4"}, {"m051", "2"}, {"menu", "1000"}, {"dsp-main", "00"}})
        EXPECT_FALSE(radio.Set(name, value)) << name;
}

// The power switch: off, the radio hears nothing and stops transmitting; on,
// only what a restart forgets is gone, and a boot loader is still waiting.
TEST(Radio, PowerOffSilencesItAndPowerOnKeepsAllButWhatARestartForgets)
{
    CRadio radio;
    const auto now = CKeyer::Clock::now();
    for (const char* command : {"FA00003750000;", "Q71;", "SWH18;", "SWH16;", "MN072;", "UP;", "KY CQ CQ;"})
        radio.Handle(command);
    ASSERT_TRUE(radio.Eeprom().Write(0x7E00, {0x42}));
    auto expected = Words(radio.State());
    ASSERT_EQ(expected.at("tx"), "1");
    ASSERT_TRUE(radio.Keyer().Transmitting(now));

    radio.SetPower(false);
    for (const char* command : {";", "RVM;", "TQ;", "FA;", "Q7;"})
        EXPECT_FALSE(radio.Handle(command)) << command;
    EXPECT_FALSE(radio.Keyer().Transmitting(now));
    EXPECT_EQ(radio.Keyer().Waiting(now), 0u);
    radio.SetPower(true);
    expected["tx"] = "0";
    expected["q7"] = "0";
    expected["menu"] = "0";
    EXPECT_EQ(Words(radio.State()), expected);
    EXPECT_EQ(radio.Handle("TQ;"), Reply("TQ0;"));
    EXPECT_EQ(radio.Eeprom().Read(0x7E00, 1), std::vector<uint8_t>{0x42});

    radio.SetBootLoader(true);
    radio.SetPower(false);
    EXPECT_FALSE(radio.Handle("I;"));
    radio.SetPower(true);
    EXPECT_EQ(radio.Handle("I;"), Reply(CRadio::kDefaultBootLoaderReply));
}

}  // namespace
