#include "CWMemoryDlg.h"

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

bool CEditCWMemory::OnChar(wchar_t character)
{
    return GetKeyState(VK_CONTROL) >= 0 && character >= 32 && CharToMorseCode(character) == 0;
}

bool CEditCWMemory::OnKeyDown(UINT key)
{
    if (key != 'A' || GetKeyState(VK_CONTROL) >= 0)
        return false;
    Send(EM_SETSEL, 0, -1);
    Send(EM_SCROLLCARET);
    return true;
}

bool CEditCWMemory::OnPaste()
{
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
    return true;
}

CCWMemoryDlg::CCWMemoryDlg()
    : CMachineDialog(m_machine, MachineRegistration::FromFirstShow, IDD_CW_MEMORY)
{
    SetHelpTopic(kHelpTopic);
}

bool CCWMemoryDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_CW_MEMORY_EDITOR_TEXT)
        return CMachineDialog::OnMessage(message, wParam, lParam, result);
    if (wParam < CW_MEMORY_COUNT) {
        const HWND edit = Item(IDC_CW_MEMORY_FIRST + static_cast<int>(wParam));
        SetWindowTextW(edit, m_machine.Texts.Get(wParam).c_str());
        // A memory being written stays disabled until the write has ended.
        if (!m_writing || !IsMachineBusy())
            EnableWindow(edit, TRUE);
    }
    return true;
}

BOOL CCWMemoryDlg::OnInitDialog()
{
    m_font.reset(CreateLogFont(m_hwnd));
    for (unsigned i = 0; i < CW_MEMORY_COUNT; ++i) {
        m_edits[i].SubclassDlgItem(m_hwnd, IDC_CW_MEMORY_FIRST + static_cast<int>(i));
        m_edits[i].Send(EM_LIMITTEXT, CW_MEMORY_LENGTH);
        m_edits[i].Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
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
    return TRUE;
}

bool CCWMemoryDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (IsMemoryEdit(static_cast<int>(id)) && code == EN_KILLFOCUS) {
        CommitEdit(id - IDC_CW_MEMORY_FIRST);
        return true;
    }
    return CMachineDialog::OnCommand(id, code, control);
}

// Only the first show reads; a hide changes nothing.
void CCWMemoryDlg::OnFirstShow()
{
    m_subscriptions.Add(m_hwnd, m_machine.Texts);
    m_writing = false;
    // On a refused start the memories stay empty and the controls usable.
    Run([this] {
        if (!m_machine.StartRead())
            return false;
        SendStatusText(m_hwnd, LoadResString(IDS_READING_CW_MEMORIES));
        EnableControls(false);
        return true;
    });
}

void CCWMemoryDlg::CommitEdit(unsigned memory)
{
    m_machine.Texts.Edit(memory, GetWindowString(Item(IDC_CW_MEMORY_FIRST + static_cast<int>(memory))));
}

void CCWMemoryDlg::CommitFocusedEdit()
{
    const int id = GetDlgCtrlID(GetFocus());
    if (IsMemoryEdit(id) && IsChild(m_hwnd, GetFocus()))
        CommitEdit(id - IDC_CW_MEMORY_FIRST);
}

// The Save button.
bool CCWMemoryDlg::OnOK()
{
    if (IsMachineBusy())
        return true;
    CommitFocusedEdit();
    m_writing = true;
    Run([this] {
        EnableControls(false);
        SendStatusText(m_hwnd, LoadResString(IDS_WRITING_CW_MEMORIES));
        return m_machine.StartWrite();
    });
    return true;
}

// A read is cancelled without a question: nothing is lost.
SQuestion CCWMemoryDlg::CloseQuestion()
{
    if (!m_writing)
        return {};
    return {IDS_CW_CANCEL_WRITE_QUERY, IDS_CRITICAL_OPERATION, MB_YESNO | MB_ICONEXCLAMATION};
}

void CCWMemoryDlg::OnCloseIdle()
{
    CommitFocusedEdit();
    if (AskToSaveBeforeClose(m_machine.IsModified(), MB_DEFBUTTON3))
        OnOK();
}

void CCWMemoryDlg::OnMachineFinished(HRESULT result)
{
    SendStatusText(m_hwnd, LoadResString(IDS_READY));
    if (result != 0 && result != ERROR_CANCELLED)
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_CW_MEMORY_ERROR_CAPTION, GetModel().LostPort());
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
}

void RunCWMemoryDialog(HWND owner)
{
    CCWMemoryDlg dialog;
    dialog.DoModal(owner);
}
