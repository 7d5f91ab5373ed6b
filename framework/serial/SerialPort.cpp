#include "SerialPort.h"

#include <cstring>

#include "ErrorText.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr DWORD kQueueSize = 16384;
constexpr DWORD kSettleMs = 50;
// How long the listener rests when its wait ended without an event.
constexpr DWORD kIdleRestMs = 50;
// How often the listener looks for new bytes while a notice is not taken.
constexpr DWORD kUntakenPollMs = 50;
// How long a taken notice holds the listener at most when nobody says it
// was handled.
constexpr DWORD kHeldMs = 500;
// How long to wait for a cancelled transfer before ending it harder, and
// before giving up on a driver that never ends it.
constexpr DWORD kWaitEndMs = 100;
constexpr DWORD kGiveUpEndMs = 2000;

const DWORD kSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400};

// A pulled USB adapter: Windows says access denied (some drivers another
// code, but then every later call fails too), Wine says not ready (its
// pending event wait ends as cancelled, which ends the listener too).
bool IsVanishedDevice(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_NOT_READY || error == ERROR_DEVICE_NOT_CONNECTED;
}

// An overlapped structure's event without the bit that keeps completion
// packets away.
HANDLE EventOf(const OVERLAPPED* overlapped)
{
    return reinterpret_cast<HANDLE>(reinterpret_cast<UINT_PTR>(overlapped->hEvent) & ~UINT_PTR(1));
}

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

const SCommCalls kSystemCommCalls = {
    &::WaitCommEvent, &::GetOverlappedResult, &::ClearCommError, &::SetCommMask,
    &::CancelIo,      &::ReadFile,            &::WriteFile,      &::PurgeComm,
};

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
    m_noticeTaken = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_ioEvent || !m_stopEvent || !m_noticeTaken) {
        const DWORD error = ReportError(L"CreateEvent", LastFailure());
        Close();
        return error;
    }

    const std::wstring device = L"\\\\.\\" + m_name;
    if (m_openFault != 0) {
        SetLastError(m_openFault);
        m_openFault = 0;
    } else {
        m_handle = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
    }
    if (m_handle == INVALID_HANDLE_VALUE) {
        const DWORD error = LastFailure();
        Close();
        if (!silent)
            ReportOpenError(error);
        SetLastError(error);
        return error;
    }

    m_properties = {};
    m_properties.wPacketLength = sizeof(COMMPROP);
    if (!GetCommProperties(m_handle, &m_properties)) {
        const DWORD error = LastFailure();
        if (!silent)
            ReportError(L"GetCommProperties", error);
        Close();
        SetLastError(error);
        return error;
    }

    m_rx.assign(kQueueSize, 0);
    m_rxBegin = m_rxEnd = 0;
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
        return ReportError(L"SetupComm", LastFailure());
    if (!GetCommState(m_handle, &m_dcb))
        return ReportError(L"GetCommState", LastFailure());
    ApplyLineSettings(m_dcb, m_properties);
    if (!SetCommState(m_handle, &m_dcb)) {
        const DWORD error = LastFailure();
        ReportError(L"SetCommState", error);
        return ReportError(L"SetCommState", error);
    }
    Sleep(kSettleMs);

    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!SetCommTimeouts(m_handle, &timeouts)) {
        const DWORD error = LastFailure();
        ReportError(L"SetCommTimeouts", error);
        return ReportError(L"SetComTimeouts", error);
    }
    if (!m_comm->SetCommMask(m_handle, EV_RXCHAR)) {
        const DWORD error = LastFailure();
        ReportError(L"SetCommMask", error);
        return ReportError(L"SetCommMask", error);
    }
    if (!StartListener())
        return ReportError(L"StartListener", LastFailure());
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

// Closing never reports: a box here would come back through ReportError,
// which closes a vanished device.
void CSerialPort::Close()
{
    StopListener(INFINITE);
    if (m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    for (HANDLE event : {m_ioEvent, m_stopEvent, m_noticeTaken}) {
        if (event)
            CloseHandle(event);
    }
    m_ioEvent = m_stopEvent = m_noticeTaken = nullptr;
    m_rxBegin = m_rxEnd = 0;
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
    if (!m_comm->PurgeComm(m_handle, PURGE_RXCLEAR)) {
        const DWORD error = ReportError(L"PurgeComm", GetLastError());
        SetLastError(error);
        return false;
    }
    // What the program holds goes too; a pending notice has nothing left.
    // Outside the handling of a notice nobody else lets the listener go.
    m_rxBegin = m_rxEnd = 0;
    const bool handling = m_listenerHeld;
    NoticeTaken();
    if (!handling)
        NoticeHandled();
    return true;
}

bool CSerialPort::QueuedBytes(DWORD* queued)
{
    COMSTAT status{};
    DWORD errors = 0;
    if (!m_comm->ClearCommError(m_handle, &errors, &status)) {
        const DWORD error = ReportError(L"ClearCommError", GetLastError());
        SetLastError(error);
        return false;
    }
    *queued = status.cbInQue;
    return true;
}

void CSerialPort::NoticeTaken()
{
    if (InterlockedExchange(&m_noticePending, 0) != 0)
        m_listenerHeld = true;
}

void CSerialPort::NoticeHandled()
{
    if (m_listenerHeld && m_noticeTaken)
        SetEvent(m_noticeTaken);
    m_listenerHeld = false;
}

bool CSerialPort::Read(void* buffer, DWORD count, DWORD* read)
{
    *read = 0;
    if (!IsOpen() || ListenerFailed())
        return false;
    if ((m_noticePending || m_rxBegin == m_rxEnd) && !TakeFromDriver())
        return false;
    const DWORD taken = std::min(count, m_rxEnd - m_rxBegin);
    // A reader that has read everything has done with the notice.
    if (taken == 0)
        NoticeHandled();
    std::memcpy(buffer, m_rx.data() + m_rxBegin, taken);
    m_rxBegin += taken;
    if (m_rxBegin == m_rxEnd)
        m_rxBegin = m_rxEnd = 0;
    *read = taken;
    return true;
}

// One ReadFile of everything the driver holds (under Wine a read asking for
// more than is queued stays pending); the listener waits again once the
// notice has been handled.
bool CSerialPort::TakeFromDriver()
{
    // Cleared before the queue is looked at: bytes that arrive after it
    // make the listener's next wait end at once.
    NoticeTaken();
    DWORD queued = 0;
    bool ok = QueuedBytes(&queued);
    if (ok && queued > 0) {
        if (m_rxBegin > 0) {
            std::memmove(m_rx.data(), m_rx.data() + m_rxBegin, m_rxEnd - m_rxBegin);
            m_rxEnd -= m_rxBegin;
            m_rxBegin = 0;
        }
        const DWORD room = static_cast<DWORD>(m_rx.size()) - m_rxEnd;
        if (room == 0) {
            // Nobody takes the replies: drop the new bytes as a full driver
            // queue would, rather than be woken for them again and again.
            m_comm->PurgeComm(m_handle, PURGE_RXCLEAR);
        } else {
            DWORD got = 0;
            OVERLAPPED* ov = PrepareIo(nullptr);
            ok = FinishIo(m_comm->ReadFile(m_handle, m_rx.data() + m_rxEnd, std::min(queued, room), &got, ov),
                          L"ReadFile", ov, nullptr, &got, INFINITE);
            if (ok)
                m_rxEnd += got;
        }
    }
    return ok;
}

bool CSerialPort::Write(const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    *written = 0;
    if (!IsOpen())
        return false;
    OVERLAPPED* ov = PrepareIo(overlapped);
    return FinishIo(m_comm->WriteFile(m_handle, buffer, count, written, ov), L"WriteFile", ov, overlapped, written,
                    timeoutMs);
}

OVERLAPPED* CSerialPort::PrepareIo(OVERLAPPED* overlapped)
{
    if (overlapped)
        return overlapped;
    // ReadFile and WriteFile reset the event themselves. The event's low bit
    // set, a transfer that ends at once queues no completion packet: under
    // Wine that saves a trip to the server on every read and write.
    m_overlapped = {};
    m_overlapped.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<UINT_PTR>(m_ioEvent) | 1);
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

// The result of a transfer whose event is set. Under Wine an event wait can
// end (mask written, event set) with its status left pending for good;
// waiting, GetOverlappedResult then counts it as done, as it is.
bool CSerialPort::EndedTransfer(OVERLAPPED* overlapped, DWORD* transferred)
{
    return m_comm->GetOverlappedResult(m_handle, overlapped, transferred, TRUE) != FALSE;
}

bool CSerialPort::WaitIo(OVERLAPPED* overlapped, DWORD* transferred, DWORD timeoutMs)
{
    const HANDLE events[] = {m_stopEvent, EventOf(overlapped)};
    switch (WaitForMultipleObjects(2, events, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
        return true;
    case WAIT_OBJECT_0 + 1:
        return EndedTransfer(overlapped, transferred);
    case WAIT_TIMEOUT:
        EndTransfer(overlapped);
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
    if (m_comm->CancelIo(m_handle))
        return true;
    const DWORD error = ReportError(L"CancelIo", GetLastError());
    SetLastError(error);
    return false;
}

bool CSerialPort::SetCommMask(DWORD mask, bool quietOnAccessDenied)
{
    if (m_comm->SetCommMask(m_handle, mask))
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
    m_noticePending = 0;
    m_listenerHeld = false;
    m_listenerError = 0;
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
    // A new mask completes the listener's pending wait. Not reported: the
    // port is closing, and on a vanished device this fails too.
    if (m_handle != INVALID_HANDLE_VALUE)
        m_comm->SetCommMask(m_handle, EV_RXCHAR);
    SetEvent(m_stopEvent);
    const bool ended = WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    ResetEvent(m_stopEvent);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_stop = 0;
    return ended;
}

DWORD WINAPI CSerialPort::ListenerThreadProc(void* self)
{
    return static_cast<CSerialPort*>(self)->Listen();
}

// The listener only waits and posts; it shows no boxes, since a box here
// would hold the thread that the UI thread joins when it closes the port.
// When it ends by itself, one last notice sends a reader to find out why.
DWORD CSerialPort::Listen()
{
    m_listenerOverlapped = {};
    m_listenerOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD result = m_listenerOverlapped.hEvent ? 0 : GetLastError();
    const wchar_t* failedCall = result ? L"CreateEvent" : L"WaitCommEvent";
    while (result == 0 && !m_stop && WaitForEvent(&result)) {
        if (m_stop)
            break;
        COMSTAT status{};
        DWORD errors = 0;
        if (!m_comm->ClearCommError(m_handle, &errors, &status)) {
            result = GetLastError();
            failedCall = L"ClearCommError";
            break;
        }
        if (m_listenerMask == 0) {
            // A new mask ended the wait; nothing happened on the line.
            WaitForSingleObject(m_stopEvent, kIdleRestMs);
        } else if (status.cbInQue != 0 || errors != 0) {
            AnnounceAndWait(MAKEWPARAM(LOWORD(m_listenerMask), LOWORD(errors)), status.cbInQue);
        }
    }
    if (m_listenerOverlapped.hEvent)
        CloseHandle(m_listenerOverlapped.hEvent);
    m_listenerOverlapped.hEvent = nullptr;
    if (result != 0 && !m_stop) {
        m_listenerFailedCall = failedCall;
        InterlockedExchange(&m_listenerError, static_cast<LONG>(result));
        PostMessageW(m_notify, WM_APP_SERIAL_DATA, MAKEWPARAM(EV_ERR, 0), 0);
    }
    return result;
}

// A listener that ended by itself leaves a port nobody hears: the reason is
// reported once and the port closes.
bool CSerialPort::ListenerFailed()
{
    const DWORD error = static_cast<DWORD>(m_listenerError);
    if (error == 0)
        return false;
    ReportError(m_listenerFailedCall, error);
    Close();
    SetLastError(error);
    return true;
}

// False when the listener must end (the reason in `result`): the device went
// away (error 5, or what Wine says instead), or another failure.
bool CSerialPort::WaitForEvent(DWORD* result)
{
    OVERLAPPED* overlapped = &m_listenerOverlapped;
    m_listenerMask = 0;
    ResetEvent(overlapped->hEvent);
    if (m_comm->WaitCommEvent(m_handle, &m_listenerMask, overlapped))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PARAMETER)
        return true;
    if (error != ERROR_IO_PENDING) {
        *result = error;
        return false;
    }
    AnnounceWaiting();
    const HANDLE events[] = {m_stopEvent, overlapped->hEvent};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
        // An event the system may still set is left open, never reused.
        if (!EndTransfer(overlapped))
            overlapped->hEvent = nullptr;
        return true;  // the caller sees the stop flag
    }
    DWORD unused = 0;
    if (EndedTransfer(overlapped, &unused))
        return true;
    *result = GetLastError();
    return false;
}

// Bytes that came while no wait was pending are news only if the driver kept
// their event, which the documentation does not promise: asked once the wait
// is armed, they are announced unless a notice for them is still untaken.
// Under Wine, which reports them again, the wait then ends on a queue the UI
// thread has emptied, and nothing more is posted.
void CSerialPort::AnnounceWaiting()
{
    COMSTAT status{};
    DWORD errors = 0;
    if (!m_noticePending && m_comm->ClearCommError(m_handle, &errors, &status) &&
        (status.cbInQue != 0 || errors != 0))
        AnnounceAndWait(MAKEWPARAM(EV_RXCHAR, LOWORD(errors)), status.cbInQue);
}

// A cancelled transfer owns its structure (and the listener's mask, and a
// read's buffer) until it has ended: wait for that, but not for ever, since
// a driver may never end it. Under Wine CancelIo does not end a pending
// WaitCommEvent; a new mask does. False when the transfer may still end.
bool CSerialPort::EndTransfer(OVERLAPPED* overlapped)
{
    m_comm->CancelIo(m_handle);
    for (DWORD waited = 0; WaitForSingleObject(EventOf(overlapped), kWaitEndMs) == WAIT_TIMEOUT;
         waited += kWaitEndMs) {
        if (waited >= kGiveUpEndMs)
            return false;
        m_comm->SetCommMask(m_handle, EV_RXCHAR);
        m_comm->CancelIo(m_handle);
    }
    return true;
}

// One notice, then no new wait until the UI thread has taken the bytes and
// handled them: the notice cannot be lost and nothing spins while bytes
// wait. Bytes that come while a notice lies untaken (nobody reads) are
// announced once more; a taken notice nobody says was handled holds the
// listener no longer than kHeldMs.
void CSerialPort::AnnounceAndWait(WPARAM notice, DWORD queued)
{
    InterlockedExchange(&m_noticePending, 1);
    PostMessageW(m_notify, WM_APP_SERIAL_DATA, notice, 0);
    // The flag says whether the bytes were taken; the event only wakes the
    // wait. One left set by an earlier notice costs a look, where resetting
    // it would cost a call between every arrival and its notice.
    const HANDLE events[] = {m_stopEvent, m_noticeTaken};
    for (;;) {
        const bool taken = !m_noticePending;
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, taken ? kHeldMs : kUntakenPollMs);
        if (woke == WAIT_OBJECT_0 || (woke == WAIT_TIMEOUT ? taken : !m_noticePending))
            return;
        if (woke != WAIT_TIMEOUT || !m_noticePending)
            continue;
        COMSTAT status{};
        DWORD errors = 0;
        if (!m_comm->ClearCommError(m_handle, &errors, &status) || status.cbInQue == 0)
            return;
        if (status.cbInQue > queued) {
            queued = status.cbInQue;
            InterlockedExchange(&m_noticePending, 1);
            PostMessageW(m_notify, WM_APP_SERIAL_DATA, notice, 0);
        }
    }
}

DWORD CSerialPort::ReportError(const wchar_t* api, DWORD error)
{
    // A box's modal loop dispatches notices: a failure found by one of them
    // (a pulled adapter fails everything) adds no second box.
    if (!m_reporting) {
        m_reporting = true;
        ShowErrorBox(m_notify, IDS_COM_PORT_ERROR_CAPTION, IDS_WIN32_CALL_FAILED, api, m_name.c_str(), error,
                     FormatErrorText(error).c_str());
        m_reporting = false;
    }
    if (m_handle == INVALID_HANDLE_VALUE || m_handle == nullptr)
        return error;
    if (IsVanishedDevice(error)) {
        Close();
        return error;
    }
    COMSTAT status{};
    DWORD errors = 0;
    if (m_comm->ClearCommError(m_handle, &errors, &status)) {
        TraceToMainWindow(m_notify, L"ClearCommError dwErrors 0x%04X", errors);
        return error;
    }
    const DWORD clearError = GetLastError();
    TraceToMainWindow(m_notify, IDS_WIN32_CALL_FAILED, L"ClearCommError", m_name.c_str(), clearError,
                      FormatErrorText(clearError).c_str());
    // A port that cannot even tell its state has lost its device, whatever
    // code the driver gives for that.
    Close();
    return error;
}
