#include "TextLoadMode.h"

#include <cstdlib>
#include <utility>

namespace {

const char kReset[] = "LDD20000;";
constexpr uint8_t kRecordMark = 0x80;

bool HexByte(const std::string& text, size_t at, uint8_t& value)
{
    if (at + 2 > text.size())
        return false;
    const std::string digits = text.substr(at, 2);
    char* end = nullptr;
    const unsigned long number = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0' || digits.find_first_of("abcdef") != std::string::npos)
        return false;
    value = static_cast<uint8_t>(number);
    return true;
}

}  // namespace

void CTextLoadMode::Begin(const std::string& prefix)
{
    // The faults stay: a test sets them before the load starts.
    auto refusals = std::move(m_refusals);
    auto drops = std::move(m_drops);
    const unsigned silentFrom = m_silentFrom;
    *this = CTextLoadMode{};
    m_refusals = std::move(refusals);
    m_drops = std::move(drops);
    m_silentFrom = silentFrom;
    m_prefix = m_lastPrefix = prefix;
}

std::string CTextLoadMode::Receive(uint8_t byte)
{
    if (!Active())
        return {};
    if (m_expected > 0) {
        if (m_accepted >= m_silentFrom)
            return {};
        const auto drop = m_drops.find(m_accepted);
        if (m_packet.empty() && drop != m_drops.end() && drop->second > 0) {
            --drop->second;
            return {};
        }
        m_packet.push_back(byte);
        return --m_expected == 0 ? Complete() : std::string();
    }
    m_header.push_back(static_cast<char>(byte));
    if (byte != ';')
        return {};
    const std::string header = std::exchange(m_header, std::string());
    if (header == kReset) {
        m_prefix.clear();
        m_finished = true;
        return {};
    }
    if (m_accepted >= m_silentFrom)
        return {};
    uint8_t count = 0;
    if (header.size() != m_prefix.size() + 5 || header.compare(0, m_prefix.size(), m_prefix) != 0 ||
        !HexByte(header, m_prefix.size(), count) || !HexByte(header, m_prefix.size() + 2, m_sum) ||
        (count & ~kRecordMark) == 0 || (count & ~kRecordMark) > 64) {
        ++m_refused;
        return "N";
    }
    m_headers.push_back(header);
    m_isRecord = (count & kRecordMark) != 0;
    m_expected = count & ~kRecordMark;
    m_packet.clear();
    return {};
}

std::string CTextLoadMode::Complete()
{
    uint8_t sum = 0;
    for (const uint8_t byte : m_packet)
        sum = static_cast<uint8_t>(sum + byte);
    // A refusal spent stays spent: the packet is taken when it comes again.
    const auto refusal = m_refusals.find(m_accepted);
    if (sum != m_sum || (refusal != m_refusals.end() && refusal->second > 0 && refusal->second--)) {
        ++m_refused;
        return "N";
    }
    if (m_packet == m_previous)
        ++m_duplicates;
    m_previous = m_packet;
    ++m_accepted;
    if (m_isRecord)
        m_record = m_packet;
    else if (m_prefix == "LDF2")
        m_data.insert(m_data.end(), m_packet.begin(), m_packet.end());
    else if (m_erase == 0 && m_packet.size() == 1 && (m_packet[0] == 7 || m_packet[0] == 8) && !m_tinyBoot.empty())
        m_erase = m_packet[0];
    else {
        std::vector<uint8_t>& to = m_erase == 0 ? m_tinyBoot : m_data;
        to.insert(to.end(), m_packet.begin(), m_packet.end());
    }
    return "A";
}
