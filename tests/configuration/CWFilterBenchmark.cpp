// Reads eight full CW memories and writes one crystal-filter group on the
// simulated transceiver at 38400 bit/s, and compares each time with the
// wire time of the bytes exchanged plus the waits the operation mandates.
#include <windows.h>

#include <cstdio>

#include "BenchmarkRun.h"
#include "CWMemoryStateMachine.h"
#include "XtalFilterStateMachine.h"

namespace {

void Print(const char* what, double ms, CSimulatedTransceiver& radio, double waits)
{
    unsigned characters = 0;
    for (const SimulatedCommand& entry : radio.Log())
        characters += static_cast<unsigned>(entry.command.size() + entry.reply.size());
    const double wire = characters * kMsPerCharacter;
    printf("%s: %u characters, wire %.1f ms + waits %.0f ms = %.1f ms; took %.1f ms, ratio %.2f; %s\n", what,
           characters, wire, waits, wire + waits, ms, ms / (wire + waits),
           MeasureTurnaround(radio.Log()).Describe().c_str());
}

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    CModel& model = GetModel();

    // Eight memories of 251 "E", no terminator: every chunk is read.
    for (unsigned memory = 0; memory < CW_MEMORY_COUNT; ++memory)
        radio.WriteEeprom(GetCWMemoryAddress(memory), std::vector<uint8_t>(CW_MEMORY_LENGTH, 0x02));
    CCWMemoryStateMachine memories;
    model.SetActiveMachine(&memories);
    const double read = TimeRun(radio, window, [&] { return memories.StartRead(); });
    if (read < 0 || window.Result() != 0 || memories.Texts.Get(7).size() != CW_MEMORY_LENGTH) {
        printf("reading the memories failed\n");
        return false;
    }
    Print("eight full CW memories read", read, radio, 10);  // "TT0;" and its pause

    CXtalFilterStateMachine filters;
    model.SetActiveMachine(&filters);
    if (TimeRun(radio, window, [&] { return filters.StartRead(); }) < 0 || window.Result() != 0) {
        printf("reading the filters failed\n");
        return false;
    }
    filters.m_offset.Edit(2, static_cast<BYTE>(filters.m_offset.Get(2) + 1));
    const double write = TimeRun(radio, window, [&] { return filters.StartWrite(); });
    if (write < 0 || window.Result() != 0) {
        printf("writing the filters failed\n");
        return false;
    }
    Print("one filter group written, radio restarted and found", write, radio, 5500);
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure);
}
