// A page of a property sheet: a dialog template that the sheet creates when
// the page is first shown. The page's PROPSHEETPAGE carries the object.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Dialog.h"

class CPropertyPage : public CDialog {
public:
    // The tab text is the template's caption.
    explicit CPropertyPage(UINT templateId);

    // The page handle for a sheet; null when the page could not be made.
    HPROPSHEETPAGE CreatePage() { return CreatePropertySheetPageW(&m_page); }
    HWND Sheet() const { return GetParent(m_hwnd); }

protected:
    // The sheet's notifications to this page (from the page itself or its
    // sheet) go to the handlers below; others to the window's OnNotify.
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

    // PSN_SETACTIVE: 0 to take the activation, -1 to refuse it, or a page's
    // template id to go there instead; the same for the wizard's moves.
    virtual LRESULT OnSetActive() { return 0; }
    // PSN_KILLACTIVE: true keeps the page current.
    virtual bool OnKillActive() { return false; }
    // PSN_APPLY (`closing`: OK rather than Apply): a PSNRET_* value.
    virtual LRESULT OnApply(bool /*closing*/) { return PSNRET_NOERROR; }
    // PSN_QUERYCANCEL: true keeps the sheet open.
    virtual bool OnQueryCancel() { return false; }
    virtual void OnReset() {}
    // PSN_QUERYINITIALFOCUS: the control to focus, null for the default.
    virtual HWND OnQueryInitialFocus() { return nullptr; }
    virtual LRESULT OnWizardBack() { return 0; }
    virtual LRESULT OnWizardNext() { return 0; }
    // PSN_WIZFINISH: true keeps the wizard open.
    virtual bool OnWizardFinish() { return false; }

    // Flags, title and header texts for the sheets that need them.
    PROPSHEETPAGEW m_page;

private:
    static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // A page being hidden hands the focus it holds to the sheet's tabs.
    static void LeaveFocus(HWND page);
};
