#include "Faults.h"

#include <utility>

void CFaults::IgnoreNext(const std::string& prefix, unsigned count)
{
    for (Ignore& ignore : m_ignores) {
        if (ignore.prefix == prefix) {
            ignore.count = count;
            return;
        }
    }
    m_ignores.push_back({prefix, count});
}

bool CFaults::Loses(const std::string& command)
{
    if (m_silent)
        return true;
    for (Ignore& ignore : m_ignores) {
        if (ignore.count > 0 && command.compare(0, ignore.prefix.size(), ignore.prefix) == 0) {
            --ignore.count;
            return true;
        }
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
