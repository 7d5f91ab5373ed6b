// The face every state machine shows to the model's dispatch.
#pragma once

#include <windows.h>

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

// Window-timer ids, one per machine, all set on the main window.
enum : UINT_PTR {
    TIMER_TX_GAIN = 4,
    TIMER_LOADER = 6,
    TIMER_CONFIG_SAVE = 10,
    TIMER_CONFIG_RESTORE = 11,
    TIMER_COMMAND_MACRO = 12,
    TIMER_XTAL_FILTER = 13,
    TIMER_RF_GAIN = 14,
    TIMER_DATE_TIME = 15,
    TIMER_CW_MEMORY = 17,
    TIMER_BANNER = 22,
    TIMER_CONTACT = 23,
};
