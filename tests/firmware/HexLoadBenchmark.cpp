// Loads the largest MCU window from a full MCU file again and again and prints
// the time a load takes.
#include <windows.h>

#include <cstdio>

#include "FirmwareImage.h"
#include "HexFixture.h"
#include "TempFolder.h"

int main()
{
    constexpr DWORD kLow = 0x800;
    constexpr DWORD kHigh = 0x1FD80;
    constexpr int kRounds = 50;

    CTempFolder temp;
    CHexImage hex;
    hex.Put(0, RandomBytes(0x20000, 1));
    const HexFileOptions options;
    const std::string text = hex.ToHex(options);
    const std::wstring path = temp.Write(L"hmcu0462.hex", text);

    CFirmwareImage image;
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    double total = 0;
    for (int i = 0; i < kRounds; ++i) {
        QueryPerformanceCounter(&start);
        const bool loaded = image.Load(path, kLow, kHigh, 64, 0xFFFFFFFF);
        QueryPerformanceCounter(&stop);
        if (!loaded) {
            std::printf("load failed: 0x%08lX\n", GetLastError());
            return 1;
        }
        const double ms = 1000.0 * (stop.QuadPart - start.QuadPart) / frequency.QuadPart;
        total += ms;
        best = ms < best ? ms : best;
    }
    std::printf("MCU window 0x%lX-0x%lX (%lu bytes) from a %u-byte file of %u-byte records: %d loads, mean %.2f ms, "
                "best %.2f ms\n",
                kLow, kHigh, kHigh - kLow, static_cast<unsigned>(text.size()), options.recordLength, kRounds,
                total / kRounds, best);
    return 0;
}
