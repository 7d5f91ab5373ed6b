// Reading and writing one registry value of each persisted type: wide strings
// as REG_SZ, int and unsigned long as REG_DWORD, unsigned char as a one-byte
// REG_BINARY. A value of the wrong type or size reads as ERROR_INVALID_DATA,
// and so does a text longer than its reader takes.
#pragma once

#include <windows.h>

#include <string>

template <typename T>
struct RegistryValue;

template <>
struct RegistryValue<std::wstring> {
    // Nothing is allocated for a value longer than `longest` characters.
    static LONG Read(HKEY key, const wchar_t* name, std::wstring& value, size_t longest);
    static LONG Write(HKEY key, const wchar_t* name, const std::wstring& value);
};

template <>
struct RegistryValue<unsigned long> {
    static LONG Read(HKEY key, const wchar_t* name, unsigned long& value);
    static LONG Write(HKEY key, const wchar_t* name, unsigned long value);
};

template <>
struct RegistryValue<int> {
    static LONG Read(HKEY key, const wchar_t* name, int& value);
    static LONG Write(HKEY key, const wchar_t* name, int value);
};

template <>
struct RegistryValue<unsigned char> {
    static LONG Read(HKEY key, const wchar_t* name, unsigned char& value);
    static LONG Write(HKEY key, const wchar_t* name, unsigned char value);
};
