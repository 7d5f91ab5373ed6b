// The machines' window-timer ids: one per machine, all set on the main
// window, so no two may clash.
#pragma once

#include <windows.h>

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
