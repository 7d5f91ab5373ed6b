#include "BootLoader.h"

namespace {

constexpr uint8_t kClosingMark = 0x02;

}  // namespace

void CMcuBootLoader::Begin()
{
    m_downloading = true;
    m_finished = false;
    m_buffer.clear();
    m_accepted = 0;
    m_duplicates = 0;
    m_ignored = 0;
    m_image.clear();
    m_packets.clear();
}

void CMcuBootLoader::PowerOff()
{
    m_downloading = false;
    m_buffer.clear();
}

void CMcuBootLoader::ClearFaults()
{
    m_refusals.clear();
    m_drops.clear();
    m_prefixes.clear();
    m_silentFrom = ~0u;
}

std::string CMcuBootLoader::Receive(uint8_t byte, double ms)
{
    if (!m_downloading)
        return {};
    if (m_accepted >= m_silentFrom) {
        ++m_ignored;
        return {};
    }
    if (m_buffer.empty()) {
        const auto drop = m_drops.find(m_accepted);
        if (drop != m_drops.end() && drop->second > 0) {
            --drop->second;
            return {};
        }
    }
    m_buffer.push_back(byte);
    return m_buffer.size() == kPacketSize ? Complete(ms) : std::string();
}

std::string CMcuBootLoader::Complete(double ms)
{
    uint8_t sum = 0;
    for (const uint8_t byte : m_buffer)
        sum = static_cast<uint8_t>(sum + byte);
    const uint32_t address = m_buffer[64] | m_buffer[65] << 8 | m_buffer[66] << 16;
    const bool closing = m_buffer[66] == kClosingMark;
    std::string reply;
    const auto prefix = m_prefixes.find(m_accepted);
    if (prefix != m_prefixes.end()) {
        reply = prefix->second;
        m_prefixes.erase(prefix);
    }
    const auto refusal = m_refusals.find(m_accepted);
    char answer = 'N';
    if (sum != 0) {
        // A broken packet: the buffer starts again.
    } else if (refusal != m_refusals.end() && refusal->second > 0) {
        --refusal->second;
    } else {
        // The closing packet's block belongs at the address without its mark.
        const uint32_t key = closing ? address & 0xFFFF : address;
        Block block;
        std::copy(m_buffer.begin(), m_buffer.begin() + kBlockSize, block.begin());
        if (!closing && m_image.count(key))
            ++m_duplicates;
        m_image[key] = block;
        ++m_accepted;
        answer = closing ? 'B' : 'A';
        if (closing) {
            m_downloading = false;
            m_finished = true;
        }
    }
    m_packets.push_back({ms, address, closing, answer, m_buffer});
    m_buffer.clear();
    return reply + answer;
}
