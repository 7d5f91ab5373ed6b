#include "Receiver.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// A setting the radio reports as its letters and a fixed count of digits.
// The defaults differ from what the calibration sets, so that every set and
// every restore shows.
struct SControl {
    const char* letters;
    size_t digits;
    const char* initial;
};

// Those with "$" first: "RA$00;" is the second receiver's, not "RA" + "$00".
const SControl kControls[] = {
    {"MD$", 1, "1"}, {"RA$", 2, "01"}, {"PA$", 1, "1"}, {"RG$", 3, "180"}, {"SQ$", 3, "005"}, {"BW$", 4, "0180"},
    {"AI", 1, "0"},  {"SB", 1, "0"},   {"LN", 1, "1"},  {"AN", 1, "2"},    {"MD", 1, "2"},    {"RA", 2, "01"},
    {"PA", 1, "1"},  {"RG", 3, "200"}, {"SQ", 3, "010"}, {"BW", 4, "0240"}, {"DB", 2, "01"},   {"TT", 1, "1"},
};

// Switch flags (0 or 1, the notch 0..3) and VFO B.
const std::pair<const char*, const char*> kFlags[] = {
    {"tx-test", "0"}, {"bset", "0"},    {"sub-antenna", "0"}, {"sub-nr", "0"}, {"atu", "1"},
    {"rx-antenna", "1"}, {"nr", "1"},   {"notch", "0"},       {"cw-tune", "0"}, {"vfo-b", "00007030000"},
};

std::string Key(const char* letters)
{
    std::string key = letters;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key;
}

bool AllDigits(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

const SControl* FindControl(const std::string& command, std::string& value)
{
    for (const SControl& control : kControls) {
        const std::string letters = control.letters;
        if (command.compare(0, letters.size(), letters) != 0 || command.back() != ';')
            continue;
        value = command.substr(letters.size(), command.size() - letters.size() - 1);
        if (!value.empty() && value[0] == '$')
            continue;
        return &control;
    }
    return nullptr;
}

char Bits(bool on, char bit)
{
    return on ? bit : 0;
}

}  // namespace

CReceiver::CReceiver()
{
    for (const SControl& control : kControls)
        m_values[Key(control.letters)] = control.initial;
    for (const auto& flag : kFlags)
        m_values[flag.first] = flag.second;
}

bool CReceiver::Handle(const std::string& command, const std::string& vfoA, bool switches,
                       std::optional<std::string>& reply)
{
    if (command == "IC;") {
        reply = IconReply();
        return true;
    }
    if (command == "DS;") {
        reply = DisplayReply(vfoA);
        return true;
    }
    if (command.compare(0, 3, "SWH") == 0 || command.compare(0, 3, "SWT") == 0) {
        if (switches)
            reply = Tap(command, vfoA);
        return true;
    }
    std::string value;
    if (!FindControl(command, value))
        return false;
    reply = Control(command);
    return true;
}

std::optional<std::string> CReceiver::Control(const std::string& command)
{
    std::string value;
    const SControl* control = FindControl(command, value);
    const std::string key = Key(control->letters);
    const auto stuck = m_stuck.find(key);
    if (value.empty())
        return control->letters + (stuck != m_stuck.end() ? stuck->second : m_values[key]) + ";";
    if (value.size() == control->digits && AllDigits(value) && stuck == m_stuck.end())
        m_values[key] = value;
    return std::nullopt;
}

std::optional<std::string> CReceiver::Tap(const std::string& command, const std::string& vfoA)
{
    if (command == "SWH18;") {
        Toggle("tx-test");
    } else if (command == "SWH11;") {
        Toggle("bset");
    } else if (command == "SWH19;") {
        Toggle("atu");
    } else if (command == "SWT25;") {
        Toggle("rx-antenna");
    } else if (command == "SWT34;") {
        // With BSET on the knobs work the second receiver.
        Toggle(Flag("bset") ? "sub-nr" : "nr");
    } else if (command == "SWT32;") {
        // Off, auto, manual, off again.
        const int notch = std::stoi(m_values["notch"]);
        m_values["notch"] = std::to_string(notch >= 2 ? 0 : notch + 1);
    } else if (command == "SWT40;") {
        Toggle("cw-tune");
    } else if (command == "SWH25;") {
        if (Flag("sb"))
            Toggle("sub-antenna");
    } else if (command == "SWT48;") {
        Toggle("sb");
    } else if (command == "SWT13;") {
        m_values["vfo-b"] = vfoA;
    }
    // "SWH58;" (normalize the filter) and others change nothing shown here.
    return std::nullopt;
}

std::string CReceiver::IconReply() const
{
    std::string reply = "IC";
    reply += static_cast<char>(0x80 | Bits(Flag("tx-test"), 0x20) | Bits(Flag("bset"), 0x40));
    reply += static_cast<char>(0x80);
    reply += static_cast<char>(0x80 | Bits(Flag("sb"), 0x01) | Bits(Flag("sub-antenna"), 0x08));
    reply += static_cast<char>(0x80);
    reply += static_cast<char>(0x80 | Bits(Flag("sub-nr"), 0x04));
    return reply + ";";
}

std::string CReceiver::DisplayReply(const std::string& vfoA) const
{
    const char icon = static_cast<char>(0x80 | Bits(Flag("atu"), 0x10) | Bits(Flag("rx-antenna"), 0x20) |
                                        Bits(Flag("nr"), 0x04) | Bits(Flag("cw-tune"), 0x08) |
                                        (std::stoi(m_values.at("notch")) & 3));
    // Nine characters of display: a blank and the frequency's last eight digits.
    const std::string digits = vfoA.size() >= 8 ? vfoA.substr(vfoA.size() - 8) : std::string(8, '0');
    return "DS@" + digits + icon + ";";
}

std::string CReceiver::State() const
{
    std::string state;
    for (const SControl& control : kControls)
        state += (state.empty() ? "" : " ") + Key(control.letters) + "=" + m_values.at(Key(control.letters));
    for (const auto& flag : kFlags)
        state += std::string(" ") + flag.first + "=" + m_values.at(flag.first);
    return state;
}

bool CReceiver::Set(const std::string& word)
{
    const size_t equals = word.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string key = word.substr(0, equals);
    const std::string value = word.substr(equals + 1);
    const auto found = m_values.find(key);
    // Every value keeps its width; a flag is 0 or 1, the notch 0..3.
    if (found == m_values.end() || value.size() != found->second.size() || !AllDigits(value))
        return false;
    for (const auto& flag : kFlags) {
        if (key == flag.first && key != "vfo-b" && value > (key == "notch" ? "3" : "1"))
            return false;
    }
    found->second = value;
    return true;
}

bool CReceiver::SetStuck(const std::string& control, const std::string& value)
{
    std::string rest;
    const SControl* found = FindControl(control + value + ";", rest);
    if (!found || rest != value || value.size() != found->digits || !AllDigits(value))
        return false;
    m_stuck[Key(found->letters)] = value;
    return true;
}

bool CReceiver::ClearStuck(const std::string& control)
{
    return m_stuck.erase(Key(control.c_str())) == 1;
}
