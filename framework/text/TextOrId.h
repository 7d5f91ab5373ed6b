// Texts given either as a string or as a string-table id, and printf-style
// formatting of them.
#pragma once

#include <windows.h>

#include <string>

// A pointer value below 0x10000 names a string-table entry, as in the Win32
// resource calls; anything else is the text itself.
class TextOrId {
public:
    TextOrId(const wchar_t* text) : m_text(text) {}
    TextOrId(const std::wstring& text) : m_text(text.c_str()) {}
    TextOrId(UINT id) : m_text(MAKEINTRESOURCEW(id)) {}
    TextOrId(int id) : m_text(MAKEINTRESOURCEW(id)) {}

    bool IsId() const { return IS_INTRESOURCE(m_text); }
    UINT Id() const { return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(m_text)); }
    // The text, loaded from the string table when this is an id.
    std::wstring Text() const;

private:
    const wchar_t* m_text;
};

// The string-table entry of the program's module; empty when there is none.
std::wstring LoadResString(UINT id);

std::wstring FormatTextV(const wchar_t* format, va_list args);
std::wstring FormatTextC(const wchar_t* format, ...);

// printf-style formatting of a text or string-table entry ("%s" takes wide
// strings). Only plain values pass through the argument list.
template <typename... Args>
std::wstring FormatText(TextOrId format, Args... args)
{
    const std::wstring text = format.Text();
    if constexpr (sizeof...(Args) == 0)
        return text;
    else
        return FormatTextC(text.c_str(), args...);
}
