#include "ConfigRestoreDlg.h"

#include <commdlg.h>

#include "ConfigFile.h"
#include "ConfigFileReader.h"
#include "ErrorText.h"
#include "Folders.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

constexpr DWORD kFileBufferLength = MAX_PATH;
constexpr DWORD kTitleBufferLength = 256;

}  // namespace

CConfigRestoreDlg::CConfigRestoreDlg()
    : CMachineDialog(m_machine, MachineRegistration::FromFirstShow, IDD_CONFIG_RESTORE),
      m_model(GetModel())
{
}

BOOL CConfigRestoreDlg::OnInitDialog()
{
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    m_folder.Load(m_model.AppKey());
    return TRUE;
}

// Hiding (a minimised owner) changes nothing; only the first show asks.
void CConfigRestoreDlg::OnFirstShow()
{
    ChooseAndReadConfigurationFile();
}

void CConfigRestoreDlg::ChooseAndReadConfigurationFile()
{
    if (m_folder.Get().empty())
        m_folder.Set(GetConfigurationFolder(m_hwnd));
    std::wstring file(kFileBufferLength, L'\0');
    wchar_t title[kTitleBufferLength] = {};
    const std::wstring filter = GetConfigurationFileFilter();
    OPENFILENAMEW dialog{sizeof dialog};
    dialog.hwndOwner = m_hwnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrInitialDir = m_folder.Get().c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileBufferLength;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = kTitleBufferLength;
    dialog.lpstrDefExt = kConfigFileExtension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) {
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        return;
    }
    const std::wstring path = file.c_str();
    // A file that fails its checks sends nothing; the reader has said why.
    if (ReadConfigurationFile(path) != 0)
        return;
    m_folder.Set(GetParentFolder(path));
    if (!Run([this] { return m_machine.Start(Item(IDC_CONFIG_PROGRESS)); }))
        m_model.SetActiveMachine(nullptr);
}

HRESULT CConfigRestoreDlg::ReadConfigurationFile(const std::wstring& path)
{
    CConfigFileReader reader(m_hwnd, [this](int address, BYTE value) { m_machine.AddByte(address, value); });
    return reader.ReadConfigurationFile(path);
}

void CConfigRestoreDlg::OnMachineFinished(HRESULT result)
{
    m_result = result;
    if (result == 0) {
        SendStatusText(m_hwnd, FormatText(IDS_CONFIG_RESTORED));
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    } else if (result == ERROR_CANCELLED) {
        SendStatusText(m_hwnd, FormatText(IDS_RESTORE_CANCELLED));
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    } else {
        SendStatusText(m_hwnd, FormatText(IDS_RESTORE_FAILED));
        SetDlgItemTextW(m_hwnd, IDCANCEL, LoadResString(IDS_CLOSE).c_str());
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_RESTORE_CONFIG_ERROR_CAPTION, GetModel().LostPort(),
                         m_machine.IsHalfWritten() ? IDS_RESTORE_HALF_WRITTEN : 0);
    }
}

SQuestion CConfigRestoreDlg::CloseQuestion()
{
    if (!IsInterruptible())
        return {};
    return {IDS_INTERRUPT_RESTORE_QUESTION, IDS_CRITICAL_OPERATION, MB_YESNO | MB_ICONEXCLAMATION};
}

void CConfigRestoreDlg::OnInterrupt()
{
    // Not for a restore that ended, or reset the radio, while the question was open.
    if (!IsInterruptible() || !CancelRun())
        return;
    HoldCancel();
    Ask({IDS_RESTORE_INTERRUPTED, IDS_CRITICAL_OPERATION, MB_OK | MB_ICONEXCLAMATION});
}

void CConfigRestoreDlg::OnCloseIdle()
{
    EndDialog(m_result == 0 ? IDOK : m_result == ERROR_CANCELLED ? IDCANCEL : 3);
}

void CConfigRestoreDlg::OnDestroy()
{
    if (!m_folder.Get().empty())
        m_folder.Save(m_model.AppKey());
    CMachineDialog::OnDestroy();
}
