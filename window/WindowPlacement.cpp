#include "WindowPlacement.h"

#include "NonCopyable.h"

namespace {

const wchar_t kDefaultSubkey[] = L"Window";

// Every field is 32 bits wide; signed fields are read and written as their
// unsigned twins.
struct PlacementValue {
    const wchar_t* name;
    DWORD* (*field)(WINDOWPLACEMENT& placement);
};

DWORD* AsDword(LONG& value) { return reinterpret_cast<DWORD*>(&value); }

// In the order they are written and read.
const PlacementValue kValues[] = {
    {L"flags", [](WINDOWPLACEMENT& p) { return reinterpret_cast<DWORD*>(&p.flags); }},
    {L"showCmd", [](WINDOWPLACEMENT& p) { return reinterpret_cast<DWORD*>(&p.showCmd); }},
    {L"minPosX", [](WINDOWPLACEMENT& p) { return AsDword(p.ptMinPosition.x); }},
    {L"minPosY", [](WINDOWPLACEMENT& p) { return AsDword(p.ptMinPosition.y); }},
    {L"maxPosX", [](WINDOWPLACEMENT& p) { return AsDword(p.ptMaxPosition.x); }},
    {L"maxPosY", [](WINDOWPLACEMENT& p) { return AsDword(p.ptMaxPosition.y); }},
    {L"bottom", [](WINDOWPLACEMENT& p) { return AsDword(p.rcNormalPosition.bottom); }},
    {L"left", [](WINDOWPLACEMENT& p) { return AsDword(p.rcNormalPosition.left); }},
    {L"right", [](WINDOWPLACEMENT& p) { return AsDword(p.rcNormalPosition.right); }},
    {L"top", [](WINDOWPLACEMENT& p) { return AsDword(p.rcNormalPosition.top); }},
};

class CRegistryKey : private CNonCopyable {
public:
    ~CRegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* operator&() { return &m_key; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

bool SaveWindowPlacement(HWND window, TextOrId appKeyPath, const wchar_t* subkey)
{
    CRegistryKey appKey, key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, appKeyPath.Text().c_str(), 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                      &appKey) != ERROR_SUCCESS)
        return false;
    if (RegCreateKeyExW(appKey, subkey ? subkey : kDefaultSubkey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    WINDOWPLACEMENT placement{sizeof placement};
    if (!GetWindowPlacement(window, &placement))
        return false;
    for (const PlacementValue& value : kValues) {
        if (RegSetValueExW(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(value.field(placement)),
                           sizeof(DWORD)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

bool RestoreWindowPlacement(HWND window, TextOrId appKeyPath, const wchar_t* subkey)
{
    const std::wstring path = appKeyPath.Text() + L"\\" + (subkey ? subkey : kDefaultSubkey);
    CRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    WINDOWPLACEMENT placement{sizeof placement};
    for (const PlacementValue& value : kValues) {
        if (ReadRegistryDword(key, value.name, *value.field(placement)) != ERROR_SUCCESS)
            return false;
    }
    // A program closed while minimised starts as it was before minimising,
    // not as an icon the user must find.
    if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE ||
        placement.showCmd == SW_SHOWMINNOACTIVE)
        placement.showCmd = placement.flags & WPF_RESTORETOMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return SetWindowPlacement(window, &placement) != FALSE;
}

LONG ReadRegistryDword(HKEY key, const wchar_t* name, DWORD& value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_MORE_DATA)
        return ERROR_INVALID_DATA;
    if (status != ERROR_SUCCESS)
        return status;
    if (size != sizeof data)
        return ERROR_INVALID_DATA;
    value = data;
    return ERROR_SUCCESS;
}

LONG ReadRegistryDword(HKEY key, const wchar_t* name, LONG& value)
{
    DWORD data = 0;
    const LONG status = ReadRegistryDword(key, name, data);
    if (status == ERROR_SUCCESS)
        value = static_cast<LONG>(data);
    return status;
}
