// The one COM port through which the program talks to the radio: overlapped
// I/O with fixed line settings, and a listener thread that only wakes the
// notify window (WM_APP_SERIAL_DATA); all reading happens on the UI thread.
#pragma once

#include <windows.h>

#include <string>

class CSerialPort {
public:
    CSerialPort();
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // 0 on success (also when already open), else the error. With `silent`
    // the open and property calls are not reported in a box.
    DWORD Open(const wchar_t* name, bool silent);
    void Close();
    bool IsOpen() const;

    bool SetSpeed(DWORD baud);
    DWORD GetSpeed() const { return m_dcb.BaudRate; }
    bool PurgeRx();

    // Returns at once with at most what the driver holds.
    bool Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs);
    bool Write(const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped, DWORD timeoutMs);
    // True when every byte was written.
    bool WriteBytes(const void* buffer, DWORD count);
    // The text as UTF-8, without terminator.
    bool WriteText(const wchar_t* text);

    bool WaitIo(OVERLAPPED* overlapped, DWORD* transferred, DWORD timeoutMs);
    void SendBreak();
    bool CancelIo();
    bool SetCommMask(DWORD mask, bool quietOnAccessDenied);

    bool StartListener();
    bool StopListener(DWORD timeoutMs);

    // Shows the failure of a Win32 call in a box and returns the error.
    DWORD ReportError(const wchar_t* api, DWORD error);

    void SetNotifyWindow(HWND window) { m_notify = window; }
    HWND NotifyWindow() const { return m_notify; }
    const std::wstring& Name() const { return m_name; }
    const COMMPROP& Properties() const { return m_properties; }
    HANDLE Handle() const { return m_handle; }
    // The listener thread is alive (it ends when the device goes away).
    bool IsListening() const { return m_thread && WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT; }
    const DCB& LineSettings() const { return m_dcb; }

private:
    static DWORD WINAPI ListenerThreadProc(void* self);
    DWORD Listen();
    DWORD ConfigureLine();
    DWORD ReportOpenError(DWORD error);
    bool QueuedBytes(DWORD* queued);
    bool IsStillThere();
    bool HasOnlyAnnouncedBytes();
    OVERLAPPED* PrepareIo(OVERLAPPED* overlapped);
    bool FinishIo(BOOL done, const wchar_t* api, OVERLAPPED* ov, OVERLAPPED* callers, DWORD* transferred,
                  DWORD timeoutMs);
    void ForgetQueued(LONG count);

    COMMPROP m_properties{};
    DCB m_dcb{};
    volatile LONG m_stop = 0;
    HANDLE m_ioEvent = nullptr;
    HANDLE m_stopEvent = nullptr;
    // Set when the UI thread has read or purged what the listener announced.
    HANDLE m_readEvent = nullptr;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_thread = nullptr;
    HWND m_notify = nullptr;
    std::wstring m_name;
    OVERLAPPED m_overlapped{};
    OVERLAPPED m_listenerOverlapped{};

    // Received bytes the listener has already announced and the UI thread has
    // not yet read: under Wine EV_RXCHAR repeats while bytes wait unread, and
    // only bytes beyond these are news.
    volatile LONG m_announced = 0;
};
