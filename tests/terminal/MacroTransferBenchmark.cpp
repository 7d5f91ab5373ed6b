// Reads and writes the radio's 16 command macros on the simulated
// transceiver at 38400 bit/s, with block commands (MCU 455) and with byte
// commands (MCU 382), and compares the time taken with the wire time of the
// characters exchanged plus the pauses the commands require.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchmarkRun.h"
#include "CommandMacroStateMachine.h"

namespace {

constexpr unsigned kLineSpeed = 38400;
// "TT0;" and "Q7H;" are each followed by a 10 ms pause.
constexpr double kModePauseMs = 10;

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window, CCommandMacroStateMachine& machine,
             bool write, const char* name)
{
    const double ms =
        TimeRun(radio, window, [&] { return write ? machine.StartWrite() : machine.StartRead(); }, 900000);
    if (ms < 0 || window.Result() != 0) {
        printf("%s failed: 0x%08lX\n", name, window.FinishCount() ? static_cast<unsigned long>(window.Result()) : 0ul);
        return false;
    }
    double characters = 0, pausesMs = 0;
    const std::vector<SimulatedCommand> log = radio.Log();
    for (const SimulatedCommand& entry : log) {
        characters += entry.command.size() + (entry.answered ? entry.reply.size() : 0);
        if (entry.command == "TT0;" || entry.command == "Q7H;")
            pausesMs += kModePauseMs;
    }
    const double wireMs = WireMs(static_cast<size_t>(characters), kLineSpeed) + pausesMs;
    printf("%s: %zu commands, %.0f characters, took %.1f ms; wire and pauses %.1f ms, ratio %.2f; %s\n", name,
           log.size(), characters, ms, wireMs, ms / wireMs, MeasureTurnaround(log).Describe().c_str());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark([](CSimulatedTransceiver& radio, CMachineTestWindow& window) {
        CModel& model = GetModel();
        CMacroStrings labels{WM_APP_MACRO_CAPTION};
        CMacroStrings texts{WM_APP_MACRO_TEXT};
        for (unsigned i = 0; i < kRadioMacroCount; ++i) {
            labels.Set(i, L"MACRO" + std::to_wstring(i + 1));
            texts.Set(i, std::wstring(i * 7, L'F'));
        }
        bool ok = true;
        for (const unsigned version : {455u, 382u}) {
            radio.SetMcuVersion(version);
            if (!FindRadio(window))
                return false;
            CCommandMacroStateMachine machine(labels, texts);
            model.SetActiveMachine(&machine);
            const std::string mcu = " at MCU " + std::to_string(version);
            ok = Measure(radio, window, machine, true, ("write 16 macros" + mcu).c_str()) &&
                 Measure(radio, window, machine, false, ("read 16 macros" + mcu).c_str()) && ok;
            model.SetActiveMachine(nullptr);
        }
        return ok;
    });
}
