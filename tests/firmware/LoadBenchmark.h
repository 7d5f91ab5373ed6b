// What the load benchmarks share: the simulated radio found at 38400 bit/s
// and the length of a logged command on the wire.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "BenchmarkRun.h"
#include "McuLoaderStateMachine.h"

// A DSP or FPF packet is logged with its header, its data count in the
// header's count field; an MCU packet by its address.
inline size_t SentBytes(const SimulatedCommand& entry)
{
    if (entry.command.compare(0, 7, "packet:") != 0)
        return entry.command.size();
    const std::string header = entry.command.substr(7);
    if (header.size() == 6 + 3 && header.compare(0, 2, "LD") == 0)
        return header.size() + (std::strtoul(header.substr(4, 2).c_str(), nullptr, 16) & 0x7F);
    return CMcuLoaderStateMachine::kPacketSize;
}

// The versions the radio reports after each load.
inline void SetLoadedVersions(CSimulatedTransceiver& radio)
{
    radio.Loader("reset-version 460");
    radio.Loader("text-version 241");
}

// Each wait a load keeps after a reply (the N8 probe's time-out, the pauses
// after the tiny boot and the erase, the reset) lasts 100 ms or more; the
// answer to a reply comes far sooner.
inline STurnaround MeasureLoadTurnaround(const std::vector<SimulatedCommand>& log)
{
    constexpr double kShortestWaitMs = 90;
    return MeasureTurnaround(log, SentBytes, [&](size_t i) { return log[i + 1].ms - log[i].ms >= kShortestWaitMs; });
}
