#include "PropertyPage.h"

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId), m_page{sizeof m_page}
{
    m_page.dwFlags = PSP_DEFAULT;
    m_page.hInstance = GetModuleHandleW(nullptr);
    m_page.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_page.pfnDlgProc = &CPropertyPage::PageProc;
    m_page.lParam = reinterpret_cast<LPARAM>(this);
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CPropertyPage*>(FromHandle(dialog));
    if (message == WM_INITDIALOG) {
        // The sheet passes its copy of the PROPSHEETPAGE.
        self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        self->Attach(dialog);
    }
    return self ? self->DispatchDialog(message, wParam, lParam) : FALSE;
}
