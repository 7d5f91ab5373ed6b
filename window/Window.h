// The base of the window layer: one C++ object per window, found from its
// handle through a window property. Every standard message is unpacked in
// one place, CWindow::OnMessage, into a typed handler that a class
// overrides:
//
//     bool CMyWindow::OnCommand(UINT id, UINT code, HWND control)
//     {
//         if (id != IDC_GO || code != BN_CLICKED)
//             return CBase::OnCommand(id, code, control);
//         Go();
//         return true;
//     }
//
// A class overrides OnMessage only for its own WM_APP_* messages, and passes
// the rest on. A handler that returns true has handled its message; what no
// class handles goes to the window's default processing: the class's default
// procedure, or the procedure of a subclassed control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "NonCopyable.h"

class CModalRun;

class CWindow : private CNonCopyable {
public:
    virtual ~CWindow();

    HWND Handle() const { return m_hwnd; }
    bool Exists() const { return m_hwnd && IsWindow(m_hwnd); }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageW(m_hwnd, message, wParam, lParam);
    }
    // Destroys the window if it still exists.
    void Destroy();

    // The object of a window created or subclassed by this layer, else null.
    static CWindow* FromHandle(HWND window);

    // A window class whose windows are objects of this layer.
    static bool RegisterClass(const wchar_t* name, HICON icon, HICON smallIcon, HBRUSH background);
    // A window of a class registered above, at the system's default place and
    // size when no rectangle is given; this object receives its messages from
    // WM_NCCREATE on.
    HWND Create(const wchar_t* className, HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                HMENU menuOrId, const RECT* rect = nullptr);

    // Takes over an existing window; its own procedure still gets whatever
    // this object leaves. The window is given back at WM_NCDESTROY.
    bool Subclass(HWND window);
    bool SubclassDlgItem(HWND dialog, int id) { return Subclass(GetDlgItem(dialog, id)); }
    // Gives a subclassed window back to its own procedure.
    void Unsubclass();

    // Centres the window on another window's rectangle (the desktop's work
    // area when that is null or hidden), kept on the monitor.
    void CenterOn(HWND other);

protected:
    // True when the message was handled; `result` is its result. Here the
    // standard messages go to the handlers below.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Handlers of the standard messages. Those returning void only observe:
    // the default processing follows them.
    virtual bool OnCreate(const CREATESTRUCTW&) { return true; }  // false fails the creation
    virtual void OnDestroy() {}
    virtual bool OnClose() { return false; }
    virtual bool OnEndSession(bool /*ending*/) { return false; }
    virtual void OnEnable(bool /*enabled*/) {}
    // WM_SHOWWINDOW; `reason` is SW_PARENTCLOSING or SW_PARENTOPENING when
    // the owner is minimised or restored, else 0.
    virtual void OnShow(bool /*shown*/, UINT /*reason*/) {}
    virtual bool OnSize(UINT /*type*/, int /*width*/, int /*height*/) { return false; }
    virtual bool OnGetMinMaxInfo(MINMAXINFO&) { return false; }
    virtual bool OnWindowPosChanged(const WINDOWPOS&) { return false; }
    virtual bool OnSetFocus(HWND /*previous*/) { return false; }
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    virtual bool OnSysCommand(UINT /*command*/) { return false; }
    virtual bool OnNotify(const NMHDR&, LRESULT& /*result*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    // True when it set the cursor.
    virtual bool OnSetCursor(HWND /*under*/, UINT /*hitTest*/) { return false; }
    virtual void OnInitMenuPopup(HMENU /*menu*/) {}
    virtual bool OnMenuSelect(UINT /*id*/, UINT /*flags*/, HMENU /*menu*/) { return false; }
    // `at` is (-1, -1) for a request from the keyboard.
    virtual bool OnContextMenu(HWND /*window*/, POINT /*at*/) { return false; }
    virtual bool OnKeyDown(UINT /*key*/) { return false; }
    virtual bool OnChar(wchar_t /*character*/) { return false; }
    // `code` holds the default processing's answer, to be kept or changed.
    virtual bool OnGetDlgCode(const MSG* /*key*/, LRESULT& /*code*/) { return false; }
    virtual bool OnCut() { return false; }
    virtual bool OnPaste() { return false; }
    virtual bool OnClear() { return false; }
    virtual bool OnLButtonDown(POINT /*at*/) { return false; }
    virtual bool OnLButtonUp(POINT /*at*/) { return false; }
    virtual bool OnMouseMove(POINT /*at*/) { return false; }
    virtual void OnCaptureChanged() {}
    // WM_HELP and a property page's PSN_HELP: the window's topic, if it has one.
    virtual bool OnHelp();

    // The help topic that F1 and a Help button open; null for none.
    void SetHelpTopic(const wchar_t* topic) { m_helpTopic = topic; }
    const wchar_t* HelpTopic() const { return m_helpTopic; }
    // The processing this object stands in front of.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY, when the handle is gone.
    virtual void OnFinalMessage() {}

    // Binds the handle and this object to each other.
    void Attach(HWND window);
    void Detach();
    // The handler, then the default processing, then the end of the binding
    // at WM_NCDESTROY.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = nullptr;
    // The modal run of a dialog or sheet while DoModal runs it.
    CModalRun* m_modalRun = nullptr;

private:
    const wchar_t* m_helpTopic = nullptr;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The window's text; empty for none.
std::wstring GetWindowString(HWND window);
// Replaces every occurrence of `mark` in the window's text.
void ReplaceInWindowText(HWND window, const wchar_t* mark, const wchar_t* replacement);
