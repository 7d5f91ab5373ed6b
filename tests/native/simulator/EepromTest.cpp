#include "Eeprom.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using Reply = std::optional<std::string>;

std::string Hex2(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// Builds block commands by the program's formulas, so that the radio's side
// is checked against them rather than against itself.
std::string ReadCommand(unsigned address, unsigned count)
{
    char text[16];
    std::snprintf(text, sizeof text, "ER%04X%02X", address, count);
    return text + Hex2(0u - ((address >> 8) + count + (address & 0xFF))) + ";";
}

std::string WriteCommand(unsigned address, const std::vector<uint8_t>& data)
{
    char text[16];
    std::snprintf(text, sizeof text, "EW%04X%02X", address, static_cast<unsigned>(data.size()));
    std::string command = text;
    unsigned sum = (address >> 8) + (address & 0xFF) + static_cast<unsigned>(data.size());
    for (const uint8_t byte : data) {
        command += Hex2(byte);
        sum += byte;
    }
    return command + Hex2(0u - sum) + ";";
}

unsigned ByteSum(const std::string& hex)
{
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        sum += std::stoul(hex.substr(i, 2), nullptr, 16);
    return sum;
}

TEST(Eeprom, StartsErasedWithTheFactoryBytes)
{
    CEeprom eeprom;
    EXPECT_EQ(eeprom.Read(CEeprom::kSerialNumberAddress, 2),
              (std::vector<uint8_t>{CEeprom::kDefaultSerialNumber >> 8, CEeprom::kDefaultSerialNumber & 0xFF}));
    EXPECT_EQ(eeprom.Read(0x000F, 1)[0] & 0x08, 0x08) << "second receiver installed";
    EXPECT_EQ(eeprom.Read(0x00FB, 1)[0], 0) << "DSP versions apply";
    EXPECT_EQ(eeprom.Read(0x4D00, 1)[0], 0xFF);
    eeprom.SetSerialNumber(0x1234);
    EXPECT_EQ(eeprom.Read(0x83FA, 2), (std::vector<uint8_t>{0x12, 0x34}));
}

TEST(Eeprom, DirectAccessStaysInside)
{
    CEeprom eeprom;
    EXPECT_TRUE(eeprom.Write(0x83FF, {1}));
    EXPECT_FALSE(eeprom.Write(0x83FF, {1, 2}));
    EXPECT_FALSE(eeprom.Write(0x8400, {1}));
    EXPECT_EQ(eeprom.Read(0x83FF, 1), std::vector<uint8_t>{1});
    EXPECT_TRUE(eeprom.Read(0x83FF, 2).empty());
    EXPECT_TRUE(eeprom.Read(0xFFFFFFFFu, 2).empty());
}

TEST(Eeprom, BlockReadRepliesInTheProgramsFormat)
{
    CEeprom eeprom;
    std::vector<uint8_t> data(64);
    for (unsigned i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    eeprom.Write(0x0100, data);

    const std::string command = ReadCommand(0x0100, 64);
    ASSERT_EQ(command, "ER010040BF;");
    const Reply reply = eeprom.BlockRead(command);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 8 + 2 * 64 + 3u);
    EXPECT_EQ(reply->substr(0, 8), "ER010040");
    EXPECT_EQ(reply->back(), ';');
    const std::string hex = reply->substr(8, 2 * 64);
    for (unsigned i = 0; i < 64; ++i)
        EXPECT_EQ(hex.substr(2 * i, 2), Hex2(data[i]));
    const unsigned checksum = std::stoul(reply->substr(8 + 128, 2), nullptr, 16);
    EXPECT_EQ((0x01 + 0x00 + 0x40 + ByteSum(hex) + checksum) % 256, 0u);
}

TEST(Eeprom, BadBlockReadsGetNoReply)
{
    const CEeprom eeprom;
    EXPECT_TRUE(eeprom.BlockRead(ReadCommand(0x83C0, 64)));
    EXPECT_FALSE(eeprom.BlockRead("ER010040BE;")) << "wrong checksum";
    EXPECT_FALSE(eeprom.BlockRead(ReadCommand(0x0100, 0)));
    EXPECT_FALSE(eeprom.BlockRead(ReadCommand(0x0100, 65)));
    EXPECT_FALSE(eeprom.BlockRead(ReadCommand(0x8400, 1))) << "beyond the EEPROM";
    EXPECT_FALSE(eeprom.BlockRead(ReadCommand(0x00F0, 32))) << "across a page";
    EXPECT_FALSE(eeprom.BlockRead("ER010040BF"));
    EXPECT_FALSE(eeprom.BlockRead("ER01G040BF;"));
    EXPECT_FALSE(eeprom.BlockRead("ER010040BF0;"));
}

TEST(Eeprom, BlockWriteStoresAndAcknowledges)
{
    CEeprom eeprom;
    const std::vector<uint8_t> data{0x00, 0x7F, 0x80, 0xFF, 0x3B};
    const Reply ack = eeprom.BlockWrite(WriteCommand(0x7E10, data));
    ASSERT_TRUE(ack);
    ASSERT_EQ(ack->size(), 11u);
    EXPECT_EQ(ack->substr(0, 8), "EW7E1005");
    EXPECT_EQ((0x7E + 0x10 + 5 + std::stoul(ack->substr(8, 2), nullptr, 16)) % 256, 0u);
    EXPECT_EQ(eeprom.Read(0x7E10, 5), data);
    // What was written reads back through the block read.
    EXPECT_EQ(eeprom.BlockRead(ReadCommand(0x7E10, 5))->substr(8, 10), "007F80FF3B");
}

TEST(Eeprom, BadBlockWritesChangeNothing)
{
    CEeprom eeprom;
    std::string command = WriteCommand(0x0200, {1, 2, 3});
    command[command.size() - 2] ^= 1;  // checksum off by one bit
    EXPECT_FALSE(eeprom.BlockWrite(command));
    EXPECT_FALSE(eeprom.BlockWrite(WriteCommand(0x0200, {1, 2, 3}).erase(10, 2))) << "a byte short";
    EXPECT_FALSE(eeprom.BlockWrite(WriteCommand(0x02FF, {1, 2}))) << "across a page";
    EXPECT_FALSE(eeprom.BlockWrite(WriteCommand(0x0200, std::vector<uint8_t>(65, 1))));
    EXPECT_FALSE(eeprom.BlockWrite(WriteCommand(0x8400, {1})));
    EXPECT_EQ(eeprom.Read(0x0200, 3), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(eeprom.Read(0x02FF, 1), std::vector<uint8_t>{0xFF});
}

TEST(Eeprom, ByteCommandsUseDecimalFields)
{
    CEeprom eeprom;
    EXPECT_TRUE(eeprom.ByteWrite("LDPW001.035.200;"));
    EXPECT_EQ(eeprom.Read(0x0123, 1), std::vector<uint8_t>{200});
    EXPECT_EQ(eeprom.ByteRead("LDPR001.035;"), Reply("LDPR001.035.200;"));
    // The serial number 4711 = 0x1267, high byte first.
    ASSERT_EQ(CEeprom::kDefaultSerialNumber, 4711u);
    EXPECT_EQ(eeprom.ByteRead("LDPR131.250;"), Reply("LDPR131.250.018;"));
    EXPECT_EQ(eeprom.ByteRead("LDPR131.251;"), Reply("LDPR131.251.103;"));
}

TEST(Eeprom, BadByteCommandsAreRefused)
{
    CEeprom eeprom;
    EXPECT_FALSE(eeprom.ByteRead("LDPR132.000;")) << "0x8400 is beyond the EEPROM";
    EXPECT_FALSE(eeprom.ByteRead("LDPR001.256;"));
    EXPECT_FALSE(eeprom.ByteRead("LDPR1.35;"));
    EXPECT_FALSE(eeprom.ByteRead("LDPR001,035;"));
    EXPECT_FALSE(eeprom.ByteWrite("LDPW001.035.256;"));
    EXPECT_FALSE(eeprom.ByteWrite("LDPW001.035.20;"));
    EXPECT_FALSE(eeprom.ByteWrite("LDPW132.000.001;"));
    EXPECT_EQ(eeprom.Read(0x0123, 1), std::vector<uint8_t>{0xFF});
}

}  // namespace
