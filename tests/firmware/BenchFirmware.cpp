#include "BenchFirmware.h"

#include <cstdio>
#include <cwchar>

#include "FileBytes.h"
#include "FirmwareFileSet.h"
#include "Folders.h"
#include "HexFixture.h"

namespace {

// One step above the simulated radio's MCU 04.55, DSPs 02.40 and front panel
// 01.32; the MCU at a version that needs its companion.
constexpr unsigned kMcu = 462, kDsp = 241, kFrontPanel = 133, kTables = 100;

std::wstring Name(const wchar_t* prefix, unsigned version, const wchar_t* tail = L"")
{
    wchar_t name[32];
    swprintf(name, 32, L"%ls%04u%ls.hex", prefix, version, tail);
    return name;
}

std::string ReleaseNotes()
{
    char text[512];
    snprintf(text, sizeof text,
             "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 "
             "\\b Simulated Q7 firmware for the bench of scripts/run.sh\\b0\\par "
             "MCU %02u.%02u, DSP1 and DSP2 %02u.%02u, front panel %02u.%02u.\\par "
             "Random bytes that only the simulated radio takes: never send them to a real Q7.\\par}",
             kMcu / 100, kMcu % 100, kDsp / 100, kDsp % 100, kFrontPanel / 100, kFrontPanel % 100);
    return text;
}

}  // namespace

std::vector<SBenchFile> BenchFirmwareFiles()
{
    std::array<BYTE, 16> header;
    return {
        {Name(L"hmcu", kMcu), MakeMcuHex(0x2000, 1).text},
        {Name(L"hmcu", kMcu, L"b"), MakeMcuHex(0x2000, 2).text},
        {Name(L"hdsp", kDsp), MakeWholeHex(RandomBytes(2048, 3))},
        {Name(L"haux", kDsp), MakeWholeHex(RandomBytes(2048, 4))},
        {Name(L"dtbl", kTables), MakeWholeHex(RandomBytes(512, 5))},
        {Name(L"tboot", kTables), MakeWholeHex(RandomBytes(256, 6))},
        {Name(L"hfpf", kFrontPanel), MakeFrontPanelHex(RandomBytes(1024, 7), header)},
        {L"hfwnotes.rtf", ReleaseNotes()},
    };
}

bool WriteBenchFirmware(const std::wstring& folder)
{
    for (const SBenchFile& file : BenchFirmwareFiles()) {
        if (!WriteFileBytes(CombinePath(folder, file.name), file.content))
            return false;
    }
    return true;
}

unsigned RemoveBenchFirmware(const std::wstring& folder)
{
    unsigned removed = 0;
    for (const SBenchFile& file : BenchFirmwareFiles()) {
        const std::wstring path = CombinePath(folder, file.name);
        if (ReadFileBytes(path) == file.content && DeleteFileW(path.c_str()))
            ++removed;
    }
    return removed;
}

bool HoldsFirmware(const CFirmwareFileSet& files)
{
    for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind) {
        if (!files.GetPath(static_cast<FirmwareFileKind>(kind)).empty())
            return true;
    }
    return !files.GetCompanionPath().empty();
}

std::vector<SAfterLoad> AfterLoads(const CFirmwareFileSet& files)
{
    // The MCU file's version stands for its companion's: from 462 on they
    // come as a pair, below it the companion is never sent.
    const struct {
        FirmwareFileKind kind;
        const char* processor;
        const char* request;
    } loads[] = {
        {kFirmwareMcu, "MCU", "loader reset-version "},
        {kFirmwareDsp1, "DSP1", "loader text-version LDD2 "},
        {kFirmwareDsp2, "DSP2", "loader text-version LDA2 "},
        {kFirmwareFpf, "FPF", "loader text-version LDF2 "},
    };
    std::vector<SAfterLoad> after;
    for (const auto& load : loads) {
        if (const unsigned version = files.GetVersion(load.kind))
            after.push_back({load.processor, version, load.request + std::to_string(version)});
    }
    return after;
}
