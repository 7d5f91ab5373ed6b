// The one COM port through which the program talks to the radio: overlapped
// I/O with fixed line settings, and a listener thread that wakes the notify
// window (WM_APP_SERIAL_DATA) and waits until the UI thread has taken the
// bytes; all reading happens on the UI thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The comm calls the port makes on an open handle. Tests put a driver that
// behaves as a Windows one does (a pulled adapter, a forgetful EV_RXCHAR)
// in place of the system's.
struct SCommCalls {
    BOOL(WINAPI* WaitCommEvent)(HANDLE, DWORD*, OVERLAPPED*);
    BOOL(WINAPI* GetOverlappedResult)(HANDLE, OVERLAPPED*, DWORD*, BOOL);
    BOOL(WINAPI* ClearCommError)(HANDLE, DWORD*, COMSTAT*);
    BOOL(WINAPI* SetCommMask)(HANDLE, DWORD);
    BOOL(WINAPI* CancelIo)(HANDLE);
    BOOL(WINAPI* ReadFile)(HANDLE, void*, DWORD, DWORD*, OVERLAPPED*);
    BOOL(WINAPI* WriteFile)(HANDLE, const void*, DWORD, DWORD*, OVERLAPPED*);
    BOOL(WINAPI* PurgeComm)(HANDLE, DWORD);
};

extern const SCommCalls kSystemCommCalls;

// The longest port name taken from the system's list ("COM256" and the like,
// with room to spare; the data need not end in a NUL), and so from the
// settings.
inline constexpr size_t kLongestPortName = 16;

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

    // Returns at once with what is held: bytes come from the port's own
    // buffer, which takes everything the driver holds in one read when it is
    // empty or when a notice is pending. A reply's bytes after its
    // terminator stay there for the next reply; PurgeRx empties it too.
    bool Read(void* buffer, DWORD count, DWORD* read);
    // Received bytes the program holds and has not read yet.
    DWORD Buffered() const { return m_rxEnd - m_rxBegin; }
    // The UI thread has done with the notice it read (and has written the
    // command that answers it): the listener may wait again. A read that
    // finds nothing left says the same.
    void NoticeHandled();
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

    // Tests: the next Open fails with this error before it touches the port
    // (under Wine a second open of a port in use succeeds).
    void FailNextOpen(DWORD error) { m_openFault = error; }
    // Tests, while the port is closed: the calls the port makes from its
    // next Open on; null restores the system's.
    void SetCommCalls(const SCommCalls* calls) { m_comm = calls ? calls : &kSystemCommCalls; }

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
    bool WaitForEvent(DWORD* result);
    void AnnounceWaiting();
    void AnnounceAndWait(WPARAM notice, DWORD queued);
    bool EndedTransfer(OVERLAPPED* overlapped, DWORD* transferred);
    bool EndTransfer(OVERLAPPED* overlapped);
    bool ListenerFailed();
    DWORD ConfigureLine();
    DWORD ReportOpenError(DWORD error);
    bool QueuedBytes(DWORD* queued);
    bool TakeFromDriver();
    void NoticeTaken();
    OVERLAPPED* PrepareIo(OVERLAPPED* overlapped);
    bool FinishIo(BOOL done, const wchar_t* api, OVERLAPPED* ov, OVERLAPPED* callers, DWORD* transferred,
                  DWORD timeoutMs);

    COMMPROP m_properties{};
    DCB m_dcb{};
    volatile LONG m_stop = 0;
    HANDLE m_ioEvent = nullptr;
    HANDLE m_stopEvent = nullptr;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_thread = nullptr;
    HWND m_notify = nullptr;
    std::wstring m_name;
    DWORD m_openFault = 0;
    bool m_reporting = false;
    const SCommCalls* m_comm = &kSystemCommCalls;
    OVERLAPPED m_overlapped{};

    // The listener's wait: members, because the system writes them when the
    // wait ends, which may be after the loop that began it has left.
    OVERLAPPED m_listenerOverlapped{};
    DWORD m_listenerMask = 0;
    // Why the listener ended by itself, set last as it ends; 0 while it runs
    // or when it was stopped.
    volatile LONG m_listenerError = 0;
    const wchar_t* m_listenerFailedCall = L"";

    // The hand-over: the listener sets the flag and posts one notice, then
    // waits until the UI thread has taken the driver's bytes (which clears
    // the flag) and handled them (which signals the event) before it waits
    // for more. Under Wine EV_RXCHAR repeats while bytes wait in the driver;
    // taken into the program's buffer, they no longer do. Held until the
    // answer has gone out, the listener's new wait (under Wine a thread of
    // its own) does not compete with the answer.
    volatile LONG m_noticePending = 0;
    HANDLE m_noticeTaken = nullptr;
    // A taken notice not yet handled (UI thread only).
    bool m_listenerHeld = false;

    // Received bytes taken from the driver, not yet read (UI thread only).
    std::vector<BYTE> m_rx;
    DWORD m_rxBegin = 0;
    DWORD m_rxEnd = 0;
};
