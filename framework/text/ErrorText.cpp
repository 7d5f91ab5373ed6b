#include "ErrorText.h"

#include <wininet.h>

#include <vector>

#include "TextOrId.h"
#include "resource.h"

namespace {

// System errors whose text some systems lack (Wine has none for these).
const struct {
    DWORD code;
    UINT textId;
} kOwnTexts[] = {
    {ERROR_FILE_TOO_LARGE, IDS_FILE_TOO_LARGE},
};

constexpr DWORD kFirstInternetError = 12000;
constexpr DWORD kLastInternetError = 12175;

std::wstring FormatFrom(DWORD flags, HMODULE module, DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0,
                       reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text;
    if (buffer) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
    return text;
}

std::wstring LastInternetResponse()
{
    DWORD error = 0;
    DWORD length = 0;
    std::vector<wchar_t> buffer(256);
    length = static_cast<DWORD>(buffer.size());
    if (!InternetGetLastResponseInfoW(&error, buffer.data(), &length) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(length + 1);
        length = static_cast<DWORD>(buffer.size());
        if (!InternetGetLastResponseInfoW(&error, buffer.data(), &length))
            length = 0;
    }
    length = std::min<DWORD>(length, static_cast<DWORD>(buffer.size()));
    return FormatText(L"\r\nInternetGetLastResponseInfo returns 0x%08X %s", error,
                      std::wstring(buffer.data(), length).c_str());
}

}  // namespace

std::wstring FormatErrorText(DWORD code)
{
    if (code >= kFirstInternetError && code <= kLastInternetError) {
        std::wstring text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleW(L"wininet.dll"), code);
        if (code == ERROR_INTERNET_EXTENDED_ERROR)
            text += LastInternetResponse();
        return text;
    }
    if ((code & 0x0FFF0000) == 0x02000000)
        return FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleW(nullptr), code);
    // A Win32 error may arrive already mapped to its HRESULT.
    if ((code & 0xFFFF0000) == 0x80070000)
        code &= 0xFFFF;
    std::wstring text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    for (const auto& own : kOwnTexts) {
        if (text.empty() && own.code == code)
            text = LoadResString(own.textId);
    }
    return text;
}

std::wstring FormatFailureText(DWORD code, const std::wstring& lostPort)
{
    const bool win32 = (code & 0xFFFF0000) == 0 || (code & 0xFFFF0000) == 0x80070000;
    if (lostPort.empty() || !win32 || (code & 0xFFFF) == ERROR_CANCELLED)
        return FormatErrorText(code);
    return FormatText(IDS_PORT_CLOSED, lostPort.c_str());
}
