// The simulated radio's transmitter as the TX gain tests see it: its
// settings compared before and after a run, what the user is told of its
// state, the calibration frequencies, and gains that make each band's
// summary line its own.
#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ErrorText.h"
#include "RadioState.h"
#include "SimulatedTransceiver.h"
#include "TextOrId.h"

// What calibration leaves changed by design: text-terminal output, the VFO B
// display, TX ALC.
inline const std::set<std::string> kChangedByDesign = {"tt", "db", "m078"};

inline void ExpectRestored(const RadioState& before, const RadioState& after,
                           const std::set<std::string>& changed = kChangedByDesign)
{
    ExpectSettingsKept(before, after, changed);
}

// The option modules of a radio without the amplifier (P at 4) and the
// transverter interface (X at 5): the 5 W level alone.
inline const char kTunerOnly[] = "OM-A--S-TLK-R---;";

// What the end of a run tells the user of the radio: why a setting was not
// put back, a radio that may still transmit, and each setting not put back;
// in a box, a line each.
inline std::wstring NotPutBack(HRESULT code)
{
    return FormatText(L"Error code 0x%08X: %s", static_cast<unsigned>(code),
                      FormatErrorText(static_cast<DWORD>(code)).c_str());
}
inline const std::wstring kMayBeTransmitting = L"Q7 may still be transmitting; unkey it at the radio.";
inline const std::wstring kNotPutBack = L"These settings were not put back; set them at the radio:";
// What a run cut off in a band leaves to set by hand on the simulated radio
// as it starts: the band's power, then what the preparation saved (the VFOs,
// saved again by the band, named once) and the technician menu it stepped.
inline const std::vector<std::wstring> kLeftInABand = {
    kNotPutBack,                  L"Power (PC): PC100",         L"Band Number (BN): BN05",
    L"RIT Offset (RO): RO+0000",  L"VFO B (FB): FB00007030000", L"VFO A (FA): FA00014060000",
    L"VFO A and Basic Icon (DS) menu 072: DS@@@@OFF0"};
// The lines of a box: `lines`, then those of `more`.
inline std::wstring BoxLines(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& more = {})
{
    std::wstring text;
    for (const auto* part : {&lines, &more}) {
        for (const std::wstring& line : *part)
            text += (text.empty() ? L"" : L"\r\n") + line;
    }
    return text;
}

// The calibration frequencies, in order.
inline const unsigned kBandKHz[] = {1900, 3750, 5336, 7150, 10125, 14200, 18110, 21200, 24930, 29000, 52000};

// The index of the first command at or after `from` that starts with
// `prefix`, or the size.
inline size_t IndexOf(const std::vector<std::string>& commands, const std::string& prefix, size_t from = 0)
{
    for (size_t i = from; i < commands.size(); ++i) {
        if (commands[i].compare(0, prefix.size(), prefix) == 0)
            return i;
    }
    return commands.size();
}

// How many commands from `from` on are the text.
inline size_t CountFrom(const std::vector<std::string>& commands, size_t from, const std::string& text)
{
    return from < commands.size() ? std::count(commands.begin() + from, commands.end(), text) : 0;
}

// Gives each band its own gain at the level (band 0 a one-digit one) and
// returns the summary lines a full run at the level must give.
inline std::wstring SetGains(CSimulatedTransceiver& radio, unsigned level)
{
    static const wchar_t* const levelTexts[] = {L"LP", L"HP", L"MW"};
    std::wstring summary;
    for (unsigned band = 0; band < 11; ++band) {
        const unsigned gain = band == 0 ? 7 : 100 + 13 * band + level;
        radio.Control("gain " + std::to_string(band) + " " + std::to_string(level) + " " + std::to_string(gain));
        wchar_t line[64];
        swprintf(line, 64, L"%u kHz TXGain %ls %3u\r\n", kBandKHz[band], levelTexts[level], gain);
        summary += line;
    }
    return summary;
}
