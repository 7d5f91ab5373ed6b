// An independent reading of Intel hex text, written apart from the program's
// reader, to tell what a firmware image must hold.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "HexFixture.h"

struct ReferenceHex {
    struct Record {
        uint64_t address;
        Bytes data;
    };

    DWORD error = 0;    // 0: the text reads
    DWORD line = 0;     // where reading stopped, 1-based
    std::vector<Record> records;  // data records in file order
    uint64_t low = 0xFFFFFFFF;
    uint64_t high = 0;
    bool headerFound = false;
    std::array<BYTE, 16> header{};
};

// `rangeLimit` applies the whole-file pass's limits (no data beyond 32-bit
// addresses, no span above the image cap); a copy into a given window has none.
ReferenceHex ReadReferenceHex(const std::string& text, bool captureHeader, bool rangeLimit);

// The window [low, high) as a copy pass fills it: a record that starts
// outside is dropped, one that runs past the end is cut.
Bytes ReferenceWindow(const ReferenceHex& hex, uint64_t low, uint64_t high, BYTE fill = 0xFF);
