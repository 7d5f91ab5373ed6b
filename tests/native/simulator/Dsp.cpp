#include "Dsp.h"

#include "ControlWords.h"

#include <cstdio>

namespace {

std::string Bracketed(uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "(%02X)", value);
    return text;
}

std::string Hex(const CDsp::Table& table)
{
    return HexBytes(std::vector<uint8_t>(table.begin(), table.end()));
}

constexpr uint8_t kSync = 0x02;
constexpr uint8_t kLevel = 0xBD;
constexpr uint8_t kReadTable = 0xBB;
constexpr uint8_t kWriteTable = 0xBC;
constexpr uint8_t kCalibrate = 0xB8;
// What a DSP answers when it hears nothing: far below any usable signal.
constexpr int kNoSignalLevel = -127;

}  // namespace

CDsp::CDsp()
{
    for (size_t i = 0; i < 128; ++i) {
        m_tables[0][i] = static_cast<uint8_t>(i ^ 0x5A);
        m_tables[1][i] = static_cast<uint8_t>(i ^ 0xA5);
    }
}

bool CDsp::Receive(char character, bool commandStart, Output& output)
{
    if (m_receiver < 0) {
        if (!commandStart || (character != '!' && character != '@'))
            return false;
        m_receiver = character == '@' ? 1 : 0;
        m_piece = character;
        m_bytes.clear();
        return true;
    }
    m_piece += character;
    if (character == ';') {
        output.piece = m_piece;
        if (m_extraAtEnd > 0 && !m_sync && !m_bytes.empty()) {
            --m_extraAtEnd;
            output.reply = Bracketed(0);
        }
        End();
        return true;
    }
    // A byte is complete on every second hex digit of the piece.
    const size_t digits = m_piece[0] == '!' || m_piece[0] == '@' ? m_piece.size() - 1 : m_piece.size();
    const auto byte = digits >= 2 && digits % 2 == 0 ? ParseHexBytes(m_piece.substr(m_piece.size() - 2)) : std::nullopt;
    if (!byte)
        return true;
    output.piece = m_piece;
    m_piece.clear();
    output.reply = Byte((*byte)[0]);
    return true;
}

std::optional<std::string> CDsp::Byte(uint8_t value)
{
    m_bytes.push_back(value);
    const size_t index = m_bytes.size() - 1;
    if (index == 0) {
        m_sync = value == kSync;
        m_wrong = !m_sync && m_wrongComplement > 0;
        if (m_wrong)
            --m_wrongComplement;
    }
    if (m_sync) {
        if (m_syncFD == 0)
            return Bracketed(0);
        if (m_syncFD != ~0u)
            --m_syncFD;
        return Bracketed(0xFD);
    }
    const uint8_t command = m_bytes[0];
    if (index == 0)
        return Bracketed(0);
    if (index == 1)
        return Bracketed(static_cast<uint8_t>(~command + (m_wrong ? 1 : 0)));
    Table& table = m_tables[m_receiver];
    if (command == kLevel && index == 2)
        return Bracketed(static_cast<uint8_t>(m_signal[m_receiver].value_or(kNoSignalLevel)));
    if (command == kReadTable && index - 2 < table.size()) {
        if (m_shortTable && index - 2 == table.size() - 1)
            return std::nullopt;
        return Bracketed(table[index - 2]);
    }
    return Bracketed(0);
}

void CDsp::End()
{
    const uint8_t command = m_bytes.empty() ? 0 : m_bytes[0];
    if (command == kWriteTable && m_bytes.size() == 1 + 128)
        std::copy(m_bytes.begin() + 1, m_bytes.end(), m_tables[m_receiver].begin());
    else if (command == kCalibrate && m_bytes.size() == 2)
        Compute(m_bytes[1]);
    m_receiver = -1;
    m_piece.clear();
    m_bytes.clear();
}

void CDsp::Compute(unsigned step)
{
    // Steps 0-3 measure; 4 computes the table, 5 its upper half again.
    if (step < 4 || step > 5)
        return;
    Table& table = m_tables[m_receiver];
    const std::optional<int> signal = m_signal[m_receiver];
    const size_t first = step == 4 ? 0 : table.size() / 2;
    for (size_t i = first; i < table.size(); ++i)
        table[i] = signal ? static_cast<uint8_t>(0x30 + (i * 5 + static_cast<unsigned>(*signal + 128) + step) % 0x50)
                          : 0;
}

std::string CDsp::State() const
{
    std::string state = "dsp-main=" + Hex(m_tables[0]) + " dsp-sub=" + Hex(m_tables[1]);
    for (unsigned receiver = 0; receiver < 2; ++receiver) {
        state += receiver == 0 ? " signal-main=" : " signal-sub=";
        state += m_signal[receiver] ? std::to_string(*m_signal[receiver]) : "off";
    }
    return state;
}
