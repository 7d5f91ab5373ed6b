#include "RichEditCtrlContext.h"

#include <richedit.h>

#include "resource.h"

namespace {

DWORD CALLBACK ReadChunk(DWORD_PTR file, LPBYTE buffer, LONG wanted, LONG* read)
{
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, static_cast<DWORD>(wanted), &got, nullptr)) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_READ_FAULT;
    }
    *read = static_cast<LONG>(got);
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

bool CRichEditCtrlContext::StreamInFile(HANDLE file, UINT format)
{
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(file), 0, &ReadChunk};
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
