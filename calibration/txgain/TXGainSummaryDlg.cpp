#include "TXGainSummaryDlg.h"

#include <richedit.h>

#include "TXGainFile.h"
#include "TextSinks.h"
#include "resource.h"

CTXGCSummaryDlg::CTXGCSummaryDlg() : CDialog(IDD_TXGC_SUMMARY)
{
    SetHelpTopic(L"CalibrationPage.htm#TXGainSummary");
}

BOOL CTXGCSummaryDlg::OnInitDialog()
{
    const HWND owner = GetWindow(m_hwnd, GW_OWNER);
    const std::wstring path = GetTXGainFilePath(m_hwnd);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        MessageBoxKeepingError(owner, FormatText(IDS_TXGC_CANNOT_OPEN_SUMMARY, path.c_str()),
                               LoadResString(IDS_TXGC_FILE_ERROR), MB_ICONHAND);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_text.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_text.Send(EM_EXLIMITTEXT, 0, 0);
    const bool read = m_text.StreamInFile(file, SF_TEXT);
    CloseHandle(file);
    if (!read) {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_resize.Init(m_hwnd, {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}}, true);
    CenterOn(owner);
    m_text.FocusAtStart();
    return FALSE;  // the focus is set
}

bool CTXGCSummaryDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDCANCEL)
        return CDialog::OnCommand(id, code, control);
    EndDialog(IDCANCEL);
    return true;
}
