// What the TX gain calibration reads from the radio's replies and what it
// asks of it, apart from the machine: the bands, the power per level, the
// option modules, the SWR display and the power readings.
#pragma once

#include <string>

// The calibration levels.
enum TXGainLevel : unsigned char {
    TXGAIN_LEVEL_5W = 0,
    TXGAIN_LEVEL_50W = 1,
    TXGAIN_LEVEL_1MW = 2,
};

// Calibration frequencies in kHz, in loop order.
inline constexpr unsigned kTXGainBandCount = 11;
inline constexpr unsigned TXGainBandTable[kTXGainBandCount] = {1900,  3750,  5336,  7150,  10125, 14200,
                                                                18110, 21200, 24930, 29000, 52000};

// From this MCU version the power command counts milliwatts at 1 mW.
inline constexpr unsigned short MCU_MILLIWATT_POWER_VERSION = 443;
// From this MCU version the radio takes and reports band numbers.
inline constexpr unsigned short MCU_BAND_NUMBER_VERSION = 397;

// "PC005;", "PC050;", "PC010;" (below MCU 443) or "PC100;".
std::wstring GetPowerCommand(unsigned level, unsigned short mcuVersion);

// "LP", "HP", "MW".
const wchar_t* GetLevelText(unsigned level);

// The option modules in an "OM;" reply: the antenna tuner (character 3 'A'),
// the 50 W amplifier (4 'P') and the transverter interface (5 'X').
bool IsJW2DInstalled(const std::wstring& optionReply);
bool IsBH7WInstalled(const std::wstring& optionReply);
bool IsXQ6TInstalled(const std::wstring& optionReply);
// The same on the model's stored reply.
bool IsJW2DInstalled();
bool IsBH7WInstalled();
bool IsXQ6TInstalled();

// The number in a "DS" display reply in tenths: the digits from character 2
// up to the '>', '@' blanks skipped, a digit with the decimal point (0xB0 + d)
// the last; 0 without a '>' in the reply, without "DS" or with fewer than 3
// characters. kNoDisplayNumber when anything else stands before the '>', a
// digit follows the pointed one, or there are more digits than the
// display's eight characters hold: the display is garbled.
constexpr unsigned kNoDisplayNumber = ~0u;
unsigned ParseDisplayNumber(const std::wstring& reply);

// The SWR display while TUNE is keyed: below 1.0 good, up to 1.9 good but
// worth a trace, from 2.0 too high; "DS@@@@@ON" is good; no number is no
// reading. `tenths` is the SWR.
enum class ESwrVerdict { Good, Noted, TooHigh, Unreadable };
ESwrVerdict JudgeSwr(const std::wstring& reply, unsigned& tenths);

// The power reading (the "DB" reply from character 2 on) is one of the
// level's accepted readings.
bool IsPowerInTolerance(unsigned level, const std::wstring& sample);

// "%u kHz TXGain %s %s\r\n" from the gain menu's display (characters 7-9,
// '@' shown as a blank); empty for a reply shorter than 10 characters.
std::wstring FormatSummaryLine(const std::wstring& reply, unsigned kHz, unsigned level);
