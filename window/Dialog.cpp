#include "Dialog.h"

#include "ModalRun.h"
#include "resource.h"

CDialog::~CDialog()
{
    if (CMessageLoop* loop = CMessageLoop::Current())
        loop->RemoveMessageFilter(this);
}

INT_PTR CDialog::DoModal(HWND owner, LPARAM param)
{
    m_param = param;
    m_modeless = false;
    m_ended = false;
    CModalRun run(owner);
    m_modalRun = &run;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_modalRun = nullptr;
    return result;
}

void CDialog::EndDialog(INT_PTR result)
{
    m_ended = true;
    if (m_modalRun)
        m_modalRun->End();
    ::EndDialog(m_hwnd, result);
}

HWND CDialog::Create(HWND parent, LPARAM param)
{
    m_param = param;
    m_modeless = true;
    m_ended = false;
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    // Its WM_INITDIALOG may already have destroyed it again.
    if (dialog && IsWindow(dialog) && !(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD)) {
        if (CMessageLoop* loop = CMessageLoop::Current())
            loop->AddMessageFilter(this);
    }
    return dialog;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    const bool handled = CWindow::OnMessage(message, wParam, lParam, result);
    if (message == WM_DESTROY)
        m_subscriptions.RemoveAll();
    return handled;
}

bool CDialog::OnCommand(UINT id, UINT code, HWND control)
{
    if (id == IDC_HELP_BUTTON && code == BN_CLICKED)
        return OnHelp();
    if ((id == IDOK && OnOK()) || (id == IDCANCEL && OnCancel()))
        return true;
    return CWindow::OnCommand(id, code, control);
}

INT_PTR CDialog::DialogResult(HWND dialog, UINT message, LRESULT result)
{
    switch (message) {
    // These answer through the procedure's return value.
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

INT_PTR CDialog::DispatchDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    const bool handled = OnMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        const HWND dialog = m_hwnd;
        if (m_modeless) {
            if (CMessageLoop* loop = CMessageLoop::Current())
                loop->RemoveMessageFilter(this);
        }
        Detach();
        OnFinalMessage();
        return handled ? DialogResult(dialog, message, result) : FALSE;
    }
    if (!handled)
        // Without a handler the dialog manager sets the default focus.
        return message == WM_INITDIALOG ? TRUE : FALSE;
    return DialogResult(m_hwnd, message, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CDialog*>(FromHandle(dialog));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->Attach(dialog);
        lParam = self->m_param;
    }
    return self ? self->DispatchDialog(message, wParam, lParam) : FALSE;
}

bool CDialog::PreTranslateMessage(MSG* message)
{
    if (!m_hwnd || (message->hwnd != m_hwnd && !IsChild(m_hwnd, message->hwnd)))
        return false;
    return IsDialogMessageW(m_hwnd, message) != FALSE;
}
