// The application's registry key under HKEY_CURRENT_USER, handed to every
// persisted value when it loads and saves.
#pragma once

#include <windows.h>

#include <string>

#include "NonCopyable.h"
#include "TextOrId.h"

// The settings' key under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kAppKeyPath = L"Software\\Zentrova\\Q7 Utility";

class CAppInfoBase : private CNonCopyable {
public:
    // Opens or creates HKEY_CURRENT_USER\path, for reading and writing
    // unless a narrower access is asked for.
    explicit CAppInfoBase(TextOrId path, REGSAM access = KEY_READ | KEY_WRITE);
    virtual ~CAppInfoBase();

    HKEY Key() const { return m_key; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    HKEY m_key = nullptr;
};

// The path of the program's own key (kAppKeyPath). Test programs give each
// its own, so that they can run side by side.
const std::wstring& AppKeyPath();
void SetAppKeyPath(const std::wstring& path);

// One key type per owner, so that owners cannot be handed each other's key.
template <typename Owner>
class CAppInfoT : public CAppInfoBase {
public:
    using CAppInfoBase::CAppInfoBase;
};
