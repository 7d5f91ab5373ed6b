// The version block of a module or file: fixed version numbers and the
// string table of the best-matching translation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CFileVersionInfo {
public:
    // The strings read, in this order.
    enum EString {
        CompanyName,
        FileDescription,
        FileVersion,
        InternalName,
        LegalCopyright,
        OriginalFileName,
        ProductName,
        ProductVersion,
        Comments,
        LegalTrademarks,
        PrivateBuild,
        SpecialBuild,
        StringCount
    };

    struct Translation {
        WORD language;
        WORD codePage;
    };

    CFileVersionInfo() { Reset(); }
    virtual ~CFileVersionInfo() = default;

    // Null is the program itself. False when there is no version block.
    bool LoadFromModule(HMODULE module);
    bool LoadFromFile(const std::wstring& path);
    void Reset();

    // 3 major, 2 minor, 1 build, 0 revision; anything else 0.
    WORD GetFileVersionPart(unsigned part) const;
    WORD GetProductVersionPart(unsigned part) const;
    FILETIME GetFileDate() const;
    const VS_FIXEDFILEINFO& GetFixedInfo() const { return m_fixed; }
    const std::wstring& GetString(EString which) const { return m_strings[which]; }

    // The index of the translation to read: the user's language, else the
    // same primary language, else neutral, else English, else the first.
    static size_t ChooseTranslation(const std::vector<Translation>& translations, LANGID user);

private:
    VS_FIXEDFILEINFO m_fixed;
    std::wstring m_strings[StringCount];
};

// "Zentrova Q7 Utility Version 1.0.0.0" from the program's own version block:
// made once, tried again while empty.
const std::wstring& GetProgramVersionText();
