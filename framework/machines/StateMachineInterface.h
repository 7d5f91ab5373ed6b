// The face every state machine shows to the model's dispatch.
#pragma once

#include <windows.h>

#include "TimerIds.h"

class IStateMachine {
public:
    virtual BOOL IsIdle() = 0;
    // WM_APP_SERIAL_DATA; returns 0.
    virtual LRESULT OnReceive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // WM_TIMER; ids other than the machine's own are ignored; returns 0.
    virtual LRESULT OnTimer(HWND window, UINT message, WPARAM timerId, LPARAM lParam) = 0;

protected:
    ~IStateMachine() = default;
};
