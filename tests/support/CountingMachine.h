// A machine for routing tests: it only counts the serial notices and timer
// ticks that reach it.
#pragma once

#include "StateMachineInterface.h"

class CCountingMachine : public IStateMachine {
public:
    BOOL IsIdle() override { return idle; }
    LRESULT OnReceive(HWND, UINT, WPARAM, LPARAM) override
    {
        ++received;
        return 0;
    }
    LRESULT OnTimer(HWND, UINT, WPARAM, LPARAM) override
    {
        ++ticks;
        return 0;
    }

    bool idle = false;
    int received = 0;
    int ticks = 0;
};
