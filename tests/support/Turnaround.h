// How soon a program answers the radio, read from the simulated radio's log:
// the gap from a reply's last byte on the wire to the first byte of the next
// command. Every serial benchmark prints it beside its ratio, and the floor
// benchmark measures a bare one-thread program the same way, so the two
// compare in one run of scripts/bench.sh.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "SimulatedTransceiver.h"

inline double WireMs(size_t bytes, unsigned speed)
{
    constexpr double kBitsPerByte = 10;
    return 1000.0 * bytes * kBitsPerByte / speed;
}

struct STurnaround {
    size_t roundTrips = 0;
    std::vector<double> gapsMs;

    double MeanGapMs() const
    {
        return gapsMs.empty() ? 0 : std::accumulate(gapsMs.begin(), gapsMs.end(), 0.0) / gapsMs.size();
    }
    double MedianGapMs() const
    {
        std::vector<double> sorted = gapsMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    void Add(const STurnaround& other)
    {
        roundTrips += other.roundTrips;
        gapsMs.insert(gapsMs.end(), other.gapsMs.begin(), other.gapsMs.end());
    }
    // The words scripts/bench.sh sets against the floor.
    std::string Describe() const
    {
        char text[96];
        snprintf(text, sizeof text, "%zu round trips, mean gap after a reply %.2f ms", roundTrips, MeanGapMs());
        return text;
    }
};

// `sentBytes`: a command's length on the wire where its logged text is not
// (a loader's packet). `waitsAfter` (the index of an entry that has a next):
// the program must wait after that command, so the next one does not answer
// its reply.
inline STurnaround MeasureTurnaround(const std::vector<SimulatedCommand>& log,
                                     const std::function<size_t(const SimulatedCommand&)>& sentBytes = nullptr,
                                     const std::function<bool(size_t)>& waitsAfter = nullptr)
{
    STurnaround turnaround;
    for (size_t i = 0; i < log.size(); ++i) {
        if (!log[i].answered)
            continue;
        ++turnaround.roundTrips;
        if (i + 1 == log.size() || (waitsAfter && waitsAfter(i)))
            continue;
        const SimulatedCommand& next = log[i + 1];
        // The radio starts its reply when the command's last byte is in, and
        // logs a command when its last byte is in.
        const double replyEnd = log[i].ms + WireMs(log[i].reply.size(), log[i].speed);
        const size_t sent = sentBytes ? sentBytes(next) : next.command.size();
        turnaround.gapsMs.push_back(next.ms - WireMs(sent, next.speed) - replyEnd);
    }
    return turnaround;
}
