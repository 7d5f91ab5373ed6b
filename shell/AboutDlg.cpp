#include "AboutDlg.h"

#include "DeviceFacts.h"
#include "FileVersionInfo.h"
#include "LicenseDlg.h"
#include "TextOrId.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

bool CAboutDlg::OnCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_VIEW_LICENSE: {
        CLicenseDlg license;
        license.DoModal(m_hwnd);
        return true;
    }
    }
    return CDialog::OnCommand(id, code, control);
}

bool CAboutDlg::OnCancel()
{
    EndDialog(1);
    return true;
}

BOOL CAboutDlg::OnInitDialog()
{
    ReplaceInWindowText(m_hwnd, L"??", kDeviceWord);
    CFileVersionInfo version;
    if (version.LoadFromModule(nullptr)) {
        const std::wstring text =
            version.GetString(CFileVersionInfo::FileDescription) + L"\r\n\r\n" +
            FormatText(L"Version %u.%u.%u.%u", version.GetFileVersionPart(3), version.GetFileVersionPart(2),
                       version.GetFileVersionPart(1), version.GetFileVersionPart(0));
        SetDlgItemTextW(m_hwnd, IDC_ABOUT_TEXT, text.c_str());
    }
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    return TRUE;
}
