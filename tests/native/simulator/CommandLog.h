// Every command the radio received: when, at which line speed, and what came
// of it; kept for the control channel and appended to a file on request.
#pragma once

#include "LogEntry.h"

#include <cstdio>
#include <string>
#include <vector>

class CCommandLog {
public:
    CCommandLog() = default;
    ~CCommandLog();
    CCommandLog(const CCommandLog&) = delete;
    CCommandLog& operator=(const CCommandLog&) = delete;

    // Entries are also appended to this file from now on.
    bool SetFile(const std::string& path);

    void Add(SLogEntry entry);
    void Clear() { m_entries.clear(); }
    const std::vector<SLogEntry>& Entries() const { return m_entries; }

    // A pattern ending with ";" is a whole command, any other the start of one.
    static bool Matches(const std::string& command, const std::string& pattern);
    size_t Count(const std::string& pattern) const;

private:
    std::vector<SLogEntry> m_entries;
    FILE* m_file = nullptr;
};
