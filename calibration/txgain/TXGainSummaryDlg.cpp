#include "TXGainSummaryDlg.h"

#include <richedit.h>

#include "Files.h"
#include "TXGainFile.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

// Some 600 blocks: what a user looks for is at the top, and a rich edit fed
// megabytes freezes or falls over.
constexpr DWORD kShownBytes = 256 * 1024;

bool IsText(BYTE byte)
{
    return byte >= 0x20 ? byte != 0x7F : byte == '\r' || byte == '\n' || byte == '\t';
}

}  // namespace

std::wstring FormatShownRecord(std::string head, bool cut, const std::wstring& path)
{
    // A record cut short ends at its last whole line.
    if (cut && head.find('\n') != std::string::npos)
        head.erase(head.rfind('\n') + 1);
    for (char& c : head) {
        if (!IsText(static_cast<BYTE>(c)))
            c = '?';
    }
    std::wstring text(head.size(), L'\0');
    if (!head.empty()) {
        const int length = MultiByteToWideChar(CP_ACP, 0, head.data(), static_cast<int>(head.size()), text.data(),
                                               static_cast<int>(text.size()));
        text.resize(length);
    }
    if (cut)
        text += FormatText(IDS_TXGC_OLDER_IN_FILE, path.c_str());
    return text;
}

CTXGCSummaryDlg::CTXGCSummaryDlg() : CDialog(IDD_TXGC_SUMMARY)
{
    SetHelpTopic(L"CalibrationPage.htm#TXGainSummary");
}

BOOL CTXGCSummaryDlg::OnInitDialog()
{
    const HWND owner = GetWindow(m_hwnd, GW_OWNER);
    const std::wstring path = GetTXGainFilePath(m_hwnd);
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        MessageBoxKeepingError(owner, FormatText(IDS_TXGC_CANNOT_OPEN_SUMMARY, path.c_str()),
                               LoadResString(IDS_TXGC_FILE_ERROR), MB_ICONHAND);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    // The newest blocks are on top: a long record is shown from its start. A
    // read that fails ends the viewer silently, as a failed stream does.
    CFileRead3 file(owner, IDS_TXGC_FILE_ERROR);
    file.HoldReports();
    file.Attach(handle, path);
    if (!file.Load(kShownBytes, true)) {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    const std::vector<BYTE>& bytes = file.Bytes();
    const std::wstring text = FormatShownRecord(std::string(bytes.begin(), bytes.end()), file.IsCut(), path);
    m_text.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    // Beyond the control's default of 64K characters.
    m_text.Send(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(text.size()) + 1);
    if (!m_text.StreamIn(text.data(), text.size() * sizeof(wchar_t), SF_TEXT | SF_UNICODE)) {
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
