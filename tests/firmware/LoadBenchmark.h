// What the load benchmarks share: the simulated radio found at 38400 bit/s
// and the wire time of bytes at a line speed.
#pragma once

#include <cstdio>

#include "BenchmarkRun.h"

inline double WireMs(size_t bytes, unsigned speed)
{
    constexpr double kBitsPerByte = 10;
    return 1000.0 * bytes * kBitsPerByte / speed;
}

// The versions the radio reports after each load.
inline void SetLoadedVersions(CSimulatedTransceiver& radio)
{
    radio.Loader("reset-version 460");
    radio.Loader("text-version 241");
}
