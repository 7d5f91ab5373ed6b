// What stands between the line and the radio's command reader when firmware
// is loaded: the N8 in front of the radio, the MCU boot loader's download,
// and the reset that follows it (the radio silent, then running the version
// the test chose, at the speed it ran at before).
#pragma once

#include "BootLoader.h"
#include "N8Accessory.h"
#include "TextLoadMode.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>

struct SLoaderSide {
    using Clock = std::chrono::steady_clock;

    CN8Accessory n8;
    CMcuBootLoader bootLoader;
    // A DSP or FPF load under way, and each one finished, by its prefix.
    CTextLoadMode textLoad;
    std::map<std::string, CTextLoadMode> finishedTextLoads;
    // The version the loaded processor reports after a DSP or FPF load; 0 keeps it.
    unsigned textVersionAfterReset = 0;
    // The same for one prefix, ahead of the one above.
    std::map<std::string, unsigned> textVersions;
    // The boot loader's own line speed.
    static constexpr unsigned kBootLoaderSpeed = 38400;
    unsigned speedBefore = 0;
    // Where the reset ends; nothing while none is under way.
    std::optional<Clock::time_point> resetEnds;
    unsigned resetMs = 3000;
    // The MCU version after a load; 0 keeps the one before.
    unsigned versionAfterReset = 0;
};
