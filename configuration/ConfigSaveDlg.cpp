#include "ConfigSaveDlg.h"

#include <commdlg.h>

#include "ConfigFile.h"
#include "ErrorText.h"
#include "Folders.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr DWORD kFileBufferLength = MAX_PATH;
constexpr DWORD kTitleBufferLength = 256;

bool IsCancelled(HRESULT result)
{
    return result == ERROR_CANCELLED || result == HRESULT_FROM_WIN32(ERROR_CANCELLED);
}

}  // namespace

CConfigSaveDlg::CConfigSaveDlg() : CDialog(IDD_CONFIG_SAVE), m_model(GetModel()) {}

bool CConfigSaveDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        // Hiding (a minimised owner) changes nothing; only the first show starts.
        if (wParam && !m_shown) {
            m_shown = true;
            OnFirstShow();
        }
        return false;
    case WM_SETCURSOR:
        if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return false;
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            return false;
        OnCancel();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_APP_MACHINE_FINISHED:
        OnMachineFinished(static_cast<HRESULT>(wParam));
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

void CConfigSaveDlg::OnInitDialog()
{
    // The time of line 1 and of the default file name.
    GetLocalTime(&m_time);
    m_folder.Load(m_model.AppKey());
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
}

void CConfigSaveDlg::OnFirstShow()
{
    m_model.SetActiveMachine(&m_machine);
    m_subscriptions.Add(m_hwnd, m_model.MachineFinished);
    StartSave();
}

void CConfigSaveDlg::StartSave()
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
    m_machine.m_owner = m_hwnd;
    if (m_machine.Start(Item(IDC_CONFIG_PROGRESS)))
        BeginBusy();
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
    EndBusy();
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
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_SAVE_CONFIG_ERROR_CAPTION);
    }
}

void CConfigSaveDlg::OnCancel()
{
    SendStatusText(m_hwnd, FormatText(IDS_SAVE_CANCELLED));
    if (m_machine.IsIdle()) {
        EndDialog(IDCANCEL);
        return;
    }
    // The machine stops at its next step; its end closes the dialog.
    if (m_machine.m_result == 0)
        m_machine.m_result = ERROR_CANCELLED;
}

void CConfigSaveDlg::OnDestroy()
{
    m_subscriptions.RemoveAll();
    if (m_model.ActiveMachine() == &m_machine)
        m_model.SetActiveMachine(nullptr);
    if (!m_folder.Get().empty())
        m_folder.Save(m_model.AppKey());
}
