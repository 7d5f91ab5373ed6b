#include "ConfigSaveDlg.h"

#include <commdlg.h>

#include "ConfigFile.h"
#include "ErrorText.h"
#include "Folders.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

constexpr DWORD kFileBufferLength = MAX_PATH;
constexpr DWORD kTitleBufferLength = 256;

bool IsCancelled(HRESULT result)
{
    return result == ERROR_CANCELLED || result == HRESULT_FROM_WIN32(ERROR_CANCELLED);
}

}  // namespace

CConfigSaveDlg::CConfigSaveDlg()
    : CMachineDialog(m_machine, MachineRegistration::FromFirstShow, IDD_CONFIG_SAVE),
      m_model(GetModel())
{
}

BOOL CConfigSaveDlg::OnInitDialog()
{
    // The time of line 1 and of the default file name.
    GetLocalTime(&m_time);
    m_folder.Load(m_model.AppKey());
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    return TRUE;
}

// Hiding (a minimised owner) changes nothing; only the first show starts.
void CConfigSaveDlg::OnFirstShow()
{
    int chosen = ChooseFile();
    // A stored folder that is gone makes the dialog refuse the name once.
    if (chosen != IDOK && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        m_folder.Set(std::wstring());
        chosen = ChooseFile();
    }
    if (chosen != IDOK) {
        EndDialog(IDCANCEL);
        return;
    }
    Run([this] { return m_machine.Start(Item(IDC_CONFIG_PROGRESS)); });
}

int CConfigSaveDlg::ChooseFile()
{
    if (m_folder.Get().empty())
        m_folder.Set(GetConfigurationFolder(m_hwnd));
    const std::wstring& folder = m_folder.Get();
    const std::wstring name = MakeDefaultConfigurationFileName(m_time, m_model.SerialNumber.Get());
    // A folder too long for the buffer opens as the initial folder instead.
    std::wstring initial = folder.empty() ? name : folder + L"\\" + name;
    const bool fits = initial.size() < kFileBufferLength;
    if (!fits)
        initial = name;
    std::wstring file(kFileBufferLength, L'\0');
    initial.copy(file.data(), kFileBufferLength - 1);
    wchar_t title[kTitleBufferLength] = {};
    const std::wstring filter = GetConfigurationFileFilter();

    OPENFILENAMEW dialog{sizeof dialog};
    dialog.hwndOwner = m_hwnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileBufferLength;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = kTitleBufferLength;
    dialog.lpstrInitialDir = fits ? nullptr : folder.c_str();
    dialog.lpstrDefExt = kConfigFileExtension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!GetSaveFileNameW(&dialog))
        return IDCANCEL;
    m_path = file.c_str();
    return IDOK;
}

void CConfigSaveDlg::OnMachineFinished(HRESULT result)
{
    // A cancel is tested before any mapping, so it never shows as an error.
    if (!IsCancelled(result)) {
        result = MapResult(result);
        if (result == 0 && !WriteConfigurationFile(m_path, m_time, m_machine.Image())) {
            // The box of the write has cleared the error on some systems.
            const DWORD error = GetLastError();
            result = static_cast<HRESULT>(error ? error : ERROR_WRITE_FAULT);
        }
    }
    if (result == 0) {
        m_folder.Set(GetParentFolder(m_path));
        SendStatusText(m_hwnd, FormatText(IDS_CONFIG_SAVED));
        EndDialog(IDOK);
    } else if (IsCancelled(result)) {
        SendStatusText(m_hwnd, FormatText(IDS_SAVE_CANCELLED));
        EndDialog(IDCANCEL);
    } else {
        SendStatusText(m_hwnd, FormatText(IDS_SAVE_FAILED));
        SetDlgItemTextW(m_hwnd, IDCANCEL, LoadResString(IDS_CLOSE).c_str());
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_SAVE_CONFIG_ERROR_CAPTION, GetModel().LostPort());
    }
}

// The user's Cancel stops a save at once, as reading the radio changes
// nothing there; the program's close asks first, as the other runs do.
SQuestion CConfigSaveDlg::CloseQuestion()
{
    if (!CModalRun::IsClosingOwner(m_hwnd))
        return {};
    return {IDS_CLOSE_WHILE_SAVING, IDS_CRITICAL_OPERATION, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2};
}

// The machine stops at its next step; its end closes the dialog.
void CConfigSaveDlg::OnInterrupt()
{
    SendStatusText(m_hwnd, FormatText(IDS_SAVE_CANCELLED));
    HoldCancel();
    CancelRun();
}

void CConfigSaveDlg::OnCloseIdle()
{
    SendStatusText(m_hwnd, FormatText(IDS_SAVE_CANCELLED));
    EndDialog(IDCANCEL);
}

void CConfigSaveDlg::OnDestroy()
{
    if (!m_folder.Get().empty())
        m_folder.Save(m_model.AppKey());
    CMachineDialog::OnDestroy();
}
