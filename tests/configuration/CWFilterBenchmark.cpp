// Reads eight full CW memories and writes one crystal-filter group on the
// simulated transceiver at 38400 bit/s, and compares each time with the
// wire time of the bytes exchanged plus the waits the operation mandates.
#include <windows.h>

#include <cstdio>

#include "CWMemoryStateMachine.h"
#include "BenchmarkRadio.h"
#include "XtalFilterStateMachine.h"

namespace {

// Runs a machine from `start` to its end; its time in ms, or a negative value.
template <typename Start>
double Time(CMachineTestWindow& window, Start start)
{
    window.ResetFinished();
    const double begin = NowMs();
    if (!start() || !window.WaitForFinish(60000) || window.Result() != 0)
        return -1;
    return NowMs() - begin;
}

void Print(const char* what, double ms, CSimulatedTransceiver& radio, double waits)
{
    unsigned characters = 0;
    for (const SimulatedCommand& entry : radio.Log())
        characters += static_cast<unsigned>(entry.command.size() + entry.reply.size());
    const double wire = characters * kMsPerCharacter;
    printf("%s: %u characters, wire %.1f ms + waits %.0f ms = %.1f ms; took %.1f ms, ratio %.2f\n", what,
           characters, wire, waits, wire + waits, ms, ms / (wire + waits));
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    CSimulatedTransceiver radio;
    CMachineTestWindow window;
    if (!FindRadio(radio, window))
        return 1;
    CModel& model = GetModel();

    // Eight memories of 251 "E", no terminator: every chunk is read.
    for (unsigned memory = 0; memory < CW_MEMORY_COUNT; ++memory)
        radio.WriteEeprom(GetCWMemoryAddress(memory), std::vector<uint8_t>(CW_MEMORY_LENGTH, 0x02));
    CCWMemoryStateMachine memories;
    model.SetActiveMachine(&memories);
    radio.ClearLog();
    const double read = Time(window, [&] { return memories.StartRead(); });
    if (read < 0 || memories.Texts.Get(7).size() != CW_MEMORY_LENGTH) {
        printf("reading the memories failed\n");
        return 1;
    }
    Print("eight full CW memories read", read, radio, 10);  // "TT0;" and its pause

    CXtalFilterStateMachine filters;
    model.SetActiveMachine(&filters);
    if (Time(window, [&] { return filters.StartRead(); }) < 0) {
        printf("reading the filters failed\n");
        return 1;
    }
    filters.m_offset.m_shadow[2] = static_cast<BYTE>(filters.m_offset.Get(2) + 1);
    radio.ClearLog();
    const double write = Time(window, [&] { return filters.StartWrite(); });
    if (write < 0) {
        printf("writing the filters failed\n");
        return 1;
    }
    Print("one filter group written, radio restarted and found", write, radio, 5500);

    model.SetActiveMachine(nullptr);
    model.ClosePort();
    CoUninitialize();
    return 0;
}
