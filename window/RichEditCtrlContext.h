// The rich-edit control of every activity log and text pane: the control
// itself plus a right-click menu of the usual edit commands (menu 10030),
// each item enabled only when its command can do something.
#pragma once

#include "Window.h"

class CRichEditCtrlContext : public CWindow {
public:
    // A RichEdit20W control of its own.
    HWND CreateControl(HWND parent, const RECT& rect, DWORD style, DWORD exStyle, int id);

    // The focus, with the caret before the first character and the first
    // line at the top. (A dialog's default focus would select all the text.)
    void FocusAtStart();

    // Replaces the text with `size` bytes in the format (SF_TEXT, SF_RTF,
    // with SF_UNICODE for UTF-16 text); false when the control refused them.
    bool StreamIn(const void* bytes, size_t size, UINT format);

    // Enables or grays each edit command of the menu for the control's state.
    void UpdateMenuItems(HMENU menu) const;
    // An edit command (ID_EDIT_*); false for other ids.
    bool ExecuteCommand(UINT id);

protected:
    bool OnContextMenu(HWND window, POINT at) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void ShowContextMenu(POINT at);
    bool HasSelection() const;
    bool IsReadOnly() const;
    void SelectAll();
};
