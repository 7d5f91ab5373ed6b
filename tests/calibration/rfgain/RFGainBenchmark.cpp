// The RF gain machine's DSP exchanges against the simulated transceiver at
// 38400 bit/s, whose DSP paces both directions: each figure is the machine's
// time over the wire time of every character exchanged plus the waits the
// machine must keep (100 ms before each DSP command, 10 ms after each ";"
// that ends a pass-through and after each switch tap, 8000 ms while the DSP
// computes).
//     table read x wire    one table read from the DSP
//     table write x wire   the factory table into the DSP and on into EEPROM
//     computed ratio       both receivers' computed low-level runs
#include <windows.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "BenchmarkRun.h"
#include "CalibrationTestPage.h"
#include "RFGainStateMachine.h"

namespace {

bool IsDspStart(const std::string& piece)
{
    return (piece[0] == '!' || piece[0] == '@') && piece.compare(1, 2, "02") != 0;
}

struct SFigures {
    double elapsed = 0;
    double wire = 0;
    double waits = 0;
    STurnaround turnaround;
    double Ratio() const { return elapsed / (wire + waits); }
};

// The machine waits after each ";" and switch tap, and before each DSP command.
bool WaitsAfter(const std::vector<SimulatedCommand>& log, size_t i)
{
    return log[i].command == ";" || log[i].command.compare(0, 2, "SW") == 0 ||
           log[i + 1].command[0] == '!' || log[i + 1].command[0] == '@';
}

// Wire and mandated waits of what the radio logged.
void Account(const std::vector<SimulatedCommand>& log, SFigures& figures)
{
    figures.turnaround.Add(MeasureTurnaround(log, nullptr, [&](size_t i) { return WaitsAfter(log, i); }));
    for (size_t i = 0; i < log.size(); ++i) {
        const SimulatedCommand& entry = log[i];
        figures.wire += WireMs(entry.command.size() + entry.reply.size(), entry.speed);
        if (entry.command == ";" || entry.command.compare(0, 2, "SW") == 0)
            figures.waits += 10;
        else if (IsDspStart(entry.command))
            figures.waits += 100;
    }
}

class CBenchmark {
public:
    explicit CBenchmark(CSimulatedTransceiver& radio) : m_radio(radio)
    {
        GetModel().SetActiveMachine(&m_machine);
        m_machine.m_owner = m_sheet.Handle();
    }

    // Runs a chain; with figures, its time and what the radio logged.
    bool Run(const char* what, const std::function<bool()>& start, SFigures* figures = nullptr)
    {
        m_radio.ClearLog();
        m_sheet.finished.clear();
        const double begin = NowMs();
        if (!start() || !m_sheet.WaitForFinish(60000) || m_sheet.finished.back() != 0) {
            printf("%s failed: 0x%08lX\n", what,
                   static_cast<unsigned long>(m_sheet.finished.empty() ? m_machine.m_result : m_sheet.finished.back()));
            return false;
        }
        if (figures) {
            figures->elapsed += NowMs() - begin;
            Account(m_radio.Log(), *figures);
        }
        return true;
    }

    CRFGCStateMachine m_machine;
    HWND Sheet() const { return m_sheet.Handle(); }

private:
    CSimulatedTransceiver& m_radio;
    CCalibrationTestPage m_sheet;
};

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow&)
{
    radio.Control("dsp signal main -73");
    radio.Control("dsp signal sub -73");
    CBenchmark bench(radio);
    CRFGCStateMachine& machine = bench.m_machine;
    const HWND sheet = bench.Sheet();
    SFigures read, write, computed;
    const bool ok =
        bench.Run("prepare", [&] { return machine.StartPrepare(sheet); }) &&
        bench.Run("table read", [&] { return machine.Start(sheet, 0, 0, machine.m_displayReadDspTable); }, &read) &&
        bench.Run("table write", [&] { return machine.StartCalibrate(sheet, 0, RFGC_SOURCE_FACTORY); }, &write) &&
        bench.Run("main set-up", [&] { return machine.StartSetUp(sheet, 0); }) &&
        bench.Run("main computed", [&] { return machine.StartCalibrate(sheet, 0, RFGC_SOURCE_COMPUTED); },
                  &computed) &&
        bench.Run("sub set-up", [&] { return machine.StartSetUp(sheet, 1); }) &&
        bench.Run("sub computed", [&] { return machine.StartCalibrate(sheet, 1, RFGC_SOURCE_COMPUTED); },
                  &computed) &&
        bench.Run("restore", [&] { return machine.StartRestore(sheet); });
    if (!ok)
        return false;
    computed.waits += 2 * 8000;
    printf("table read: %.1f ms, wire %.1f ms + waits %.0f ms; %s\n", read.elapsed, read.wire, read.waits,
           read.turnaround.Describe().c_str());
    printf("table read x wire: %.3f\n", read.Ratio());
    printf("table write (and EEPROM store): %.1f ms, wire %.1f ms + waits %.0f ms; %s\n", write.elapsed, write.wire,
           write.waits, write.turnaround.Describe().c_str());
    printf("table write x wire: %.3f\n", write.Ratio());
    printf("computed runs: %.1f ms, wire %.1f ms + waits %.0f ms; %s\n", computed.elapsed, computed.wire,
           computed.waits, computed.turnaround.Describe().c_str());
    printf("computed ratio: %.3f\n", computed.Ratio());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure);
}
