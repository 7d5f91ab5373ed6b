// Runs that ended in the middle of things: an open menu, a radio that will
// not key or unkey, a value that never reads back, more settings to save
// than the stack holds, a stray reply. Each must end, and leave the radio as
// it found it.
#include "ErrorText.h"
#include "TXGainFixture.h"

namespace {

class TXGainMendsTest : public TXGainRadioTest {};

TEST_F(TXGainMendsTest, FailureInAMenuLeavesTheMenuAndGoesNoFurther)
{
    Contact();
    Set("m055", "PA@@@OFF");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_50W), E_TXGC_BH7W_NOT_NOR);
    const std::vector<std::string> commands = radio.Commands();
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 5, commands.end()),
              (std::vector<std::string>{"MN055;", "DS;", "MN255;"}));
    EXPECT_EQ(page.CountProgress(L"Calibration requires that Q7 Config:BH7W be \"PA nor\""), 1u);
}

TEST_F(TXGainMendsTest, TuneThatNeverKeysEndsAfterEightQueries)
{
    Contact();
    radio.Control("tune-keys 0");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_TQ);
    EXPECT_EQ(CountCommand("SWH16;"), 8u);
    const std::vector<std::string> commands = radio.Commands();
    const size_t queries = CountFrom(commands, IndexOf(commands, "SWH16;"), "TQ;");
    EXPECT_GE(queries, 8u);
    EXPECT_LE(queries, 9u) << "StartTune's eight, and the restore may ask once";
}

TEST_F(TXGainMendsTest, SettingRefusedForEverEndsAfterEightSends)
{
    Contact();
    Set("rt", "1");
    radio.Control("refuse RT 100");
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_RT);
    EXPECT_EQ(CountCommand("RT;"), 8u + 1u) << "and the restore's";
    EXPECT_EQ(CountCommand("RT0;"), 7u);
}

// The band's unkey gives up after eight queries, the restore's after eight
// more; then the run ends at once. The radio answered "TQ1;" throughout: the
// user is told to unkey it, not that it did not respond, and every setting
// the run changed is named with the value it must get, each once.
TEST_F(TXGainMendsTest, RadioThatNeverUnkeysIsLeftToTheUser)
{
    Contact();
    radio.Control("unkeys 0");
    EXPECT_EQ(Run(TXGAIN_LEVEL_5W), E_NO_RESPONSE_TQ);
    const std::vector<std::string> commands = radio.Commands();
    const size_t unkeyed = IndexOf(commands, "RX;");
    EXPECT_EQ(CountFrom(commands, unkeyed, "TQ;"), 8u + 8u);
    EXPECT_EQ(CountFrom(commands, unkeyed, "RX;"), 8u + 8u) << "SetRX's, then the restore's";
    EXPECT_EQ(commands.back(), "TQ;") << "nothing put back while it transmits";
    EXPECT_EQ(machine.GetRadioWarning(), BoxLines({kMayBeTransmitting}, kLeftInABand));
    ASSERT_GE(page.progress.size(), kLeftInABand.size() + 1);
    const auto logged = page.progress.end() - kLeftInABand.size();
    EXPECT_EQ(logged[-1], kMayBeTransmitting);
    EXPECT_EQ(std::vector<std::wstring>(logged, page.progress.end()), kLeftInABand);
    EXPECT_EQ(State().at("tx"), "1");
}

TEST_F(TXGainMendsTest, SilentReceiveCheckEndsAfterEightQueries)
{
    Contact();
    radio.IgnoreNext("TQ;", 100);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_TQ);
    std::vector<std::string> expected = {"TT0;", "DB00;", "OM;"};
    expected.insert(expected.end(), 8, "TQ;");
    EXPECT_EQ(radio.Commands(), expected);
}

TEST_F(TXGainMendsTest, MenuValueThatNeverReadsBackCostsItsEntryOnly)
{
    Contact();
    Set("m058", "010");
    radio.IgnoreNext("Q5;", 100);
    // The restore's value is lost; its reads are answered with the other.
    radio.IgnoreNext("MP010;", 100);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W, {"tt", "db", "m078", "m058"}), E_NO_RESPONSE_Q5);
    EXPECT_EQ(CountCommand("MP;"), 2u + 8u);
    EXPECT_EQ(page.CountProgress(FormatErrorText(E_NO_RESPONSE_MP)), 2u) << "when given up, and at the end";
    EXPECT_EQ(machine.GetRadioWarning(),
              BoxLines({NotPutBack(E_NO_RESPONSE_MP), kNotPutBack, L"Menu Parameter (MP) menu 058: MP010"}));
    const std::vector<std::string> commands = radio.Commands();
    const size_t lastRead = commands.rend() - std::find(commands.rbegin(), commands.rend(), "MP;");
    ASSERT_LT(lastRead, commands.size());
    EXPECT_EQ(commands[lastRead], "MN255;");
}

TEST_F(TXGainMendsTest, MenuThatNeverStepsBackCostsItsEntryOnly)
{
    Contact();
    radio.Control("tech-steps 2");
    radio.IgnoreNext("Q5;", 100);
    radio.IgnoreNext("DN;", 100);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W, {"tt", "db", "m078", "m072"}), E_NO_RESPONSE_Q5);
    EXPECT_EQ(page.CountProgress(FormatErrorText(E_NO_RESPONSE_DS)), 2u) << "when given up, and at the end";
    EXPECT_EQ(machine.GetRadioWarning(), BoxLines({NotPutBack(E_NO_RESPONSE_DS), kNotPutBack,
                                                   L"VFO A and Basic Icon (DS) menu 072: DS@@@@OFF0"}));
    const std::vector<std::string> commands = radio.Commands();
    const size_t restore = commands.rend() - std::find(commands.rbegin(), commands.rend(), "MN072;");
    std::vector<std::string> expected;
    for (int read = 0; read < 8; ++read)
        expected.insert(expected.end(), {"DS;", "DN;"});
    expected.back() = "MN255;";
    EXPECT_EQ(std::vector<std::string>(commands.begin() + restore, commands.end()), expected);
}

TEST_F(TXGainMendsTest, SettingsRefusedManyTimesAreSavedOnce)
{
    Contact();
    // Without one entry a visit, these would offer 32 entries before the
    // band loop, and the stack of 25 would lose the band number.
    for (const auto& [name, value] : std::map<std::string, std::string>{{"m058", "010"}, {"q5", "1"}, {"rt", "1"}})
        Set(name, value);
    radio.Control("tech-steps 7");
    for (const char* prefix : {"MP", "Q5", "RT"})
        radio.Control(std::string("refuse ") + prefix + " 6");
    // Band 0 ends at its XIT query.
    radio.IgnoreNext("XT;", 100, 1);
    EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_NO_RESPONSE_XT);
    EXPECT_LT(IndexOf(radio.Commands(), "BN00;"), radio.Commands().size());
}

// A reply must begin with all of its query before the ";": a stray reply of
// another command, or of another mode of the same letter, is not saved.
TEST_F(TXGainMendsTest, StrayReplyIsNoValueToRestore)
{
    struct Row {
        const char* before;
        const char* stray;
        // The run ends at this query's eight sends lost, after `after` got through.
        const char* silent;
        unsigned after;
        HRESULT code;
    } rows[] = {
        {"FA;", "XT1;", "XT;", 1, E_NO_RESPONSE_XT},
        {"Q5;", "Q71;", "FA;", 0, E_NO_RESPONSE_FA},
    };
    Contact();
    for (const Row& row : rows) {
        radio.ClearLog();
        radio.SendStrayBefore(row.before, row.stray);
        radio.IgnoreNext(row.silent, 8, row.after);
        EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), row.code) << row.stray;
        EXPECT_EQ(CountCommand(row.stray), 0u) << row.stray;
    }
}

// A value the restore sends into a silence goes again, up to eight times;
// one that never gets through is given up with its code. While the radio
// answers the query (with the value it kept) the restore goes on; when it
// answers nothing at all, the radio is gone and the rest is not sent. The
// end names every setting left. The run after it starts with a clean record.
TEST_F(TXGainMendsTest, LostRestoreOfAValueIsSentAgain)
{
    struct Row {
        unsigned lost;
        // The restore's queries lost too.
        bool silent;
        size_t sends;
        std::set<std::string> notPutBack;
        std::vector<std::wstring> warning;
        // Log lines with the entry's code: when given up, and at the end.
        size_t logged;
    } rows[] = {
        {100, false, 8, {"tt", "db", "m078", "rt"}, {NotPutBack(E_NO_RESPONSE_RT), kNotPutBack, L"RIT (RT): RT1"}, 2},
        {1, false, 2, kChangedByDesign, {}, 0},
        // Last: the menu it leaves stepped stays so.
        {100, true, 8, {"tt", "db", "m078", "rt", "m072"},
         {NotPutBack(E_NO_RESPONSE_RT), kNotPutBack, L"RIT (RT): RT1", L"RIT Offset (RO): RO+0000",
          L"VFO B (FB): FB00007030000", L"VFO A (FA): FA00014060000",
          L"VFO A and Basic Icon (DS) menu 072: DS@@@@OFF0"},
         2},
    };
    Contact();
    for (const Row& row : rows) {
        Set("rt", "1");
        radio.ClearLog();
        page.progress.clear();
        // Band 0's VFO A query: the run ends there.
        radio.IgnoreNext("FA;", 8, 1);
        radio.IgnoreNext("RT1;", row.lost);
        // The run's own two queries pass.
        radio.IgnoreNext("RT;", row.silent ? 100 : 0, 2);
        EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W, row.notPutBack), E_NO_RESPONSE_FA) << row.lost;
        radio.IgnoreNext("RT1;", 0);
        radio.IgnoreNext("RT;", 0);
        EXPECT_EQ(CountCommand("RT1;"), row.sends) << row.lost;
        EXPECT_EQ(CountCommand("RO+0000;"), row.silent ? 0u : 1u) << row.lost;
        EXPECT_EQ(machine.GetRadioWarning(), BoxLines(row.warning)) << row.lost;
        EXPECT_EQ(page.CountProgress(FormatErrorText(E_NO_RESPONSE_RT)), row.logged) << row.lost;
    }
}

// A reply that is no value of the setting asked for ("PC1X0;" to "PC;") is
// asked for again, as a reply never heard, and never put back: the run's
// saved value is the radio's own, which the restore brings back.
TEST_F(TXGainMendsTest, GarbledReplyIsAskedForAgainAndNeverPutBack)
{
    struct Row {
        const char* name;
        const char* value;
        const char* query;
        const char* garbled;
    } rows[] = {
        {"pc", "100", "PC;", "PC1X0;"},
        {"rt", "1", "RT;", "RT1X;"},
        {"m058", "010", "MP;", "MP0X0;"},
    };
    Contact();
    for (const Row& row : rows) {
        Set(row.name, row.value);
        radio.ClearLog();
        // Band 0 ends at its SWR, once its power is saved.
        radio.Control("swr 0 20");
        radio.GarbleNextReply(row.query, row.garbled);
        EXPECT_EQ(RunRestored(TXGAIN_LEVEL_5W), E_TXGC_SWR_TOO_HIGH) << row.garbled;
        const std::vector<SimulatedCommand> log = radio.Log();
        const auto garbled = std::find_if(log.begin(), log.end(), [&](const SimulatedCommand& entry) {
            return entry.reply == row.garbled;
        });
        ASSERT_LT(garbled + 1, log.end()) << row.garbled;
        EXPECT_EQ(garbled[1].command, row.query) << "asked again";
        EXPECT_EQ(CountCommand(row.garbled), 0u);
        EXPECT_EQ(machine.GetRadioWarning(), L"") << row.garbled;
    }
}

}  // namespace
