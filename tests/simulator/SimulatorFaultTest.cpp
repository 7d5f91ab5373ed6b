#include "SimulatorFixture.h"

#include <algorithm>
#include <cstdio>

namespace {

const wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Whether the registry's serial-port map names the port.
bool Listed(const std::wstring& port)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = false;
    wchar_t name[256], data[64];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name), dataSize = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        found = found || (type == REG_SZ && port == data);
    }
    RegCloseKey(key);
    return found;
}

TEST_F(SimulatorTest, SilentRadioHearsNothing)
{
    const std::string table = radio.Control("dsp table main");
    radio.SetSilent(true);
    EXPECT_EQ(Ask(";", kNoReplyMs), "");
    EXPECT_EQ(Ask("Q71;", kNoReplyMs), "");
    EXPECT_EQ(Ask("!bc" + std::string(256, '1') + ";", kNoReplyMs), "");
    radio.SetSilent(false);
    EXPECT_EQ(radio.CommandMode(), "0") << "a command not heard has no effect";
    EXPECT_EQ(radio.Control("dsp table main"), table) << "nor a table sent to its DSP";
    EXPECT_EQ(Ask(";"), "?;");
}

// The radio's power switch: off, neither the radio nor its DSP, boot loader
// or load modes hear a thing; on, a boot loader cut off in its download
// answers polls again and waits for "D".
TEST_F(SimulatorTest, PowerOffSilencesTheLoadersTooAndPowerOnFindsTheBootLoaderWaiting)
{
    radio.SetBootLoader(true);
    ASSERT_TRUE(port.Write("D"));
    EXPECT_EQ(port.ReadFor(kNoReplyMs), "D");
    ASSERT_TRUE(port.Write(std::string(10, '\x11')));
    EXPECT_EQ(Ask(";", kNoReplyMs), "") << "a download takes the poll as a packet byte";

    radio.Control("power off");
    radio.ClearLog();
    for (const char* command : {";", "I;", "!0200;"})
        EXPECT_EQ(Ask(command, kNoReplyMs), "") << command;
    ASSERT_TRUE(port.Write("D"));
    EXPECT_EQ(port.ReadFor(kNoReplyMs), "");
    const auto whileOff = radio.Log();
    EXPECT_EQ(whileOff.size(), 3u);
    for (const SimulatedCommand& entry : whileOff)
        EXPECT_FALSE(entry.answered) << entry.command;
    radio.Control("power on");
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("I;"), "Q7B;");
    ASSERT_TRUE(port.Write("D"));
    EXPECT_EQ(port.ReadFor(kNoReplyMs), "D");

    // Running again, a load mode asked for while it was off has not begun.
    radio.Control("power off");
    radio.SetBootLoader(false);
    ASSERT_TRUE(port.Write("LDD2;"));
    radio.Control("power on");
    EXPECT_EQ(Ask(";"), "?;");
}

TEST_F(SimulatorTest, LosesTheNextCommandsOfAPrefix)
{
    radio.IgnoreNext("RVM", 2);
    EXPECT_EQ(Ask("RVM;", kNoReplyMs), "");
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("RVM;", kNoReplyMs), "");
    EXPECT_EQ(Ask("RVM;"), "RVM04.55;");
    EXPECT_EQ(radio.CountCommand("RVM;"), 3u);
}

TEST_F(SimulatorTest, HearsOnlyTheCommandsOfItsPrefixes)
{
    radio.HearOnly({"TQ;", "RX;"});
    EXPECT_EQ(Ask("Q71;RVM;", kNoReplyMs), "");
    EXPECT_EQ(Ask("TQ;"), "TQ0;");
    radio.HearOnly({});
    EXPECT_EQ(radio.CommandMode(), "0") << "a command not heard has no effect";
    EXPECT_EQ(Ask("RVM;"), "RVM04.55;");
}

TEST_F(SimulatorTest, GarblesTheNextReplyOfAPrefix)
{
    radio.GarbleNextReply("RA", "RA0X;");
    EXPECT_EQ(Ask("RVM;"), "RVM04.55;");
    EXPECT_EQ(Ask("RA00;RA;"), "RA0X;");
    EXPECT_EQ(Ask("RA;"), "RA00;") << "the set took, and the next reply is whole";
}

TEST_F(SimulatorTest, DelaysReplies)
{
    radio.SetReplyDelay(200);
    const LONGLONG start = Now();
    EXPECT_EQ(Ask(";"), "?;");
    const double ms = Elapsed(start);
    std::printf("[ figure ] reply delayed by 200 ms came after %.1f ms\n", ms);
    EXPECT_GE(ms, 195.0);
    radio.SetReplyDelay(0);
    EXPECT_EQ(Ask(";", 150), "?;");
}

TEST_F(SimulatorTest, SplitsTheNextReply)
{
    radio.SplitNextReply(3, 400);
    ASSERT_TRUE(port.Write("RVM;"));
    EXPECT_EQ(port.ReadFor(150), "RVM");
    EXPECT_EQ(port.ReadReply(1000), "04.55;");
    EXPECT_EQ(Ask("RVM;", 150), "RVM04.55;") << "one reply only";
}

TEST_F(SimulatorTest, RunsAnExtraReplyOnToTheNext)
{
    radio.AppendToNextReply("?;");
    ASSERT_TRUE(port.Write("RVM;"));
    EXPECT_EQ(port.ReadFor(100), "RVM04.55;?;");
    const auto log = radio.Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].reply, "RVM04.55;?;");
    EXPECT_EQ(Ask("RVM;"), "RVM04.55;");
    EXPECT_EQ(port.ReadFor(50), "");
}

TEST_F(SimulatorTest, LogsEveryCommandWithTimeAndSpeed)
{
    EXPECT_EQ(Ask(";"), "?;");
    EXPECT_EQ(Ask("XYZ;", kNoReplyMs), "");
    ASSERT_TRUE(port.SetSpeed(9600));
    EXPECT_EQ(Ask("RVM;", kNoReplyMs), "");

    const auto log = radio.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(radio.Commands(), (std::vector<std::string>{";", "XYZ;", "RVM;"}));
    EXPECT_TRUE(log[0].answered);
    EXPECT_EQ(log[0].reply, "?;");
    EXPECT_EQ(log[0].speed, 38400u);
    EXPECT_FALSE(log[1].answered);
    EXPECT_EQ(log[1].reply, "");
    EXPECT_EQ(log[2].speed, 9600u);
    EXPECT_FALSE(log[2].answered);
    EXPECT_GE(log[1].ms - log[0].ms, 0.0);
    EXPECT_GE(log[2].ms - log[1].ms, kNoReplyMs * 0.9) << "XYZ; waited for a reply that never came";

    radio.ClearLog();
    EXPECT_TRUE(radio.Log().empty());
    EXPECT_EQ(radio.CountCommand(""), 0u);
}

CRawSerialPort* g_timerPort = nullptr;

void CALLBACK SendFromTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_timerPort->Write("TT0;");
}

TEST_F(SimulatorTest, WaitingPumpsTheTestThreadsMessages)
{
    // The command leaves only when this thread's timer message is dispatched.
    g_timerPort = &port;
    SetTimer(nullptr, 0, 50, &SendFromTimer);
    EXPECT_TRUE(radio.WaitForCommand("TT0;", 2000));
    EXPECT_FALSE(radio.WaitForCommandCount("TT0;", 2, 200));
    EXPECT_FALSE(radio.WaitForCommand("ER", 100));
    ASSERT_TRUE(port.Write("ER010040BF;"));
    EXPECT_TRUE(radio.WaitForCommand("ER", 1000)) << "a pattern without ; matches the start";
}

TEST_F(SimulatorTest, APendingEventWaitEndsOnANewMaskButNotOnCancelIo)
{
    // What a listener's stop can rely on under Wine, on a quiet line.
    ASSERT_TRUE(SetCommMask(port.Handle(), EV_RXCHAR));
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(port.Handle(), &mask, &overlapped));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));

    CancelIo(port.Handle());
    const bool cancelled = WaitForSingleObject(overlapped.hEvent, 300) == WAIT_OBJECT_0;
    std::printf("[ figure ] CancelIo %s a pending WaitCommEvent\n", cancelled ? "ended" : "did not end");
    if (!cancelled) {
        ASSERT_TRUE(SetCommMask(port.Handle(), EV_RXCHAR));
        EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 1000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    DWORD transferred = 0;
    EXPECT_FALSE(GetOverlappedResult(port.Handle(), &overlapped, &transferred, FALSE));
    CloseHandle(overlapped.hEvent);
}

TEST_F(SimulatorTest, UnplugLeavesTheOpenPortOnADeadLine)
{
    // What a program's listener and writer meet when the adapter is pulled.
    ASSERT_TRUE(SetCommMask(port.Handle(), EV_RXCHAR));
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 0;
    const BOOL waitStarted = WaitCommEvent(port.Handle(), &mask, &overlapped);
    const DWORD waitStartError = GetLastError();
    ASSERT_FALSE(waitStarted);
    ASSERT_EQ(waitStartError, static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 100), static_cast<DWORD>(WAIT_TIMEOUT)) << "quiet line";

    radio.Unplug();
    const DWORD waited = WaitForSingleObject(overlapped.hEvent, 2000);
    DWORD transferred = 0;
    const BOOL waitResult = waited == WAIT_OBJECT_0 ? GetOverlappedResult(port.Handle(), &overlapped, &transferred, FALSE)
                                                    : FALSE;
    const DWORD waitError = GetLastError();
    std::printf("[ figure ] after unplug: pending WaitCommEvent %s, result %d, mask 0x%lX, error %lu\n",
                waited == WAIT_OBJECT_0 ? "completed" : "still pending", waitResult, mask, waitError);
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "a listener must learn that the line is gone";
    EXPECT_FALSE(waitResult);
    if (waited != WAIT_OBJECT_0) {
        CancelIo(port.Handle());
        WaitForSingleObject(overlapped.hEvent, 1000);
    }

    const BOOL written = port.Write(";");
    const DWORD writeError = GetLastError();
    std::printf("[ figure ] after unplug: WriteFile %d, error %lu\n", written, writeError);
    EXPECT_FALSE(written) << "a write on a dead line must not look like success";

    COMSTAT status{};
    DWORD errors = 0;
    const BOOL cleared = ClearCommError(port.Handle(), &errors, &status);
    std::printf("[ figure ] after unplug: ClearCommError %d, error %lu, flags 0x%lX, queued %lu\n", cleared,
                cleared ? 0 : GetLastError(), errors, status.cbInQue);

    // A listener that simply waits again: does each new wait end at once?
    const LONGLONG rewaitStart = Now();
    int endedAtOnce = 0;
    DWORD lastError = 0;
    for (int i = 0; i < 5; ++i) {
        ResetEvent(overlapped.hEvent);
        if (!WaitCommEvent(port.Handle(), &mask, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
            lastError = GetLastError();
            ++endedAtOnce;
            continue;
        }
        if (WaitForSingleObject(overlapped.hEvent, 500) != WAIT_OBJECT_0) {
            CancelIo(port.Handle());
            WaitForSingleObject(overlapped.hEvent, 1000);
            break;
        }
        GetOverlappedResult(port.Handle(), &overlapped, &transferred, FALSE);
        lastError = GetLastError();
        ++endedAtOnce;
    }
    std::printf("[ figure ] after unplug: %d of 5 new WaitCommEvent calls ended within %.1f ms, last error %lu\n",
                endedAtOnce, Elapsed(rewaitStart), lastError);
    CloseHandle(overlapped.hEvent);

    port.Close();
    EXPECT_FALSE(port.Open(radio.PortName(), 38400)) << "the port is gone";
    EXPECT_FALSE(Listed(radio.PortName()));
    std::printf("[ figure ] after unplug: CreateFileW error %lu\n", GetLastError());
    EXPECT_EQ(radio.CountCommand(""), 0u) << "the log is still there to ask";
}

TEST_F(SimulatorTest, ParallelSimulatorsHaveTheirOwnListedPorts)
{
    CSimulatedTransceiver second;
    ASSERT_TRUE(second.Start());
    const std::wstring secondPort = second.PortName();
    EXPECT_NE(secondPort, radio.PortName());
    EXPECT_TRUE(Listed(radio.PortName()));
    EXPECT_TRUE(Listed(secondPort));

    CRawSerialPort other;
    ASSERT_TRUE(other.Open(secondPort, 38400));
    second.SetIdentifyReply("N8;");
    ASSERT_TRUE(other.Write("I;"));
    EXPECT_EQ(other.ReadReply(1000), "N8;");
    EXPECT_EQ(Ask("I;", kNoReplyMs), "") << "the first radio is another one";
    other.Close();

    second.Stop();
    EXPECT_FALSE(Listed(secondPort));
    EXPECT_FALSE(other.Open(secondPort, 38400));
    EXPECT_TRUE(Listed(radio.PortName()));
}

TEST_F(SimulatorTest, ListingsLeftByDeadTestsAreDropped)
{
    // As a test killed before it could unlist its simulator's port leaves it.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t port[] = L"COM254";
    RegSetValueExW(key, L"\\Device\\Q7Sim254", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), sizeof port);
    RegCloseKey(key);
    ASSERT_TRUE(Listed(port));

    CSimulatedTransceiver next;
    ASSERT_TRUE(next.Start());
    EXPECT_FALSE(Listed(port));
    EXPECT_TRUE(Listed(radio.PortName())) << "a live simulator keeps its listing";
}

}  // namespace
