// Saves the configuration from the simulated transceiver at 38400 and at
// 9600 bit/s (block reads), and at 38400 with byte reads, and compares the
// machine's time, start to end, with the wire time of the characters
// exchanged plus the waits the machine must keep: the speed search's 100 ms
// for each poll that got no answer and for each speed it moves the port to,
// and the 10 ms after "TT0;".
#include <windows.h>

#include <cstdio>

#include "BenchmarkRun.h"
#include "ConfigSaveStateMachine.h"

namespace {

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window, HWND progressBar, unsigned speed,
             unsigned mcuVersion)
{
    CModel& model = GetModel();
    radio.SetMcuVersion(mcuVersion);
    radio.SetSpeed(speed);
    if (!FindRadio(window))
        return false;

    CConfigSaveStateMachine machine;
    model.SetActiveMachine(&machine);
    const double elapsed = TimeRun(radio, window, [&] { return machine.Start(progressBar); });
    model.SetActiveMachine(nullptr);
    if (elapsed < 0 || window.Result() != 0) {
        printf("the save failed at %u bit/s: 0x%08lX after %zu commands\n", speed,
               static_cast<unsigned long>(window.Result()), radio.Log().size());
        return false;
    }

    double wire = 0, waits = 0;
    size_t characters = 0;
    unsigned lastSpeed = 0;
    for (const SimulatedCommand& entry : radio.Log()) {
        // A new port speed settles 50 ms before and after it is set.
        if (lastSpeed != 0 && entry.speed != lastSpeed)
            waits += 100;
        lastSpeed = entry.speed;
        const size_t exchanged = entry.command.size() + entry.reply.size();
        characters += exchanged;
        wire += exchanged * 10 * 1000.0 / entry.speed;
        if (entry.command == ";" && !entry.answered)
            waits += 100;
        else if (entry.command == "TT0;")
            waits += 10;
    }
    printf("%u bit/s, MCU %u: %zu characters, wire %.1f ms + waits %.0f ms = %.1f ms; save took %.1f ms, "
           "ratio %.2f; %s\n",
           speed, mcuVersion, characters, wire, waits, wire + waits, elapsed, elapsed / (wire + waits),
           MeasureTurnaround(radio.Log()).Describe().c_str());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark([](CSimulatedTransceiver& radio, CMachineTestWindow& window) {
        const HWND bar = ShowProgressBar(window);
        return Measure(radio, window, bar, 38400, 455) && Measure(radio, window, bar, 9600, 455) &&
               Measure(radio, window, bar, 38400, 382);
    });
}
