#include "TerminalMemoriesDlg.h"

#include "Model.h"
#include "resource.h"

namespace {

const UINT kTitles[] = {IDS_EDIT_CW_MEMORIES, IDS_EDIT_RTTY_MEMORIES, IDS_EDIT_PSK_MEMORIES};

}  // namespace

CTerminalMemoriesDlg::CTerminalMemoriesDlg(unsigned mode, CMemoryArray& captions, CMemoryArray& texts)
    : CDialog(IDD_TERMINAL_MEMORIES), m_mode(mode), m_captions(captions), m_texts(texts)
{
    SetHelpTopic(L"Terminal.htm#editMemories");
}

bool CTerminalMemoriesDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // The arrays' notices: wParam is the row.
    if (message != m_captions.Message() && message != m_texts.Message())
        return CDialog::OnMessage(message, wParam, lParam, result);
    if (wParam < kMemoryCount) {
        const bool caption = message == m_captions.Message();
        SetDlgItemTextW(m_hwnd, static_cast<int>((caption ? IDC_MEMORY_LABEL_FIRST : IDC_MEMORY_TEXT_FIRST) + wParam),
                        (caption ? m_captions : m_texts).Get(wParam).c_str());
    }
    return true;
}

bool CTerminalMemoriesDlg::OnCancel()
{
    EndDialog(IDCANCEL);
    return true;
}

BOOL CTerminalMemoriesDlg::OnInitDialog()
{
    SetWindowTextW(m_hwnd, LoadResString(kTitles[m_mode < 3 ? m_mode : 0]).c_str());
    std::vector<ResizeRule> rules{{IDC_MEMORY_TEXT_HEADING, DLSZ_SIZE_X},
                                  {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y},
                                  {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y},
                                  {IDC_HELP_BUTTON, DLSZ_MOVE_X | DLSZ_MOVE_Y}};
    for (size_t i = 0; i < kMemoryCount; ++i)
        rules.push_back({static_cast<int>(IDC_MEMORY_TEXT_FIRST + i), DLSZ_SIZE_X});
    m_resize.Init(m_hwnd, rules, true);
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    return TRUE;
}

// A minimised and restored owner hides and shows the dialog: the rows are
// filled on the first show only, or they would lose what the user typed.
void CTerminalMemoriesDlg::OnShow(bool shown, UINT)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        return;
    }
    m_subscriptions.Add(m_hwnd, m_captions);
    m_subscriptions.Add(m_hwnd, m_texts);
    if (m_filled)
        return;
    m_filled = true;
    m_captions.NotifyWindow(m_hwnd);
    m_texts.NotifyWindow(m_hwnd);
}

// The Save button.
bool CTerminalMemoriesDlg::OnOK()
{
    // Our own notices would write the edits back over what is being read.
    m_subscriptions.RemoveAll();
    for (size_t i = 0; i < kMemoryCount; ++i) {
        m_captions.Set(i, GetWindowString(Item(static_cast<int>(IDC_MEMORY_LABEL_FIRST + i))));
        m_texts.Set(i, GetWindowString(Item(static_cast<int>(IDC_MEMORY_TEXT_FIRST + i))));
    }
    CAppInfoBase& key = GetModel().AppKey();
    m_captions.Save(key);
    m_texts.Save(key);
    EndDialog(IDOK);
    return true;
}
