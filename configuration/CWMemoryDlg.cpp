#include "CWMemoryDlg.h"

#include "Help.h"
#include "LogText.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

const wchar_t kHelpTopic[] = L"EditCWMemories.htm";

bool IsMemoryEdit(int id)
{
    return id >= IDC_CW_MEMORY_FIRST && id < IDC_CW_MEMORY_FIRST + static_cast<int>(CW_MEMORY_COUNT);
}

}  // namespace

bool CEditCWMemory::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CHAR:
        if (GetKeyState(VK_CONTROL) >= 0 && wParam >= 32 && CharToMorseCode(static_cast<wchar_t>(wParam)) == 0)
            return true;
        break;
    case WM_KEYDOWN:
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0) {
            Send(EM_SETSEL, 0, -1);
            Send(EM_SCROLLCARET);
            return true;
        }
        break;
    case WM_PASTE: {
        std::wstring text;
        if (OpenClipboard(m_hwnd)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                    text = FilterMorseText(chars);
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
        }
        if (!text.empty())
            Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        result = 0;
        return true;
    }
    }
    return CWindow::OnMessage(message, wParam, lParam, result);
}

CCWMemoryDlg::CCWMemoryDlg() : CDialog(IDD_CW_MEMORY) {}

CCWMemoryDlg::~CCWMemoryDlg()
{
    Cleanup();
    if (m_font)
        DeleteObject(m_font);
}

bool CCWMemoryDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_resize.OnMessage(message, wParam, lParam, result))
        return true;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        // Only the first show reads; a hide changes nothing.
        if (wParam && !m_shown) {
            m_shown = true;
            OnFirstShow();
        }
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (IsMemoryEdit(id) && HIWORD(wParam) == EN_KILLFOCUS) {
            CommitEdit(id - IDC_CW_MEMORY_FIRST);
            return true;
        }
        switch (id) {
        case IDOK:
            OnSave();
            return true;
        case IDCANCEL:
            Send(WM_CLOSE);
            return true;
        case IDC_HELP_BUTTON:
            ShowHelpTopic(m_hwnd, kHelpTopic);
            return true;
        }
        break;
    }
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_DESTROY:
        Cleanup();
        return true;
    case WM_HELP:
        ShowHelpTopic(m_hwnd, kHelpTopic);
        return true;
    case WM_SETCURSOR:
        if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            break;
        result = TRUE;
        return true;
    case WM_APP_CW_MEMORY_EDITOR_TEXT:
        if (wParam < CW_MEMORY_COUNT) {
            const HWND edit = Item(IDC_CW_MEMORY_FIRST + static_cast<int>(wParam));
            SetWindowTextW(edit, m_machine.Texts.Get(wParam).c_str());
            // A memory being written stays disabled until the write has ended.
            if (!m_writing || m_machine.IsIdle())
                EnableWindow(edit, TRUE);
        }
        return true;
    case WM_APP_MACHINE_FINISHED:
        // The event is the model's: other machines end through it too.
        if (m_machine.IsIdle())
            OnFinished(static_cast<HRESULT>(wParam));
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

void CCWMemoryDlg::OnInitDialog()
{
    if (m_font)
        DeleteObject(m_font);
    m_font = CreateLogFont(m_hwnd);
    for (unsigned i = 0; i < CW_MEMORY_COUNT; ++i) {
        m_edits[i].SubclassDlgItem(m_hwnd, IDC_CW_MEMORY_FIRST + static_cast<int>(i));
        m_edits[i].Send(EM_LIMITTEXT, CW_MEMORY_LENGTH);
        m_edits[i].Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    CenterOn(GetParent(m_hwnd));
    std::vector<ResizeRule> rules;
    for (unsigned i = 0; i < CW_MEMORY_COUNT; ++i)
        rules.push_back({IDC_CW_MEMORY_FIRST + static_cast<int>(i), DLSZ_SIZE_X});
    for (int id : {IDC_CW_LEGEND, IDC_CW_LEGEND2})
        rules.push_back({id, DLSZ_MOVE_Y});
    for (int id : {IDOK, IDCANCEL, IDC_HELP_BUTTON})
        rules.push_back({id, DLSZ_MOVE_X | DLSZ_MOVE_Y});
    m_resize.Init(m_hwnd, rules, true);
}

void CCWMemoryDlg::OnFirstShow()
{
    CModel& model = GetModel();
    model.SetActiveMachine(&m_machine);
    m_subscriptions.Add(m_hwnd, m_machine.Texts);
    m_subscriptions.Add(m_hwnd, model.MachineFinished);
    m_machine.m_owner = m_hwnd;
    if (!m_machine.StartRead())
        return;  // the memories stay empty and the controls usable
    SendStatusText(m_hwnd, LoadResString(IDS_READING_CW_MEMORIES));
    m_writing = false;
    EnableControls(false);
}

void CCWMemoryDlg::CommitEdit(unsigned memory)
{
    m_machine.Texts.m_shadow[memory] = GetWindowString(Item(IDC_CW_MEMORY_FIRST + static_cast<int>(memory)));
}

void CCWMemoryDlg::CommitFocusedEdit()
{
    const int id = GetDlgCtrlID(GetFocus());
    if (IsMemoryEdit(id) && IsChild(m_hwnd, GetFocus()))
        CommitEdit(id - IDC_CW_MEMORY_FIRST);
}

void CCWMemoryDlg::OnSave()
{
    GetModel().SetActiveMachine(&m_machine);
    if (!m_machine.IsIdle())
        return;
    CommitFocusedEdit();
    m_writing = true;
    EnableControls(false);
    SendStatusText(m_hwnd, LoadResString(IDS_WRITING_CW_MEMORIES));
    m_machine.StartWrite();
}

void CCWMemoryDlg::OnClose()
{
    if (m_writing && !m_machine.IsIdle()) {
        if (Ask(IDS_CW_CANCEL_WRITE_QUERY, IDS_CRITICAL_OPERATION, MB_YESNO) == IDYES &&
            !m_machine.IsIdle() && !IsFailure(m_machine.m_result))
            m_machine.m_result = ERROR_CANCELLED;
        return;
    }
    if (!m_machine.IsIdle()) {
        if (!IsFailure(m_machine.m_result))
            m_machine.m_result = ERROR_CANCELLED;
        return;
    }
    CommitFocusedEdit();
    if (!m_machine.IsModified()) {
        EndDialog(IDCANCEL);
        return;
    }
    switch (Ask(IDS_UNSAVED_CHANGES_QUERY, IDS_UNSAVED_CHANGES_CAPTION, MB_YESNOCANCEL | MB_DEFBUTTON3)) {
    case IDYES:
        OnSave();
        break;
    case IDNO:
        EndDialog(IDCANCEL);
        break;
    }
}

int CCWMemoryDlg::Ask(UINT textId, UINT captionId, UINT buttons)
{
    return MessageBoxW(m_hwnd, LoadResString(textId).c_str(), LoadResString(captionId).c_str(),
                       buttons | MB_ICONEXCLAMATION);
}

void CCWMemoryDlg::OnFinished(HRESULT result)
{
    SendStatusText(m_hwnd, LoadResString(IDS_READY));
    if (result != 0 && result != ERROR_CANCELLED)
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_CW_MEMORY_ERROR_CAPTION);
    if (result != 0) {
        EndDialog(IDCANCEL);
        return;
    }
    if (m_writing) {
        EndDialog(IDOK);
        return;
    }
    EnableControls(true);
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
}

void CCWMemoryDlg::EnableControls(bool enable)
{
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        // The legends are labels like the unnamed ones.
        if (id != IDCANCEL && id != IDC_HELP_BUTTON && id != IDC_STATIC && id != IDC_CW_LEGEND &&
            id != IDC_CW_LEGEND2)
            EnableWindow(child, enable);
    }
    if (enable)
        EndBusy();
    else
        BeginBusy();
}

void CCWMemoryDlg::Cleanup()
{
    m_subscriptions.RemoveAll();
    if (GetModel().ActiveMachine() == &m_machine)
        GetModel().SetActiveMachine(nullptr);
}

void RunCWMemoryDialog(HWND owner)
{
    CCWMemoryDlg dialog;
    dialog.DoModal(owner);
}
