#include "LogEntry.h"

#include "ControlWords.h"

#include <cstdio>
#include <cstdlib>

std::string FormatLogEntry(const SLogEntry& entry)
{
    char head[64];
    std::snprintf(head, sizeof head, "%.3f %u %d ", entry.ms, entry.speed, entry.answered ? 1 : 0);
    return head + EscapeText(entry.command) + " " + EscapeText(entry.reply);
}

std::optional<SLogEntry> ParseLogEntry(const std::string& line)
{
    const auto words = SplitWords(line);
    if (words.size() != 5 || (words[2] != "0" && words[2] != "1"))
        return std::nullopt;
    SLogEntry entry;
    char* end = nullptr;
    entry.ms = std::strtod(words[0].c_str(), &end);
    if (words[0].empty() || *end != '\0')
        return std::nullopt;
    entry.speed = static_cast<unsigned>(std::strtoul(words[1].c_str(), &end, 10));
    if (words[1].empty() || *end != '\0')
        return std::nullopt;
    entry.answered = words[2] == "1";
    const auto command = UnescapeText(words[3]);
    const auto reply = UnescapeText(words[4]);
    if (!command || !reply)
        return std::nullopt;
    entry.command = *command;
    entry.reply = *reply;
    return entry;
}
