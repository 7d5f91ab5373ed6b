// The serial port against the simulated transceiver on a real COM port of
// the test prefix.
#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "ErrorText.h"
#include "MessagePump.h"
#include "SerialPort.h"
#include "SimulatedTransceiver.h"
#include "TestWindow.h"
#include "TextOrId.h"
#include "WindowMessages.h"

namespace {

// The notify window: counts the listener's notices.
class NoticeWindow {
public:
    NoticeWindow()
        : m_window([this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
              if (message != WM_APP_SERIAL_DATA)
                  return false;
              ++notices;
              lastWParam = wParam;
              if (onNotice)
                  onNotice();
              if (handled)
                  handled();
              return true;
          })
    {
    }

    int notices = 0;
    WPARAM lastWParam = 0;
    std::function<void()> onNotice;
    // What the model does once a machine has handled a notice.
    std::function<void()> handled;

private:
    CTestWindow m_window;

public:
    const HWND window = m_window.Handle();
};

class SerialPortTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        notices.handled = [this] { port.NoticeHandled(); };
        port.SetNotifyWindow(notices.window);
        ASSERT_EQ(port.Open(radio.PortName().c_str(), false), 0u);
    }

    // Reads what the driver holds, up to and including the first ";", one
    // byte at a time as the machines do.
    std::string ReadReply()
    {
        std::string reply;
        for (;;) {
            char byte = 0;
            DWORD read = 0;
            if (!port.Read(&byte, 1, &read) || read == 0)
                return reply;
            reply += byte;
            if (byte == ';')
                return reply;
        }
    }

    DWORD Queued()
    {
        COMSTAT status{};
        DWORD errors = 0;
        ClearCommError(port.Handle(), &errors, &status);
        return status.cbInQue;
    }

    CSimulatedTransceiver radio;
    NoticeWindow notices;
    CSerialPort port;
};

}  // namespace

TEST_F(SerialPortTest, OpensWithTheLineSettingsOfTheRadio)
{
    const DCB& dcb = port.LineSettings();
    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fParity || dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fOutX || dcb.fInX);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(dcb.EvtChar, ';');
    EXPECT_EQ(dcb.EofChar, 0x1A);
    EXPECT_GE(dcb.XonLim, 8);

    DCB actual{};
    actual.DCBlength = sizeof actual;
    ASSERT_TRUE(GetCommState(port.Handle(), &actual));
    EXPECT_EQ(actual.BaudRate, 38400u);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant + timeouts.ReadTotalTimeoutMultiplier +
                  timeouts.WriteTotalTimeoutConstant + timeouts.WriteTotalTimeoutMultiplier,
              0u);
    EXPECT_EQ(radio.LineSpeed(), 38400u);
    EXPECT_TRUE(port.IsListening());

    // Opening again changes nothing.
    EXPECT_EQ(port.Open(L"COM1", false), 0u);
    EXPECT_EQ(port.Name(), radio.PortName());
}

TEST_F(SerialPortTest, TextGoesOutAndTheReplyIsAnnouncedAndReadOnTheUiThread)
{
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(radio.WaitForCommand("RVM;", 2000));
    ASSERT_TRUE(PumpUntil([&] { return notices.notices > 0; }, 2000));
    EXPECT_EQ(LOWORD(notices.lastWParam), EV_RXCHAR);
    PumpUntil([&] { return Queued() >= 9; }, 1000);
    EXPECT_EQ(ReadReply(), "RVM04.55;");
    // Nothing more to read: a read returns at once with nothing.
    char byte;
    DWORD read = 5;
    EXPECT_TRUE(port.Read(&byte, 1, &read));
    EXPECT_EQ(read, 0u);
}

TEST_F(SerialPortTest, ASplitReplyIsCompletedByTheSecondNotice)
{
    radio.SplitNextReply(4, 300);
    std::string reply;
    notices.onNotice = [&] { reply += ReadReply(); };
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    // The first part may itself come in a few arrivals, then the pause.
    ASSERT_TRUE(PumpUntil([&] { return reply.size() >= 4; }, 2000));
    EXPECT_EQ(reply, "RVM0");
    ASSERT_TRUE(PumpUntil([&] { return reply.size() == 9; }, 2000));
    EXPECT_EQ(reply, "RVM04.55;");
    EXPECT_GE(notices.notices, 2);
}

TEST_F(SerialPortTest, ALoneFinalTerminatorIsNeverLost)
{
    // The last byte of each reply comes on its own, a little after the rest,
    // while the UI thread may be reading the rest.
    std::string reply;
    notices.onNotice = [&] { reply += ReadReply(); };
    for (unsigned round = 0; round < 40; ++round) {
        reply.clear();
        radio.SplitNextReply(8, round % 5);
        ASSERT_TRUE(port.WriteText(L"RVM;"));
        ASSERT_TRUE(PumpUntil([&] { return reply == "RVM04.55;"; }, 2000)) << "round " << round << ": " << reply;
    }
}

TEST_F(SerialPortTest, ABurstKeepsTheSecondReplyForTheNextReadUntilThePurge)
{
    // As a machine does: collect up to the first ";", then stop reading.
    radio.SetVersion("RVF", 110);
    radio.AppendToNextReply("RVF01.10;");
    std::string reply;
    notices.onNotice = [&] {
        if (reply.empty() || reply.back() != ';')
            reply += ReadReply();
    };
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(PumpUntil([&] { return !reply.empty() && reply.back() == ';'; }, 2000));
    EXPECT_EQ(reply, "RVM04.55;");
    PumpFor(200);  // the rest of the burst arrives
    const int noticesOfTheBurst = notices.notices;
    PumpFor(500);
    EXPECT_EQ(notices.notices, noticesOfTheBurst) << "unread bytes were announced again";
    EXPECT_EQ(Queued() + port.Buffered(), 9u);

    // New bytes are news again; the purge of the next command drops the rest,
    // in the driver and in the program's buffer.
    ASSERT_TRUE(port.PurgeRx());
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(port.Buffered(), 0u);
    reply.clear();
    ASSERT_TRUE(port.WriteText(L"RVF;"));
    ASSERT_TRUE(PumpUntil([&] { return !reply.empty() && reply.back() == ';'; }, 2000));
    EXPECT_EQ(reply, "RVF01.10;");
}

TEST_F(SerialPortTest, ThePortsOwnTransfersQueueNoCompletionPackets)
{
    // Under Wine each packet costs a trip to the server on every read and
    // write. The listener's waits are not the port's transfers.
    ASSERT_TRUE(port.StopListener(INFINITE));
    const HANDLE completions = CreateIoCompletionPort(port.Handle(), nullptr, 1, 0);
    ASSERT_NE(completions, nullptr);
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(PumpUntil([&] { return Queued() == 9; }, 2000));
    EXPECT_EQ(ReadReply(), "RVM04.55;");
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* ended = nullptr;
    EXPECT_FALSE(GetQueuedCompletionStatus(completions, &bytes, &key, &ended, 0));
    EXPECT_EQ(ended, nullptr);
    CloseHandle(completions);
}

TEST_F(SerialPortTest, SpeedsOutsideTheListAreRefusedAndChangesReachTheLine)
{
    EXPECT_FALSE(port.SetSpeed(14400));
    EXPECT_EQ(port.GetSpeed(), 38400u);
    EXPECT_EQ(radio.LineSpeed(), 38400u);

    // The speed it runs at already: the port is not touched (the line, set
    // behind its back, stays as it is).
    DCB other = port.LineSettings();
    other.BaudRate = 19200;
    ASSERT_TRUE(SetCommState(port.Handle(), &other));
    EXPECT_TRUE(port.SetSpeed(38400));
    EXPECT_EQ(radio.LineSpeed(), 19200u);

    EXPECT_TRUE(port.SetSpeed(9600));
    EXPECT_EQ(port.GetSpeed(), 9600u);
    EXPECT_EQ(radio.LineSpeed(), 9600u);

    // At another speed than the radio's, the radio does not answer.
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(radio.WaitForCommand("RVM;", 2000));
    PumpFor(200);
    EXPECT_EQ(notices.notices, 0);
}

TEST_F(SerialPortTest, UnreadBytesNeitherSpinTheListenerNorFloodTheWindow)
{
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(PumpUntil([&] { return Queued() == 9; }, 2000));
    PumpFor(100);
    const int noticesOfTheReply = notices.notices;
    notices.notices = 0;
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
    const DWORD start = GetTickCount();
    PumpFor(10000);  // nobody reads
    const DWORD wall = GetTickCount() - start;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);
    auto ticks = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const double cpuMs =
        (ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore)) / 10000.0;
    const double percent = 100.0 * cpuMs / wall;
    printf("reply announced in %d notices; then unread for %lu ms: %d notices, %.1f ms CPU (%.2f%%)\n",
           noticesOfTheReply, wall, notices.notices, cpuMs, percent);
    EXPECT_GE(noticesOfTheReply, 1);
    EXPECT_EQ(notices.notices, 0);
    EXPECT_LT(percent, 1.0);
    EXPECT_EQ(Queued(), 9u);
}

TEST_F(SerialPortTest, ATransceiverThatGoesAwaySendsTheReaderToFindOutAndClosesThePortOnce)
{
    // As a machine does: read on every notice.
    CBoxWatcher boxes;
    bool readFailed = false;
    notices.onNotice = [&] { readFailed = ReadReply().empty() && !port.IsOpen(); };
    radio.Unplug();
    ASSERT_TRUE(PumpUntil([&] { return readFailed; }, 5000));
    EXPECT_EQ(notices.notices, 1);
    EXPECT_EQ(LOWORD(notices.lastWParam), EV_ERR);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"WaitCommEvent failed on \"" + radio.PortName() + L"\"", 0), 0u);
    EXPECT_FALSE(port.WriteText(L"RVM;"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    PumpFor(100);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(SerialPortTest, ATimedOutWaitReturnsOnlyOnceTheTransferHasEnded)
{
    // An event wait of the caller's that nothing ends: under Wine CancelIo
    // alone leaves it pending.
    ASSERT_TRUE(port.StopListener(INFINITE));
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(port.Handle(), &mask, &overlapped));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    DWORD transferred = 0;
    EXPECT_FALSE(port.WaitIo(&overlapped, &transferred, 100));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    // Ended: its event is set (under Wine the status may stay "pending").
    EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0) << "the system still owns the structure";
    CloseHandle(overlapped.hEvent);
}

TEST_F(SerialPortTest, ClosingRightAfterOpeningNeverHangs)
{
    // The stop may come before the listener has begun to wait.
    for (int i = 0; i < 40; ++i) {
        port.Close();
        ASSERT_EQ(port.Open(radio.PortName().c_str(), false), 0u) << i;
        if (i % 2) {
            ASSERT_TRUE(port.WriteText(L"RVM;"));
        }
    }
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortOpen, ReportsPortsThatCannotBeOpened)
{
    CSerialPort port;
    EXPECT_EQ(port.Open(L"", false), static_cast<DWORD>(E_SERIAL_PORT_NAME_MISSING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_SERIAL_PORT_NAME_MISSING));

    {
        CBoxWatcher boxes;
        EXPECT_NE(port.Open(L"COM199", true), 0u);  // silent: the caller reports
        EXPECT_EQ(boxes.Count(), 0u);
    }
    CBoxWatcher boxes;
    const DWORD error = port.Open(L"COM199", false);
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"COM Port Error");
    EXPECT_EQ(boxes[0].text, FormatText(L"CreateFile failed on \"COM199\"\r\nError 0x%08X: %s", error,
                                        FormatErrorText(error).c_str()));
}

namespace {

// A driver as Windows has them, in front of the one Wine gives the test:
// a pulled adapter fails every call with one code, a driver may forget an
// EV_RXCHAR that came while no wait was pending, or never end a wait.
namespace driver {

enum class Mode { Passing, Failing, Forgetful, Stuck };
Mode g_mode = Mode::Passing;
DWORD g_error = 0;
// The wait the stand-in holds: a new mask ends it, unless it is stuck.
OVERLAPPED* volatile g_held = nullptr;
// Waits begun: counted once the wait is pending (or has failed), so that a
// test that pulls the adapter after the count has moved finds the wait there
// to end. Counted on entry, a pull could come before Wine's wait had taken
// the mask, and nothing would ever end that wait (about 1 run in 120 under load).
volatile LONG g_waits = 0;

BOOL Fail()
{
    SetLastError(g_error);
    return FALSE;
}

DWORD Queued(HANDLE port)
{
    COMSTAT status{};
    DWORD errors = 0;
    ::ClearCommError(port, &errors, &status);
    return status.cbInQue;
}

BOOL WaitBegun(BOOL done)
{
    InterlockedIncrement(&g_waits);
    return done;
}

BOOL WINAPI WaitCommEvent(HANDLE port, DWORD* mask, OVERLAPPED* overlapped)
{
    if (g_mode == Mode::Failing)
        return WaitBegun(Fail());
    if (g_mode == Mode::Stuck || (g_mode == Mode::Forgetful && Queued(port) > 0)) {
        *mask = 0;
        overlapped->Internal = STATUS_PENDING;
        g_held = overlapped;
        SetLastError(ERROR_IO_PENDING);
        return WaitBegun(FALSE);
    }
    return WaitBegun(::WaitCommEvent(port, mask, overlapped));
}

BOOL WINAPI GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait)
{
    return g_mode == Mode::Failing ? Fail() : ::GetOverlappedResult(port, overlapped, transferred, wait);
}

BOOL WINAPI ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    return g_mode == Mode::Failing ? Fail() : ::ClearCommError(port, errors, status);
}

// The system's own call first, also on a pulled adapter: it ends Wine's
// pending wait as the vanished device ends Windows'.
BOOL WINAPI SetCommMask(HANDLE port, DWORD mask)
{
    const BOOL done = ::SetCommMask(port, mask);
    OVERLAPPED* held = g_held;
    if (held && g_mode != Mode::Stuck) {
        g_held = nullptr;
        held->InternalHigh = sizeof(DWORD);
        held->Internal = 0;
        SetEvent(held->hEvent);
    }
    return g_mode == Mode::Failing ? Fail() : done;
}

BOOL WINAPI CancelIo(HANDLE port)
{
    const BOOL done = ::CancelIo(port);
    return g_mode == Mode::Failing ? Fail() : done;
}

BOOL WINAPI ReadFile(HANDLE port, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped)
{
    return g_mode == Mode::Failing ? Fail() : ::ReadFile(port, buffer, count, read, overlapped);
}

BOOL WINAPI WriteFile(HANDLE port, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped)
{
    return g_mode == Mode::Failing ? Fail() : ::WriteFile(port, buffer, count, written, overlapped);
}

BOOL WINAPI PurgeComm(HANDLE port, DWORD flags)
{
    return g_mode == Mode::Failing ? Fail() : ::PurgeComm(port, flags);
}

DWORD WINAPI CloseOnThread(void* port)
{
    static_cast<CSerialPort*>(port)->Close();
    return 0;
}

const SCommCalls kCalls = {&WaitCommEvent, &GetOverlappedResult, &ClearCommError, &SetCommMask,
                           &CancelIo,      &ReadFile,            &WriteFile,      &PurgeComm};

}  // namespace driver

class WindowsDriverTest : public SerialPortTest {
protected:
    void SetUp() override
    {
        driver::g_mode = driver::Mode::Passing;
        port.SetCommCalls(&driver::kCalls);
        const LONG waits = driver::g_waits;
        SerialPortTest::SetUp();
        ASSERT_TRUE(PumpUntil([&] { return driver::g_waits != waits; }, 2000)) << "the listener never waited";
    }
    void TearDown() override
    {
        port.Close();
        driver::g_mode = driver::Mode::Passing;
        driver::g_held = nullptr;
    }

    // Once the listener waits.
    void Reopen(driver::Mode mode = driver::Mode::Passing)
    {
        port.Close();
        driver::g_mode = mode;
        const LONG waits = driver::g_waits;
        ASSERT_EQ(port.Open(radio.PortName().c_str(), false), 0u);
        ASSERT_TRUE(PumpUntil([&] { return driver::g_waits != waits; }, 2000)) << "the listener never waited";
    }

    // From now on every call fails with `error`.
    void PullAdapter(DWORD error)
    {
        driver::g_error = error;
        driver::g_mode = driver::Mode::Failing;
    }

    std::wstring FailureText(const wchar_t* call, DWORD error)
    {
        return FormatText(L"%s failed on \"%s\"\r\nError 0x%08X: %s", call, radio.PortName().c_str(), error,
                          FormatErrorText(error).c_str());
    }
};

}  // namespace

TEST_F(WindowsDriverTest, APulledAdapterGivesOneBoxAndClosesWithoutComingBackThroughTheClose)
{
    CBoxWatcher boxes;
    PullAdapter(ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(port.WriteText(L"RVM;"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsListening());
    PumpFor(100);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"WriteFile", ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(notices.notices, 0) << "a stopped listener has nothing to say";
}

TEST_F(WindowsDriverTest, EachCodeOfAVanishedDeviceClosesThePortOnceByEitherRoad)
{
    // What USB serial drivers say when their adapter is pulled.
    const DWORD codes[] = {ERROR_ACCESS_DENIED,  ERROR_DEVICE_NOT_CONNECTED, ERROR_BAD_COMMAND,
                           ERROR_GEN_FAILURE,    ERROR_OPERATION_ABORTED,    ERROR_DEVICE_REMOVED};
    for (const DWORD code : codes) {
        {
            SCOPED_TRACE(testing::Message() << "a write, error " << code);
            Reopen();
            CBoxWatcher boxes;
            PullAdapter(code);
            EXPECT_FALSE(port.WriteText(L"TB;"));
            EXPECT_FALSE(port.IsOpen());
            PumpFor(50);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes[0].text, FailureText(L"WriteFile", code));
        }
        {
            // The listener's wait ends with the code: its last notice sends
            // the reader, which finds out and closes the port.
            SCOPED_TRACE(testing::Message() << "the listener, error " << code);
            Reopen();
            CBoxWatcher boxes;
            notices.notices = 0;
            notices.onNotice = [&] { ReadReply(); };
            PullAdapter(code);
            ::SetCommMask(port.Handle(), EV_RXCHAR);
            ASSERT_TRUE(PumpUntil([&] { return !port.IsOpen(); }, 3000));
            PumpFor(50);
            EXPECT_EQ(notices.notices, 1);
            EXPECT_EQ(LOWORD(notices.lastWParam), EV_ERR);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes[0].text, FailureText(L"WaitCommEvent", code));
            notices.onNotice = nullptr;
        }
    }
}

TEST_F(WindowsDriverTest, BytesThatCameWhileNoWaitWasPendingAreAnnouncedOnce)
{
    // Windows' driver may forget their EV_RXCHAR; Wine's repeats it while
    // they wait. Either way: one notice, and nothing more once they are read.
    for (const driver::Mode mode : {driver::Mode::Forgetful, driver::Mode::Passing}) {
        SCOPED_TRACE(mode == driver::Mode::Forgetful ? "forgetful driver" : "Wine's driver");
        Reopen();
        ASSERT_TRUE(port.StopListener(INFINITE));
        ASSERT_TRUE(port.WriteText(L"RVM;"));
        ASSERT_TRUE(PumpUntil([&] { return Queued() == 9; }, 2000));
        driver::g_mode = mode;
        std::string reply;
        notices.notices = 0;
        notices.onNotice = [&] { reply += ReadReply(); };
        ASSERT_TRUE(port.StartListener());
        ASSERT_TRUE(PumpUntil([&] { return reply == "RVM04.55;"; }, 2000)) << reply;
        PumpFor(300);
        EXPECT_EQ(notices.notices, 1);
        notices.onNotice = nullptr;
    }
}

TEST_F(WindowsDriverTest, TheListenerWaitsAgainOnlyOnceTheAnswerHasGoneOut)
{
    // A machine that takes its time to answer a whole reply: a new wait of
    // the listener's (under Wine a thread of its own) would compete with it.
    // Longer than the listener's 50 ms looks at an untaken notice, so that a
    // taken one it let go at its next look would show.
    std::string reply;
    LONG waitsAtNotice = -1, waitsAtAnswer = -1;
    notices.onNotice = [&] {
        if (waitsAtNotice >= 0)
            return;
        waitsAtNotice = driver::g_waits;
        for (int waited = 0; waited < 2000 && Queued() < 9; ++waited)
            Sleep(1);
        reply = ReadReply();
        Sleep(120);
        port.WriteText(L"RVF;");
        waitsAtAnswer = driver::g_waits;
    };
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(PumpUntil([&] { return waitsAtAnswer >= 0; }, 2000));
    EXPECT_EQ(reply, "RVM04.55;");
    EXPECT_EQ(waitsAtAnswer, waitsAtNotice) << "the listener waited again before the answer went out";
    // Handled, the notice lets the listener hear the answer's reply.
    notices.onNotice = [&] { reply += ReadReply(); };
    ASSERT_TRUE(PumpUntil([&] { return reply == "RVM04.55;RVF01.32;"; }, 2000)) << reply;
}

// A notice taken and answered, but never said handled (a window that reads
// without a machine): the listener waits again after its bound, and the
// answer's reply is announced.
TEST_F(WindowsDriverTest, ATakenNoticeNeverSaidHandledHoldsTheListenerOnlyForAWhile)
{
    notices.handled = nullptr;
    std::string reply;
    notices.onNotice = [&] {
        if (!reply.empty())
            return;
        for (int waited = 0; waited < 2000 && Queued() < 9; ++waited)
            Sleep(1);
        reply = ReadReply();
        port.WriteText(L"RVF;");
    };
    ASSERT_TRUE(port.WriteText(L"RVM;"));
    ASSERT_TRUE(PumpUntil([&] { return !reply.empty(); }, 2000));
    EXPECT_EQ(reply, "RVM04.55;");
    EXPECT_TRUE(PumpUntil([&] { return notices.notices >= 2; }, 3000)) << "the listener is held for good";
    notices.onNotice = nullptr;
}

TEST_F(WindowsDriverTest, AWaitTheDriverNeverEndsDoesNotHangTheClose)
{
    Reopen(driver::Mode::Stuck);
    const HANDLE closer = CreateThread(nullptr, 0, &driver::CloseOnThread, &port, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(WaitForSingleObject(closer, 10000), WAIT_OBJECT_0) << "Close still waits for the driver";
    CloseHandle(closer);
    EXPECT_FALSE(port.IsOpen());
}
