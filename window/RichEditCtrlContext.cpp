#include "RichEditCtrlContext.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "resource.h"

namespace {

struct SBytes {
    const BYTE* next;
    size_t left;
    // Two for UTF-16 text.
    size_t unit;
};

bool IsCharacter(const BYTE* at, size_t unit, char c)
{
    return at[0] == c && (unit == 1 || at[1] == 0);
}

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* read)
{
    auto& bytes = *reinterpret_cast<SBytes*>(cookie);
    size_t count = std::min(bytes.left, static_cast<size_t>(std::max<LONG>(wanted, 0)));
    count -= count % bytes.unit;
    // Wine's rich edit takes a CR and an LF in two chunks for two line
    // breaks, Windows' for one: a chunk never ends between them.
    if (count > bytes.unit && count < bytes.left && IsCharacter(bytes.next + count - bytes.unit, bytes.unit, '\r') &&
        IsCharacter(bytes.next + count, bytes.unit, '\n'))
        count -= bytes.unit;
    std::memcpy(buffer, bytes.next, count);
    bytes.next += count;
    bytes.left -= count;
    *read = static_cast<LONG>(count);
    return 0;
}

}  // namespace

HWND CRichEditCtrlContext::CreateControl(HWND parent, const RECT& rect, DWORD style, DWORD exStyle, int id)
{
    const HWND control = CreateWindowExW(exStyle, RICHEDIT_CLASSW, nullptr, style, rect.left, rect.top,
                                         rect.right - rect.left, rect.bottom - rect.top, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (control)
        Subclass(control);
    return control;
}

bool CRichEditCtrlContext::StreamIn(const void* bytes, size_t size, UINT format)
{
    SBytes source{static_cast<const BYTE*>(bytes), size, format & SF_UNICODE ? 2u : 1u};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadChunk};
    Send(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

bool CRichEditCtrlContext::HasSelection() const
{
    return Send(EM_SELECTIONTYPE) != SEL_EMPTY;
}

bool CRichEditCtrlContext::IsReadOnly() const
{
    return (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

void CRichEditCtrlContext::SelectAll()
{
    CHARRANGE all{0, -1};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
}

void CRichEditCtrlContext::FocusAtStart()
{
    SetFocus(m_hwnd);
    CHARRANGE start{0, 0};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    Send(WM_VSCROLL, SB_TOP);
}

void CRichEditCtrlContext::UpdateMenuItems(HMENU menu) const
{
    const bool selection = HasSelection();
    const bool writable = !IsReadOnly();
    const struct {
        UINT id;
        bool enabled;
    } items[] = {
        {ID_EDIT_UNDO, Send(EM_CANUNDO) != 0},
        {ID_EDIT_REDO, Send(EM_CANREDO) != 0},
        {ID_EDIT_CUT, selection && writable},
        {ID_EDIT_COPY, selection},
        {ID_EDIT_PASTE, Send(EM_CANPASTE, 0) != 0},
        {ID_EDIT_CLEAR, selection && writable},
        {ID_EDIT_SELECT_ALL, true},
    };
    for (const auto& item : items)
        EnableMenuItem(menu, item.id, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
}

bool CRichEditCtrlContext::ExecuteCommand(UINT id)
{
    switch (id) {
    case ID_EDIT_CLEAR:
        Send(WM_CLEAR);
        return true;
    case ID_EDIT_CLEAR_ALL:
        SelectAll();
        Send(WM_CLEAR);
        return true;
    case ID_EDIT_COPY:
        Send(WM_COPY);
        return true;
    case ID_EDIT_CUT:
        Send(WM_CUT);
        return true;
    case ID_EDIT_PASTE:
        Send(WM_PASTE);
        return true;
    case ID_EDIT_SELECT_ALL:
        SelectAll();
        return true;
    case ID_EDIT_UNDO:
        Send(EM_UNDO);
        return true;
    case ID_EDIT_REDO:
        Send(EM_REDO);
        return true;
    }
    return false;
}

void CRichEditCtrlContext::ShowContextMenu(POINT at)
{
    const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_EDIT_CONTEXT_MENU));
    if (!menu)
        return;
    const HMENU popup = GetSubMenu(menu, 0);
    UpdateMenuItems(popup);
    // A click point beyond every monitor is brought back into the nearest one.
    if (!MonitorFromPoint(at, MONITOR_DEFAULTTONULL)) {
        MONITORINFO monitor{sizeof monitor};
        GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
        if (at.x < monitor.rcWork.left)
            at.x = monitor.rcWork.left;
        else if (at.x >= monitor.rcWork.right)
            at.x = monitor.rcWork.right - 1;
    }
    const UINT chosen =
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr);
    if (chosen)
        ExecuteCommand(chosen);
    DestroyMenu(menu);
}

bool CRichEditCtrlContext::OnContextMenu(HWND window, POINT at)
{
    // A keyboard request (position -1) gets the control's own handling.
    if (window != m_hwnd || (at.x == -1 && at.y == -1))
        return false;
    ShowContextMenu(at);
    return true;
}

bool CRichEditCtrlContext::OnCommand(UINT id, UINT, HWND)
{
    return ExecuteCommand(id);
}
