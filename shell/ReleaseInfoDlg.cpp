#include "ReleaseInfoDlg.h"

#include <richedit.h>

#include "Files.h"
#include "Folders.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

const wchar_t kNotesFileName[] = L"hfwnotes.rtf";

// Room for notes far longer than the rich edit's default 32K characters.
constexpr LPARAM kTextLimit = 0x7FFFFFFE;
// Far above any notes of text and formatting: a larger file from the server
// is refused, not fed to the control.
constexpr DWORD kLongestNotes = 4 << 20;

void ShowOpenError(HWND owner, const std::wstring& path)
{
    MessageBoxW(owner, FormatText(IDS_RELEASE_NOTES_OPEN_FAILED, path.c_str()).c_str(),
                LoadResString(IDS_RELEASE_NOTES_ERROR_CAPTION).c_str(), MB_ICONHAND);
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CReleaseInfoDlg::CReleaseInfoDlg(HWND owner) : CDialog(IDD_RELEASE_NOTES), m_owner(owner) {}

bool CReleaseInfoDlg::OnCancel()
{
    Destroy();
    return true;
}

// The creation parameter is the file's path.
BOOL CReleaseInfoDlg::OnInitDialog()
{
    const auto* path = reinterpret_cast<const wchar_t*>(m_param);
    if (!LoadFile(path ? path : L"")) {
        Destroy();
        return FALSE;
    }
    m_resize.Init(m_hwnd, {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}}, true);
    CenterOn(m_owner);
    m_text.FocusAtStart();
    return FALSE;  // the focus is set
}

bool CReleaseInfoDlg::LoadFile(const std::wstring& path)
{
    if (path.empty()) {
        ShowOpenError(m_owner, kNotesFileName);
        return false;
    }
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ShowOpenError(m_owner, path);
        return false;
    }
    // A read that fails closes the viewer silently, as a failed stream does;
    // notes too long are told.
    CFileRead3 file(m_owner, IDS_RELEASE_NOTES_ERROR_CAPTION);
    file.HoldReports();
    file.Attach(handle, path);
    if (!file.Load(kLongestNotes)) {
        if (GetLastError() == ERROR_FILE_TOO_LARGE)
            ShowErrorBox(m_owner, IDS_RELEASE_NOTES_ERROR_CAPTION, L"%s", file.HeldReport().c_str());
        return false;
    }
    m_text.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_text.Send(EM_SETTARGETDEVICE, 0, 0);
    m_text.Send(EM_EXLIMITTEXT, 0, kTextLimit);
    return m_text.StreamIn(file.Bytes().data(), file.Bytes().size(), SF_RTF);
}

CReleaseInfoDlg* ShowReleaseNotes(HWND owner, const std::wstring& firmwareFolder)
{
    const std::wstring path = CombinePath(firmwareFolder, kNotesFileName);
    if (!IsFile(path)) {
        ShowOpenError(owner, path.empty() ? kNotesFileName : path);
        return nullptr;
    }
    auto* dialog = new CReleaseInfoDlg(owner);
    if (const HWND window = dialog->Create(nullptr, reinterpret_cast<LPARAM>(path.c_str())))
        ShowWindow(window, SW_SHOW);
    return dialog;
}

void CloseReleaseNotes(CReleaseInfoDlg* dialog)
{
    if (!dialog)
        return;
    dialog->Destroy();
    delete dialog;
}
