// Restores the 1,562 saved bytes into the simulated transceiver at 38400
// bit/s and compares the time from the machine's start to the end of the
// contact run after the reset with the wire time of the characters exchanged
// plus the waits the machines must keep: 10 ms after "TT0;", 5,500 ms after
// "LDD20000;" and 100 ms for each speed-search poll that got no answer.
#include <windows.h>

#include <cstdio>

#include "ConfigRestoreStateMachine.h"
#include "BenchmarkRun.h"

namespace {

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    CConfigRestoreStateMachine machine;
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        for (unsigned i = 0; i < GetSavedRegionLength(region); ++i)
            machine.AddByte(static_cast<int>(GetSavedRegionStart(region) + i), static_cast<BYTE>(i * 7));
    }
    GetModel().SetActiveMachine(&machine);
    const HWND bar = ShowProgressBar(window);
    const double elapsed = TimeRun(radio, window, [&] { return machine.Start(bar); });
    if (elapsed < 0 || window.Result() != 0) {
        printf("the restore failed: 0x%08lX\n", static_cast<unsigned long>(window.Result()));
        return false;
    }
    double wire = 0, waits = 0;
    size_t characters = 0;
    for (const SimulatedCommand& entry : radio.Log()) {
        const size_t exchanged = entry.command.size() + entry.reply.size();
        characters += exchanged;
        wire += exchanged * 10 * 1000.0 / entry.speed;
        if (entry.command == "TT0;")
            waits += 10;
        else if (entry.command == "LDD20000;")
            waits += 5500;
        else if (entry.command == ";" && !entry.answered)
            waits += 100;
    }
    printf("restore of %d bytes: %zu characters, wire %.1f ms + waits %.0f ms = %.1f ms; restore and contact took "
           "%.1f ms, ratio %.2f; %s\n",
           machine.GetByteCount(), characters, wire, waits, wire + waits, elapsed, elapsed / (wire + waits),
           MeasureTurnaround(radio.Log()).Describe().c_str());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure);
}
