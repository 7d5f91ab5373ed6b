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
    // Flags, title and header texts for the sheets that need them.
    PROPSHEETPAGEW m_page;

private:
    static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // A page being hidden hands the focus it holds to the sheet's tabs.
    static void LeaveFocus(HWND page);
};
