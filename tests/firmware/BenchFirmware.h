// The simulated firmware of scripts/run.sh's bench: a file of each kind the
// program loads, each newer than the simulated radio's own firmware, and
// release notes. The bytes are the same every time, so that the bench's
// files can be told from anyone else's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CFirmwareFileSet;

struct SBenchFile {
    std::wstring name;
    std::string content;
};

std::vector<SBenchFile> BenchFirmwareFiles();

// Into a folder that exists; false at the first file that cannot be written,
// the reason the last error.
bool WriteBenchFirmware(const std::wstring& folder);
// Deletes the folder's files that are bench files to the byte; how many.
unsigned RemoveBenchFirmware(const std::wstring& folder);

// Whether the set holds a firmware file of any kind.
bool HoldsFirmware(const CFirmwareFileSet& files);
// What the simulated radio is to report after a load of one processor: the
// version of the file the program sends, the set's newest of that kind.
struct SAfterLoad {
    const char* processor;  // "MCU", "DSP1", "DSP2", "FPF"
    unsigned version;
    // The simulator's request that sets it ("loader reset-version 462").
    std::string request;
};
std::vector<SAfterLoad> AfterLoads(const CFirmwareFileSet& files);
