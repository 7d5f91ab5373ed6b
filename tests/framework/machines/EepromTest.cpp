#include "EepromMachine.h"
#include "MachineFixture.h"

#include <set>

namespace {

class EepromTest : public MachineTest {
protected:
    EepromTest()
    {
        GetModel().SetActiveMachine(&machine);
        UseFirmware(455);
    }

    // The program's idea of the MCU firmware and the radio's agree.
    void UseFirmware(unsigned short version)
    {
        SetMcuVersion(version);
        radio.mcuVersion = version;
    }

    HRESULT Read(unsigned address, unsigned count)
    {
        window.ResetFinished();
        machine.read.SetRange(address, count);
        machine.Start(machine.read);
        return window.WaitForFinish(20000) ? window.Result() : E_FAIL;
    }
    HRESULT Write(unsigned address, unsigned count)
    {
        window.ResetFinished();
        machine.write.SetRange(address, count);
        machine.Start(machine.write);
        return window.WaitForFinish(20000) ? window.Result() : E_FAIL;
    }

    CEepromMachine machine;
};

}  // namespace

TEST(EepromCommands, BlockCommandsCarryTheirChecksums)
{
    EXPECT_EQ(FormatErCommand(0x0100, 64), L"ER010040BF;");
    const BYTE data[] = {0x12, 0xAB};
    // 0 - (0x12 + 0xAB + 0x83 + 0x02 + 0xE0) = 0xDE (mod 256)
    EXPECT_EQ(FormatEwCommand(0x83E0, data, 2), L"EW83E00212ABDE;");
}

TEST(EepromCommands, BlockReadRepliesAreCheckedBeforeAnyByteIsStored)
{
    const std::wstring command = FormatErCommand(0x0100, 2);  // ER010002FD;
    BYTE out[2] = {0x55, 0x55};
    // 0x01 + 0x00 + 0x02 + 0x10 + 0x20 + checksum = 0 (mod 256)
    EXPECT_TRUE(ParseErReply(command, L"ER0100021020CD;", 2, out));
    EXPECT_EQ(out[0], 0x10);
    EXPECT_EQ(out[1], 0x20);

    BYTE untouched[2] = {0x55, 0x55};
    for (const wchar_t* bad : {L"ER0100021020CE;",   // checksum
                               L"ER01000210CD;",     // too short for the count
                               L"ER0100021020CD",    // no end
                               L"ER0101021020CC;",   // another address
                               L"ER01000210G0CD;"})  // not hex
        EXPECT_FALSE(ParseErReply(command, bad, 2, untouched)) << bad;
    EXPECT_FALSE(ParseErReply(command, L"ER0100021020CD;", 1, untouched));  // more than asked
    EXPECT_EQ(untouched[0], 0x55);

    const std::wstring write = FormatEwCommand(0x0100, out, 2);
    EXPECT_TRUE(ParseEwReply(write, L"EW010002FD;"));
    EXPECT_FALSE(ParseEwReply(write, L"EW010002FE;"));
    EXPECT_FALSE(ParseEwReply(write, L"EW010002FD1020;"));  // data never echoed
}

TEST(EepromCommands, ByteCommandsUseDecimalFieldsAndTheirRanges)
{
    EXPECT_EQ(FormatLdprCommand(0x0123), L"LDPR001.035;");
    EXPECT_EQ(FormatLdpwCommand(0x0123, 200), L"LDPW001.035.200;");
    EXPECT_EQ(FormatLdprReply(0x0123, 200), L"LDPR001.035.200;");
    EXPECT_EQ(FormatLdprCommand(0x8400), L"");
    EXPECT_EQ(FormatLdpwCommand(0x00FC, 1), L"");  // between writable regions
    BYTE value = 0;
    EXPECT_TRUE(ParseLdprReply(L"LDPR001.035;", L"LDPR001.035.200;", &value));
    EXPECT_EQ(value, 200);
    EXPECT_FALSE(ParseLdprReply(L"LDPR001.035;", L"LDPR001.036.200;", &value));
    EXPECT_EQ(value, 0xCC);
    EXPECT_FALSE(ParseLdprReply(L"LDPR001.035;", L"LDPR001.035.300;", &value));
}

TEST(EepromRegions, RangesMustFitOneRegion)
{
    EXPECT_EQ(GetSavedRegionCount(), 7u);
    EXPECT_EQ(GetSavedByteCount(), 1562u);
    EXPECT_TRUE(IsValidEepromRange(0x83FF, 1));
    EXPECT_FALSE(IsValidEepromRange(0x83FF, 2));
    EXPECT_TRUE(InWritableEepromRegion(0x83E0, 0x17));
    EXPECT_FALSE(InWritableEepromRegion(0x83E0, 0x18));
    EXPECT_TRUE(InWritableEepromRegion(0x0400, 0x100));
    EXPECT_FALSE(InWritableEepromRegion(0x04F0, 0x20));  // two adjacent regions
    EXPECT_TRUE(InReadableEepromRegion(0x0300, 0xFE));
    EXPECT_FALSE(InReadableEepromRegion(0x0300, 0xFF));
    EXPECT_EQ(GetCWMemoryAddress(7), 0x0B00u);
    EXPECT_EQ(GetMacroCaptionAddress(15), 0x7C80u);
    EXPECT_EQ(GetMacroTextAddress(1), 0x7588u);
    EXPECT_EQ(GetFilterModeMapAddress(1), 0x031Au);
}

TEST_F(EepromTest, BlockReadsSplitAtSixtyFourBytesAndAtPageBoundaries)
{
    for (unsigned i = 0; i < 0x20; ++i)
        radio.eeprom[0x00F0 + i] = static_cast<unsigned char>(i);
    EXPECT_EQ(Read(0x00F0, 32), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"ER00F01000;", "ER010010EF;"}));
    for (unsigned i = 0; i < 32; ++i)
        EXPECT_EQ(machine.buffer[i], i);
    EXPECT_EQ(machine.progress, (std::vector<UINT>{16, 16}));

    EXPECT_EQ(Read(0x4D00, 128), 0);
    EXPECT_EQ(peer.Count("ER4D004073;"), 1u);
    EXPECT_EQ(peer.Count("ER4D404033;"), 1u);
    EXPECT_EQ(Read(0x83E0, 22), 0);
    EXPECT_EQ(peer.Commands().size(), 5u);
}

TEST_F(EepromTest, WritesRoundTripAndAreRefusedOutsideTheWritableRegions)
{
    for (unsigned i = 0; i < 0x17; ++i)
        machine.buffer[i] = static_cast<BYTE>(0xA0 + i);
    EXPECT_EQ(Write(0x83E0, 0x17), 0);
    for (unsigned i = 0; i < 0x17; ++i)
        EXPECT_EQ(radio.eeprom[0x83E0 + i], 0xA0 + i);

    const size_t sent = peer.Commands().size();
    EXPECT_EQ(Write(0x83E0, 0x18), E_INVALID_EEPROM_ADDRESS);
    EXPECT_EQ(Write(0x00FC, 1), E_INVALID_EEPROM_ADDRESS);
    EXPECT_EQ(Read(0x8400, 1), E_INVALID_EEPROM_ADDRESS);
    EXPECT_EQ(peer.Commands().size(), sent);
}

TEST_F(EepromTest, ByteReadsNeedTwoEqualReadsInARow)
{
    UseFirmware(380);
    // The radio's byte at 0x0123 reads 5, then 7, then 7.
    int reads = 0;
    peer.responder = [&](const std::string& command) -> std::string {
        if (command != "LDPR001.035;")
            return {};
        static const char* const answers[] = {"LDPR001.035.005;", "LDPR001.035.007;", "LDPR001.035.007;"};
        return answers[std::min(reads++, 2)];
    };
    machine.read.m_lastValue = 0;
    EXPECT_EQ(Read(0x0123, 1), 0);
    EXPECT_EQ(peer.Count("LDPR001.035;"), 3u);
    EXPECT_EQ(machine.buffer[0], 7);

    // 5 and 5: two commands.
    peer.responder = [](const std::string&) { return std::string("LDPR001.035.005;"); };
    EXPECT_EQ(Read(0x0123, 1), 0);
    EXPECT_EQ(peer.Count("LDPR001.035;"), 5u);
    EXPECT_EQ(machine.buffer[0], 5);
}

TEST_F(EepromTest, ByteWritesAreConfirmedByTheirReadBack)
{
    UseFirmware(380);
    machine.buffer[0] = 200;
    EXPECT_EQ(Write(0x0123, 1), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"LDPW001.035.200;", "LDPR001.035;"}));
    EXPECT_EQ(machine.write.m_expected, L"LDPR001.035.200;");
    EXPECT_EQ(radio.eeprom[0x0123], 200);
}

TEST_F(EepromTest, EveryChunkHasTheWholeRetryLimit)
{
    // The first send of every chunk is lost; one resend each saves it.
    std::set<std::string> heard;
    peer.responder = [&](const std::string& command) {
        return heard.insert(command).second ? std::string() : radio(command);
    };
    machine.m_retryLimit = 2;
    machine.read.m_delay = 100;
    for (unsigned i = 0; i < 0xC0; ++i)
        radio.eeprom[0x4D00 + i] = static_cast<unsigned char>(i);
    EXPECT_EQ(Read(0x4D00, 0xC0), 0);
    EXPECT_EQ(peer.Commands().size(), 6u);
    for (unsigned i = 0; i < 0xC0; ++i)
        ASSERT_EQ(machine.buffer[i], i);
}

TEST_F(EepromTest, AReadLargerThanItsDestinationIsRefused)
{
    // Without a destination the bytes would go to the state's 16-byte buffer.
    CReadPicPromState<CEepromMachine> inline16(&machine, L"Inline", &machine.m_final, 0x4D00, 17);
    ASSERT_TRUE(machine.Start(inline16));
    EXPECT_EQ(window.Result(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    CReadPicPromState<CEepromMachine> sized(&machine, L"Sized", &machine.m_final, 0x4D00, 65, machine.buffer, 64);
    window.ResetFinished();
    ASSERT_TRUE(machine.Start(sized));
    EXPECT_EQ(window.Result(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(peer.Commands().empty());
}

TEST_F(EepromTest, UnansweredReadsFailWithTheCodeOfTheirFamily)
{
    radio.silentCommands = {"ER00FB0104;", "LDPR000.251;"};
    machine.m_retryLimit = 2;  // two-second waits: keep the test short
    EXPECT_EQ(Read(0x00FB, 1), E_NO_RESPONSE_READ_EEPROM_BLOCK);
    EXPECT_EQ(peer.Count("ER00FB0104;"), 2u);
    UseFirmware(380);
    EXPECT_EQ(Read(0x00FB, 1), E_NO_RESPONSE_READ_EEPROM);
    UseFirmware(455);
    EXPECT_EQ(Read(0x00FB, 1), E_NO_RESPONSE_READ_EEPROM_BLOCK);
}
