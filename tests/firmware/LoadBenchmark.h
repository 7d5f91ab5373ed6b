// What the load benchmarks share: the simulated radio found at 38400 bit/s
// and the wire time of bytes at a line speed.
#pragma once

#include <cstdio>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"

inline double WireMs(size_t bytes, unsigned speed)
{
    constexpr double kBitsPerByte = 10;
    return 1000.0 * bytes * kBitsPerByte / speed;
}

// Starts the radio with the versions it reports after each load and has the
// contact machine find it.
inline bool StartRadio(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    if (!radio.Start())
        return false;
    radio.Loader("reset-version 460");
    radio.Loader("text-version 241");
    CModel& model = GetModel();
    model.Port.Set(radio.PortName());
    model.Contact().StartAtOpenPort();
    if (!window.WaitForFinish(30000) || window.Result() != 0) {
        printf("the radio was not found\n");
        return false;
    }
    return true;
}
