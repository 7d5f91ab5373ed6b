#include "FirmwareFileSet.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string_view>

#include "Folders.h"

namespace {

// Slots 6 and 7 have no prefix and never match.
const wchar_t* const kPrefixes[kFirmwareKindCount] = {L"hmcu", L"hdsp", L"hfpf", L"haux", L"dtbl", L"tboot",
                                                      nullptr,  nullptr};
const wchar_t kExtension[] = L".hex";
const wchar_t kNotesName[] = L"hfwnotes.rtf";

// From this MCU version on the main file comes with a companion of the same version.
constexpr WORD kFirstPairedMcuVersion = 462;
// From this DSP program version on a data table is needed, except for 9999.
constexpr WORD kFirstDataTableDspVersion = 137;
constexpr WORD kNotApplicableVersion = 9999;

// A file name split at its last '.'; stem and extension are views into it.
struct FileName {
    std::wstring_view stem;
    std::wstring_view extension;

    explicit FileName(const std::wstring& path)
    {
        std::wstring_view name = path;
        const size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring_view::npos)
            name.remove_prefix(slash + 1);
        const size_t dot = name.rfind(L'.');
        stem = name.substr(0, dot);
        extension = dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
    }

    std::wstring_view Whole() const { return {stem.data(), stem.size() + extension.size()}; }
};

bool EqualsNoCase(std::wstring_view text, const wchar_t* other)
{
    return text.size() == wcslen(other) && _wcsnicmp(text.data(), other, text.size()) == 0;
}

bool StartsWithNoCase(std::wstring_view text, const wchar_t* prefix)
{
    return prefix && EqualsNoCase(text.substr(0, wcslen(prefix)), prefix);
}

bool IsHexFileOf(const FileName& name, FirmwareFileKind kind)
{
    return StartsWithNoCase(name.stem, kPrefixes[kind]) && EqualsNoCase(name.extension, kExtension);
}

bool IsMcuCompanion(const FileName& name)
{
    return IsHexFileOf(name, kFirmwareMcu) && (name.stem.back() == L'b' || name.stem.back() == L'B');
}

std::wstring CurrentDirectory()
{
    std::wstring directory(MAX_PATH, L'\0');
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    if (length >= directory.size()) {
        directory.resize(length);
        length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    }
    directory.resize(length < directory.size() ? length : 0);
    return directory;
}

}  // namespace

void CFirmwareFileSet::Clear()
{
    for (std::wstring& path : m_path)
        path.clear();
    std::fill(std::begin(m_version), std::end(m_version), WORD{0});
    m_companionPath.clear();
    m_companionVersion = 0;
    m_hasNotes = false;
}

void CFirmwareFileSet::Scan(const std::wstring& folder)
{
    Clear();
    const std::wstring previous = CurrentDirectory();
    if (SetCurrentDirectoryW(folder.c_str())) {
        std::wstring prefix = CurrentDirectory();
        if (prefix.empty() || prefix.back() != L'\\')
            prefix += L'\\';
        WIN32_FIND_DATAW entry;
        const HANDLE find = FindFirstFileW(L"*.*", &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                AddFile(prefix + entry.cFileName);
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
    }
    SetCurrentDirectoryW(previous.c_str());
}

bool CFirmwareFileSet::AddFile(const std::wstring& path)
{
    const FileName name(path);
    const WORD version = ParseFileNameVersion(path);
    if (EqualsNoCase(name.Whole(), kNotesName)) {
        m_hasNotes = true;
        return true;
    }
    if (IsMcuCompanion(name)) {
        if (version <= m_companionVersion)
            return false;
        m_companionVersion = version;
        m_companionPath = path;
        return true;
    }
    for (unsigned kind = 0; kind < kFirmwareKindCount; ++kind) {
        if (IsHexFileOf(name, static_cast<FirmwareFileKind>(kind)) && m_version[kind] < version) {
            m_version[kind] = version;
            m_path[kind] = path;
            return true;
        }
    }
    return false;
}

bool CFirmwareFileSet::IsMcuValid() const
{
    const WORD version = m_version[kFirmwareMcu];
    return !m_path[kFirmwareMcu].empty() &&
           (version < kFirstPairedMcuVersion || m_companionVersion == version);
}

bool CFirmwareFileSet::IsDspValid(FirmwareFileKind program) const
{
    const WORD version = m_version[program];
    return !m_path[program].empty() && !m_path[kFirmwareTinyBoot].empty() &&
           (version < kFirstDataTableDspVersion || version == kNotApplicableVersion ||
            !m_path[kFirmwareDataTable].empty());
}

bool CFirmwareFileSet::IsDsp1Valid() const { return IsDspValid(kFirmwareDsp1); }

bool CFirmwareFileSet::IsDsp2Valid() const { return IsDspValid(kFirmwareDsp2); }
