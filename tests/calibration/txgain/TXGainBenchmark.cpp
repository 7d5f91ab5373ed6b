// A 5 W TX gain calibration of the simulated radio, from its first command
// to its last, against the waits the calibration must keep plus the wire
// time of the bytes exchanged; and the time and commands a band takes.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "BenchmarkRun.h"
#include "TXGainFixture.h"

namespace {

bool StartsWith(const std::string& text, const char* start)
{
    return text.compare(0, strlen(start), start) == 0;
}

// The wait the calibration keeps after the command, by its place in the log.
double MandatedWaitMs(const std::vector<SimulatedCommand>& log, size_t i)
{
    const std::string& command = log[i].command;
    const std::string previous = i > 0 ? log[i - 1].command : std::string();
    const std::string next = i + 1 < log.size() ? log[i + 1].command : std::string();
    if (command == "MN255;" || command == "TT0;" || command == "DB00;" || command == "UP;")
        return 10;
    if (StartsWith(command, "MN"))  // a menu opened, or the restore's menu value set right after
        return StartsWith(next, "MP") && next != "MP;" ? 10 : 250;
    if (StartsWith(command, "MP") && command != "MP;" && StartsWith(previous, "MN"))
        return 10;
    if (command == "DN;")
        return 250;
    if (command == "SWH16;")
        return 300;
    if (command == "RX;")
        return 500;
    // The pause before each sample's transmit check.
    if ((command == "DB;" || command == "TQ;") && next == "TQ;")
        return 300;
    return 0;
}

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow&)
{
    CCalibrationTestPage page;
    CTXGCStateMachine machine;
    GetModel().SetActiveMachine(&machine);
    radio.ClearLog();
    if (!machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W) || !page.WaitForFinish(180000) ||
        page.finished.front() != 0) {
        printf("the calibration did not succeed\n");
        return false;
    }
    const std::vector<SimulatedCommand> log = radio.Log();
    double waits = 0, wire = 0;
    std::vector<size_t> bandStarts;
    for (size_t i = 0; i < log.size(); ++i) {
        waits += MandatedWaitMs(log, i);
        wire += (log[i].command.size() + log[i].reply.size()) * kMsPerCharacter;
        if (log[i].command.size() == 5 && StartsWith(log[i].command, "BN") && log[i].command != "BN;" &&
            bandStarts.size() < 11)
            bandStarts.push_back(i);
    }
    if (bandStarts.size() != 11) {
        printf("unexpected command log\n");
        return false;
    }
    const double elapsed = log.back().ms + MandatedWaitMs(log, log.size() - 1) +
                           log.back().reply.size() * kMsPerCharacter - log.front().ms +
                           log.front().command.size() * kMsPerCharacter;
    const double bandMs = (log[bandStarts[10]].ms - log[bandStarts[0]].ms) / 10;
    const double bandCommands = (bandStarts[10] - bandStarts[0]) / 10.0;
    printf("5 W run: %zu commands, mandated waits %.0f ms + wire time %.1f ms = %.1f ms, took %.1f ms; %s\n",
           log.size(), waits, wire, waits + wire, elapsed,
           MeasureTurnaround(log, nullptr, [&](size_t i) { return MandatedWaitMs(log, i) > 0; }).Describe().c_str());
    printf("run ratio: %.3f\n", elapsed / (waits + wire));
    printf("band seconds: %.2f\n", bandMs / 1000);
    printf("commands per band: %.1f\n", bandCommands);
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure);
}
