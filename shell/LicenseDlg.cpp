#include "LicenseDlg.h"

#include <richedit.h>

#include "DeviceFacts.h"
#include "resource.h"

std::string LoadLicenseText()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_LICENSE_TEXT), MAKEINTRESOURCEW(RT_LICENSE_TEXT));
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    // A resource has no terminator of its own.
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, resource));
}

CLicenseDlg::CLicenseDlg() : CDialog(IDD_LICENSE) {}

bool CLicenseDlg::OnCancel()
{
    EndDialog(1);
    return true;
}

void CLicenseDlg::OnDestroy()
{
    m_text.Destroy();
    CDialog::OnDestroy();
}

BOOL CLicenseDlg::OnInitDialog()
{
    ReplaceInWindowText(m_hwnd, L"??", kDeviceWord);
    m_text.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_text.Send(EM_SETTARGETDEVICE, 0, 0);
    const std::string text = LoadLicenseText();
    if (!text.empty()) {
        SETTEXTEX how{ST_SELECTION, CP_UTF8};
        m_text.Send(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
    }
    m_resize.Init(m_hwnd, {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}}, true);
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    m_text.FocusAtStart();
    return FALSE;  // the focus is set
}
