#include "PropertyPage.h"

#include "PropertySheet.h"

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
        CPropertySheet::OnPageMade(dialog);
    }
    if (message == WM_SHOWWINDOW && !wParam && lParam == 0)
        LeaveFocus(dialog);
    return self ? self->DispatchDialog(message, wParam, lParam) : FALSE;
}

void CPropertyPage::LeaveFocus(HWND page)
{
    // Wine's sheet keeps the focus on a page it hides (another page chosen by
    // Ctrl+Tab or PSM_SETCURSEL); its dialog keys then loop for good, and
    // arrow keys reach controls no one sees. The tabs take it, as after a
    // click on them. A wizard's tabs are hidden: there the sheet moves it.
    const HWND focus = GetFocus();
    if (!focus || (focus != page && !IsChild(page, focus)))
        return;
    const auto tabs = reinterpret_cast<HWND>(SendMessageW(GetParent(page), PSM_GETTABCONTROL, 0, 0));
    if (tabs && (GetWindowLongPtrW(tabs, GWL_STYLE) & WS_VISIBLE))
        SetFocus(tabs);
}

bool CPropertyPage::OnNotify(const NMHDR& header, LRESULT& result)
{
    const bool fromSheet = header.hwndFrom == m_hwnd || header.hwndFrom == Sheet();
    if (!fromSheet || header.code > PSN_FIRST || header.code < PSN_LAST)
        return CDialog::OnNotify(header, result);
    const bool closing = reinterpret_cast<const PSHNOTIFY&>(header).lParam != 0;
    switch (header.code) {
    case PSN_SETACTIVE:
        result = OnSetActive();
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive();
        return true;
    case PSN_APPLY:
        result = OnApply(closing);
        return true;
    case PSN_QUERYCANCEL:
        result = OnQueryCancel();
        return true;
    case PSN_RESET:
        OnReset();
        return true;
    case PSN_QUERYINITIALFOCUS:
        result = reinterpret_cast<LRESULT>(OnQueryInitialFocus());
        return true;
    case PSN_WIZBACK:
        result = OnWizardBack();
        return true;
    case PSN_WIZNEXT:
        result = OnWizardNext();
        return true;
    case PSN_WIZFINISH:
        result = OnWizardFinish();
        return true;
    case PSN_HELP:
        OnHelp();
        return true;
    }
    return true;
}
