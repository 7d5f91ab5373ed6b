// A top-level frame: menu, icon, accelerators and title from one resource
// id, a status bar along the bottom, and one client window filling the rest.
// While a menu item is highlighted the status bar shows the item's prompt
// (the string-table entry of the item id, up to its first line break); the
// idle text returns when the menu closes. Destroying the frame ends the
// message loop with exit code 1.
#pragma once

#include "Window.h"

class CFrameWindow : public CWindow {
public:
    explicit CFrameWindow(UINT idleTextId) : m_idleTextId(idleTextId) {}

    // A frame of the layer's frame class for this resource id.
    HWND CreateFrame(UINT resourceId, HWND parent = nullptr,
                     DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, DWORD exStyle = 0);

    HACCEL Accelerators() const { return m_accelerators; }
    HWND StatusBar() const { return m_statusBar; }
    HWND Client() const { return m_client; }

    // The client window takes what the visible status bar leaves.
    void UpdateLayout();

protected:
    bool OnSize(UINT type, int width, int height) override;
    bool OnSetFocus(HWND previous) override;
    bool OnMenuSelect(UINT id, UINT flags, HMENU menu) override;
    void OnDestroy() override;
    void SetStatusText(const std::wstring& text);

    UINT m_idleTextId;
    HWND m_statusBar = nullptr;
    HWND m_client = nullptr;
    HACCEL m_accelerators = nullptr;
};
