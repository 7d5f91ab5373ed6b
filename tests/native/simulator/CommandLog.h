// Every command the radio received: when, at which line speed, and what came
// of it. One entry is one line of text (control channel and log file alike):
//     <ms> <bit/s> <answered 0|1> <command> <reply>
// with the texts escaped (ControlWords.h); an empty reply is an empty word.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct SLogEntry {
    // Since the simulator started, monotonic.
    double ms = 0;
    std::string command;
    unsigned speed = 0;
    bool answered = false;
    std::string reply;
};

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

    static std::string Format(const SLogEntry& entry);

private:
    std::vector<SLogEntry> m_entries;
    FILE* m_file = nullptr;
};
