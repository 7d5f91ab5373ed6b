#include "CommandLog.h"
#include "Faults.h"
#include "LogEntry.h"
#include "ControlWords.h"
#include "PseudoTerminal.h"
#include "Transmitter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

TEST(ControlWords, RoundTripsEveryByteAsOneWord)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string word = EscapeText(all);
    EXPECT_EQ(word.find(' '), std::string::npos);
    EXPECT_EQ(word.find('\n'), std::string::npos);
    EXPECT_EQ(UnescapeText(word), all);
    EXPECT_EQ(EscapeText("RVM04.55;"), "RVM04.55;");
    EXPECT_EQ(EscapeText("a b%"), "a%20b%25");
    EXPECT_EQ(UnescapeText(""), "");
    EXPECT_FALSE(UnescapeText("%4"));
    EXPECT_FALSE(UnescapeText("%G0"));
}

TEST(ControlWords, SplitsAtEverySpace)
{
    EXPECT_EQ(SplitWords("log"), std::vector<std::string>{"log"});
    EXPECT_EQ(SplitWords("1.0 38400 0 ; "), (std::vector<std::string>{"1.0", "38400", "0", ";", ""}));
}

TEST(ControlWords, CarriesBytesAsHex)
{
    EXPECT_EQ(HexBytes({0x00, 0x3B, 0xFF}), "003BFF");
    EXPECT_EQ(ParseHexBytes("003bFF"), (std::vector<uint8_t>{0x00, 0x3B, 0xFF}));
    EXPECT_EQ(ParseHexBytes(""), std::vector<uint8_t>{});
    EXPECT_FALSE(ParseHexBytes("0"));
    EXPECT_FALSE(ParseHexBytes("0G"));
}

TEST(CommandLog, MatchesWholeCommandsOrStarts)
{
    EXPECT_TRUE(CCommandLog::Matches("RVM;", "RVM;"));
    EXPECT_FALSE(CCommandLog::Matches("RVMX;", "RVM;"));
    EXPECT_TRUE(CCommandLog::Matches("ER010040BF;", "ER"));
    EXPECT_FALSE(CCommandLog::Matches("EW010040BF;", "ER"));

    CCommandLog log;
    log.Add({1.5, "RVM;", 38400, true, "RVM04.55;"});
    log.Add({2.0, ";", 19200, false, ""});
    log.Add({3.0, "RVM;", 38400, true, "RVM04.55;"});
    EXPECT_EQ(log.Count("RVM;"), 2u);
    EXPECT_EQ(log.Count(";"), 1u);
    EXPECT_EQ(log.Count(""), 3u);
    log.Clear();
    EXPECT_EQ(log.Count(""), 0u);
}

TEST(LogEntry, IsOneLineOfWordsBothWays)
{
    const SLogEntry answered{1.5, "RVM;", 38400, true, "RVM04.55;"};
    EXPECT_EQ(FormatLogEntry(answered), "1.500 38400 1 RVM; RVM04.55;");
    EXPECT_EQ(FormatLogEntry({2.0, ";", 19200, false, ""}), "2.000 19200 0 ; ");

    const SLogEntry odd{12.25, "KY hello world;", 4800, true, "a\nb;?;"};
    const auto back = ParseLogEntry(FormatLogEntry(odd));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ms, 12.25);
    EXPECT_EQ(back->command, odd.command);
    EXPECT_EQ(back->speed, 4800u);
    EXPECT_TRUE(back->answered);
    EXPECT_EQ(back->reply, odd.reply);

    EXPECT_FALSE(ParseLogEntry("ok 3"));
    EXPECT_FALSE(ParseLogEntry("1.0 38400 2 ; "));
    EXPECT_FALSE(ParseLogEntry("x 38400 1 ; "));
    EXPECT_FALSE(ParseLogEntry("1.0 38400 1 %4 "));
}

TEST(Faults, LoseOnlyWhatWasAskedFor)
{
    CFaults faults;
    faults.IgnoreNext("ER", 2);
    EXPECT_FALSE(faults.Loses("RVM;"));
    EXPECT_TRUE(faults.Loses("ER010040BF;"));
    EXPECT_TRUE(faults.Loses("ER010040BF;"));
    EXPECT_FALSE(faults.Loses("ER010040BF;"));
    faults.SetSilent(true);
    EXPECT_TRUE(faults.Loses(";"));
    faults.SetSilent(false);
    EXPECT_FALSE(faults.Loses(";"));

    faults.SplitNextReply({3, 40});
    faults.AppendToNextReply("?;");
    ASSERT_TRUE(faults.TakeSplit());
    EXPECT_FALSE(faults.TakeSplit()) << "one reply only";
    EXPECT_EQ(faults.TakeBurst(), "?;");
    EXPECT_EQ(faults.TakeBurst(), "");

    faults.IgnoreNext("FB", 1, 2);
    EXPECT_FALSE(faults.Loses("FB;"));
    EXPECT_FALSE(faults.Loses("FB;"));
    EXPECT_TRUE(faults.Loses("FB;")) << "the third, after two got through";
    EXPECT_FALSE(faults.Loses("FB;"));

    faults.SendStrayBefore("FA", "XT1;");
    EXPECT_FALSE(faults.TakeStray("FB;"));
    EXPECT_EQ(faults.TakeStray("FA;"), std::optional<std::string>("XT1;"));
    EXPECT_FALSE(faults.TakeStray("FA;")) << "one reply only";
}

// A pipe stands in for the terminal; time is given, not measured.
class TransmitterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(pipe2(m_pipe, O_NONBLOCK), 0);
        m_transmitter.SetFd(m_pipe[1]);
    }
    void TearDown() override
    {
        close(m_pipe[0]);
        close(m_pipe[1]);
    }
    double MicrosecondsAfterStart(Clock::time_point time) const
    {
        return std::chrono::duration<double, std::micro>(time - m_t0).count();
    }
    std::string Received()
    {
        char buffer[256];
        const ssize_t n = read(m_pipe[0], buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, n) : std::string();
    }

    int m_pipe[2] = {-1, -1};
    CTransmitter m_transmitter;
    const Clock::time_point m_t0 = Clock::now();
};

using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST_F(TransmitterTest, WritesEachByteWhenItsTenBitsHaveArrived)
{
    // 9600 bit/s: 1041.67 us a byte.
    m_transmitter.Queue("RVM04.55;", 9600, m_t0);
    auto next = m_transmitter.Pump(m_t0);
    EXPECT_EQ(Received(), "");
    ASSERT_TRUE(next);
    EXPECT_NEAR(MicrosecondsAfterStart(*next), 1041.67, 0.01);

    next = m_transmitter.Pump(m_t0 + microseconds(4200));
    EXPECT_EQ(Received(), "RVM0");
    // Cumulative: the ninth byte is due at 9 * 1041.67 us, not later.
    next = m_transmitter.Pump(m_t0 + microseconds(9376));
    EXPECT_EQ(Received(), "4.55;");
    EXPECT_FALSE(next);
}

TEST_F(TransmitterTest, QueuedPiecesFollowEachOtherWithTheirGaps)
{
    // 38400 bit/s: 260.42 us a byte.
    m_transmitter.Queue("ab", 38400, m_t0 + milliseconds(10));
    m_transmitter.Queue("cd", 38400, m_t0, milliseconds(5));
    m_transmitter.Pump(m_t0 + milliseconds(10));
    EXPECT_EQ(Received(), "") << "the delay holds the first piece back";
    m_transmitter.Pump(m_t0 + microseconds(10521));
    EXPECT_EQ(Received(), "ab");
    const auto next = m_transmitter.Pump(m_t0 + microseconds(15500));
    EXPECT_EQ(Received(), "") << "the pause after the first piece";
    ASSERT_TRUE(next);
    EXPECT_NEAR(MicrosecondsAfterStart(*next), 10520.83 + 5000 + 260.42, 0.01);
    m_transmitter.Pump(m_t0 + microseconds(16042));
    EXPECT_EQ(Received(), "cd");
}

TEST_F(TransmitterTest, DropsEverythingWhenTheLineGoes)
{
    m_transmitter.Queue("abc", 38400, m_t0);
    m_transmitter.SetFd(-1);
    EXPECT_FALSE(m_transmitter.Pump(m_t0 + milliseconds(100)));
    EXPECT_EQ(Received(), "");
}

}  // namespace

// The line must be the simulator's own terminal, so that the session of
// whoever opens it for Windows (the wineserver) is not hung up when it closes.
TEST(PseudoTerminalLine, IsTheControllingTerminalOfTheSimulatorsSession)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setsid();
        CPseudoTerminal line;
        std::string error;
        if (!line.Open(error))
            _exit(2);
        const int slave = open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        _exit(slave >= 0 && tcgetsid(slave) == getsid(0) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
