#include "RadioTx.h"

#include "ControlWords.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned kBH7WMenu = 55;
constexpr unsigned kXQ6TMenu = 51;
constexpr unsigned kTechModeMenu = 72;
constexpr unsigned kTXAlcMenu = 78;
constexpr unsigned kTunePowerMenu = 58;
constexpr unsigned kTunerMenu = 23;
constexpr unsigned kTXGainMenu = 79;

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
    return ParseNumber(text, value) && value <= limit;
}

std::string RightAligned(const std::string& text, size_t width, char fill)
{
    return text.size() >= width ? text.substr(text.size() - width) : std::string(width - text.size(), fill) + text;
}

}  // namespace

CRadioTx::CRadioTx(const CRadioSettings& settings) : m_settings(settings)
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

void CRadioTx::SelectMenu(unsigned menu)
{
    m_menu = Stepped(menu) || MenuValue(menu) || menu == kBH7WMenu || menu == kTXGainMenu ? menu : 0;
}

std::optional<std::string> CRadioTx::Handle(const std::string& command, const SRadio& radio)
{
    if (command == "DS;")
        return Display();
    if (command == "UP;" || command == "DN;") {
        if (SSteppedMenu* menu = Stepped(m_menu)) {
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
        if (value && argument.size() == 3 && AllDigits(argument))
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
    if (command == "DB;") {
        if (m_transmitting)
            return PowerReading(radio);
        return "DB" + std::to_string(std::strtoul(m_settings.Get("FB").c_str(), nullptr, 10) / 1000) + ";";
    }
    if (StartsWith(command, "DB")) {
        const std::string argument = Argument(command, 2);
        if (argument.size() == 2 && AllDigits(argument))
            m_vfoBDisplay = argument;
    }
    return std::nullopt;
}

std::optional<std::string> CRadioTx::Display()
{
    std::string display;
    if (m_menu == kBH7WMenu) {
        display = m_bh7wConfig;
    } else if (const SSteppedMenu* menu = Stepped(m_menu)) {
        display = menu->displays[menu->position];
    } else if (const std::string* value = MenuValue(m_menu)) {
        display = "@@@@@" + *value;
    } else if (m_menu == kTXGainMenu) {
        const unsigned band = BandOf(m_settings.Get("FA"));
        const unsigned gain = band < kBands ? m_gain[band][Level()] : 0;
        display = "@@@@@" + RightAligned(std::to_string(gain), 3, '@');
    } else if (m_transmitting) {
        const unsigned band = BandOf(m_settings.Get("FA"));
        // A garbled display need not fit.
        if (band < kBands && !m_swrDisplay[band].empty())
            return "DS" + m_swrDisplay[band] + "@@;";
        const unsigned swr = band < kBands ? m_swr[band] : 99;
        std::string number = std::to_string(swr / 10);
        number += static_cast<char>(0xB0 + swr % 10);
        display = RightAligned(number + ">", 8, '@');
    } else {
        return std::nullopt;
    }
    return "DS" + RightAligned(display, 8, '@') + "@@;";
}

unsigned CRadioTx::Level() const
{
    if (m_xq6tConfig.position == 1)
        return 2;
    return Watts() >= 10 ? 1 : 0;
}

unsigned CRadioTx::Power() const
{
    return static_cast<unsigned>(std::strtoul(m_settings.Get("PC").c_str(), nullptr, 10));
}

double CRadioTx::Watts() const
{
    const unsigned tune = static_cast<unsigned>(std::strtoul(m_tunePower.c_str(), nullptr, 10));
    return tune != 0 ? tune : Power();
}

std::optional<std::string> CRadioTx::PowerReading(const SRadio& radio)
{
    const unsigned band = BandOf(m_settings.Get("FA"));
    if (band >= kBands || m_outOfBand[band])
        return "DB  END;";
    double value = m_xq6tConfig.position == 1 ? Power() / (radio.mcuVersion >= 443 ? 100.0 : 10.0) : Watts();
    value *= 1 + m_powerErrorPercent / 100.0;
    // Before it settles the reading wanders over three values, never the same
    // twice in a row.
    if (m_readingsSinceKey < m_settleReadings)
        value *= 1 - 0.02 * ((m_settleReadings - m_readingsSinceKey) % 3 + 1);
    ++m_readingsSinceKey;
    char text[32];
    if (m_xq6tConfig.position == 1)
        std::snprintf(text, sizeof text, "DB %4.2f MW;", value);
    else if (Power() >= 10 && m_tunePower == "000")
        std::snprintf(text, sizeof text, "DB%4.0f W;", value);
    else
        std::snprintf(text, sizeof text, "DB%5.1f W;", value);
    return std::string(text);
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
    return "db=" + m_vfoBDisplay + " tx=" + (m_transmitting ? "1" : "0") + " m055=" + m_bh7wConfig +
           " m051=" + std::to_string(m_xq6tConfig.position) + " m072=" + std::to_string(m_techMode.position) +
           " m078=" + std::to_string(m_txAlc.position) + " m058=" + m_tunePower + " m023=" + m_tuner;
}

bool CRadioTx::Set(const std::string& name, const std::string& value)
{
    unsigned number = 0;
    const auto position = [&](SSteppedMenu& menu) {
        if (!ParseUnsigned(value, number, static_cast<unsigned>(menu.displays.size() - 1)))
            return false;
        menu.position = number;
        return true;
    };
    if (name == "db" && value.size() == 2 && AllDigits(value))
        m_vfoBDisplay = value;
    else if (name == "tx" && ParseUnsigned(value, number, 1))
        m_transmitting = number != 0;
    else if (name == "m055" && value.size() == 8)
        m_bh7wConfig = value;
    else if (name == "m051")
        return position(m_xq6tConfig);
    else if (name == "m072")
        return position(m_techMode);
    else if (name == "m078")
        return position(m_txAlc);
    else if ((name == "m058" || name == "m023") && value.size() == 3 && AllDigits(value))
        (name == "m058" ? m_tunePower : m_tuner) = value;
    else
        return false;
    return true;
}

std::optional<std::string> CRadioTx::Control(const std::string& request, const std::vector<std::string>& args)
{
    static const std::string kBad = "error bad arguments";
    std::vector<unsigned> numbers;
    const auto numeric = [&](size_t count) {
        numbers.clear();
        if (args.size() != count)
            return false;
        for (const std::string& arg : args) {
            unsigned value = 0;
            if (!ParseNumber(arg, value))
                return false;
            numbers.push_back(value);
        }
        return true;
    };
    if (request == "swr") {
        if (!numeric(2) || numbers[0] >= kBands || numbers[1] > 999)
            return kBad;
        m_swr[numbers[0]] = numbers[1];
        return "ok";
    }
    if (request == "swr-display") {
        unsigned band = 0;
        if (args.size() != 2 || !ParseNumber(args[0], band) || band >= kBands)
            return kBad;
        m_swrDisplay[band] = args[1];
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
    if (request == "tech-steps") {
        if (!numeric(1) || numbers[0] == 0 || numbers[0] > 20)
            return kBad;
        SetTechSteps(numbers[0]);
        return "ok";
    }
    return std::nullopt;
}
