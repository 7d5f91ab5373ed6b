#include "Receiver.h"

namespace {

// The flags in "state" order, with their values at start.
const std::pair<const char*, const char*> kFlags[] = {
    {"tx-test", "0"},    {"bset", "0"}, {"sub-antenna", "0"}, {"sub-nr", "0"},  {"atu", "1"},
    {"rx-antenna", "1"}, {"nr", "1"},   {"notch", "0"},       {"cw-tune", "0"},
};

char Bits(bool on, char bit)
{
    return on ? bit : 0;
}

}  // namespace

CReceiver::CReceiver(CRadioSettings& settings) : m_settings(settings)
{
    for (const auto& flag : kFlags)
        m_flags[flag.first] = flag.second;
}

void CReceiver::Tap(const std::string& command)
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
        const int notch = std::stoi(m_flags["notch"]);
        m_flags["notch"] = std::to_string(notch >= 2 ? 0 : notch + 1);
    } else if (command == "SWT40;") {
        Toggle("cw-tune");
    } else if (command == "SWH25;") {
        if (SecondReceiverOn())
            Toggle("sub-antenna");
    } else if (command == "SWT48;") {
        m_settings.Set("SB", SecondReceiverOn() ? "0" : "1");
    } else if (command == "SWT13;") {
        m_settings.Set("FB", m_settings.Get("FA"));
    }
    // "SWH58;" (normalize the filter) and others change nothing shown here.
}

std::string CReceiver::IconReply() const
{
    std::string reply = "IC";
    reply += static_cast<char>(0x80 | Bits(Flag("tx-test"), 0x20) | Bits(Flag("bset"), 0x40));
    reply += static_cast<char>(0x80);
    reply += static_cast<char>(0x80 | Bits(SecondReceiverOn(), 0x01) | Bits(Flag("sub-antenna"), 0x08));
    reply += static_cast<char>(0x80);
    reply += static_cast<char>(0x80 | Bits(Flag("sub-nr"), 0x04));
    return reply + ";";
}

std::string CReceiver::DisplayReply() const
{
    const char icon = static_cast<char>(0x80 | Bits(Flag("atu"), 0x10) | Bits(Flag("rx-antenna"), 0x20) |
                                        Bits(Flag("nr"), 0x04) | Bits(Flag("cw-tune"), 0x08) |
                                        (std::stoi(m_flags.at("notch")) & 3));
    const std::string& vfoA = m_settings.Get("FA");
    return "DS@" + vfoA.substr(vfoA.size() - 8) + icon + ";";
}

std::string CReceiver::State() const
{
    std::string state;
    for (const auto& flag : kFlags)
        state += (state.empty() ? "" : " ") + std::string(flag.first) + "=" + m_flags.at(flag.first);
    return state;
}

bool CReceiver::Set(const std::string& name, const std::string& value)
{
    const auto found = m_flags.find(name);
    if (found == m_flags.end() || value.size() != 1 || value < "0" || value > (name == "notch" ? "3" : "1"))
        return false;
    found->second = value;
    return true;
}
