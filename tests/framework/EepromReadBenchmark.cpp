// Reads the configuration's saved EEPROM regions from the simulated
// transceiver at 38400 bit/s and compares the time taken with the time the
// bytes exchanged need on the wire.
#include <windows.h>

#include <cstdio>

#include "ContactStateMachine.h"
#include "EepromMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"

namespace {

constexpr double kBitsPerByte = 10;
constexpr double kLineSpeed = 38400;

// Characters on the wire for one block read of `count` bytes.
unsigned ExchangedCharacters(unsigned count)
{
    return 11 + 8 + 2 * count + 3;
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    CSimulatedTransceiver radio;
    if (!radio.Start())
        return 1;
    radio.SetMcuVersion(455);
    CModel& model = GetModel();
    model.Port.Set(radio.PortName());

    CMachineTestWindow window;
    model.Contact().StartAtOpenPort();
    if (!window.WaitForFinish(30000) || window.Result() != 0) {
        printf("the radio was not found\n");
        return 1;
    }

    CEepromMachine eeprom;
    model.SetActiveMachine(&eeprom);
    constexpr int kRounds = 5;
    double best = 1e9, total = 0;
    unsigned characters = 0;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        characters = 0;
        for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
            window.ResetFinished();
            eeprom.progress.clear();
            eeprom.read.SetRange(GetSavedRegionStart(region), GetSavedRegionLength(region));
            eeprom.Start(eeprom.read);
            if (!window.WaitForFinish(30000) || window.Result() != 0) {
                printf("reading region %u failed\n", region);
                return 1;
            }
            for (UINT chunk : eeprom.progress)
                characters += ExchangedCharacters(chunk);
        }
        QueryPerformanceCounter(&end);
        const double ms = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
        best = std::min(best, ms);
        total += ms;
    }
    const double wireMs = 1000.0 * characters * kBitsPerByte / kLineSpeed;
    printf("saved EEPROM bytes: %u in %u characters exchanged\n", GetSavedByteCount(), characters);
    printf("wire time at 38400 bit/s: %.1f ms\n", wireMs);
    printf("read time: mean %.1f ms, best %.1f ms over %d rounds\n", total / kRounds, best, kRounds);
    printf("ratio read/wire: mean %.2f, best %.2f\n", total / kRounds / wireMs, best / wireMs);
    model.SetActiveMachine(nullptr);
    model.ClosePort();
    CoUninitialize();
    return 0;
}
