#include "LogText.h"

#include "TextOrId.h"

namespace {

static_assert(sizeof(CHARFORMATW) == 92, "the rich edit expects the plain character format");

bool IsScrolledToBottom(HWND richEdit)
{
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
    // Without a scroll bar everything is in view.
    if (!GetScrollInfo(richEdit, SB_VERT, &info) || info.nPage == 0)
        return true;
    // At the bottom the page ends at nMax + 1 (nMax under Wine).
    return info.nPos + static_cast<int>(info.nPage) >= info.nMax;
}

void MoveCaretToEnd(HWND richEdit)
{
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG length = static_cast<LONG>(SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    CHARRANGE end{length, length};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
}

// Puts text at the end. Replacing the selection scrolls to it, sideways
// too, so the view of a user who scrolled up is put back afterwards. A view
// that follows the end shows the end of the text, or for a log line the
// line's start, where a reader begins.
class CAppendAtEnd {
public:
    CAppendAtEnd(HWND richEdit, bool showLineStart)
        : m_richEdit(richEdit), m_atBottom(IsScrolledToBottom(richEdit)), m_showLineStart(showLineStart)
    {
        SendMessageW(m_richEdit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
        MoveCaretToEnd(m_richEdit);
    }

    ~CAppendAtEnd()
    {
        if (m_atBottom) {
            SendMessageW(m_richEdit, WM_VSCROLL, SB_BOTTOM, 0);
            if (m_showLineStart)
                ScrollToLeftEdge();
        } else
            SendMessageW(m_richEdit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
    }

    void Insert(const std::wstring& text)
    {
        SendMessageW(m_richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }

private:
    // Not WM_HSCROLL SB_LEFT: Wine's rich edit goes to the top for it.
    void ScrollToLeftEdge()
    {
        POINT scroll{};
        SendMessageW(m_richEdit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
        scroll.x = 0;
        SendMessageW(m_richEdit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    }

    HWND m_richEdit;
    bool m_atBottom;
    bool m_showLineStart;
    POINT m_scroll{};
};

}  // namespace

void AppendLogText(HWND richEdit, const std::wstring& text)
{
    CAppendAtEnd append(richEdit, true);
    const bool empty = GetWindowTextLengthW(richEdit) == 0;
    append.Insert(empty ? text : L"\r\n" + text);
}

void AppendFormattedText(HWND richEdit, const std::wstring& text, const CHARFORMATW& format)
{
    CAppendAtEnd append(richEdit, false);
    CHARFORMATW selectionFormat = format;
    selectionFormat.cbSize = sizeof selectionFormat;
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&selectionFormat));
    append.Insert(text);
    MoveCaretToEnd(richEdit);
}

HFONT CreateLogFont(HWND window)
{
    return CreatePointFont(window, L"Courier New", 10, FW_DONTCARE, ANSI_CHARSET);
}

HFONT CreatePointFont(HWND window, const wchar_t* face, int points, int weight, BYTE charset)
{
    LOGFONTW font{};
    const HDC dc = GetDC(window);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    font.lfWeight = weight;
    font.lfCharSet = charset;
    wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
    return CreateFontIndirectW(&font);
}

std::wstring FormatTimeStamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatText(L"%02u:%02u:%02u ", now.wHour, now.wMinute, now.wSecond);
}
