// The save machine against the scripted radio: the block reads, the byte
// reads of older firmware with their two equal reads, and the replies that
// never come. Time-outs are fired by hand, so eight of them take no time.
#include "ConfigFixture.h"
#include "ConfigSaveStateMachine.h"
#include "MachineFixture.h"
#include "MessagePump.h"

using namespace configtest;

namespace {

class ConfigSaveMachineTest : public MachineTest {
protected:
    ConfigSaveMachineTest()
    {
        GetModel().SetActiveMachine(&machine);
        for (unsigned address = 0; address < EEPROM_SIZE; ++address)
            radio.eeprom[address] = PatternByte(address);
        UseFirmware(455);
    }

    void UseFirmware(unsigned short version)
    {
        SetMcuVersion(version);
        radio.mcuVersion = version;
    }

    // Runs the machine to its end; each wait that runs out is cut short.
    HRESULT Run()
    {
        window.ResetFinished();
        EXPECT_TRUE(machine.Start(nullptr));
        for (int ticks = 0; ticks < 100 && !window.WaitForFinish(50); ++ticks)
            SendMessageW(window.Handle(), WM_TIMER, TIMER_CONFIG_SAVE, 0);
        return window.FinishCount() == 1 ? window.Result() : E_FAIL;
    }

    size_t CountStartingWith(const std::string& prefix)
    {
        size_t count = 0;
        for (const std::string& command : peer.CommandTexts())
            count += command.compare(0, prefix.size(), prefix) == 0;
        return count;
    }

    void ExpectSavedRegionsRead()
    {
        for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
            const unsigned start = GetSavedRegionStart(region);
            for (unsigned address = start; address < start + GetSavedRegionLength(region); ++address)
                ASSERT_EQ(machine.Image()[address], PatternByte(address)) << std::hex << address;
        }
        EXPECT_EQ(machine.Image()[0x00FC], 0) << "outside the saved regions";
        EXPECT_EQ(machine.m_position, 1562);
    }

    CConfigSaveStateMachine machine;
};

}  // namespace

TEST_F(ConfigSaveMachineTest, NewerFirmwareIsReadInTwentyFiveBlocksThatNeverCrossAPage)
{
    ASSERT_EQ(Run(), 0);
    const std::vector<std::string> commands = peer.CommandTexts();
    ASSERT_EQ(commands.size(), 27u);
    EXPECT_EQ(commands[0], ";");
    EXPECT_EQ(commands[1], "TT0;");
    EXPECT_EQ(commands[2], "ER000040C0;");
    EXPECT_EQ(commands[5], "ER00C03C04;") << "the last 60 bytes of region 0";
    EXPECT_EQ(commands[6], "ER010040BF;");
    EXPECT_EQ(commands[17], "ER03C03EFF;") << "the last 62 bytes of region 3";
    EXPECT_EQ(commands[26], "ER7E002062;");
    ExpectSavedRegionsRead();
}

TEST_F(ConfigSaveMachineTest, OlderFirmwareReadsEachByteUntilTwoReadsAgree)
{
    UseFirmware(382);
    // The radio's first answer for 0x0005 is wrong once.
    int askedFor5 = 0;
    peer.responder = [&](const std::string& command) {
        if (command == "LDPR000.005;" && askedFor5++ == 0)
            return std::string("LDPR000.005.007;");
        return radio(command);
    };
    ASSERT_EQ(Run(), 0);
    const std::vector<std::string> commands = peer.CommandTexts();
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 4),
              (std::vector<std::string>{";", "TT0;", "Q7;", "Q7H;"}));
    EXPECT_EQ(std::vector<std::string>(commands.end() - 2, commands.end()),
              (std::vector<std::string>{"Q70;", "Q7;"}));
    EXPECT_EQ(peer.Count("LDPR000.005;"), 3u);
    EXPECT_EQ(CountStartingWith("LDPR"), 2u * 1562 + 1);
    ExpectSavedRegionsRead();
}

TEST_F(ConfigSaveMachineTest, AReadNeverAnsweredEndsAfterEightSends)
{
    radio.silentCommands = {"ER000040C0;", "LDPR000.000;"};
    EXPECT_EQ(Run(), E_NO_RESPONSE_READ_EEPROM_BLOCK);
    EXPECT_EQ(peer.Count("ER000040C0;"), 8u);

    peer.responder = [this](const std::string& command) { return radio(command); };
    UseFirmware(382);
    EXPECT_EQ(Run(), E_NO_RESPONSE_READ_EEPROM);
    EXPECT_EQ(peer.Count("LDPR000.000;"), 8u);
    EXPECT_EQ(peer.Count("ER010040BF;"), 0u);
}
