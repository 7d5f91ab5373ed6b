#include "ConfigRestoreDlg.h"

#include <commdlg.h>

#include "ConfigFile.h"
#include "ConfigFileReader.h"
#include "ErrorText.h"
#include "Folders.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr DWORD kFileBufferLength = MAX_PATH;
constexpr DWORD kTitleBufferLength = 256;

}  // namespace

CConfigRestoreDlg::CConfigRestoreDlg() : CDialog(IDD_CONFIG_RESTORE), m_model(GetModel()) {}

bool CConfigRestoreDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterOn(GetWindow(m_hwnd, GW_OWNER));
        m_folder.Load(m_model.AppKey());
        result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        // Hiding (a minimised owner) changes nothing; only the first show asks.
        if (wParam && !m_shown) {
            m_shown = true;
            m_model.SetActiveMachine(&m_machine);
            m_subscriptions.Add(m_hwnd, m_model.MachineFinished);
            ChooseAndReadConfigurationFile();
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
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        return true;
    case WM_CLOSE:
        OnClose();
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
    m_machine.m_owner = m_hwnd;
    if (m_machine.Start(Item(IDC_CONFIG_PROGRESS)))
        BeginBusy();
    else
        m_model.SetActiveMachine(nullptr);
}

HRESULT CConfigRestoreDlg::ReadConfigurationFile(const std::wstring& path)
{
    CConfigFileReader reader(m_hwnd, [this](int address, BYTE value) { m_machine.AddByte(address, value); });
    return reader.ReadConfigurationFile(path);
}

void CConfigRestoreDlg::OnMachineFinished(HRESULT result)
{
    EndBusy();
    m_finished = true;
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
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_RESTORE_CONFIG_ERROR_CAPTION);
    }
}

void CConfigRestoreDlg::OnClose()
{
    if (m_machine.IsIdle()) {
        EndDialog(m_result == 0 ? IDOK : m_result == ERROR_CANCELLED ? IDCANCEL : 3);
        return;
    }
    const std::wstring caption = LoadResString(IDS_CRITICAL_OPERATION);
    if (MessageBoxW(m_hwnd, LoadResString(IDS_INTERRUPT_RESTORE_QUESTION).c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    // Not for a restore that ended while the question was open, even when
    // the radio is still being found again.
    if (m_machine.IsIdle() || m_finished)
        return;
    if (!IsFailure(m_machine.m_result))
        m_machine.m_result = ERROR_CANCELLED;
    MessageBoxW(m_hwnd, LoadResString(IDS_RESTORE_INTERRUPTED).c_str(), caption.c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

void CConfigRestoreDlg::OnDestroy()
{
    m_subscriptions.RemoveAll();
    if (m_model.ActiveMachine() == &m_machine)
        m_model.SetActiveMachine(nullptr);
    if (!m_folder.Get().empty())
        m_folder.Save(m_model.AppKey());
}
