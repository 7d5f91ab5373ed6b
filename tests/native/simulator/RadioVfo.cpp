// VFO A, enough for typed commands to get a reply: "FA;" asks the frequency
// (11 digits, in Hz), "FA" with 11 digits sets it silently.
#include "Radio.h"

#include <algorithm>
#include <cctype>

CRadio::Reply CRadio::VfoA(const std::string& command)
{
    if (command == "FA;")
        return "FA" + m_vfoA + ";";
    const std::string digits = command.substr(2, command.size() - 3);
    if (digits.size() == m_vfoA.size() &&
        std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        m_vfoA = digits;
    return std::nullopt;
}
