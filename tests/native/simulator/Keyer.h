// The radio's keyer as the terminal sees it: "KY" text goes into a transmit
// buffer that empties at a steady pace, one character at a time; "TB;"
// reports how many characters wait and hands over what the receiver has
// decoded (text a test queues). Code 0x04 ends the transmission at once,
// dropping whatever still waits; code 0x7F only keeps the carrier up.
#pragma once

#include <chrono>
#include <optional>
#include <string>

class CKeyer {
public:
    using Clock = std::chrono::steady_clock;

    // `command` is "KY" + a blank + text + ";". Never answered.
    std::optional<std::string> Key(const std::string& command, Clock::time_point now);
    // The reply to "TB;": "TB", the waiting count (at most 9), two digits of
    // received count (at most 99), the received characters, ";".
    std::string Poll(Clock::time_point now);

    void QueueReceived(const std::string& text) { m_received += text; }
    // The transmission ends at once; what still waits is dropped.
    void Stop(Clock::time_point now);
    void SetPace(Clock::duration perCharacter) { m_pace = perCharacter; }

    bool Transmitting(Clock::time_point now);
    size_t Waiting(Clock::time_point now);
    // Every character transmitted so far, in order.
    const std::string& Sent(Clock::time_point now);

    static constexpr char kEndOfTransmission = 0x04;
    static constexpr char kKeepAlive = 0x7F;

private:
    void Advance(Clock::time_point now);

    std::string m_waiting;
    std::string m_sent;
    std::string m_received;
    bool m_transmitting = false;
    Clock::duration m_pace = std::chrono::milliseconds(20);
    // When the character now at the front began to go out.
    Clock::time_point m_started;
};
