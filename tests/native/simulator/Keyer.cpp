#include "Keyer.h"

#include <algorithm>
#include <cstdio>

std::optional<std::string> CKeyer::Key(const std::string& command, Clock::time_point now)
{
    Advance(now);
    if (command.size() < 4 || command.compare(0, 3, "KY ") != 0)
        return std::nullopt;
    for (const char c : command.substr(3, command.size() - 4)) {
        if (c == kEndOfTransmission) {
            Stop(now);
            continue;
        }
        if (!m_transmitting || m_waiting.empty())
            m_started = now;
        m_transmitting = true;
        if (c != kKeepAlive)
            m_waiting += c;
    }
    return std::nullopt;
}

std::string CKeyer::Poll(Clock::time_point now)
{
    Advance(now);
    const size_t count = std::min<size_t>(m_received.size(), 99);
    char head[8];
    std::snprintf(head, sizeof head, "TB%zu%02zu", std::min<size_t>(m_waiting.size(), 9), count);
    std::string reply = head + m_received.substr(0, count) + ";";
    m_received.erase(0, count);
    return reply;
}

void CKeyer::Stop(Clock::time_point now)
{
    Advance(now);
    m_waiting.clear();
    m_transmitting = false;
}

bool CKeyer::Transmitting(Clock::time_point now)
{
    Advance(now);
    return m_transmitting;
}

size_t CKeyer::Waiting(Clock::time_point now)
{
    Advance(now);
    return m_waiting.size();
}

const std::string& CKeyer::Sent(Clock::time_point now)
{
    Advance(now);
    return m_sent;
}

void CKeyer::Advance(Clock::time_point now)
{
    while (m_transmitting && !m_waiting.empty() && now - m_started >= m_pace) {
        m_sent += m_waiting.front();
        m_waiting.erase(0, 1);
        m_started += m_pace;
    }
}
