// One command the radio received, as the simulator logs it and its client
// reads it back. On the control channel and in the log file an entry is one
// line of words (ControlWords.h):
//     <ms> <bit/s> <answered 0|1> <command> <reply>
// an empty reply being an empty word.
#pragma once

#include <optional>
#include <string>

struct SLogEntry {
    // Since the simulator started, monotonic.
    double ms = 0;
    // With its ";".
    std::string command;
    // The bit rate the port ran at when the command arrived.
    unsigned speed = 0;
    bool answered = false;
    // As sent, with any burst appended.
    std::string reply;
};

std::string FormatLogEntry(const SLogEntry& entry);
// Nothing for a line that is not an entry.
std::optional<SLogEntry> ParseLogEntry(const std::string& line);
