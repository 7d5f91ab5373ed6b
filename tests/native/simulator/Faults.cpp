#include "Faults.h"

#include <algorithm>
#include <utility>

void CFaults::IgnoreNext(const std::string& prefix, unsigned count, unsigned after)
{
    for (Ignore& ignore : m_ignores) {
        if (ignore.prefix == prefix) {
            ignore.count = count;
            ignore.after = after;
            return;
        }
    }
    m_ignores.push_back({prefix, count, after});
}

bool CFaults::Loses(const std::string& command)
{
    if (m_silent)
        return true;
    const auto heard = [&](const std::string& prefix) { return command.compare(0, prefix.size(), prefix) == 0; };
    if (!m_heard.empty() && std::none_of(m_heard.begin(), m_heard.end(), heard))
        return true;
    for (Ignore& ignore : m_ignores) {
        if (ignore.count == 0 || command.compare(0, ignore.prefix.size(), ignore.prefix) != 0)
            continue;
        if (ignore.after > 0) {
            --ignore.after;
            continue;
        }
        --ignore.count;
        return true;
    }
    return false;
}

std::optional<CFaults::Split> CFaults::TakeSplit()
{
    return std::exchange(m_split, std::nullopt);
}

std::string CFaults::TakeBurst()
{
    return std::exchange(m_burst, std::string());
}

std::optional<std::string> CFaults::TakeStray(const std::string& command)
{
    if (!m_stray || command.compare(0, m_stray->prefix.size(), m_stray->prefix) != 0)
        return std::nullopt;
    return std::exchange(m_stray, std::nullopt)->text;
}

std::optional<std::string> CFaults::TakeGarble(const std::string& command)
{
    if (!m_garble || command.compare(0, m_garble->prefix.size(), m_garble->prefix) != 0)
        return std::nullopt;
    return std::exchange(m_garble, std::nullopt)->text;
}
