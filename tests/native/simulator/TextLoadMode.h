// The radio's running firmware in a DSP ("LDD2;", "LDA2;") or front-panel
// flash ("LDF2;") load mode: text headers "LDD2ccss;" (byte count, byte sum,
// upper-case hex) each followed by the raw bytes, answered 'A', or 'N' when
// the sum or the header is wrong; "LDD20000;" ends the mode with a reset.
// It keeps what it took: a DSP's tiny boot (before the erase packet) and the
// rest (code, then table), an FPF's image and its header record (count field
// 0x90). Plain C++, shared by the simulator and the in-process test peers.
//
// Faults are tied to the index of the packet expected next, as in the MCU
// boot loader.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CTextLoadMode {
public:
    // `prefix` is "LDD2", "LDA2" or "LDF2".
    void Begin(const std::string& prefix);
    bool Active() const { return !m_prefix.empty(); }
    // "LDD20000;" arrived: the radio resets.
    bool Finished() const { return m_finished; }
    const std::string& Prefix() const { return m_lastPrefix; }

    std::string Receive(uint8_t byte);

    void RefusePacket(unsigned index, unsigned times) { m_refusals[index] = times; }
    void SilenceFrom(unsigned index) { m_silentFrom = index; }
    void DropBytes(unsigned index, unsigned count) { m_drops[index] = count; }

    const std::vector<uint8_t>& TinyBoot() const { return m_tinyBoot; }
    // DSP: code and table as sent; FPF: the image.
    const std::vector<uint8_t>& Data() const { return m_data; }
    const std::vector<uint8_t>& Record() const { return m_record; }
    // 0 when none came; else 7 or 8.
    int EraseByte() const { return m_erase; }
    std::vector<std::string> Headers() const { return m_headers; }
    unsigned Accepted() const { return m_accepted; }
    unsigned Refused() const { return m_refused; }
    // Packets equal to the one accepted before them: a resend after a lost 'A'.
    unsigned Duplicates() const { return m_duplicates; }

private:
    std::string Complete();

    std::string m_prefix;
    std::string m_lastPrefix;
    bool m_finished = false;
    std::string m_header;
    size_t m_expected = 0;  // raw bytes still to come after a header
    bool m_isRecord = false;
    uint8_t m_sum = 0;
    std::vector<uint8_t> m_packet;
    std::vector<uint8_t> m_previous;

    std::vector<uint8_t> m_tinyBoot;
    std::vector<uint8_t> m_data;
    std::vector<uint8_t> m_record;
    int m_erase = 0;
    std::vector<std::string> m_headers;
    unsigned m_accepted = 0;
    unsigned m_refused = 0;
    unsigned m_duplicates = 0;

    std::map<unsigned, unsigned> m_refusals;
    std::map<unsigned, unsigned> m_drops;
    unsigned m_silentFrom = ~0u;
};
