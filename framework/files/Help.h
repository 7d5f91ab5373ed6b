// The program's HTML help: the help file beside the executable, its topics
// and context help, and the report when help cannot be shown.
#pragma once

#include <windows.h>

#include <string>

#include "TextOrId.h"

// The executable's path with the extension ".chm".
std::wstring GetHelpFilePath();

// A topic such as "Port.htm" or "RFGainCal.htm#Welcome"; null shows the
// contents. Returns the help window, null after a reported failure.
HWND ShowHelpTopic(HWND owner, const wchar_t* topic, DWORD_PTR data = 0);
// The pop-up for the control that WM_HELP names, from "Context.txt".
HWND ShowContextHelp(const HELPINFO* info);

// HtmlHelpW; a failure is reported with the help system's own description,
// or a text naming the help file when it gives none.
HWND CallHtmlHelp(HWND caller, const std::wstring& path, UINT command, DWORD_PTR data);
// The "Help Error" box for the help system's last error (the fallback text
// when it has no description); then every help window is closed.
void ShowHtmlHelpError(HWND owner, TextOrId fallback);
