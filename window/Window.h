// The base of the window layer: one C++ object per window, found from its
// handle through a window property, with one message handler per class in
// the SDK's switch style:
//
//     bool CMyWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
//     {
//         switch (message) {
//         case WM_SIZE:
//             OnSize(LOWORD(lParam), HIWORD(lParam));
//             return true;
//         }
//         return CBase::OnMessage(message, wParam, lParam, result);
//     }
//
// What no class handles goes to the window's default processing: the class's
// default procedure, or the procedure of a subclassed control.
#pragma once

#include <windows.h>

#include <string>

class CWindow {
public:
    CWindow() = default;
    virtual ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

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
    // True when the message was handled; `result` is its result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
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

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The window's text; empty for none.
std::wstring GetWindowString(HWND window);
// Replaces every occurrence of `mark` in the window's text.
void ReplaceInWindowText(HWND window, const wchar_t* mark, const wchar_t* replacement);
