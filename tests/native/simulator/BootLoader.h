// The radio's MCU boot loader once "D" has started a download: 68-byte
// packets (64 data bytes, the address low byte first, a checksum that makes
// the packet sum to zero), each acknowledged 'A', refused 'N' when its sum is
// wrong; the closing packet (0x02 in the address's top byte) is acknowledged
// 'B' and ends the download. It keeps every block it accepted, and logs each
// packet. Plain C++: the simulator and the in-process test peers share it.
//
// Faults are tied to the index of the packet the loader expects next (0 is
// the first packet; refused and resent packets keep their index).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CMcuBootLoader {
public:
    static constexpr size_t kPacketSize = 68;
    static constexpr size_t kBlockSize = 64;
    using Block = std::array<uint8_t, kBlockSize>;

    struct Packet {
        double ms;         // when its last byte arrived
        uint32_t address;  // bits 0-23 as sent
        bool closing;
        char reply;  // 'A', 'B' or 'N'
        std::vector<uint8_t> bytes;
    };

    // A new download: the buffer and the kept image are emptied.
    void Begin();
    // The power gone: a download under way is forgotten, the kept image is not.
    void PowerOff();
    bool Downloading() const { return m_downloading; }
    // The closing packet was acknowledged; the radio now resets.
    bool Finished() const { return m_finished; }

    // One byte from the line; what the loader answers (often nothing).
    std::string Receive(uint8_t byte, double ms);

    // Packet k is refused `times` times before it is taken.
    void RefusePacket(unsigned index, unsigned times) { m_refusals[index] = times; }
    // From packet k on nothing is taken or answered.
    void SilenceFrom(unsigned index) { m_silentFrom = index; }
    // The first `count` bytes of packet k are lost on the line.
    void DropBytes(unsigned index, unsigned count) { m_drops[index] = count; }
    // Packet k's answer is preceded by this (e.g. "C", or bytes the line made up).
    void PrefixReply(unsigned index, std::string prefix) { m_prefixes[index] = std::move(prefix); }
    void ClearFaults();

    // The data of every accepted block by its address.
    const std::map<uint32_t, Block>& Image() const { return m_image; }
    const std::vector<Packet>& Packets() const { return m_packets; }
    // Packets taken at an address that had been taken before.
    unsigned Duplicates() const { return m_duplicates; }
    unsigned Accepted() const { return m_accepted; }
    // Bytes a silent loader let fall.
    unsigned Ignored() const { return m_ignored; }

private:
    std::string Complete(double ms);

    bool m_downloading = false;
    bool m_finished = false;
    std::vector<uint8_t> m_buffer;
    unsigned m_accepted = 0;  // the index of the packet expected next
    unsigned m_duplicates = 0;
    unsigned m_ignored = 0;
    std::map<uint32_t, Block> m_image;
    std::vector<Packet> m_packets;

    std::map<unsigned, unsigned> m_refusals;
    std::map<unsigned, unsigned> m_drops;
    std::map<unsigned, std::string> m_prefixes;
    unsigned m_silentFrom = ~0u;
};
