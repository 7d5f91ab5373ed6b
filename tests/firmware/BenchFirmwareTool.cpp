// bench_firmware fill|remove
//
// The simulated firmware of scripts/run.sh's bench, in the program's own
// firmware folder (its setting, else its default). "fill" writes the
// simulated files when the folder holds no firmware file, then prints the
// simulator's requests that make the radio take what the folder holds;
// "remove" deletes the simulated files, and no other, before a real radio is
// used. Output, a line each: "folder PATH", then "wrote N" or "removed N"
// when files were written or removed, then the requests and "versions
// MCU 04.62, ..." for the versions they set.
#include <cstdio>
#include <string>

#include "BenchFirmware.h"
#include "FirmwareFileSet.h"
#include "Folders.h"
#include "Model.h"

namespace {

void Print(const std::string& line)
{
    std::printf("%s\n", line.c_str());
}

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring action = argc == 2 ? argv[1] : L"";
    if (action != L"fill" && action != L"remove") {
        std::fprintf(stderr, "usage: bench_firmware fill|remove\n");
        return 2;
    }
    CModel& model = GetModel();
    model.LoadSettings();
    const std::wstring folder = model.FirmwareFolder.Get();
    Print("folder " + Utf8(folder));
    if (action == L"remove") {
        if (const unsigned removed = RemoveBenchFirmware(folder))
            Print("removed " + std::to_string(removed));
        return 0;
    }

    CFirmwareFileSet files;
    files.Scan(folder);
    if (!HoldsFirmware(files)) {
        if (!CreateFolderTree(folder) || !WriteBenchFirmware(folder)) {
            std::fprintf(stderr, "bench_firmware: cannot write into %s (error %lu)\n", Utf8(folder).c_str(),
                         GetLastError());
            return 1;
        }
        Print("wrote " + std::to_string(BenchFirmwareFiles().size()));
        files.Scan(folder);
    }
    std::string versions;
    for (const SAfterLoad& load : AfterLoads(files)) {
        Print(load.request);
        char version[32];
        std::snprintf(version, sizeof version, "%s%s %02u.%02u", versions.empty() ? "" : ", ", load.processor,
                      load.version / 100, load.version % 100);
        versions += version;
    }
    if (!versions.empty())
        Print("versions " + versions);
    return 0;
}
