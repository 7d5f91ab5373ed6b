// The crystal-filter settings as the dialog shows them: the conversions
// between Hz and the radio's bytes, the kHz texts, and the rules a filter
// configuration must meet before it is written.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

inline constexpr unsigned FILTER_SLOTS = 5;
// The mode-map bytes, in EEPROM order.
enum FilterMode { MODE_CW, MODE_LSB, MODE_USB, MODE_DATA, MODE_AM, MODE_FM, FILTER_MODES };

inline constexpr int BANDWIDTH_MAX_HZ = 13000;
// Above this a bandwidth is the 13 kHz FM filter.
inline constexpr int BANDWIDTH_SNAP_HZ = 12700;
inline constexpr int OFFSET_MIN_HZ = -1280;
inline constexpr int OFFSET_MAX_HZ = 250;
// From this MCU version a TX AM filter may be wider than 6 kHz.
inline constexpr unsigned short MCU_WIDE_TX_AM_VERSION = 455;

// 50 Hz a step, 255 for 13 kHz; 0 outside 0..13000.
BYTE BandwidthByte(int hz);
int BandwidthHz(BYTE byte);
// A signed byte of 10 Hz steps, toward zero; 0 outside -1280..+250.
BYTE OffsetByte(int hz);
int OffsetHz(BYTE byte);

// "2.70", "0.05", "13.00".
std::wstring FormatBandwidth(int hz);
// "-1.28", " 0.00", "+0.25".
std::wstring FormatOffset(int hz);
// kHz with up to two decimals (later digits ignored), an optional sign,
// leading white space; huge numbers saturate; the result is clamped.
int ParseKHz(const std::wstring& text, int low, int high);

// What the rules look at: bandwidths in Hz, the mode boxes, the TX slots
// (-1: no radio checked).
struct FilterSettings {
    int bandwidth[FILTER_SLOTS] = {};
    bool enabled[FILTER_SLOTS][FILTER_MODES] = {};
    int txCw = -1;
    int txSsb = -1;
    int txAm = -1;
    bool subReceiver = false;
    unsigned short mcuVersion = 0;
};

struct FilterRuleFailure {
    UINT textId;
    // 1..5 for the empty-slot rule, else 0.
    unsigned slot;
};

// The first rule the settings break, or nothing.
std::optional<FilterRuleFailure> CheckFilterRules(const FilterSettings& settings);
