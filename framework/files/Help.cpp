#include "Help.h"

#include <htmlhelp.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <vector>

#include "TextSinks.h"
#include "resource.h"

namespace {

// HH_GET_LAST_ERROR's structure; the mingw-w64 header lacks it.
struct HelpLastError {
    int cbStruct;
    HRESULT hr;
    BSTR description;
};

}  // namespace

std::wstring GetHelpFilePath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size() - 4)
            break;
        path.resize(path.size() * 2);
    }
    PathRenameExtensionW(path.data(), L".chm");
    return path.data();
}

HWND ShowHelpTopic(HWND owner, const wchar_t* topic, DWORD_PTR data)
{
    std::wstring path = GetHelpFilePath();
    if (topic)
        path += std::wstring(L"::/") + topic;
    path += L">$global_main";
    return CallHtmlHelp(owner, path, topic ? HH_DISPLAY_TOPIC : HH_DISPLAY_TOC, data);
}

HWND ShowContextHelp(const HELPINFO* info)
{
    const HWND control = static_cast<HWND>(info->hItemHandle);
    DWORD ids[] = {static_cast<DWORD>(info->iCtrlId), static_cast<DWORD>(info->dwContextId), 0, 0};
    return CallHtmlHelp(control, GetHelpFilePath() + L"::/Context.txt", HH_TP_HELP_WM_HELP,
                        reinterpret_cast<DWORD_PTR>(ids));
}

HWND CallHtmlHelp(HWND caller, const std::wstring& path, UINT command, DWORD_PTR data)
{
    const HWND result = HtmlHelpW(caller, path.c_str(), command, data);
    if (!result) {
        // The path without its "::/topic>window" tail is what the user can look for.
        const std::wstring file = path.substr(0, path.find_first_of(L":>", 2));
        const std::wstring fallback = FormatText(IDS_HELP_FILE_UNAVAILABLE, file.c_str());
        ShowHtmlHelpError(caller, fallback);
    }
    return result;
}

void ShowHtmlHelpError(HWND owner, TextOrId fallback)
{
    HelpLastError last{sizeof last, S_OK, nullptr};
    std::wstring text;
    if (HtmlHelpW(nullptr, nullptr, HH_GET_LAST_ERROR, reinterpret_cast<DWORD_PTR>(&last)) && FAILED(last.hr) &&
        last.description)
        text = last.description;
    if (last.description)
        SysFreeString(last.description);
    if (text.empty())
        text = fallback.Text();
    MessageBoxKeepingError(owner, text, LoadResString(IDS_HELP_ERROR_CAPTION), MB_ICONEXCLAMATION);
    HtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
}
