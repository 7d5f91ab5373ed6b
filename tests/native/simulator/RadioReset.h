// "LDD20000;": the radio's MCU restarts; for a while it hears nothing.
#pragma once

#include <chrono>

class CRadioReset {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRestart{1500};

    void Start() { m_deafUntil = Clock::now() + kRestart; }
    bool Deaf() const { return Clock::now() < m_deafUntil; }

private:
    Clock::time_point m_deafUntil{};
};
