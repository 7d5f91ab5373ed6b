// The restore machine: how file bytes become page records, and its runs
// against the scripted radio (block writes, byte writes with their read-back,
// writes never acknowledged). Waits are cut short by firing the timer.
#include "ConfigRestoreStateMachine.h"
#include "MachineFixture.h"

namespace {

using Records = std::vector<std::tuple<int, int, int>>;  // page, first, last

Records RecordsOf(const CConfigRestoreStateMachine& machine)
{
    Records records;
    for (const auto& record : machine.m_records)
        records.emplace_back(record->page, record->first, record->last);
    return records;
}

class ConfigRestoreMachineTest : public MachineTest {
protected:
    ConfigRestoreMachineTest()
    {
        GetModel().SetActiveMachine(&machine);
        UseFirmware(455);
    }

    void UseFirmware(unsigned short version)
    {
        SetMcuVersion(version);
        radio.mcuVersion = version;
        char reply[16];
        snprintf(reply, sizeof reply, "RVM%02u.%02u;", version / 100, version % 100);
        radio.versions[0] = reply;
    }

    // Runs to the end (the contact machine's, after a success); each wait
    // that runs out is cut short.
    HRESULT Run()
    {
        window.ResetFinished();
        EXPECT_TRUE(machine.Start(nullptr));
        for (int ticks = 0; ticks < 200 && !window.WaitForFinish(20); ++ticks) {
            SendMessageW(window.Handle(), WM_TIMER, TIMER_CONFIG_RESTORE, 0);
            SendMessageW(window.Handle(), WM_TIMER, TIMER_CONTACT, 0);
        }
        return window.FinishCount() == 1 ? window.Result() : E_FAIL;
    }

    CConfigRestoreStateMachine machine;
};

}  // namespace

TEST_F(ConfigRestoreMachineTest, BytesFormRecordsOnlyInsideTheSavedRegions)
{
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        for (unsigned i = 0; i < GetSavedRegionLength(region); ++i)
            machine.AddByte(static_cast<int>(GetSavedRegionStart(region) + i), 0x5A);
    }
    EXPECT_EQ(RecordsOf(machine), (Records{{0x00, 0, 0xFB}, {0x01, 0, 0xFF}, {0x02, 0, 0xFF}, {0x03, 0, 0xFD},
                                          {0x68, 0, 0xFF}, {0x69, 0, 0xFF}, {0x7E, 0, 0x1F}}));
    EXPECT_EQ(machine.GetByteCount(), 1562);

    CConfigRestoreStateMachine other;
    // Dropped: between and beyond the regions, past FFFF (never wrapped).
    for (int address : {0x00FC, 0x03FE, 0x0400, 0x7E20, 0x8000, 0xFFFF, 0x10000, 0x10001, -1})
        other.AddByte(address, 1);
    EXPECT_TRUE(other.m_records.empty());
    // Lines in descending order, a repeated address, a gap.
    for (int address : {0x0110, 0x0111, 0x0100, 0x0101, 0x0101, 0x0105})
        other.AddByte(address, 2);
    EXPECT_EQ(RecordsOf(other), (Records{{1, 0x10, 0x11}, {1, 0x00, 0x01}, {1, 0x01, 0x01}, {1, 0x05, 0x05}}));
    EXPECT_EQ(other.m_records[1]->data[0x02], 0xFF);
}

TEST_F(ConfigRestoreMachineTest, BlockWritesThenTheResetAndTheContactAgain)
{
    for (int i = 0; i < 66; ++i)
        machine.AddByte(0x0100 + i, static_cast<BYTE>(i));
    machine.AddByte(0x0100, 0xAB);  // a later record wins
    // The first acknowledgement is wrong: dropped, the chunk is sent again.
    int acks = 0;
    peer.responder = [&](const std::string& command) {
        const std::string reply = radio(command);
        if (command.compare(0, 2, "EW") == 0 && acks++ == 0)
            return std::string("EW010040FF;");
        return reply;
    };
    ASSERT_EQ(Run(), 0);
    const std::vector<std::string> commands = peer.CommandTexts();
    const auto reset = std::find(commands.begin(), commands.end(), "LDD20000;");
    ASSERT_NE(reset, commands.end());
    EXPECT_EQ(std::count_if(commands.begin(), reset, [](const std::string& c) { return c.compare(0, 4, "EW01") == 0; }),
              4) << "64 bytes twice, 2 bytes, 1 byte";
    EXPECT_EQ(std::find(reset, commands.end(), "RVM;") != commands.end(), true) << "the radio is contacted again";
    EXPECT_EQ(radio.eeprom[0x0100], 0xAB);
    EXPECT_EQ(radio.eeprom[0x0141], 65);
    EXPECT_EQ(GetModel().ActiveMachine(), nullptr);
}

TEST_F(ConfigRestoreMachineTest, OlderFirmwareWritesEachByteAndWaitsForItsReadBack)
{
    UseFirmware(382);
    machine.AddByte(0x0100, 171);
    ASSERT_EQ(Run(), 0);
    const std::vector<std::string> commands = peer.CommandTexts();
    ASSERT_GE(commands.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 7),
              (std::vector<std::string>{";", "TT0;", "Q7;", "Q7H;", "LDPW001.000.171;", "LDPR001.000;", "LDD20000;"}));
    EXPECT_EQ(radio.eeprom[0x0100], 171);
}

TEST_F(ConfigRestoreMachineTest, AWriteNeverAcknowledgedEndsAfterEightSendsWithoutAReset)
{
    machine.AddByte(0x0100, 1);
    radio.silentCommands = {"EW01000101FD;"};
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    EXPECT_EQ(Run(), E_NO_RESPONSE_WRITE_EEPROM_BLOCK);
    EXPECT_EQ(peer.Count("EW01000101FD;"), 8u);
    EXPECT_EQ(peer.Count("LDD20000;"), 0u);
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
}

// A restore that stops once a block has gone out, acknowledged or not, and
// before the last is written leaves the radio holding part of the file; one
// that stops before any block, or after the last, does not.
TEST_F(ConfigRestoreMachineTest, ARestoreCutAfterABlockHasGoneOutIsHalfWritten)
{
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        for (unsigned i = 0; i < GetSavedRegionLength(region); ++i)
            machine.AddByte(static_cast<int>(GetSavedRegionStart(region) + i), 0x5A);
    }
    unsigned blocks = 0;
    const auto isBlock = [](const std::string& command) { return command.compare(0, 2, "EW") == 0; };
    // The radio's answer, after which every write fails.
    const auto thenPortLost = [&](const std::string& command) {
        peer.writeError = ERROR_GEN_FAILURE;
        return radio(command);
    };
    const struct {
        const char* what;
        std::function<std::string(const std::string& command)> answer;
        HRESULT result;
        bool halfWritten;
    } rows[] = {
        {"the 5th block never acknowledged",
         [&](const std::string& c) { return isBlock(c) && ++blocks >= 5 ? std::string() : radio(c); },
         E_NO_RESPONSE_WRITE_EEPROM_BLOCK, true},
        {"the first block never acknowledged", [&](const std::string& c) { return isBlock(c) ? "" : radio(c); },
         E_NO_RESPONSE_WRITE_EEPROM_BLOCK, true},
        {"the port lost as the 5th block goes out",
         [&](const std::string& c) { return isBlock(c) && ++blocks == 4 ? thenPortLost(c) : radio(c); },
         ERROR_GEN_FAILURE, true},
        {"the port lost as the first block goes out",
         [&](const std::string& c) { return c == "TT0;" ? thenPortLost(c) : radio(c); }, ERROR_GEN_FAILURE, false},
        {"the port lost as the reset goes out, every block written",
         [&](const std::string& c) { return c.compare(0, 6, "EW7E00") == 0 ? thenPortLost(c) : radio(c); },
         ERROR_GEN_FAILURE, false},
        {"no radio", [](const std::string&) { return std::string(); }, E_NO_RESPONSE_AFTER_RESET, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        blocks = 0;
        peer.writeError = 0;
        peer.responder = row.answer;
        EXPECT_EQ(Run(), row.result);
        EXPECT_EQ(machine.IsHalfWritten(), row.halfWritten);
    }
}
