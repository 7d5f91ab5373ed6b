// A full MCU load into the simulated transceiver at 38400 bit/s, from the
// loader's first poll to the end of the contact run after the reset, against
// the wire time of every byte exchanged plus the waits the load must make.
#include <windows.h>

#include "LoadBenchmark.h"
#include "LoaderFixture.h"

namespace {

// The load's own waits: the N8 probe's time-out, the first poll after it
// (the radio takes the probe's '=' into it), "LDM;", the reset; then the
// contact run's unanswered "I;" and its pause after "TT0;".
constexpr double kMandatedMs = 500 + 10 + 2000 + 5500 + 200 + 10;

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    CModel& model = GetModel();
    CTempFolder folder;
    const std::wstring path = WriteMcuFile(folder, L"hmcu0460.hex", 0x1F000, 1).path;

    CMcuLoaderStateMachine machine(L"MCU", path, L"");
    ShowProgressBar(window);
    radio.ClearLog();
    window.ResetFinished();
    model.SetActiveMachine(&machine);
    const DWORD start = GetTickCount();
    machine.StartLoad(window.Handle());
    if (!window.WaitForFinish(300000) || window.Result() != 0 || machine.VerifyVersion() != 0) {
        printf("the load failed: 0x%08lX, machine 0x%08lX\n", static_cast<unsigned long>(window.Result()),
               static_cast<unsigned long>(machine.m_result));
        for (const std::wstring& line : window.logTexts)
            printf("%ls\n", line.c_str());
        printf("boot loader: %s\n", radio.Loader("summary").c_str());
        const auto log = radio.Log();
        for (size_t i = log.size() > 8 ? log.size() - 8 : 0; i < log.size(); ++i)
            printf("%.1f %s %s\n", log[i].ms, log[i].command.c_str(), log[i].reply.c_str());
        return false;
    }
    const DWORD elapsed = GetTickCount() - start;

    const std::vector<SimulatedCommand> log = radio.Log();
    double wire = 0, packetWire = 0, firstPacket = 0, lastPacket = 0;
    size_t packets = 0;
    for (const SimulatedCommand& entry : log) {
        const bool packet = entry.command.compare(0, 7, "packet:") == 0;
        const size_t sent = packet ? CMcuLoaderStateMachine::kPacketSize : entry.command.size();
        const double ms = WireMs(sent, entry.speed) + WireMs(entry.reply.size(), entry.speed);
        wire += ms;
        if (packet) {
            packetWire += ms;
            if (packets++ == 0)
                firstPacket = entry.ms;
            lastPacket = entry.ms;
        }
    }
    // The first packet's own time lies before its log entry.
    const double packetPhase = lastPacket - firstPacket + WireMs(CMcuLoaderStateMachine::kPacketSize + 1, 38400);
    printf("MCU load at 38400 bit/s: %zu packets, %zu log entries\n", packets, log.size());
    printf("load time (first poll to the end of contact): %lu ms\n", static_cast<unsigned long>(elapsed));
    printf("wire time of every byte exchanged: %.1f ms\n", wire);
    printf("mandated waits: %.1f ms\n", kMandatedMs);
    printf("ratio load / (wire + waits): %.3f\n", elapsed / (wire + kMandatedMs));
    printf("packet phase: %.1f ms against %.1f ms on the wire\n", packetPhase, packetWire);
    printf("mean overhead per packet exchange beyond its wire time: %.2f ms\n", (packetPhase - packetWire) / packets);
    printf("MCU load: %s\n", MeasureLoadTurnaround(log).Describe().c_str());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure, SetLoadedVersions);
}
