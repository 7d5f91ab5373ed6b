#include "ToolTips.h"

#include <commctrl.h>

namespace {

// Before version 6 the system's tool-tip control knows only the shorter TOOLINFO.
UINT ToolInfoSize()
{
    OSVERSIONINFOW version{sizeof version};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    return version.dwMajorVersion >= 6 ? sizeof(TTTOOLINFOW) : TTTOOLINFOW_V2_SIZE;
}

}  // namespace

HWND CreateToolTip(HWND owner, DWORD style)
{
    const HWND toolTip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (toolTip)
        SendMessageW(toolTip, TTM_ACTIVATE, TRUE, 0);
    return toolTip;
}

HWND CreateBalloonToolTip(HWND owner)
{
    return CreateToolTip(owner, TTS_BALLOON);
}

bool AddToolTip(HWND toolTip, HWND owner, int controlId, UINT textId)
{
    TTTOOLINFOW tool{};
    tool.cbSize = ToolInfoSize();
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(owner, controlId));
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = MAKEINTRESOURCEW(textId);
    return tool.uId && SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}
