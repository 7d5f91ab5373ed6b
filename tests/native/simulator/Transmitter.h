// The radio's side of the wire: bytes leave no faster than the line speed
// allows, ten bits a byte. Each byte is written when its last bit would have
// arrived, timed from the start of its piece, so long replies keep the rate.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

using Clock = std::chrono::steady_clock;

class CTransmitter {
public:
    // `fd` is non-blocking; -1 drops everything queued and everything to come.
    void SetFd(int fd);

    // Queues a piece that starts no earlier than `earliest` and `gap` after
    // the end of the piece ahead of it.
    void Queue(std::string bytes, unsigned bitsPerSecond, Clock::time_point earliest,
               Clock::duration gap = Clock::duration::zero());

    // Writes what is due; the time the next byte is due, if any is waiting.
    std::optional<Clock::time_point> Pump(Clock::time_point now);

private:
    struct Piece {
        std::string bytes;
        Clock::duration byteTime;
        Clock::time_point earliest;
        Clock::duration gap;
        std::optional<Clock::time_point> start;
        size_t sent = 0;

        Clock::time_point Due(size_t index) const { return *start + byteTime * (index + 1); }
    };

    int m_fd = -1;
    std::deque<Piece> m_pieces;
    // When the last byte of the previous piece arrived.
    Clock::time_point m_lineFree;
};
