#include "RadioClock.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr unsigned kDateMenu = 29;
constexpr unsigned kDateOrderMenu = 30;
constexpr unsigned kTimeMenu = 73;

int Wrap(int value, int low, int high)
{
    const int span = high - low + 1;
    return low + ((value - low) % span + span) % span;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Two digits; the second carries the display's decimal point (0xB0 + d).
std::string Digits(int value, bool point)
{
    std::string text;
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>((point ? 0xB0 : '0') + value % 10);
    return text;
}

}  // namespace

std::optional<std::string> CRadioClock::Handle(const std::string& command, bool switches)
{
    if (command.compare(0, 2, "MN") == 0) {
        const unsigned menu = static_cast<unsigned>(std::strtoul(command.c_str() + 2, nullptr, 10));
        m_menu = menu == kDateMenu || menu == kDateOrderMenu || menu == kTimeMenu ? menu : 0;
        m_field = 0;
        return std::nullopt;
    }
    if (command == "DS;")
        return Display();
    if (!switches)
        return std::nullopt;
    if (command == "SWT11;" || command == "SWT12;" || command == "SWT13;") {
        if (m_menu == kDateMenu || m_menu == kTimeMenu)
            m_field = static_cast<unsigned>(std::strtoul(command.c_str() + 3, nullptr, 10));
    } else if (command == "UP;" || command == "DN;") {
        Step(command == "UP;" ? 1 : -1);
    }
    return std::nullopt;
}


std::tm CRadioClock::Now() const
{
    const std::time_t now = std::time(nullptr) + m_offset;
    std::tm fields{};
    gmtime_r(&now, &fields);
    return fields;
}

void CRadioClock::Step(int direction)
{
    if (m_field == 0)
        return;
    std::tm t = Now();
    if (m_menu == kTimeMenu) {
        if (m_field == 11)
            t.tm_hour = Wrap(t.tm_hour + direction, 0, 23);
        else if (m_field == 12)
            t.tm_min = Wrap(t.tm_min + direction, 0, 59);
        else
            t.tm_sec = Wrap(t.tm_sec + direction, 0, 59);
    } else if (m_menu == kDateMenu) {
        int year = t.tm_year + 1900;
        int month = t.tm_mon + 1;
        const bool monthField = m_field == (m_dayFirst ? 12u : 11u);
        if (m_field == 13)
            year = year - year % 100 + Wrap(year % 100 + direction, 0, 99);
        else if (monthField)
            month = Wrap(month + direction, 1, 12);
        else
            t.tm_mday = Wrap(t.tm_mday + direction, 1, DaysInMonth(year, month));
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = std::min(t.tm_mday, DaysInMonth(year, month));
    } else {
        return;
    }
    m_offset = static_cast<long long>(timegm(&t)) - std::time(nullptr);
}

std::optional<std::string> CRadioClock::Display() const
{
    const std::tm t = Now();
    switch (m_menu) {
    case kDateOrderMenu:
        return std::string("DS@@@@@@") + (m_dayFirst ? 'E' : 'U') + "@@@;";
    case kDateMenu: {
        const int month = t.tm_mon + 1;
        const std::string first = Digits(m_dayFirst ? t.tm_mday : month, true);
        const std::string second = Digits(m_dayFirst ? month : t.tm_mday, true);
        return "DS@@" + first + second + Digits(t.tm_year % 100, false) + "@;";
    }
    case kTimeMenu:
        return "DS@@" + Digits(t.tm_hour, true) + Digits(t.tm_min, true) + Digits(t.tm_sec, false) + "@;";
    }
    return std::nullopt;
}

std::optional<std::string> CRadioClock::Control(const std::string& request, const std::vector<std::string>& args)
{
    if (request == "clock") {
        if (args.empty())
            return "ok " + std::to_string(m_offset);
        char* end = nullptr;
        errno = 0;
        const long long seconds = std::strtoll(args[0].c_str(), &end, 10);
        if (args.size() != 1 || args[0].empty() || *end != '\0' || errno != 0)
            return "error bad arguments";
        m_offset = seconds;
        return "ok";
    }
    if (request == "date-order") {
        if (args.empty())
            return std::string("ok ") + (m_dayFirst ? "E" : "U");
        if (args.size() != 1 || (args[0] != "U" && args[0] != "E"))
            return "error bad arguments";
        m_dayFirst = args[0] == "E";
        return "ok";
    }
    return std::nullopt;
}
