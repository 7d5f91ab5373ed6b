#include "TextOrId.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::wstring TextOrId::Text() const
{
    if (IsId())
        return LoadResString(Id());
    return m_text;
}

std::wstring LoadResString(UINT id)
{
    if (id == 0)
        return {};
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource.
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

// A bad format must not make the formatter grow without end.
constexpr size_t kMaxLength = 1 << 20;

std::wstring FormatTextV(const wchar_t* format, va_list args)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size())
            return std::wstring(buffer.data(), written);
        if (buffer.size() >= kMaxLength)
            return std::wstring(buffer.data(), buffer.size() - 1);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FormatTextC(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = FormatTextV(format, args);
    va_end(args);
    return text;
}
