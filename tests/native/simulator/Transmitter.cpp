#include "Transmitter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

void CTransmitter::SetFd(int fd)
{
    m_fd = fd;
    if (fd < 0)
        m_pieces.clear();
}

void CTransmitter::Queue(std::string bytes, unsigned bitsPerSecond, Clock::time_point earliest, Clock::duration gap)
{
    if (m_fd < 0 || bytes.empty())
        return;
    const auto byteTime = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(10)) / bitsPerSecond;
    m_pieces.push_back({std::move(bytes), byteTime, earliest, gap, std::nullopt, 0});
}

std::optional<Clock::time_point> CTransmitter::Pump(Clock::time_point now)
{
    while (!m_pieces.empty()) {
        Piece& piece = m_pieces.front();
        if (!piece.start)
            piece.start = std::max(piece.earliest, m_lineFree + piece.gap);

        size_t due = piece.sent;
        while (due < piece.bytes.size() && piece.Due(due) <= now)
            ++due;
        if (due > piece.sent) {
            const ssize_t written = write(m_fd, piece.bytes.data() + piece.sent, due - piece.sent);
            if (written < 0 && errno != EAGAIN && errno != EINTR)
                piece.sent = piece.bytes.size();  // the line is gone; so is the reply
            else if (written > 0)
                piece.sent += written;
            if (piece.sent < due)
                return now + std::chrono::milliseconds(1);  // the pty is full; try again soon
        }
        if (piece.sent < piece.bytes.size())
            return piece.Due(piece.sent);
        m_lineFree = piece.Due(piece.bytes.size() - 1);
        m_pieces.pop_front();
    }
    return std::nullopt;
}
