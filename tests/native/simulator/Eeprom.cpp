#include "Eeprom.h"

#include <cstdio>

namespace {

constexpr unsigned kMaxBlock = 64;

// Reads `digits` hex digits at `pos`; nothing when one is not a hex digit.
std::optional<unsigned> ParseHex(const std::string& text, size_t pos, size_t digits)
{
    if (pos + digits > text.size())
        return std::nullopt;
    unsigned value = 0;
    for (size_t i = pos; i < pos + digits; ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

// Three decimal digits at `pos`.
std::optional<unsigned> ParseDecimal3(const std::string& text, size_t pos)
{
    if (pos + 3 > text.size())
        return std::nullopt;
    unsigned value = 0;
    for (size_t i = pos; i < pos + 3; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string Hex2(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// The address and count of a block command ("ER" or "EW", 4 + 2 hex digits),
// when the block lies inside the EEPROM and inside one 256-byte page.
struct Block {
    unsigned address;
    unsigned count;
    unsigned Sum() const { return (address >> 8) + (address & 0xFF) + count; }
};

std::optional<Block> ParseBlockHeader(const std::string& command)
{
    const auto address = ParseHex(command, 2, 4);
    const auto count = ParseHex(command, 6, 2);
    if (!address || !count || *count == 0 || *count > kMaxBlock || *address + *count > CEeprom::kSize)
        return std::nullopt;
    if ((*address >> 8) != ((*address + *count - 1) >> 8))
        return std::nullopt;
    return Block{*address, *count};
}

// "LDPR%03u.%03u" or "LDPW%03u.%03u": the address of a byte command.
std::optional<unsigned> ParseByteAddress(const std::string& command)
{
    const auto high = ParseDecimal3(command, 4);
    const auto low = ParseDecimal3(command, 8);
    if (!high || !low || command[7] != '.' || *high > 0xFF || *low > 0xFF)
        return std::nullopt;
    const unsigned address = *high << 8 | *low;
    if (address >= CEeprom::kSize)
        return std::nullopt;
    return address;
}

}  // namespace

CEeprom::CEeprom() : m_bytes(kSize, 0xFF)
{
    m_bytes[kSubRxInstallAddress] = 0x08;
    m_bytes[kQ7ZeroAddress] = 0;
    SetSerialNumber(kDefaultSerialNumber);
}

bool CEeprom::Write(unsigned address, const std::vector<uint8_t>& bytes)
{
    if (address > kSize || bytes.size() > kSize - address)
        return false;
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + address);
    return true;
}

std::vector<uint8_t> CEeprom::Read(unsigned address, unsigned count) const
{
    if (address > kSize || count > kSize - address)
        return {};
    return std::vector<uint8_t>(m_bytes.begin() + address, m_bytes.begin() + address + count);
}

void CEeprom::SetSerialNumber(unsigned number)
{
    Write(kSerialNumberAddress, {static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)});
}

std::optional<std::string> CEeprom::BlockRead(const std::string& command) const
{
    // "ER" address count checksum ";"
    const auto block = ParseBlockHeader(command);
    const auto checksum = ParseHex(command, 8, 2);
    if (command.size() != 11 || command.back() != ';' || !block || !checksum ||
        (block->Sum() + *checksum) % 256 != 0)
        return std::nullopt;

    std::string reply = command.substr(0, 8);
    unsigned sum = block->Sum();
    for (unsigned i = 0; i < block->count; ++i) {
        const uint8_t byte = m_bytes[block->address + i];
        reply += Hex2(byte);
        sum += byte;
    }
    return reply + Hex2(0u - sum) + ";";
}

std::optional<std::string> CEeprom::BlockWrite(const std::string& command)
{
    // "EW" address count data checksum ";"
    const auto block = ParseBlockHeader(command);
    if (!block || command.size() != 8 + 2 * block->count + 3 || command.back() != ';')
        return std::nullopt;
    std::vector<uint8_t> data;
    unsigned sum = block->Sum();
    for (unsigned i = 0; i < block->count; ++i) {
        const auto byte = ParseHex(command, 8 + 2 * i, 2);
        if (!byte)
            return std::nullopt;
        data.push_back(static_cast<uint8_t>(*byte));
        sum += *byte;
    }
    const auto checksum = ParseHex(command, 8 + 2 * block->count, 2);
    if (!checksum || (sum + *checksum) % 256 != 0)
        return std::nullopt;

    Write(block->address, data);
    return command.substr(0, 8) + Hex2(0u - block->Sum()) + ";";
}

std::optional<std::string> CEeprom::ByteRead(const std::string& command) const
{
    // "LDPR" high "." low ";"
    const auto address = ParseByteAddress(command);
    if (command.size() != 12 || command.back() != ';' || !address)
        return std::nullopt;
    char value[8];
    std::snprintf(value, sizeof value, ".%03u;", m_bytes[*address]);
    return command.substr(0, 11) + value;
}

bool CEeprom::ByteWrite(const std::string& command)
{
    // "LDPW" high "." low "." value ";"
    const auto address = ParseByteAddress(command);
    const auto value = ParseDecimal3(command, 12);
    if (command.size() != 16 || command[11] != '.' || command.back() != ';' || !address || !value || *value > 0xFF)
        return false;
    m_bytes[*address] = static_cast<uint8_t>(*value);
    return true;
}
