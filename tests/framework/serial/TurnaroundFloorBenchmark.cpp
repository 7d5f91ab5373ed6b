// The floor under every gap after a reply: a bare program in one thread
// (wait for a comm event, read what is queued, write the next command at
// once) against the simulated transceiver, which answers at once. None of
// the program's code is used; its gaps are measured from the radio's log as
// the serial benchmarks measure theirs, so that the program's gaps compare
// with this machine's floor under the same load.
#include <windows.h>

#include <cstdio>
#include <string>

#include "EepromAccess.h"
#include "Turnaround.h"

namespace {

constexpr unsigned kRoundTrips = 600;
// Eight bytes a read: a reply of 27 characters, as a short EEPROM read.
constexpr unsigned kReadLength = 8;

class CBarePort {
public:
    ~CBarePort()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        if (m_event)
            CloseHandle(m_event);
    }

    bool Open(const std::wstring& name)
    {
        m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_handle = CreateFileW((L"\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
        if (m_handle == INVALID_HANDLE_VALUE || !GetCommState(m_handle, &dcb))
            return false;
        dcb.BaudRate = 38400;
        dcb.fBinary = TRUE;
        dcb.fParity = dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        return SetCommState(m_handle, &dcb) && SetCommTimeouts(m_handle, &timeouts) &&
               SetCommMask(m_handle, EV_RXCHAR);
    }

    bool Write(const std::string& bytes)
    {
        DWORD done = 0;
        return Finish(WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, Overlapped()), done) &&
               done == bytes.size();
    }

    // Up to and including the first ";": what is queued is read at once,
    // otherwise the thread sleeps until a character comes.
    bool ReadReply(std::string& reply)
    {
        reply.clear();
        char buffer[256];
        while (reply.find(';') == std::string::npos) {
            COMSTAT status{};
            DWORD errors = 0, done = 0, mask = 0;
            if (!ClearCommError(m_handle, &errors, &status))
                return false;
            if (status.cbInQue == 0) {
                // Under Wine a signalled wait may still report itself
                // pending: the event alone says it has ended.
                if (!WaitCommEvent(m_handle, &mask, Overlapped()) &&
                    (GetLastError() != ERROR_IO_PENDING || WaitForSingleObject(m_event, 5000) != WAIT_OBJECT_0))
                    return false;
                continue;
            }
            const DWORD count = std::min<DWORD>(status.cbInQue, sizeof buffer);
            if (!Finish(ReadFile(m_handle, buffer, count, &done, Overlapped()), done))
                return false;
            reply.append(buffer, done);
        }
        return true;
    }

private:
    OVERLAPPED* Overlapped()
    {
        m_overlapped = {};
        m_overlapped.hEvent = m_event;
        return &m_overlapped;
    }

    bool Finish(BOOL done, DWORD& transferred)
    {
        return done || (GetLastError() == ERROR_IO_PENDING &&
                        GetOverlappedResult(m_handle, &m_overlapped, &transferred, TRUE));
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_event = nullptr;
    OVERLAPPED m_overlapped{};
};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    CSimulatedTransceiver radio;
    CBarePort port;
    if (!radio.Start() || !port.Open(radio.PortName())) {
        printf("the simulated radio's port did not open: %lu\n", GetLastError());
        return 1;
    }
    radio.ClearLog();
    std::string reply;
    for (unsigned i = 0; i < kRoundTrips; ++i) {
        const unsigned address = i * kReadLength % 0x1000;
        if (!port.Write(Narrow(FormatErCommand(address, kReadLength))) || !port.ReadReply(reply)) {
            printf("round trip %u failed: %lu\n", i, GetLastError());
            return 1;
        }
    }
    const STurnaround floor = MeasureTurnaround(radio.Log());
    printf("floor: %s, median %.2f ms\n", floor.Describe().c_str(), floor.MedianGapMs());
    CoUninitialize();
    return 0;
}
