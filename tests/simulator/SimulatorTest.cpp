#include "SimulatorFixture.h"

#include <cstdio>

namespace {

TEST_F(SimulatorTest, AnswersPollAndVersionsAtItsSpeed)
{
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("RVM;"), "RVM04.55;");
    radio.SetVersion("RVD", 1234);
    radio.SetVersion("RVR", 7);
    EXPECT_EQ(Ask("RVD;"), "RVD12.34;");
    EXPECT_EQ(Ask("RVR;"), "RVR00.07;");
    EXPECT_EQ(Ask("TT0;", kNoReplyMs), "");
    EXPECT_EQ(radio.LineSpeed(), 38400u);
}

TEST_F(SimulatorTest, TakesAnotherSpeedForGarbage)
{
    ASSERT_TRUE(port.SetSpeed(19200));
    EXPECT_EQ(radio.LineSpeed(), 19200u);
    EXPECT_EQ(Ask(";RVM;", kNoReplyMs), "");
    const auto log = radio.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].command, ";");
    EXPECT_EQ(log[0].speed, 19200u);
    EXPECT_FALSE(log[0].answered);
    EXPECT_EQ(log[1].command, "RVM;");
    EXPECT_FALSE(log[1].answered);

    radio.SetSpeed(19200);
    EXPECT_EQ(Ask(";"), "?;");
}

TEST_F(SimulatorTest, PacesBothDirectionsAtTheLineSpeed)
{
    // A 64-byte block read (a short command, a reply of 8 + 128 + 3 bytes)
    // and a 64-byte block write (the other way round).
    const std::string write = "EW7E0040" + std::string(128, '0') + "42;";
    const struct {
        std::string command;
        size_t replySize;
    } exchanges[] = {{"ER010040BF;", 139}, {write, 11}};
    for (const unsigned speed : {38400u, 4800u}) {
        radio.SetSpeed(speed);
        ASSERT_TRUE(port.SetSpeed(speed));
        for (const auto& exchange : exchanges) {
            const LONGLONG start = Now();
            const std::string reply = Ask(exchange.command, 2000);
            const double ms = Elapsed(start);
            ASSERT_EQ(reply.size(), exchange.replySize) << exchange.command;
            const double wireMs = (exchange.command.size() + reply.size()) * 10 * 1000.0 / speed;
            std::printf("[ figure ] %u-byte command, %u-byte reply at %u bit/s: %.1f ms (wire time %.1f ms)\n",
                        static_cast<unsigned>(exchange.command.size()), static_cast<unsigned>(reply.size()), speed,
                        ms, wireMs);
            // Bytes never get in or out ahead of their time; only a late one
            // can stretch this.
            EXPECT_GE(ms, wireMs * 0.95) << exchange.command;
        }
    }
}

TEST_F(SimulatorTest, EepromBlocksRoundTripWithChecksums)
{
    EXPECT_EQ(Ask("EW7E0004123456786A;"), "EW7E00047E;");
    EXPECT_EQ(radio.ReadEeprom(0x7E00, 4), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(Ask("ER7E00047E;"), "ER7E0004123456786A;");

    EXPECT_EQ(Ask("EW7E0004AAAAAAAA6A;", kNoReplyMs), "") << "bad checksum";
    EXPECT_EQ(radio.ReadEeprom(0x7E00, 4), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(Ask("ER7E00047F;", kNoReplyMs), "") << "bad checksum";
    EXPECT_EQ(Ask("ER83FF027C;", kNoReplyMs), "") << "beyond 0x83FF";
    EXPECT_EQ(Ask("ER010041BE;", kNoReplyMs), "") << "more than 64 bytes";

    // The serial number 4711 (0x1267) at 0x83FA, then one set by the test.
    EXPECT_EQ(Ask("ER83FA0281;"), "ER83FA02126708;");
    radio.SetSerialNumber(12345);
    EXPECT_EQ(Ask("ER83FA0281;"), "ER83FA02303918;");
    const auto log = radio.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_FALSE(log[3].answered);
    EXPECT_EQ(log.back().reply, "ER83FA02303918;");
}

TEST_F(SimulatorTest, ByteCommandsServeOldFirmwareOnly)
{
    radio.SetMcuVersion(382);
    EXPECT_EQ(Ask("LDPR000.015;"), "LDPR000.015.008;") << "second receiver installed";
    // A write goes with its read-back in one send.
    EXPECT_EQ(Ask("LDPW001.035.200;LDPR001.035;"), "LDPR001.035.200;");
    EXPECT_EQ(radio.ReadEeprom(0x0123, 1), std::vector<uint8_t>{200});
    EXPECT_EQ(Ask("ER010040BF;", kNoReplyMs), "");

    radio.SetMcuVersion(383);
    EXPECT_EQ(Ask("LDPR001.035;", kNoReplyMs), "");
    EXPECT_EQ(Ask("LDPW001.035.100;", kNoReplyMs), "");
    EXPECT_EQ(Ask("ER012301DB;"), "ER012301C813;") << "the byte write changed nothing";
}

TEST_F(SimulatorTest, CommandModeIsSetAndRestoredInOneWrite)
{
    EXPECT_EQ(Ask("Q7;"), "Q70;");
    EXPECT_EQ(Ask("Q7H;", kNoReplyMs), "");
    EXPECT_EQ(Ask("Q7;"), "Q7H;");
    EXPECT_EQ(radio.CommandMode(), "H");
    EXPECT_EQ(Ask("Q70;Q7;"), "Q70;");
    EXPECT_EQ(radio.CommandMode(), "0");
    radio.SetCommandMode("1");
    EXPECT_EQ(Ask("Q7;"), "Q71;");
    EXPECT_EQ(port.ReadFor(50), "");
}

TEST_F(SimulatorTest, SpeedCommandMovesTheRadio)
{
    EXPECT_EQ(Ask("BR2;", kNoReplyMs), "");
    EXPECT_EQ(radio.Speed(), 19200u);
    EXPECT_EQ(Ask(";", kNoReplyMs), "") << "still at 38400 on the PC side";
    ASSERT_TRUE(port.SetSpeed(19200));
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("BR0;", kNoReplyMs), "");
    ASSERT_TRUE(port.SetSpeed(4800));
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(radio.Speed(), 4800u);
}

TEST_F(SimulatorTest, IdentifiesAsTold)
{
    EXPECT_EQ(Ask("I;", kNoReplyMs), "") << "a running Q7 does not answer";
    radio.SetIdentifyReply("MV9;");
    EXPECT_EQ(Ask("I;"), "MV9;");
    radio.SetIdentifyReply("");
    radio.SetBootLoader(true);
    EXPECT_EQ(Ask("I;"), "Q7B;");
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("RVM;", kNoReplyMs), "");
    EXPECT_EQ(Ask("Q7;", kNoReplyMs), "");
}

TEST_F(SimulatorTest, OptionModuleFollowsTheMcuVersion)
{
    const std::string reply = Ask("OM;");
    ASSERT_GE(reply.size(), 16u);
    EXPECT_EQ(reply.substr(0, 2), "OM");
    EXPECT_EQ(reply[6], 'S');
    EXPECT_EQ(reply[14], '-');
    radio.SetOptionModuleReply("OM-------S------2;");
    EXPECT_EQ(Ask("OM;"), "OM-------S------2;");
    radio.SetMcuVersion(244);
    EXPECT_EQ(Ask("OM;", kNoReplyMs), "");
}

}  // namespace
