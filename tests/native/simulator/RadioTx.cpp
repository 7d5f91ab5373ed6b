#include "RadioTx.h"

#include "Radio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr unsigned kBH7WMenu = 55;
constexpr unsigned kXQ6TMenu = 51;
constexpr unsigned kTechModeMenu = 72;
constexpr unsigned kTXAlcMenu = 78;
constexpr unsigned kTunePowerMenu = 58;
constexpr unsigned kTunerMenu = 23;
constexpr unsigned kTXGainMenu = 79;
constexpr unsigned kLeaveMenu = 255;

// Band edges in kHz, in band-number order.
struct SBand {
    unsigned low;
    unsigned high;
};
const SBand kBandEdges[CRadioTx::kBands] = {
    {1800, 2000},   {3500, 4000},   {5330, 5410},   {7000, 7300},   {10100, 10150}, {14000, 14350},
    {18068, 18168}, {21000, 21450}, {24890, 24990}, {28000, 29700}, {50000, 54000},
};

bool StartsWith(const std::string& text, const char* start)
{
    return text.compare(0, std::char_traits<char>::length(start), start) == 0;
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The argument of a setting command: "PC050;" with "PC" gives "050".
std::string Argument(const std::string& command, size_t prefix)
{
    return command.substr(prefix, command.size() - prefix - 1);
}

bool ParseUnsigned(const std::string& text, unsigned& value, unsigned limit)
{
    if (!AllDigits(text) || text.size() > 9)
        return false;
    value = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return value <= limit;
}

std::string Digits(unsigned value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, value);
    return text;
}

std::string RightAligned(const std::string& text, size_t width, char fill)
{
    return text.size() >= width ? text.substr(text.size() - width) : std::string(width - text.size(), fill) + text;
}

}  // namespace

CRadioTx::CRadioTx()
{
    SetTechSteps(1);
    m_swr.fill(12);
    for (unsigned band = 0; band < kBands; ++band) {
        for (unsigned level = 0; level < 3; ++level)
            m_gain[band][level] = 40 + band * 7 + level * 50;
    }
}

unsigned CRadioTx::BandOf(const std::string& hz)
{
    if (!AllDigits(hz))
        return kBands;
    const unsigned long kHz = std::strtoul(hz.c_str(), nullptr, 10) / 1000;
    for (unsigned band = 0; band < kBands; ++band) {
        if (kHz >= kBandEdges[band].low && kHz <= kBandEdges[band].high)
            return band;
    }
    return kBands;
}

std::optional<std::string> CRadioTx::Handle(const std::string& command, const SRadio& radio, bool& taken)
{
    taken = true;
    if (StartsWith(command, "MN")) {
        const unsigned menu = static_cast<unsigned>(std::strtoul(command.c_str() + 2, nullptr, 10));
        // The clock's menus are the clock's; leaving any menu leaves ours.
        m_menu = Stepped(menu) || MenuValue(menu) || menu == kBH7WMenu || menu == kTXGainMenu ? menu : 0;
        taken = menu != kLeaveMenu && m_menu != 0;
        return std::nullopt;
    }
    if (command == "DS;") {
        const Reply display = Display(radio);
        taken = display.has_value();
        return display;
    }
    if (command == "UP;" || command == "DN;") {
        SSteppedMenu* menu = Stepped(m_menu);
        taken = menu != nullptr;
        if (menu) {
            if (command == "UP;")
                menu->position = std::min(menu->position + 1, menu->displays.size() - 1);
            else if (menu->position > 0)
                --menu->position;
        }
        return std::nullopt;
    }
    if (command == "MP;") {
        const std::string* value = MenuValue(m_menu);
        return value ? Reply("MP" + *value + ";") : std::nullopt;
    }
    if (StartsWith(command, "MP")) {
        std::string* value = MenuValue(m_menu);
        const std::string argument = Argument(command, 2);
        if (value && argument.size() == 3 && AllDigits(argument) && !Refuses(command))
            *value = argument;
        return std::nullopt;
    }
    if (command == "SWH16;") {
        if (radio.switches && m_tuneKeys) {
            m_transmitting = true;
            m_readingsSinceKey = 0;
        }
        return std::nullopt;
    }
    if (command == "RX;") {
        if (m_unkeys)
            m_transmitting = false;
        return std::nullopt;
    }
    if (command == "TQ;")
        return std::string("TQ") + (m_transmitting ? "1" : "0") + ";";
    if (command == "IC;") {
        std::string reply = "IC";
        reply += static_cast<char>(0x80 | (m_txTest ? 0x20 : 0));
        return reply + "@@@@;";
    }
    if (command == "DB;") {
        if (m_transmitting)
            return PowerReading(radio);
        return "DB" + std::to_string(std::strtoul(m_vfoB.c_str(), nullptr, 10) / 1000) + ";";
    }

    // Settings: "XX;" asks, "XX" + value sets (silently).
    struct SSetting {
        const char* prefix;
        std::function<std::string()> get;
        std::function<bool(const std::string&)> set;
    };
    const SSetting settings[] = {
        {"FB", [&] { return m_vfoB; }, [&](const std::string& v) { return v.size() == 11 && Set("FB", v); }},
        {"BN", [&] { return Digits(m_band, 2); }, [&](const std::string& v) { return v.size() == 2 && Set("BN", v); }},
        {"PC", [&] { return Digits(m_power, 3); }, [&](const std::string& v) { return v.size() == 3 && Set("PC", v); }},
        {"AN", [&] { return std::to_string(m_antenna); }, [&](const std::string& v) { return Set("AN", v); }},
        {"RT", [&] { return std::to_string(m_rit); }, [&](const std::string& v) { return Set("RT", v); }},
        {"XT", [&] { return std::to_string(m_xit); }, [&](const std::string& v) { return Set("XT", v); }},
        {"RO", [&] { return m_ritOffset; }, [&](const std::string& v) { return Set("RO", v); }},
        {"Q5", [&] { return m_q5; }, [&](const std::string& v) { return Set("Q5", v); }},
        {"TT", [&] { return m_textTerminal; }, [&](const std::string& v) { return Set("TT", v); }},
        {"DB", [&] { return m_vfoBDisplay; }, [&](const std::string& v) { return Set("DB", v); }},
    };
    for (const SSetting& setting : settings) {
        if (!StartsWith(command, setting.prefix))
            continue;
        const std::string argument = Argument(command, 2);
        if (argument.empty())
            return std::string(setting.prefix) + setting.get() + ";";
        if (!Refuses(command))
            setting.set(argument);
        return std::nullopt;
    }
    taken = false;
    return std::nullopt;
}

std::optional<std::string> CRadioTx::Display(const SRadio& radio)
{
    std::string display;
    if (m_menu == kBH7WMenu) {
        display = m_bh7wConfig;
    } else if (const SSteppedMenu* menu = Stepped(m_menu)) {
        display = menu->displays[menu->position];
    } else if (const std::string* value = MenuValue(m_menu)) {
        display = "@@@@@" + *value;
    } else if (m_menu == kTXGainMenu) {
        const unsigned band = BandOf(radio.vfoA);
        const unsigned gain = band < kBands ? m_gain[band][Level(radio)] : 0;
        display = "@@@@@" + RightAligned(std::to_string(gain), 3, '@');
    } else if (m_transmitting) {
        const unsigned band = BandOf(radio.vfoA);
        const unsigned swr = band < kBands ? m_swr[band] : 99;
        std::string number = std::to_string(swr / 10);
        number += static_cast<char>(0xB0 + swr % 10);
        display = RightAligned(number + ">", 8, '@');
    } else {
        return std::nullopt;
    }
    return "DS" + RightAligned(display, 8, '@') + "@@;";
}

unsigned CRadioTx::Level(const SRadio& radio) const
{
    if (m_xq6tConfig.position == 1)
        return 2;
    return Watts(radio) >= 10 ? 1 : 0;
}

double CRadioTx::Watts(const SRadio&) const
{
    const unsigned tune = static_cast<unsigned>(std::strtoul(m_tunePower.c_str(), nullptr, 10));
    return tune != 0 ? tune : m_power;
}

std::optional<std::string> CRadioTx::PowerReading(const SRadio& radio)
{
    const unsigned band = BandOf(radio.vfoA);
    if (band >= kBands || m_outOfBand[band])
        return "DB  END;";
    double value = m_xq6tConfig.position == 1 ? m_power / (radio.mcuVersion >= 443 ? 100.0 : 10.0) : Watts(radio);
    value *= 1 + m_powerErrorPercent / 100.0;
    // Before it settles the reading wanders over three values, never the same
    // twice in a row.
    if (m_readingsSinceKey < m_settleReadings)
        value *= 1 - 0.02 * ((m_settleReadings - m_readingsSinceKey) % 3 + 1);
    ++m_readingsSinceKey;
    char text[32];
    if (m_xq6tConfig.position == 1)
        std::snprintf(text, sizeof text, "DB %4.2f MW;", value);
    else if (m_power >= 10 && m_tunePower == "000")
        std::snprintf(text, sizeof text, "DB%4.0f W;", value);
    else
        std::snprintf(text, sizeof text, "DB%5.1f W;", value);
    return std::string(text);
}

bool CRadioTx::Refuses(const std::string& command)
{
    for (auto& [prefix, count] : m_refusals) {
        if (count > 0 && StartsWith(command, prefix.c_str())) {
            --count;
            return true;
        }
    }
    return false;
}

CRadioTx::SSteppedMenu* CRadioTx::Stepped(unsigned menu)
{
    switch (menu) {
    case kXQ6TMenu:
        return &m_xq6tConfig;
    case kTechModeMenu:
        return &m_techMode;
    case kTXAlcMenu:
        return &m_txAlc;
    }
    return nullptr;
}

std::string* CRadioTx::MenuValue(unsigned menu)
{
    switch (menu) {
    case kTunePowerMenu:
        return &m_tunePower;
    case kTunerMenu:
        return &m_tuner;
    }
    return nullptr;
}

void CRadioTx::SetTechSteps(unsigned steps)
{
    m_techMode.displays.clear();
    for (unsigned i = 0; i < steps; ++i)
        m_techMode.displays.push_back("@@@@OFF" + std::to_string(i % 10));
    m_techMode.displays.push_back("@@@@@ON@");
    m_techMode.position = 0;
}

std::string CRadioTx::State() const
{
    return "FB=" + m_vfoB + " BN=" + Digits(m_band, 2) + " PC=" + Digits(m_power, 3) +
           " AN=" + std::to_string(m_antenna) + " RT=" + std::to_string(m_rit) + " XT=" + std::to_string(m_xit) +
           " RO=" + m_ritOffset + " Q5=" + m_q5 + " TT=" + m_textTerminal + " DB=" + m_vfoBDisplay +
           " TX=" + (m_transmitting ? "1" : "0") + " TEST=" + (m_txTest ? "1" : "0") +
           " MENU=" + std::to_string(m_menu) + " M055=" + m_bh7wConfig +
           " M051=" + std::to_string(m_xq6tConfig.position) + " M072=" + std::to_string(m_techMode.position) +
           " M078=" + std::to_string(m_txAlc.position) + " M058=" + m_tunePower + " M023=" + m_tuner;
}

bool CRadioTx::Set(const std::string& name, const std::string& value)
{
    unsigned number = 0;
    const auto flag = [&](bool& target) {
        if (!ParseUnsigned(value, number, 1))
            return false;
        target = number != 0;
        return true;
    };
    const auto position = [&](SSteppedMenu& menu) {
        if (!ParseUnsigned(value, number, static_cast<unsigned>(menu.displays.size() - 1)))
            return false;
        menu.position = number;
        return true;
    };
    if (name == "FB" && value.size() == 11 && AllDigits(value))
        m_vfoB = value;
    else if (name == "BN" && ParseUnsigned(value, number, 99))
        m_band = number;
    else if (name == "PC" && ParseUnsigned(value, number, 999))
        m_power = number;
    else if (name == "AN" && (value == "1" || value == "2"))
        m_antenna = value[0] - '0';
    else if ((name == "RT" || name == "XT") && ParseUnsigned(value, number, 1))
        (name == "RT" ? m_rit : m_xit) = number;
    else if (name == "RO" && value.size() == 5 && (value[0] == '+' || value[0] == '-') && AllDigits(value.substr(1)))
        m_ritOffset = value;
    else if ((name == "Q5" || name == "TT") && value.size() == 1 && std::isdigit(static_cast<unsigned char>(value[0])))
        (name == "Q5" ? m_q5 : m_textTerminal) = value;
    else if (name == "DB" && value.size() == 2 && AllDigits(value))
        m_vfoBDisplay = value;
    else if (name == "TX")
        return flag(m_transmitting);
    else if (name == "TEST")
        return flag(m_txTest);
    else if (name == "MENU" && ParseUnsigned(value, number, 255))
        m_menu = number == kLeaveMenu ? 0 : number;
    else if (name == "M055" && value.size() == 8)
        m_bh7wConfig = value;
    else if (name == "M051")
        return position(m_xq6tConfig);
    else if (name == "M072")
        return position(m_techMode);
    else if (name == "M078")
        return position(m_txAlc);
    else if ((name == "M058" || name == "M023") && value.size() == 3 && AllDigits(value))
        (name == "M058" ? m_tunePower : m_tuner) = value;
    else
        return false;
    return true;
}

std::optional<std::string> CRadioTx::Control(const std::string& request, const std::vector<std::string>& args)
{
    static const std::string kBad = "error bad arguments";
    std::vector<unsigned> numbers;
    const auto numeric = [&](size_t count, size_t first = 0) {
        numbers.clear();
        if (args.size() != first + count)
            return false;
        for (size_t i = first; i < args.size(); ++i) {
            unsigned value = 0;
            if (!ParseUnsigned(args[i], value, 0xFFFFFFF))
                return false;
            numbers.push_back(value);
        }
        return true;
    };
    if (request == "set")
        return args.size() == 2 && Set(args[0], args[1]) ? "ok" : kBad;
    if (request == "swr") {
        if (!numeric(2) || numbers[0] >= kBands || numbers[1] > 999)
            return kBad;
        m_swr[numbers[0]] = numbers[1];
        return "ok";
    }
    if (request == "gain") {
        if (!numeric(3) || numbers[0] >= kBands || numbers[1] > 2 || numbers[2] > 999)
            return kBad;
        m_gain[numbers[0]][numbers[1]] = numbers[2];
        return "ok";
    }
    if (request == "power-error") {
        char* end = nullptr;
        const long percent = args.size() == 1 ? std::strtol(args[0].c_str(), &end, 10) : 0;
        if (args.size() != 1 || args[0].empty() || *end != '\0' || percent < -100 || percent > 100)
            return kBad;
        m_powerErrorPercent = static_cast<int>(percent);
        return "ok";
    }
    if (request == "settle") {
        if (!numeric(1))
            return kBad;
        m_settleReadings = numbers[0];
        return "ok";
    }
    if (request == "out-of-band") {
        if (!numeric(2) || numbers[0] >= kBands || numbers[1] > 1)
            return kBad;
        m_outOfBand[numbers[0]] = numbers[1] != 0;
        return "ok";
    }
    if (request == "tune-keys" || request == "unkeys") {
        if (!numeric(1) || numbers[0] > 1)
            return kBad;
        (request == "tune-keys" ? m_tuneKeys : m_unkeys) = numbers[0] != 0;
        return "ok";
    }
    if (request == "refuse") {
        if (!numeric(1, 1) || args[0].empty())
            return kBad;
        m_refusals[args[0]] = numbers[0];
        return "ok";
    }
    if (request == "tech-steps") {
        if (!numeric(1) || numbers[0] == 0 || numbers[0] > 20)
            return kBad;
        SetTechSteps(numbers[0]);
        return "ok";
    }
    return std::nullopt;
}

// The radio's side of the transmitter: it knows VFO A and the command mode.
CRadio::Reply CRadio::TxCommand(const std::string& command)
{
    bool taken = false;
    return m_tx.Handle(command, {m_vfoA, McuVersion(), SwitchesWork()}, taken);
}

std::optional<std::string> CRadio::TxControl(const std::string& request, const std::vector<std::string>& args)
{
    if (request == "state")
        return "ok FA=" + m_vfoA + " Q7=" + m_commandMode + " " + m_tx.State();
    if (request == "set" && args.size() == 2 && args[0] == "FA") {
        if (args[1].size() != m_vfoA.size() || args[1].find_first_not_of("0123456789") != std::string::npos)
            return "error bad arguments";
        m_vfoA = args[1];
        return "ok";
    }
    if (request == "set" && args.size() == 2 && args[0] == "Q7") {
        m_commandMode = args[1];
        return "ok";
    }
    return m_tx.Control(request, args);
}
