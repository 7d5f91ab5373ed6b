// Dialogs from templates, modal and modeless. A dialog object receives its
// messages from WM_INITDIALOG on; WM_INITDIALOG's lParam is the creation
// parameter given to DoModal or Create.
#pragma once

#include "DialogResize.h"
#include "MessageLoop.h"
#include "Observable.h"
#include "Window.h"

class CDialog : public CWindow, private CMessageFilter {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    ~CDialog() override;

    UINT TemplateId() const { return m_templateId; }

    // The dialog's EndDialog value, or -1 when it could not be created.
    INT_PTR DoModal(HWND owner, LPARAM param = 0);
    // A modeless dialog; its dialog keys come through the thread's message
    // loop while it exists.
    HWND Create(HWND parent, LPARAM param = 0);
    void EndDialog(INT_PTR result);
    // EndDialog was called: the dialog closes once its handler has returned.
    bool HasEnded() const { return m_ended; }

protected:
    // WM_INITDIALOG, then the window's handlers.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnSize(UINT type, int width, int height) override { return m_resize.OnSize(type, width, height); }
    bool OnGetMinMaxInfo(MINMAXINFO& info) override { return m_resize.OnGetMinMaxInfo(info); }
    // True lets the dialog manager set the default focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The Help button opens the dialog's topic; OK and Cancel (Enter and
    // Esc too) go to the handlers below.
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // True when handled; the dialog manager does nothing with them itself.
    virtual bool OnOK() { return false; }
    virtual bool OnCancel() { return false; }
    // Unhandled messages go to the dialog manager, not to DefaultProc.
    LRESULT DefaultProc(UINT, WPARAM, LPARAM) override { return 0; }

    // The dialog procedure's answer for a handled message.
    static INT_PTR DialogResult(HWND dialog, UINT message, LRESULT result);
    // The procedure's work once the object is known.
    INT_PTR DispatchDialog(UINT message, WPARAM wParam, LPARAM lParam);

    LPARAM m_param = 0;
    // Rules given in OnInitDialog move and size the controls with the dialog.
    CDialogResize m_resize;
    // The sources the dialog listens to; it leaves them all when destroyed.
    CEventSubscriptions m_subscriptions;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool PreTranslateMessage(MSG* message) override;

    UINT m_templateId;
    bool m_modeless = false;
    bool m_ended = false;
};
