#include "SerialPort.h"

#include "ErrorText.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr DWORD kQueueSize = 16384;
constexpr DWORD kSettleMs = 50;
// How long the listener rests when a wake-up brought nothing new.
constexpr DWORD kIdleRestMs = 50;
// How long a stopping listener waits for its pending wait to end.
constexpr DWORD kWaitEndMs = 1000;

const DWORD kSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400};

bool IsSupportedSpeed(DWORD baud)
{
    for (DWORD speed : kSpeeds) {
        if (speed == baud)
            return true;
    }
    return false;
}

// Only fBinary of the flag bits; the reserved high bits keep their value.
void ApplyLineSettings(DCB& dcb, const COMMPROP& properties)
{
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = 38400;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    const WORD limit = static_cast<WORD>(std::max<DWORD>(properties.dwCurrentRxQueue / 4, 8));
    dcb.XonLim = limit;
    dcb.XoffLim = limit;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0x1A;
    dcb.EvtChar = ';';
}

}  // namespace

CSerialPort::CSerialPort()
{
    m_dcb.DCBlength = sizeof(DCB);
}

CSerialPort::~CSerialPort()
{
    Close();
}

DWORD CSerialPort::Open(const wchar_t* name, bool silent)
{
    if (IsOpen())
        return 0;
    m_name = name ? name : L"";
    if (m_name.empty()) {
        SetLastError(E_SERIAL_PORT_NAME_MISSING);
        return E_SERIAL_PORT_NAME_MISSING;
    }

    m_ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_readEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_ioEvent || !m_stopEvent || !m_readEvent) {
        const DWORD error = ReportError(L"CreateEvent", GetLastError());
        Close();
        return error;
    }

    const std::wstring device = L"\\\\.\\" + m_name;
    m_handle = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Close();
        if (!silent)
            ReportOpenError(error);
        SetLastError(error);
        return error;
    }

    m_properties = {};
    m_properties.wPacketLength = sizeof(COMMPROP);
    if (!GetCommProperties(m_handle, &m_properties)) {
        const DWORD error = GetLastError();
        if (!silent)
            ReportError(L"GetCommProperties", error);
        Close();
        SetLastError(error);
        return error;
    }

    const DWORD error = ConfigureLine();
    if (error != 0) {
        Close();
        SetLastError(error);
        return error;
    }
    return 0;
}

DWORD CSerialPort::ConfigureLine()
{
    if (!SetupComm(m_handle, kQueueSize, kQueueSize))
        return ReportError(L"SetupComm", GetLastError());
    if (!GetCommState(m_handle, &m_dcb))
        return ReportError(L"GetCommState", GetLastError());
    ApplyLineSettings(m_dcb, m_properties);
    if (!SetCommState(m_handle, &m_dcb)) {
        const DWORD error = GetLastError();
        ReportError(L"SetCommState", error);
        return ReportError(L"SetCommState", error);
    }
    Sleep(kSettleMs);

    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!SetCommTimeouts(m_handle, &timeouts)) {
        const DWORD error = GetLastError();
        ReportError(L"SetCommTimeouts", error);
        return ReportError(L"SetComTimeouts", error);
    }
    if (!::SetCommMask(m_handle, EV_RXCHAR)) {
        const DWORD error = GetLastError();
        ReportError(L"SetCommMask", error);
        return ReportError(L"SetCommMask", error);
    }
    if (!StartListener())
        return ReportError(L"StartListener", GetLastError());
    return 0;
}

DWORD CSerialPort::ReportOpenError(DWORD error)
{
    if (error == ERROR_ACCESS_DENIED) {
        ShowErrorBox(m_notify, IDS_COM_PORT_ERROR_CAPTION, IDS_PORT_ACCESS_DENIED, m_name.c_str());
        return error;
    }
    return ReportError(L"CreateFile", error);
}

void CSerialPort::Close()
{
    StopListener(INFINITE);
    if (m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    if (m_ioEvent)
        CloseHandle(m_ioEvent);
    if (m_stopEvent)
        CloseHandle(m_stopEvent);
    if (m_readEvent)
        CloseHandle(m_readEvent);
    m_ioEvent = m_stopEvent = m_readEvent = nullptr;
    m_announced = 0;
}

bool CSerialPort::IsOpen() const
{
    if (m_handle == INVALID_HANDLE_VALUE || m_handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

bool CSerialPort::SetSpeed(DWORD baud)
{
    if (!IsSupportedSpeed(baud))
        return false;
    if (m_dcb.BaudRate == baud)
        return true;
    Sleep(kSettleMs);
    const DWORD previous = m_dcb.BaudRate;
    m_dcb.BaudRate = baud;
    if (!SetCommState(m_handle, &m_dcb)) {
        const DWORD error = GetLastError();
        m_dcb.BaudRate = previous;
        ReportError(L"SetCommState", error);
        SetLastError(error);
        return false;
    }
    Sleep(kSettleMs);
    return true;
}

bool CSerialPort::PurgeRx()
{
    if (!IsOpen())
        return false;
    // Forget before purging: a wrong guess may only cost an extra notice.
    InterlockedExchange(&m_announced, 0);
    if (!PurgeComm(m_handle, PURGE_RXCLEAR)) {
        const DWORD error = ReportError(L"PurgeComm", GetLastError());
        SetLastError(error);
        return false;
    }
    SetEvent(m_readEvent);
    return true;
}

bool CSerialPort::QueuedBytes(DWORD* queued)
{
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(m_handle, &errors, &status)) {
        const DWORD error = ReportError(L"ClearCommError", GetLastError());
        SetLastError(error);
        return false;
    }
    *queued = status.cbInQue;
    return true;
}

void CSerialPort::ForgetQueued(LONG count)
{
    for (;;) {
        const LONG announced = m_announced;
        const LONG left = announced > count ? announced - count : 0;
        if (InterlockedCompareExchange(&m_announced, left, announced) == announced)
            return;
    }
}

bool CSerialPort::Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    *read = 0;
    if (!IsOpen())
        return false;
    // Under Wine a read asking for more than is queued stays pending.
    DWORD queued = 0;
    if (!QueuedBytes(&queued))
        return false;
    count = std::min(count, queued);
    if (count == 0)
        return true;
    ForgetQueued(static_cast<LONG>(count));
    SetEvent(m_readEvent);

    OVERLAPPED* ov = PrepareIo(overlapped);
    return FinishIo(ReadFile(m_handle, buffer, count, read, ov), L"ReadFile", ov, overlapped, read, timeoutMs);
}

bool CSerialPort::Write(const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    *written = 0;
    if (!IsOpen())
        return false;
    OVERLAPPED* ov = PrepareIo(overlapped);
    return FinishIo(WriteFile(m_handle, buffer, count, written, ov), L"WriteFile", ov, overlapped, written,
                    timeoutMs);
}

OVERLAPPED* CSerialPort::PrepareIo(OVERLAPPED* overlapped)
{
    if (overlapped)
        return overlapped;
    m_overlapped = {};
    m_overlapped.hEvent = m_ioEvent;
    ResetEvent(m_ioEvent);
    return &m_overlapped;
}

// A pending transfer on the port's own structure is waited for; one on the
// caller's structure is left to the caller.
bool CSerialPort::FinishIo(BOOL done, const wchar_t* api, OVERLAPPED* ov, OVERLAPPED* callers,
                           DWORD* transferred, DWORD timeoutMs)
{
    if (done)
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING && !callers)
        return WaitIo(ov, transferred, timeoutMs);
    if (error != ERROR_IO_PENDING)
        error = ReportError(api, error);
    SetLastError(error);
    return false;
}

bool CSerialPort::WriteBytes(const void* buffer, DWORD count)
{
    DWORD written = 0;
    if (!Write(buffer, count, &written, nullptr, INFINITE))
        return false;
    if (written != count) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

bool CSerialPort::WriteText(const wchar_t* text)
{
    if (!IsOpen())
        return false;
    const int length = static_cast<int>(wcslen(text));
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    return WriteBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool CSerialPort::WaitIo(OVERLAPPED* overlapped, DWORD* transferred, DWORD timeoutMs)
{
    const HANDLE events[] = {m_stopEvent, overlapped->hEvent};
    switch (WaitForMultipleObjects(2, events, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
        return true;
    case WAIT_OBJECT_0 + 1:
        return GetOverlappedResult(m_handle, overlapped, transferred, FALSE) != FALSE;
    case WAIT_TIMEOUT:
        ::CancelIo(m_handle);
        SetLastError(ERROR_TIMEOUT);
        return false;
    default:
        return false;
    }
}

void CSerialPort::SendBreak()
{
    SetCommBreak(m_handle);
    Sleep(5);
    ClearCommBreak(m_handle);
}

bool CSerialPort::CancelIo()
{
    if (::CancelIo(m_handle))
        return true;
    const DWORD error = ReportError(L"CancelIo", GetLastError());
    SetLastError(error);
    return false;
}

bool CSerialPort::SetCommMask(DWORD mask, bool quietOnAccessDenied)
{
    if (::SetCommMask(m_handle, mask))
        return true;
    const DWORD error = GetLastError();
    if (!(quietOnAccessDenied && error == ERROR_ACCESS_DENIED))
        ReportError(L"SetCommMask", error);
    SetLastError(error);
    return false;
}

bool CSerialPort::StartListener()
{
    if (m_thread)
        return true;
    m_stop = 0;
    m_announced = 0;
    m_thread = CreateThread(nullptr, 0, &CSerialPort::ListenerThreadProc, this, 0, nullptr);
    if (!m_thread) {
        const DWORD error = ReportError(L"CreateThread", GetLastError());
        SetLastError(error);
        return false;
    }
    return true;
}

bool CSerialPort::StopListener(DWORD timeoutMs)
{
    if (!m_thread)
        return true;
    InterlockedExchange(&m_stop, 1);
    // A new mask completes the listener's pending wait.
    if (m_handle != INVALID_HANDLE_VALUE)
        SetCommMask(EV_RXCHAR, true);
    SetEvent(m_stopEvent);
    const bool ended = WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    ResetEvent(m_stopEvent);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_stop = 0;
    return ended;
}

bool CSerialPort::IsStillThere()
{
    COMSTAT status{};
    DWORD errors = 0;
    return ClearCommError(m_handle, &errors, &status) != FALSE;
}

bool CSerialPort::HasOnlyAnnouncedBytes()
{
    const LONG announced = m_announced;
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(m_handle, &errors, &status))
        return false;
    const LONG queued = static_cast<LONG>(status.cbInQue);
    if (queued == 0 || queued > announced)
        return false;
    // The UI thread read some: what is left is all it knows of.
    InterlockedCompareExchange(&m_announced, queued, announced);
    return true;
}

DWORD WINAPI CSerialPort::ListenerThreadProc(void* self)
{
    return static_cast<CSerialPort*>(self)->Listen();
}

// The listener only waits and posts; it shows no boxes, since a box here
// would hold the thread that the UI thread joins when it closes the port.
DWORD CSerialPort::Listen()
{
    // A member, not a local: it must outlive a wait that does not end.
    OVERLAPPED& overlapped = m_listenerOverlapped;
    overlapped = {};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent)
        return GetLastError();

    DWORD result = 0;
    bool pending = false;
    while (!m_stop) {
        // Bytes already announced and still unread: Wine would report them
        // again and again, so only watch for their number to grow.
        if (HasOnlyAnnouncedBytes()) {
            // Until the UI thread reads: the next reply may follow at once.
            const HANDLE events[] = {m_stopEvent, m_readEvent};
            WaitForMultipleObjects(2, events, FALSE, kIdleRestMs);
            continue;
        }
        DWORD mask = 0;
        ResetEvent(overlapped.hEvent);
        if (!WaitCommEvent(m_handle, &mask, &overlapped)) {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_PENDING) {
                pending = true;
                DWORD transferred = 0;
                if (!WaitIo(&overlapped, &transferred, INFINITE)) {
                    pending = false;
                    result = GetLastError();
                    // Under Wine a purge ends a pending wait, or leaves its
                    // event set with the wait unfinished: while the port is
                    // still there, wait again.
                    if ((result == ERROR_OPERATION_ABORTED || result == ERROR_IO_INCOMPLETE) && !m_stop &&
                        IsStillThere())
                        continue;
                    break;
                }
                if (m_stop)
                    break;
                pending = false;
            } else if (error != ERROR_INVALID_PARAMETER) {
                // Access denied: the device went away. Anything else ends
                // the listener too; the next write tells the user.
                result = error;
                break;
            }
        }
        if (m_stop)
            break;

        const LONG announced = m_announced;
        COMSTAT status{};
        DWORD errors = 0;
        ClearCommError(m_handle, &errors, &status);
        const LONG queued = static_cast<LONG>(status.cbInQue);
        InterlockedCompareExchange(&m_announced, queued, announced);
        if (mask != 0 && queued > announced)
            PostMessageW(m_notify, WM_APP_SERIAL_DATA, MAKEWPARAM(LOWORD(mask), LOWORD(errors)), 0);
        else if (mask == 0)
            WaitForSingleObject(m_stopEvent, kIdleRestMs);
    }
    if (pending) {
        // The wait began after the stop's new mask: end it the same way
        // (under Wine CancelIo does not end a pending WaitCommEvent).
        ::SetCommMask(m_handle, EV_RXCHAR);
        if (WaitForSingleObject(overlapped.hEvent, kWaitEndMs) != WAIT_OBJECT_0)
            ::CancelIo(m_handle);
        DWORD transferred = 0;
        GetOverlappedResult(m_handle, &overlapped, &transferred, FALSE);
    }
    CloseHandle(overlapped.hEvent);
    return result;
}

DWORD CSerialPort::ReportError(const wchar_t* api, DWORD error)
{
    ShowErrorBox(m_notify, IDS_COM_PORT_ERROR_CAPTION, IDS_WIN32_CALL_FAILED, api, m_name.c_str(), error,
                 FormatErrorText(error).c_str());
    if (m_handle == INVALID_HANDLE_VALUE || m_handle == nullptr)
        return error;
    if (error == ERROR_ACCESS_DENIED) {
        Close();
        return error;
    }
    COMSTAT status{};
    DWORD errors = 0;
    if (ClearCommError(m_handle, &errors, &status)) {
        TraceToMainWindow(m_notify, L"ClearCommError dwErrors 0x%04X", errors);
    } else {
        const DWORD clearError = GetLastError();
        TraceToMainWindow(m_notify, IDS_WIN32_CALL_FAILED, L"ClearCommError", m_name.c_str(), clearError,
                          FormatErrorText(clearError).c_str());
    }
    return error;
}
