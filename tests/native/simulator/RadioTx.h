// The radio's transmitter as the TX gain calibration sees it: TUNE
// ("SWH16;", a switch: below MCU 346 only in the extended mode), receive
// ("RX;") and the transmit query ("TQ;"), the VFO B display mode and the
// power reading ("DB"), and the menus the calibration works with their "MP"
// values, "UP;"/"DN;" steps and "DS;" displays:
//     055 BH7W config   "PA@@@NQR" unless set otherwise
//     051 XQ6T config   "@@@@@NQR", UP to "@@@@TEST", DN back
//     072 tech mode     "@@@@OFF0" .. "@@@@OFFk-1", then "@@@@@ON@" (k UP steps)
//     078 TX ALC        "@@@@OFF0", UP to "@@@@@ON@"
//     058 tune power    "MPnnn;" (watts of TUNE; 000: the "PC" power)
//     023 JW2D tuner    "MPnnn;"
//     079 TX gain       "@@@@@" and the band's gain at the level, '@' blanks
// While TUNE is keyed and no menu is shown, "DS;" is the SWR display (tenths,
// the last digit 0xB0 + d, then '>') and "DB;" the power reading ("  5.0 W",
// "  50 W", " 1.00 MW" at the transverter output), which wanders for a
// settable number of readings after keying before it settles; receiving, it
// is VFO B in kHz ("DB7030;"). Its plain
// settings (VFO B "FB", band "BN", power "PC", antenna "AN", RIT and XIT,
// "Q5") are in the radio's settings table, TX TEST in the receivers' icons.
//
// Its words in "state" and "set": db (the display mode), tx (keyed), m055
// (the BH7W display), m051 m072 m078 (the stepped menus' positions), m058
// m023 (the menu values). Its control requests (answer "ok" or
// "error <why>"):
//     swr BAND TENTHS         the SWR of a band (0..10 by frequency)
//     swr-display BAND TEXT   the SWR display shown as TEXT instead, garbled
//     gain BAND LEVEL VALUE   the gain menu's value (LEVEL 0 5 W, 1 50 W, 2 1 mW)
//     power-error PERCENT     the reading off by a signed percentage
//     settle N                readings before the power settles (0 at start)
//     out-of-band BAND 0|1    "DB  END;" while keyed on that band
//     tune-keys 0|1           0: TUNE never keys ("TQ0;")
//     unkeys 0|1              0: "RX;" never unkeys ("TQ1;")
//     tech-steps K            the tech-mode menu needs K UP steps (1 at start)
#pragma once

#include "RadioSettings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class CRadioTx {
public:
    static constexpr unsigned kBands = 11;

    // What the transmitter needs of the rest of the radio besides its settings.
    struct SRadio {
        unsigned mcuVersion;
        // Emulated front-panel switches are taken now.
        bool switches;
    };

    explicit CRadioTx(const CRadioSettings& settings);

    // "MNnnn;": one of its menus is shown now, or none of them.
    void SelectMenu(unsigned menu);
    // Its menu shown, 0 for none.
    unsigned Menu() const { return m_menu; }
    bool Keyed() const { return m_transmitting; }
    void Unkey() { m_transmitting = false; }

    // The reply to one of its commands, or none: "DS;" (its menu's display,
    // else the SWR while keyed), "UP;", "DN;", "MP", "SWH16;", "RX;", "TQ;"
    // and "DB".
    std::optional<std::string> Handle(const std::string& command, const SRadio& radio);

    // Its words, "name=value" separated by blanks.
    std::string State() const;
    // False for an unknown name or a bad value.
    bool Set(const std::string& name, const std::string& value);
    // An answer line, or nothing for a request that is not the transmitter's.
    std::optional<std::string> Control(const std::string& request, const std::vector<std::string>& args);

    // The band of a frequency in Hz (11 digits), or kBands outside them all.
    static unsigned BandOf(const std::string& hz);

private:
    using Reply = std::optional<std::string>;

    struct SSteppedMenu {
        std::vector<std::string> displays;
        size_t position = 0;
    };

    Reply Display();
    Reply PowerReading(const SRadio& radio);
    // The level whose gain the gain menu shows: 2 at the transverter output,
    // 1 from 10 W, else 0.
    unsigned Level() const;
    double Watts() const;
    unsigned Power() const;
    SSteppedMenu* Stepped(unsigned menu);
    std::string* MenuValue(unsigned menu);
    void SetTechSteps(unsigned steps);

    const CRadioSettings& m_settings;
    std::string m_vfoBDisplay = "01";
    bool m_transmitting = false;
    unsigned m_menu = 0;
    std::string m_bh7wConfig = "PA@@@NQR";
    SSteppedMenu m_xq6tConfig{{"@@@@@NQR", "@@@@TEST"}, 0};
    SSteppedMenu m_techMode;
    SSteppedMenu m_txAlc{{"@@@@OFF0", "@@@@@ON@"}, 0};
    std::string m_tunePower = "000";
    std::string m_tuner = "000";

    // Faults and the simulated physics.
    std::array<unsigned, kBands> m_swr{};
    std::array<std::string, kBands> m_swrDisplay;
    std::array<std::array<unsigned, 3>, kBands> m_gain{};
    std::array<bool, kBands> m_outOfBand{};
    int m_powerErrorPercent = 0;
    unsigned m_settleReadings = 0;
    unsigned m_readingsSinceKey = 0;
    bool m_tuneKeys = true;
    bool m_unkeys = true;
};
