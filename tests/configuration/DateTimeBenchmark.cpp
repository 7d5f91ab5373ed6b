// Sets the simulated radio's clock, off by 1 day 3 h 20 min 53 s, through the
// date and time sheet, and compares the time the passes after OK took (from
// the pass under way when OK was pressed to the end of the last wait, on the
// radio's clock) with their mandated waits plus the wire time of the bytes
// exchanged.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchmarkRun.h"
#include "BoxWatcher.h"
#include "DateTimePage.h"
#include "ToolSheet.h"
#include "resource.h"

namespace {

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    radio.SetClockOffset(86400 + 3 * 3600 + 20 * 60 + 53);

    CDateTimePage page;
    CToolSheet sheet(IDS_DATE_TIME_CAPTION, 0);
    CBoxWatcher boxes;
    size_t beforeOk = 0;
    double pressed = 0;
    boxes.OnDialog(L"Set Date and Time", [&](HWND shown) {
        if (page.Phase() != 3)
            return false;
        page.Machine().DateTimeUtc.Set(1);
        beforeOk = radio.Log().size();
        pressed = NowMs();
        PostMessageW(shown, PSM_PRESSBUTTON, PSBTN_OK, 0);
        return true;
    });
    sheet.Run(window.Handle(), page);
    const double closed = NowMs() - pressed;

    // From the time menu of the poll under way at OK.
    const std::vector<SimulatedCommand> log = radio.Log();
    size_t first = beforeOk;
    while (first > 0 && log[first - 1].command != "MN073;")
        --first;
    if (first == 0 || log.back().command != "MN255;") {
        printf("unexpected command log\n");
        return false;
    }
    --first;
    const double elapsed = log.back().ms + 10 - log[first].ms + log[first].command.size() * kMsPerCharacter;

    // The waits each command is followed by, and the menu passes.
    std::vector<double> waitAfter(log.size(), 0);
    double waits = 0, wire = 0;
    unsigned timePasses = 0, datePasses = 0;
    bool dateMenu = false;
    for (size_t i = first; i < log.size(); ++i) {
        const SimulatedCommand& entry = log[i];
        wire += (entry.command.size() + entry.reply.size()) * kMsPerCharacter;
        const std::string& command = entry.command;
        if (command == "MN073;" || command == "MN029;" || command == "MN030;") {
            waitAfter[i] = 250;
            dateMenu = command != "MN073;";
            (dateMenu ? datePasses : timePasses) += 1;
        } else if (command == "MN255;") {
            waitAfter[i] = 10;
        } else if (command.compare(0, 3, "SWT") == 0) {
            waitAfter[i] = dateMenu ? 500 : 10;
        }
        waits += waitAfter[i];
    }
    const std::vector<SimulatedCommand> passes(log.begin() + first, log.end());
    const STurnaround turnaround =
        MeasureTurnaround(passes, nullptr, [&](size_t i) { return waitAfter[first + i] > 0; });
    printf("radio clock off by 1 d 3 h 20 min 53 s; from OK: %u time passes, %u date passes\n", timePasses,
           datePasses);
    printf("clock now off by %lld s\n", radio.ClockOffset());
    printf("mandated waits %.0f ms + wire time %.1f ms = %.1f ms\n", waits, wire, waits + wire);
    printf("passes took %.1f ms, ratio %.2f (OK to closed: %.1f ms); %s\n", elapsed, elapsed / (waits + wire), closed,
           turnaround.Describe().c_str());
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure);
}
