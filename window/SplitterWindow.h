// Two panes one above the other with a bar between them that the user drags.
// The top pane keeps its share of the height when the splitter is resized.
// Notices of the panes go on to the splitter's parent, as if the panes were
// its own controls.
#pragma once

#include "Window.h"

class CHorizontalSplitter : public CWindow {
public:
    // A child window in place of `rect` of the parent.
    HWND CreateSplitter(HWND parent, const RECT& rect, int id, DWORD style, DWORD exStyle);
    // Panes are children of the splitter; the top one gets `topPercent` of the height.
    void SetPanes(HWND top, HWND bottom, int topPercent);

protected:
    bool OnSize(UINT type, int width, int height) override;
    bool OnSetCursor(HWND under, UINT hitTest) override;
    bool OnLButtonDown(POINT at) override;
    bool OnMouseMove(POINT at) override;
    bool OnLButtonUp(POINT at) override;
    void OnCaptureChanged() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void Layout();
    bool IsOnBar(int y) const;
    void MoveBar(int y);

    HWND m_top = nullptr;
    HWND m_bottom = nullptr;
    // Share of the top pane, in ten-thousandths of the height.
    int m_share = 8000;
    int m_barTop = 0;
    bool m_dragging = false;
};
