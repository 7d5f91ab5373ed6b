#include "AppInfo.h"

namespace {

std::wstring& AppKeyPathValue()
{
    static std::wstring path = kAppKeyPath;
    return path;
}

}  // namespace

const std::wstring& AppKeyPath()
{
    return AppKeyPathValue();
}

void SetAppKeyPath(const std::wstring& path)
{
    AppKeyPathValue() = path;
}

CAppInfoBase::CAppInfoBase(TextOrId path, REGSAM access) : m_path(path.Text())
{
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, access, nullptr, &m_key,
                        nullptr) != ERROR_SUCCESS)
        m_key = nullptr;
}

CAppInfoBase::~CAppInfoBase()
{
    if (m_key)
        RegCloseKey(m_key);
}
