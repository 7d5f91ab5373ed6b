// The radio's clock and the menus that show and set it: "MN029;" (date),
// "MN030;" (date order), "MN073;" (time), any other "MN" leaves them; "DS;"
// (the display while one shows), and the emulated front-panel switches
// "SWT11;".."SWT13;" that select a field, "UP;" and "DN;" that step it,
// wrapping without carry.
// The clock runs at the host's pace, off UTC by a settable number of seconds.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

class CRadioClock {
public:
    // From this MCU version the switches work without the extended mode "Q71;".
    static constexpr unsigned kSwitchEmulationVersion = 346;

    // `switches`: whether the radio takes emulated switch presses now.
    std::optional<std::string> Handle(const std::string& command, bool switches);

    long long Offset() const { return m_offset; }
    void SetOffset(long long seconds) { m_offset = seconds; }
    bool DayFirst() const { return m_dayFirst; }
    void SetDayFirst(bool dayFirst) { m_dayFirst = dayFirst; }
    // The clock's menu shown: 0 none, else its number.
    unsigned Menu() const { return m_menu; }

    // Control requests: "clock [SECONDS]", "date-order [U|E]". An answer
    // line, or nothing for a request that is not the clock's.
    std::optional<std::string> Control(const std::string& request, const std::vector<std::string>& args);

private:
    std::tm Now() const;
    void Step(int direction);
    std::optional<std::string> Display() const;

    long long m_offset = 0;
    bool m_dayFirst = false;
    unsigned m_menu = 0;
    // The selected switch (11..13), 0 for none.
    unsigned m_field = 0;
};
