// Reads the configuration's saved EEPROM regions from the simulated
// transceiver at 38400 bit/s and compares the time taken with the time the
// bytes exchanged need on the wire; then, from the radio's log, the gap
// between the end of each reply and the start of the next command of the
// same read.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchmarkRun.h"
#include "EepromMachine.h"

namespace {

constexpr unsigned kLineSpeed = 38400;

// Characters on the wire for one block read of `count` bytes.
unsigned ExchangedCharacters(unsigned count)
{
    return 11 + 8 + 2 * count + 3;
}

// "ER" address count checksum ";": the address and the count, or false.
bool ParseBlockRead(const std::string& command, unsigned& address, unsigned& count)
{
    if (command.size() != 11 || command.compare(0, 2, "ER") != 0)
        return false;
    address = std::strtoul(command.substr(2, 4).c_str(), nullptr, 16);
    count = std::strtoul(command.substr(6, 2).c_str(), nullptr, 16);
    return true;
}

// Only the commands that continue a read count: between two regions the
// benchmark itself starts the machine again.
bool ContinuesRead(const std::vector<SimulatedCommand>& log, size_t i)
{
    unsigned address = 0, count = 0, nextAddress = 0, nextCount = 0;
    return i + 1 < log.size() && ParseBlockRead(log[i].command, address, count) &&
           ParseBlockRead(log[i + 1].command, nextAddress, nextCount) && nextAddress == address + count;
}

bool Measure(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    CModel& model = GetModel();
    CEepromMachine eeprom;
    model.SetActiveMachine(&eeprom);
    radio.ClearLog();
    constexpr int kRounds = 5;
    double best = 1e9, total = 0;
    unsigned characters = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = NowMs();
        characters = 0;
        for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
            window.ResetFinished();
            eeprom.progress.clear();
            eeprom.read.SetRange(GetSavedRegionStart(region), GetSavedRegionLength(region));
            eeprom.Start(eeprom.read);
            if (!window.WaitForFinish(30000) || window.Result() != 0) {
                printf("reading region %u failed\n", region);
                return false;
            }
            for (UINT chunk : eeprom.progress)
                characters += ExchangedCharacters(chunk);
        }
        const double ms = NowMs() - start;
        best = std::min(best, ms);
        total += ms;
    }
    const double wireMs = WireMs(characters, kLineSpeed);
    const std::vector<SimulatedCommand> log = radio.Log();
    const STurnaround turnaround = MeasureTurnaround(log, nullptr, [&](size_t i) { return !ContinuesRead(log, i); });
    std::vector<double> gaps = turnaround.gapsMs;
    std::sort(gaps.begin(), gaps.end());
    const double gap95 = gaps.empty() ? 0 : gaps[std::min(gaps.size() - 1, gaps.size() * 95 / 100)];

    printf("saved EEPROM bytes: %u bytes\n", GetSavedByteCount());
    printf("characters exchanged: %u characters\n", characters);
    printf("wire time at 38400 bit/s: %.1f ms\n", wireMs);
    printf("read time mean: %.1f ms\n", total / kRounds);
    printf("read time best: %.1f ms\n", best);
    printf("ratio read/wire mean: %.2f x\n", total / kRounds / wireMs);
    printf("ratio read/wire best: %.2f x\n", best / wireMs);
    printf("reads: %s\n", turnaround.Describe().c_str());
    printf("reply-to-command gap 95th percentile: %.2f ms\n", gap95);
    printf("reply-to-command gaps measured: %u gaps\n", static_cast<unsigned>(gaps.size()));
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure, [](CSimulatedTransceiver& radio) { radio.SetMcuVersion(455); });
}
