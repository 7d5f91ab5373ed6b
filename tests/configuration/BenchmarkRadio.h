// What the configuration tools' benchmarks share: a clock in milliseconds
// and the simulated transceiver found by the contact machine.
#pragma once

#include <windows.h>

#include <cstdio>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"

// One character on the wire at 38400 bit/s (8N1).
constexpr double kMsPerCharacter = 10 * 1000.0 / 38400;

inline double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * counter.QuadPart / frequency.QuadPart;
}

// Starts the radio and finds it; false (with a line saying so) when not.
inline bool FindRadio(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    if (!radio.Start())
        return false;
    GetModel().Port.Set(radio.PortName());
    GetModel().Contact().StartAtOpenPort();
    if (!window.WaitForFinish(30000) || window.Result() != 0) {
        printf("the radio was not found\n");
        return false;
    }
    return true;
}
