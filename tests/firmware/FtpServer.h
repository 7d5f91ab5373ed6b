// The loopback FTP server of the download tests: ftp-server.py beside this
// file, run by the system's python3 with pyftpdlib, serving a folder on
// 127.0.0.1:21. It is steered over a connection back to this process and
// ends with that connection, so it never outlives its test.
//
//     CFtpServer server;
//     ASSERT_TRUE(server.Start(root.Path()));     // serves root\Q7\firmware
//     ... the download runs ...
//     EXPECT_EQ(server.Retrieved(), (std::set<std::string>{"hmcu0460.hex"}));
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "NonCopyable.h"

class CFtpServer : private CNonCopyable {
public:
    struct Event {
        std::string what;  // "retr", "stalled", "sent", "incomplete", "list", "listed", "ok"
        std::string name;
        unsigned ms;  // the server's clock
    };

    ~CFtpServer() { Stop(); }

    // Serves the folder (a Windows path) once the server listens.
    bool Start(const std::wstring& root);
    // Port 21 is free again when this returns.
    void Stop();

    // Each transfer's bytes a second from now on; 0 for no limit.
    bool Throttle(unsigned bytesPerSecond);
    // Holds each file transfer, its connection open, once it has sent so
    // many bytes ("stalled NAME"); 0 lets held transfers go on.
    bool Stall(unsigned bytes);
    // A name that Q7/firmware lists without a file behind it.
    bool ListExtraName(const std::string& name);
    bool ClearExtraNames();
    // The server's clock now, in milliseconds.
    unsigned Now();

    // Reads what the server has told so far, without waiting.
    void Poll();
    const std::vector<Event>& Events() const { return m_events; }
    void ClearEvents() { m_events.clear(); }
    // The names asked for since the events were last cleared.
    std::set<std::string> Retrieved() const;
    bool Saw(const std::string& what, const std::string& name = {}) const;

private:
    bool Request(const std::string& line);
    // One line within the time; false when none came.
    bool ReadLine(std::string& line, DWORD timeoutMs);
    void AddEvent(const std::string& line);

    UINT_PTR m_socket = ~UINT_PTR(0);  // a SOCKET
    std::string m_pending;
    std::vector<Event> m_events;
};

// The Unix path of a Windows path under Wine; empty when there is none.
std::string UnixPath(const std::wstring& path);
