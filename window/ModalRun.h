// A modal dialog or sheet of the program while it runs. The run holds the
// top-level window above its owner: while the run's window shows, that
// window takes no input, and a close sent to it goes to the run's window
// first.
//
// Windows disables that top-level window for a dialog's or a sheet's run,
// but Wine's sheets disable only their owner (for a page, a child window),
// and under Wine every box that ends enables its owner again, also when
// a run had disabled it. So the run disables it itself while its window
// shows, enabling it again before that window hides (activation then
// returns to it), and the top-level window reports each enable (OnEnabled).
#pragma once

#include <windows.h>

#include "NonCopyable.h"

class CModalRun : private CNonCopyable {
public:
    // Before the modal loop starts; `owner` may be null or a child window.
    explicit CModalRun(HWND owner);
    ~CModalRun();

    // The run's window, once it exists; then its WM_WINDOWPOSCHANGING.
    void SetWindow(HWND window) { m_window = window; }
    void OnWindowPosChanging(const WINDOWPOS& position);
    // The run's window has been told to end.
    void End() { m_ended = true; }

    // The top-level window was enabled: while a run shows over it, it is
    // disabled again once the box that enabled it has gone (a posted
    // HoldMessage, handled by Hold).
    static void OnEnabled(HWND topLevel);
    static UINT HoldMessage();
    static void Hold(HWND topLevel);

    // A close of the top-level window: true when a run over it takes it.
    // The run's window decides; when it ends, the top-level window is closed
    // again, unless the window kept itself open (KeepOwnerOpen).
    static bool ForwardClose(HWND topLevel);
    // The run's window (or a page of it) stays open: a close of its
    // top-level window that came through it is withdrawn.
    static void KeepOwnerOpen(HWND window);
    // A close of its top-level window has come through the run's window
    // (or a page of it): the program is being closed.
    static bool IsClosingOwner(HWND window);

private:
    // The innermost run over the window; with `shown`, only a shown one.
    static CModalRun* Innermost(HWND topLevel, bool shown);
    // The run whose window is the window's top-level one.
    static CModalRun* RunOf(HWND window);
    void Disable();
    void Enable();

    HWND m_topLevel;
    HWND m_window = nullptr;
    bool m_shown = false;
    bool m_ended = false;
    // This run disabled the top-level window and enables it again.
    bool m_disabled = false;
    bool m_closeOwner = false;
    CModalRun* m_outer;
};
