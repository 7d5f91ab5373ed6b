#include "FileVersionInfo.h"

#include <cstring>
#include <cwchar>
#include <functional>

#include "TextOrId.h"
#include "resource.h"

namespace {

const wchar_t* const kStringNames[CFileVersionInfo::StringCount] = {
    L"CompanyName",    L"FileDescription", L"FileVersion",     L"InternalName",
    L"LegalCopyright", L"OriginalFileName", L"ProductName",    L"ProductVersion",
    L"Comments",       L"LegalTrademarks", L"PrivateBuild",    L"SpecialBuild",
};

WORD VersionPart(DWORD mostSignificant, DWORD leastSignificant, unsigned part)
{
    switch (part) {
    case 3: return HIWORD(mostSignificant);
    case 2: return LOWORD(mostSignificant);
    case 1: return HIWORD(leastSignificant);
    case 0: return LOWORD(leastSignificant);
    default: return 0;
    }
}

}  // namespace

bool CFileVersionInfo::LoadFromModule(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        Reset();
        return false;
    }
    return LoadFromFile(path);
}

bool CFileVersionInfo::LoadFromFile(const std::wstring& path)
{
    Reset();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return false;

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) && length == sizeof m_fixed)
        std::memcpy(&m_fixed, value, sizeof m_fixed);

    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(Translation))
        return true;
    const auto* first = static_cast<const Translation*>(value);
    const std::vector<Translation> translations(first, first + length / sizeof(Translation));
    const Translation& chosen = translations[ChooseTranslation(translations, GetUserDefaultLangID())];

    const std::wstring prefix = FormatText(L"\\StringFileInfo\\%04X%04X\\", chosen.language, chosen.codePage);
    for (int i = 0; i < StringCount; ++i) {
        const std::wstring key = prefix + kStringNames[i];
        if (VerQueryValueW(block.data(), key.c_str(), &value, &length) && length > 0) {
            const auto* text = static_cast<const wchar_t*>(value);
            // The length may count the terminator.
            m_strings[i].assign(text, wcsnlen(text, length));
        }
    }
    return true;
}

void CFileVersionInfo::Reset()
{
    std::memset(&m_fixed, 0, sizeof m_fixed);
    for (std::wstring& text : m_strings)
        text.clear();
}

WORD CFileVersionInfo::GetFileVersionPart(unsigned part) const
{
    return VersionPart(m_fixed.dwFileVersionMS, m_fixed.dwFileVersionLS, part);
}

WORD CFileVersionInfo::GetProductVersionPart(unsigned part) const
{
    return VersionPart(m_fixed.dwProductVersionMS, m_fixed.dwProductVersionLS, part);
}

FILETIME CFileVersionInfo::GetFileDate() const
{
    return FILETIME{m_fixed.dwFileDateLS, m_fixed.dwFileDateMS};
}

size_t CFileVersionInfo::ChooseTranslation(const std::vector<Translation>& translations, LANGID user)
{
    using Test = std::function<bool(LANGID)>;
    const Test tests[] = {
        [user](LANGID language) { return language == user; },
        [user](LANGID language) { return PRIMARYLANGID(language) == PRIMARYLANGID(user); },
        [](LANGID language) { return language == 0; },
        [](LANGID language) { return PRIMARYLANGID(language) == LANG_ENGLISH; },
    };
    for (const Test& test : tests) {
        for (size_t i = 0; i < translations.size(); ++i) {
            if (test(translations[i].language))
                return i;
        }
    }
    return 0;
}

const std::wstring& GetProgramVersionText()
{
    static std::wstring text;
    if (text.empty()) {
        CFileVersionInfo version;
        if (version.LoadFromModule(nullptr))
            text = FormatText(IDS_TITLE_VERSION, version.GetString(CFileVersionInfo::FileDescription).c_str(),
                              version.GetFileVersionPart(3), version.GetFileVersionPart(2),
                              version.GetFileVersionPart(1), version.GetFileVersionPart(0));
    }
    return text;
}
