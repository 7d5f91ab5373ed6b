#include "TextSinks.h"

#include "ErrorText.h"
#include "WindowMessages.h"
#include "resource.h"

HWND GetTopLevelAncestor(HWND window)
{
    while (HWND parent = GetParent(window))
        window = parent;
    return window;
}

void SendStatusText(HWND window, const std::wstring& text)
{
    if (HWND top = GetTopLevelAncestor(window))
        SendMessageW(top, WM_APP_STATUS_TEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int MessageBoxKeepingError(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)
{
    const DWORD error = GetLastError();
    const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    SetLastError(error);
    return answer;
}

int ShowTracedBox(HWND window, UINT flags, TextOrId caption, const std::wstring& text)
{
    const DWORD error = GetLastError();
    SendStatusText(window, text);
    SetLastError(error);
    return MessageBoxKeepingError(window, text, caption.Text(), flags);
}

int ShowErrorCodeBox(HWND owner, DWORD code, UINT captionId, const std::wstring& lostPort, UINT adviceId)
{
    std::wstring text = FormatFailureText(code, lostPort);
    if (adviceId != 0)
        text += L"\n" + LoadResString(adviceId);
    return MessageBoxKeepingError(owner, text, LoadResString(captionId), MB_ICONHAND);
}

namespace {

struct ProductName {
    DWORD major, minor;
    const wchar_t* workstation;
    const wchar_t* server;
};

const ProductName kProductNames[] = {
    {5, 0, L"Windows 2000", L"Windows 2000"},
    {5, 1, L"Windows XP", L"Windows XP"},
    {5, 2, L"Windows XP 64-Bit Edition", L"Windows Server 2003"},
    {6, 0, L"Windows Vista", L"Windows Server 2008"},
    {6, 1, L"Windows 7", L"Windows Server 2008 R2"},
    {6, 2, L"Windows 8", L"Windows Server 2012"},
    {6, 3, L"Windows 8.1", L"Windows Server 2012 R2"},
};

}  // namespace

std::wstring GetOsVersionText()
{
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
#pragma GCC diagnostic pop
    std::wstring text = FormatText(IDS_OS_VERSION, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    if (info.dwMajorVersion == 10) {
        text += workstation ? L"Windows 10" : L"Windows Server 2016";
        return text;
    }
    for (const ProductName& name : kProductNames) {
        if (name.major == info.dwMajorVersion && name.minor == info.dwMinorVersion) {
            text += workstation ? name.workstation : name.server;
            break;
        }
    }
    return text;
}
