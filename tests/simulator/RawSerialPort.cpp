#include "RawSerialPort.h"

#include <utility>

namespace {

// Runs one overlapped transfer to its end.
bool Transfer(HANDLE handle, bool write, void* buffer, DWORD count, DWORD& done)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = write ? WriteFile(handle, buffer, count, nullptr, &overlapped)
                    : ReadFile(handle, buffer, count, nullptr, &overlapped);
    if (ok || GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(handle, &overlapped, &done, TRUE);
    const DWORD error = GetLastError();
    CloseHandle(overlapped.hEvent);
    SetLastError(error);
    return ok && done == count;
}

}  // namespace

bool CRawSerialPort::Open(const std::wstring& name, unsigned bitsPerSecond)
{
    Close();
    m_handle = CreateFileW((L"\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!GetCommState(m_handle, &dcb))
        return false;
    dcb.BaudRate = bitsPerSecond;
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = dcb.fInX = dcb.fNull = dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(m_handle, &dcb) || !SetCommTimeouts(m_handle, &timeouts) ||
        !PurgeComm(m_handle, PURGE_RXCLEAR | PURGE_TXCLEAR)) {
        const DWORD error = GetLastError();
        Close();
        SetLastError(error);
        return false;
    }
    return true;
}

void CRawSerialPort::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_pending.clear();
}

bool CRawSerialPort::SetSpeed(unsigned bitsPerSecond)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_handle, &dcb))
        return false;
    dcb.BaudRate = bitsPerSecond;
    return SetCommState(m_handle, &dcb) != FALSE;
}

bool CRawSerialPort::Write(const std::string& bytes)
{
    std::string copy = bytes;
    DWORD written = 0;
    return Transfer(m_handle, true, &copy[0], static_cast<DWORD>(copy.size()), written);
}

bool CRawSerialPort::Collect()
{
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(m_handle, &errors, &status))
        return false;
    if (status.cbInQue == 0)
        return true;
    std::string bytes(status.cbInQue, '\0');
    DWORD read = 0;
    const bool ok = Transfer(m_handle, false, &bytes[0], status.cbInQue, read);
    m_pending.append(bytes, 0, read);
    return ok;
}

std::string CRawSerialPort::ReadReply(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const size_t end = m_pending.find(';');
        if (end != std::string::npos) {
            std::string reply = m_pending.substr(0, end + 1);
            m_pending.erase(0, end + 1);
            return reply;
        }
        if (GetTickCount() - start >= timeoutMs || !Collect())
            return std::exchange(m_pending, std::string());
        if (m_pending.find(';') == std::string::npos)
            Sleep(1);
    }
}

std::string CRawSerialPort::ReadFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms && Collect())
        Sleep(1);
    return std::exchange(m_pending, std::string());
}

DWORD CRawSerialPort::Queued()
{
    Collect();
    return static_cast<DWORD>(m_pending.size());
}
