// The keyer conversation without windows: a fake page records what the
// poller asks of it, a fake clock stands in for GetTickCount.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TerminalModeFilter.h"
#include "TerminalPoller.h"

namespace {

DWORD g_now = 0;
DWORD WINAPI FakeClock()
{
    return g_now;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

class CFakePage : public ITerminalPollerHost {
public:
    bool IsTransmitting() override { return transmitting; }
    bool HasUnsentText() override { return unsent; }
    void WriteKeyerCommand(const std::wstring& command) override { events.push_back("write " + Narrow(command)); }
    void ShowReceived(const std::wstring& text) override { events.push_back("received " + Narrow(text)); }
    void ShowEcho(const std::wstring& text) override { events.push_back("echo " + Narrow(text)); }
    void ShowReply(const std::wstring&) override {}
    void StopTransmit() override { events.push_back("stop"); }
    void SendNextPiece() override { events.push_back("next"); }

    bool transmitting = true;
    bool unsent = false;
    std::vector<std::string> events;
};

class TerminalPollerTest : public testing::Test {
protected:
    TerminalPollerTest()
    {
        g_now = 50000;
        poller.Restart();
    }

    // The bytes as they come from the port; the events they caused.
    std::vector<std::string> Reply(const std::string& bytes)
    {
        page.events.clear();
        for (const char byte : bytes)
            poller.OnReplyByte(static_cast<BYTE>(byte));
        return page.events;
    }

    // `text` typed in `mode`; the terminal stops after `timeoutMs` without activity.
    void Type(unsigned mode, DWORD timeoutMs, const wchar_t* text)
    {
        poller.SetMode(mode);
        poller.SetActivityTimeout(timeoutMs);
        poller.SendKeyerText(text);
    }

    using Events = std::vector<std::string>;
    CFakePage page;
    CTerminalPoller poller{page, &FakeClock};
};

TEST(TransmitBufferReply, Parses)
{
    struct {
        const wchar_t* reply;
        ReplyParse parse;
        unsigned waiting;
        const wchar_t* received;
    } cases[] = {
        {L"TB000;", ReplyParse::Complete, 0, L""},
        {L"TB003CQ ;", ReplyParse::Complete, 0, L"CQ "},
        {L"TB512;", ReplyParse::Incomplete, 0, L""},
        {L"TB003a;", ReplyParse::Incomplete, 0, L""},
        {L"TB003a;b;", ReplyParse::Complete, 0, L"a;b"},
        {L"TB 00;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"TB0 1x;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"TB00 ;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"TB00;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"?;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"FA00014070000;", ReplyParse::NotTransmitBuffer, 0, L""},
        {L"TB900;", ReplyParse::Complete, 9, L""},
    };
    for (const auto& c : cases) {
        STransmitBufferReply parsed;
        EXPECT_EQ(ParseTransmitBufferReply(c.reply, parsed), c.parse) << Narrow(c.reply);
        if (c.parse == ReplyParse::Complete) {
            EXPECT_EQ(parsed.waiting, c.waiting);
            EXPECT_EQ(parsed.received, c.received);
        }
    }
    // Twelve announced: complete only with 2 + 1 + 2 + 12 + 1 characters.
    STransmitBufferReply parsed;
    EXPECT_EQ(ParseTransmitBufferReply(L"TB012CQ CQ DE ;", parsed), ReplyParse::Incomplete);
    EXPECT_EQ(ParseTransmitBufferReply(L"TB012CQ CQ DE ;K ;", parsed), ReplyParse::Complete);
    EXPECT_EQ(parsed.received, L"CQ CQ DE ;K ");
}

TEST_F(TerminalPollerTest, ReceivedTextArrivesWholeAcrossASemicolonAndJunkIsDropped)
{
    EXPECT_EQ(Reply("TB003C"), Events{});
    EXPECT_EQ(Reply("Q;"), Events{}) << "the ';' is the third received character";
    EXPECT_EQ(Reply(";"), Events{"received CQ;"});
    EXPECT_EQ(Reply("?;TB 01x;"), Events{});
    EXPECT_EQ(Reply("TB0031"), Events{}) << "nothing left over from the junk";
    EXPECT_EQ(Reply("23;"), Events{"received 123"});
}

TEST_F(TerminalPollerTest, AReplyThatNeverEndsIsDroppedOnceItIsTooLong)
{
    Reply(std::string(CTerminalPoller::kLongestReply + 1, 'x'));
    EXPECT_EQ(Reply("TB001Q;"), Events{"received Q"});
}

TEST_F(TerminalPollerTest, PollsFromTheSecondTickAndNotRightAfterAReply)
{
    EXPECT_FALSE(poller.OnPollTick()) << "first tick after showing";
    EXPECT_TRUE(poller.OnPollTick());
    EXPECT_TRUE(poller.OnPollTick()) << "no reply: every tick polls";
    Reply("TB000;");
    EXPECT_FALSE(poller.OnPollTick());
    EXPECT_TRUE(poller.OnPollTick());
}

TEST_F(TerminalPollerTest, IdleIntervalClimbsTowardsOneSecondAndDropsAtActivity)
{
    page.transmitting = false;
    std::vector<DWORD> intervals{poller.PollInterval()};
    for (int i = 0; i < 4; ++i) {
        Reply("TB000;");
        intervals.push_back(poller.PollInterval());
    }
    EXPECT_EQ(intervals, (std::vector<DWORD>{100, 156, 208, 257, 303}));
    for (int i = 0; i < 200; ++i)
        Reply("TB000;");
    EXPECT_GE(poller.PollInterval(), 980u);
    EXPECT_LE(poller.PollInterval(), CTerminalPoller::kSlowestPollMs);
    Reply("TB001x;");
    EXPECT_EQ(poller.PollInterval(), 100u) << "received text";
    Reply("TB000;");
    Reply("TB100;");
    EXPECT_EQ(poller.PollInterval(), 100u) << "characters waiting in the radio";
}

TEST_F(TerminalPollerTest, PiecesAreShortAndWaitWhileTheRadioHoldsEnough)
{
    struct {
        unsigned mode;
        const wchar_t* pending;
        size_t room;
    } cases[] = {
        {TERMINAL_MODE_CW, L"", 4},   {TERMINAL_MODE_CW, L"AB", 2}, {TERMINAL_MODE_CW, L"ABC", 0},
        {TERMINAL_MODE_RTTY, L"", 4}, {TERMINAL_MODE_PSK, L"", 8},  {TERMINAL_MODE_PSK, L"ABCD", 4},
        {TERMINAL_MODE_PSK, L"ABCDE", 0},
    };
    for (const auto& c : cases) {
        CFakePage fresh;
        CTerminalPoller sender(fresh, &FakeClock);
        sender.SetMode(c.mode);
        if (*c.pending)
            sender.SendKeyerText(c.pending);
        EXPECT_EQ(sender.SendRoom(), c.room) << c.mode << " " << Narrow(c.pending);
    }
}

TEST_F(TerminalPollerTest, EchoesWhatTheRadioHasSentAndAsksForTheNextPiece)
{
    Type(TERMINAL_MODE_RTTY, 60000, L"CQ\r\n");
    EXPECT_EQ(page.events, Events{"write KY CQ\r\n;"});
    EXPECT_EQ(Reply("TB300;"), (Events{"echo C", "next"}));
    EXPECT_EQ(Reply("TB300;"), Events{"next"});
    EXPECT_EQ(Reply("TB000;"), (Events{"echo Q\r\n", "next"}));
    EXPECT_TRUE(poller.Pending().empty());
}

TEST_F(TerminalPollerTest, CwProsignGoesOutAsOneCharacterAndEchoesAsTwoLetters)
{
    poller.SetMode(TERMINAL_MODE_CW);
    poller.SendKeyerText(L"_");
    EXPECT_EQ(page.events, Events{"write KY _;"});
    EXPECT_EQ(poller.Pending(), L"AA");
    EXPECT_EQ(Reply("TB000;"), (Events{"echo AA", "next"}));
}

TEST_F(TerminalPollerTest, RttyAndPskStopAtTheFirstEmptyPollWithTimeoutZeroButCwNever)
{
    for (unsigned mode : {TERMINAL_MODE_RTTY, TERMINAL_MODE_PSK}) {
        poller.SetMode(mode);
        EXPECT_EQ(Reply("TB100;"), Events{});
        EXPECT_EQ(Reply("TB000;"), Events{"stop"}) << mode;
    }
    poller.SetMode(TERMINAL_MODE_CW);
    g_now += 100000;
    EXPECT_EQ(Reply("TB000;"), Events{});
}

TEST_F(TerminalPollerTest, AnEmptyReplyThatOvertakesTheFirstPieceSendsItInsteadOfStopping)
{
    poller.SetMode(TERMINAL_MODE_RTTY);
    poller.SetStopWhenDone(true);
    page.unsent = true;
    EXPECT_EQ(Reply("TB000;"), Events{"next"});
    page.unsent = false;
    EXPECT_EQ(Reply("TB000;"), Events{"stop"});
}

TEST_F(TerminalPollerTest, StopsOnTxOffOrAfterTheIdleTimeout)
{
    Type(TERMINAL_MODE_RTTY, 5000, L"K");
    Reply("TB000;");
    g_now += 2000;
    EXPECT_EQ(Reply("TB000;"), Events{});
    poller.SetStopWhenDone(true);
    EXPECT_EQ(Reply("TB000;"), Events{"stop"}) << "[TXOFF] with everything sent";
    poller.SetStopWhenDone(false);
    g_now += 3000;
    EXPECT_EQ(Reply("TB000;"), Events{"stop"}) << "5000 ms since the last send";
}

TEST_F(TerminalPollerTest, KeepAliveOnlyWhileTransmittingAfterThreeSecondsQuiet)
{
    Type(TERMINAL_MODE_PSK, 60000, L"K");
    Reply("TB000;");
    g_now += 3000;
    EXPECT_EQ(Reply("TB000;"), Events{});
    g_now += 1;
    EXPECT_EQ(Reply("TB000;"), Events{"write KY  \x7F;"});
    EXPECT_EQ(poller.PollInterval(), 156u) << "the command sets 100, the quiet reply then slows it";
    page.transmitting = false;
    g_now += 5000;
    EXPECT_EQ(Reply("TB000;"), Events{});
}

TEST_F(TerminalPollerTest, EndOfTransmissionOnlyInRttyPskWithAnEmptyBufferAndRecentActivity)
{
    Type(TERMINAL_MODE_RTTY, 60000, L"K");
    EXPECT_TRUE(poller.WantsEndOfTransmission());
    Reply("TB100;");
    EXPECT_FALSE(poller.WantsEndOfTransmission()) << "the radio still holds a character";
    Reply("TB000;");
    g_now += 3999;
    EXPECT_TRUE(poller.WantsEndOfTransmission());
    g_now += 1;
    EXPECT_FALSE(poller.WantsEndOfTransmission()) << "4000 ms without activity";
    poller.SetMode(TERMINAL_MODE_CW);
    poller.SendKeyerText(L"K");
    EXPECT_FALSE(poller.WantsEndOfTransmission());
}

}  // namespace
