#include "RegistryValue.h"

#include <vector>

namespace {

LONG ReadFixed(HKEY key, const wchar_t* name, DWORD expectedType, void* data, DWORD size)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    DWORD type = 0;
    DWORD length = size;
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(data), &length);
    if (status == ERROR_MORE_DATA)
        return ERROR_INVALID_DATA;
    if (status != ERROR_SUCCESS)
        return status;
    return type == expectedType && length == size ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG WriteFixed(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

LONG RegistryValue<std::wstring>::Read(HKEY key, const wchar_t* name, std::wstring& value, size_t longest)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return status;
    // The stored text may or may not carry its terminating NUL.
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size / sizeof(wchar_t) > longest + 1)
        return ERROR_INVALID_DATA;
    std::vector<wchar_t> buffer(longest + 2, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_MORE_DATA)
        return ERROR_INVALID_DATA;
    if (status != ERROR_SUCCESS)
        return status;
    const size_t length = wcsnlen(buffer.data(), size / sizeof(wchar_t));
    if (length > longest)
        return ERROR_INVALID_DATA;
    value.assign(buffer.data(), length);
    return ERROR_SUCCESS;
}

LONG RegistryValue<std::wstring>::Write(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return WriteFixed(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG RegistryValue<unsigned long>::Read(HKEY key, const wchar_t* name, unsigned long& value)
{
    DWORD data = 0;
    const LONG status = ReadFixed(key, name, REG_DWORD, &data, sizeof data);
    if (status == ERROR_SUCCESS)
        value = data;
    return status;
}

LONG RegistryValue<unsigned long>::Write(HKEY key, const wchar_t* name, unsigned long value)
{
    const DWORD data = value;
    return WriteFixed(key, name, REG_DWORD, &data, sizeof data);
}

LONG RegistryValue<int>::Read(HKEY key, const wchar_t* name, int& value)
{
    unsigned long data = 0;
    const LONG status = RegistryValue<unsigned long>::Read(key, name, data);
    if (status == ERROR_SUCCESS)
        value = static_cast<int>(data);
    return status;
}

LONG RegistryValue<int>::Write(HKEY key, const wchar_t* name, int value)
{
    return RegistryValue<unsigned long>::Write(key, name, static_cast<unsigned long>(value));
}

LONG RegistryValue<unsigned char>::Read(HKEY key, const wchar_t* name, unsigned char& value)
{
    unsigned char data = 0;
    const LONG status = ReadFixed(key, name, REG_BINARY, &data, 1);
    if (status == ERROR_SUCCESS)
        value = data;
    return status;
}

LONG RegistryValue<unsigned char>::Write(HKEY key, const wchar_t* name, unsigned char value)
{
    return WriteFixed(key, name, REG_BINARY, &value, 1);
}
