// The test's line to the simulator: a TCP connection to the test process
// carrying one request per line and one answer per request. When the test
// goes, so does the connection, and with it the simulator. A listener lets
// more lines in (the bench script's): they carry the same requests, and
// their end ends nothing.
#pragma once

#include <string>
#include <vector>

// A socket held for its owner's life.
class CSocketOwner {
public:
    explicit CSocketOwner(int socket = -1) : m_socket(socket) {}
    ~CSocketOwner();
    CSocketOwner(const CSocketOwner&) = delete;
    CSocketOwner& operator=(const CSocketOwner&) = delete;
    int Fd() const { return m_socket; }

protected:
    int m_socket;
};

class CControlChannel : public CSocketOwner {
public:
    // A connection already made (accepted by CControlListener), or none.
    explicit CControlChannel(int socket = -1) : CSocketOwner(socket) {}

    // `address` is "HOST:PORT" (numeric IPv4).
    bool Connect(const std::string& address, std::string& error);

    // Takes what has arrived and appends the complete lines; false when the
    // peer has closed the connection.
    bool Receive(std::vector<std::string>& lines);
    // Sends the line and "\n"; false when the peer is gone.
    bool Send(const std::string& line);

private:
    std::string m_pending;
};

class CControlListener : public CSocketOwner {
public:
    // `address` is "HOST:PORT" (numeric IPv4); port 0 takes a free one.
    bool Listen(const std::string& address, std::string& error);
    bool IsOpen() const { return m_socket >= 0; }
    // "127.0.0.1:41234", the port as taken.
    const std::string& Address() const { return m_address; }
    // The connection waiting, or -1.
    int Accept();

private:
    std::string m_address;
};
