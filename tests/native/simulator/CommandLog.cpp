#include "CommandLog.h"

#include <algorithm>

CCommandLog::~CCommandLog()
{
    if (m_file)
        std::fclose(m_file);
}

bool CCommandLog::SetFile(const std::string& path)
{
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(path.c_str(), "a");
    return m_file != nullptr;
}

void CCommandLog::Add(SLogEntry entry)
{
    if (m_file) {
        std::fprintf(m_file, "%s\n", FormatLogEntry(entry).c_str());
        std::fflush(m_file);
    }
    m_entries.push_back(std::move(entry));
}

bool CCommandLog::Matches(const std::string& command, const std::string& pattern)
{
    if (!pattern.empty() && pattern.back() == ';')
        return command == pattern;
    return command.compare(0, pattern.size(), pattern) == 0;
}

size_t CCommandLog::Count(const std::string& pattern) const
{
    return std::count_if(m_entries.begin(), m_entries.end(),
                         [&](const SLogEntry& entry) { return Matches(entry.command, pattern); });
}
