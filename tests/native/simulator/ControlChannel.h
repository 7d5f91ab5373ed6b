// The test's line to the simulator: a TCP connection to the test process
// carrying one request per line and one answer per request. When the test
// goes, so does the connection, and with it the simulator.
#pragma once

#include <string>
#include <vector>

class CControlChannel {
public:
    CControlChannel() = default;
    ~CControlChannel();
    CControlChannel(const CControlChannel&) = delete;
    CControlChannel& operator=(const CControlChannel&) = delete;

    // `address` is "HOST:PORT" (numeric IPv4).
    bool Connect(const std::string& address, std::string& error);
    int Fd() const { return m_socket; }

    // Takes what has arrived and appends the complete lines; false when the
    // peer has closed the connection.
    bool Receive(std::vector<std::string>& lines);
    // Sends the line and "\n"; false when the peer is gone.
    bool Send(const std::string& line);

private:
    int m_socket = -1;
    std::string m_pending;
};
