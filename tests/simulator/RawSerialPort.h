// A bare Win32 serial handle for talking to the simulator without any of the
// program's code: 8N1, binary, no flow control, overlapped. Reads take only
// what the driver holds (an overlapped read for more stays pending under
// Wine).
#pragma once

#include <windows.h>

#include <string>

class CRawSerialPort {
public:
    CRawSerialPort() = default;
    ~CRawSerialPort() { Close(); }
    CRawSerialPort(const CRawSerialPort&) = delete;
    CRawSerialPort& operator=(const CRawSerialPort&) = delete;

    // False with the thread's last error set.
    bool Open(const std::wstring& name, unsigned bitsPerSecond);
    void Close();
    HANDLE Handle() const { return m_handle; }
    bool SetSpeed(unsigned bitsPerSecond);

    bool Write(const std::string& bytes);
    // Up to and including the first ";", or what came before the time ran out.
    // Bytes after the ";" wait for the next call.
    std::string ReadReply(DWORD timeoutMs);
    // Everything that arrives within the time.
    std::string ReadFor(DWORD ms);
    // Bytes waiting in the driver and here.
    DWORD Queued();

private:
    // Moves what the driver holds into m_pending; false on a port error.
    bool Collect();

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::string m_pending;
};
