#include "RadioSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

struct SSetting {
    const char* letters;
    // Also the value's width, and whether it carries a sign.
    const char* initial;
    // A range beyond the width's, when `high` is not 0.
    unsigned low;
    unsigned high;
};

const SSetting kSettings[] = {
    // The transmitter's: the VFOs in Hz, the band number, power in watts,
    // the antenna jack, RIT, XIT and the RIT offset, the command mode "Q5",
    // text-terminal output.
    {"FA", "00014060000", 0, 0},
    {"FB", "00007030000", 0, 0},
    {"BN", "05", 0, 0},
    {"PC", "100", 0, 0},
    {"AN", "1", 1, 2},
    {"RT", "0", 0, 1},
    {"XT", "0", 0, 1},
    {"RO", "+0000", 0, 0},
    {"Q5", "0", 0, 0},
    {"TT", "1", 0, 0},
    // The receivers': auto information, the second receiver on, VFO link;
    // then for each receiver mode, attenuator, preamp, RF gain, squelch and
    // filter width.
    {"AI", "0", 0, 0},
    {"SB", "0", 0, 0},
    {"LN", "1", 0, 0},
    {"MD", "2", 0, 0},    {"MD$", "1", 0, 0},
    {"RA", "01", 0, 0},   {"RA$", "01", 0, 0},
    {"PA", "1", 0, 0},    {"PA$", "1", 0, 0},
    {"RG", "200", 0, 0},  {"RG$", "180", 0, 0},
    {"SQ", "010", 0, 0},  {"SQ$", "005", 0, 0},
    {"BW", "0240", 0, 0}, {"BW$", "0180", 0, 0},
};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool AllDigits(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool Signed(const std::string& text)
{
    return !text.empty() && (text[0] == '+' || text[0] == '-');
}

const SSetting* Find(const std::string& letters)
{
    const std::string upper = Upper(letters);
    for (const SSetting& setting : kSettings) {
        if (upper == setting.letters)
            return &setting;
    }
    return nullptr;
}

bool Takes(const SSetting& setting, const std::string& value)
{
    const std::string initial = setting.initial;
    if (value.size() != initial.size() || Signed(value) != Signed(initial))
        return false;
    const std::string digits = Signed(value) ? value.substr(1) : value;
    if (digits.empty() || !AllDigits(digits))
        return false;
    const unsigned long number = std::strtoul(digits.c_str(), nullptr, 10);
    return setting.high == 0 || (number >= setting.low && number <= setting.high);
}

}  // namespace

CRadioSettings::CRadioSettings()
{
    for (const SSetting& setting : kSettings)
        m_values[setting.letters] = setting.initial;
}

bool CRadioSettings::Handle(const std::string& command, std::optional<std::string>& reply)
{
    if (command.empty() || command.back() != ';')
        return false;
    for (const SSetting& setting : kSettings) {
        const std::string letters = setting.letters;
        if (command.compare(0, letters.size(), letters) != 0)
            continue;
        const std::string value = command.substr(letters.size(), command.size() - letters.size() - 1);
        // "RA$00;" is the second receiver's, not "RA" with "$00".
        if (!value.empty() && value[0] == '$')
            continue;
        const auto stuck = m_stuck.find(letters);
        if (value.empty())
            reply = letters + (stuck != m_stuck.end() ? stuck->second : m_values[letters]) + ";";
        else if (stuck == m_stuck.end() && Takes(setting, value))
            m_values[letters] = value;
        return true;
    }
    return false;
}

const std::string& CRadioSettings::Get(const std::string& letters) const
{
    return m_values.at(letters);
}

bool CRadioSettings::Set(const std::string& letters, const std::string& value)
{
    const SSetting* setting = Find(letters);
    if (!setting || !Takes(*setting, value))
        return false;
    m_values[setting->letters] = value;
    return true;
}

std::string CRadioSettings::State() const
{
    std::string state;
    for (const SSetting& setting : kSettings)
        state += (state.empty() ? "" : " ") + Lower(setting.letters) + "=" + m_values.at(setting.letters);
    return state;
}

bool CRadioSettings::SetStuck(const std::string& letters, const std::string& value)
{
    const SSetting* setting = Find(letters);
    if (!setting || !Takes(*setting, value))
        return false;
    m_stuck[setting->letters] = value;
    return true;
}

bool CRadioSettings::ClearStuck(const std::string& letters)
{
    const SSetting* setting = Find(letters);
    return setting && m_stuck.erase(setting->letters) == 1;
}
