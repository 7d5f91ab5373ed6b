// The firmware folder's newest Intel hex file of each kind, read from the file
// names, and whether the files a load needs are all there.
#pragma once

#include <windows.h>

#include <string>

// Indexes the table of name prefixes; also the index of the firmware version
// the radio reports for that processor (MCU, DSP1, FPF, DSP2).
enum FirmwareFileKind : unsigned {
    kFirmwareMcu = 0,        // "hmcu"
    kFirmwareDsp1 = 1,       // "hdsp", main receiver DSP program
    kFirmwareFpf = 2,        // "hfpf", front-panel flash
    kFirmwareDsp2 = 3,       // "haux", second receiver DSP program
    kFirmwareDataTable = 4,  // "dtbl", DSP data table
    kFirmwareTinyBoot = 5,   // "tboot", DSP tiny boot loader
    kFirmwareKindCount = 8,  // 6 and 7 are empty slots
};

class CFirmwareFileSet {
public:
    // Empties the set and takes every entry of the folder through AddFile.
    // The process's current directory is the same afterwards.
    void Scan(const std::wstring& folder);
    // Keeps the file when it is newer than the one held of its kind (or the
    // release notes); true when it was kept. The version is the loaders' own
    // reading of the name (ParseFileNameVersion).
    bool AddFile(const std::wstring& path);
    void Clear();

    // From MCU version 462 on the MCU file needs its companion of the same version.
    bool IsMcuValid() const;
    bool IsDsp1Valid() const;
    bool IsDsp2Valid() const;
    bool HasRequiredFiles() const { return IsMcuValid() && IsDsp1Valid(); }

    const std::wstring& GetPath(FirmwareFileKind kind) const { return m_path[kind]; }
    WORD GetVersion(FirmwareFileKind kind) const { return m_version[kind]; }
    // The MCU image for the radio's second boot block ("hmcu....b.hex").
    const std::wstring& GetCompanionPath() const { return m_companionPath; }
    WORD GetCompanionVersion() const { return m_companionVersion; }
    bool HasNotes() const { return m_hasNotes; }

private:
    bool IsDspValid(FirmwareFileKind program) const;

    std::wstring m_path[kFirmwareKindCount];
    WORD m_version[kFirmwareKindCount] = {};
    std::wstring m_companionPath;
    WORD m_companionVersion = 0;
    bool m_hasNotes = false;
};
