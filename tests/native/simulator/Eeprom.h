// The radio's configuration EEPROM and the commands that read and write it:
// hex-coded blocks with checksums ("ER", "EW") and decimal single bytes
// ("LDPR", "LDPW"). A command that is malformed, fails its checksum or leaves
// the EEPROM gets no reply and changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CEeprom {
public:
    static constexpr unsigned kSize = 0x8400;
    static constexpr unsigned kSerialNumberAddress = 0x83FA;
    static constexpr unsigned kSubRxInstallAddress = 0x000F;
    static constexpr unsigned kQ7ZeroAddress = 0x00FB;
    static constexpr unsigned kDefaultSerialNumber = 4711;

    // An erased part as a radio leaves the factory: second receiver
    // installed, DSP versions applicable, a serial number.
    CEeprom();

    // False (and nothing written) when the range leaves the EEPROM.
    bool Write(unsigned address, const std::vector<uint8_t>& bytes);
    // Empty when the range leaves the EEPROM.
    std::vector<uint8_t> Read(unsigned address, unsigned count) const;
    void SetSerialNumber(unsigned number);

    std::optional<std::string> BlockRead(const std::string& command) const;
    // Writes the block; the reply is the acknowledgement.
    std::optional<std::string> BlockWrite(const std::string& command);
    std::optional<std::string> ByteRead(const std::string& command) const;
    // No reply of its own: the program reads the byte back.
    bool ByteWrite(const std::string& command);

private:
    std::vector<uint8_t> m_bytes;
};
