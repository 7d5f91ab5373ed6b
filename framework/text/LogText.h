// Activity logs in rich-edit controls: appending lines and formatted text,
// the log font and the time stamp that starts a log line.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <type_traits>

// A line at the end: "\r\n" first unless the control is empty. The view
// follows the end only when it was at the bottom before, and then shows the
// start of the newest line.
void AppendLogText(HWND richEdit, const std::wstring& text);
// The text at the end in the given format, without a line break; same
// scrolling rule.
void AppendFormattedText(HWND richEdit, const std::wstring& text, const CHARFORMATW& format);

// A font a window made for its controls: deleted when replaced and with
// its owner.
struct SFontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using CFontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, SFontDeleter>;

// "Courier New", 10 points at the window's resolution; the caller owns it.
HFONT CreateLogFont(HWND window);
// A font of the face and size in points at the window's resolution; the
// caller owns it.
HFONT CreatePointFont(HWND window, const wchar_t* face, int points, int weight = FW_NORMAL,
                      BYTE charset = DEFAULT_CHARSET);

// The local time as "hh:mm:ss " (with the trailing space).
std::wstring FormatTimeStamp();
