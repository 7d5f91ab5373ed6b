#include "N8Accessory.h"

#include <cstdio>

CN8Accessory::Output CN8Accessory::Receive(uint8_t byte)
{
    Output out;
    const uint8_t previous = m_previous;
    m_previous = byte;
    if (PassesThrough()) {
        out.toRadio.push_back(static_cast<char>(byte));
        return out;
    }
    if (!m_command.empty() || byte == '#') {
        m_command.push_back(static_cast<char>(byte));
        if (byte != ';')
            return out;
        out.taken = m_command;
        if (m_mode == Mode::Running && m_command == "#RVM;") {
            char reply[32];
            std::snprintf(reply, sizeof reply, "#RVM%02u.%02u;", m_version / 100, m_version % 100);
            out.toPc = reply;
        } else if (m_mode == Mode::Running && m_command == "#PT;") {
            m_passThrough = true;
        }
        m_command.clear();
        return out;
    }
    if (previous == ';' && byte == '=') {
        ++m_probes;
        out.taken = ";=";
        out.toPc = m_mode == Mode::Running ? "N8" : "n8";
        return out;
    }
    out.toRadio.push_back(static_cast<char>(byte));
    return out;
}
