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

constexpr double kBitsPerByte = 10;
constexpr double kLineSpeed = 38400;

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

double WireMs(size_t characters, unsigned speed)
{
    return 1000.0 * characters * kBitsPerByte / speed;
}

// Reply end to next command, in ms, for the commands that continue a read.
// A command is logged when its last byte is in.
std::vector<double> ReplyToCommandGaps(const std::vector<SimulatedCommand>& log)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < log.size(); ++i) {
        unsigned address = 0, count = 0, nextAddress = 0, nextCount = 0;
        if (!ParseBlockRead(log[i - 1].command, address, count) ||
            !ParseBlockRead(log[i].command, nextAddress, nextCount) || nextAddress != address + count)
            continue;
        const double replyEnd = log[i - 1].ms + WireMs(log[i - 1].reply.size(), log[i - 1].speed);
        gaps.push_back(log[i].ms - WireMs(log[i].command.size(), log[i].speed) - replyEnd);
    }
    return gaps;
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
    const double wireMs = 1000.0 * characters * kBitsPerByte / kLineSpeed;
    std::vector<double> gaps = ReplyToCommandGaps(radio.Log());
    std::sort(gaps.begin(), gaps.end());
    double gapTotal = 0;
    for (double gap : gaps)
        gapTotal += gap;
    const double gapMean = gaps.empty() ? 0 : gapTotal / gaps.size();
    const double gap95 = gaps.empty() ? 0 : gaps[std::min(gaps.size() - 1, gaps.size() * 95 / 100)];

    printf("saved EEPROM bytes: %u bytes\n", GetSavedByteCount());
    printf("characters exchanged: %u characters\n", characters);
    printf("wire time at 38400 bit/s: %.1f ms\n", wireMs);
    printf("read time mean: %.1f ms\n", total / kRounds);
    printf("read time best: %.1f ms\n", best);
    printf("ratio read/wire mean: %.2f x\n", total / kRounds / wireMs);
    printf("ratio read/wire best: %.2f x\n", best / wireMs);
    printf("reply-to-command gap mean: %.2f ms\n", gapMean);
    printf("reply-to-command gap 95th percentile: %.2f ms\n", gap95);
    printf("reply-to-command gaps measured: %u gaps\n", static_cast<unsigned>(gaps.size()));
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(Measure, [](CSimulatedTransceiver& radio) { radio.SetMcuVersion(455); });
}
