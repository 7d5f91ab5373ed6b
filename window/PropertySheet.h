// A property sheet holding property pages, modal or modeless. The sheet's
// window is subclassed by this object once the sheet is initialised, so a
// derived sheet handles its messages like any window of this layer.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "PropertyPage.h"
#include "Window.h"

class CPropertySheet : public CWindow {
public:
    // A page of the sheet being made on this thread is made (its
    // WM_INITDIALOG): the sheet is initialised now, if not yet.
    static void OnPageMade(HWND page);

    // Flags beyond PSH_USECALLBACK; the caption may be a string-table id.
    CPropertySheet(const wchar_t* caption, DWORD flags, UINT startPage);
    ~CPropertySheet() override;

    // Pages are shown in the order added; a page that cannot be made is left out.
    void AddPage(CPropertyPage& page);
    size_t PageCount() const { return m_pages.size(); }

    // The modeless sheet's window, or null.
    HWND Create(HWND parent);
    // PropertySheetW's result.
    INT_PTR DoModal(HWND parent);

    // Before the window exists a selection is kept as the start page, and
    // the current index is the start page.
    HWND GetCurrentPage() const;
    int GetCurrentIndex() const;
    bool SetCurrentIndex(int index);
    HWND GetTabControl() const;
    int GetTabCount() const;
    // PSM_ISDIALOGMESSAGE: the sheet's dialog keys.
    bool IsDialogMessage(MSG* message) const;
    // Puts the focus on the current page's first control: the one the page
    // names for PSN_QUERYINITIALFOCUS, else its first tab stop, else (nothing
    // there is shown and enabled) the tab control. Wine's sheet never asks,
    // and leaves the focus on the first page when another is selected before
    // the sheet is shown.
    void FocusCurrentPage();

    const PROPSHEETHEADERW& Header() const { return m_header; }

protected:
    // PSCB_PRECREATE: the sheet's template, a DLGTEMPLATE or DLGTEMPLATEEX.
    virtual void OnPreCreate(void* dialogTemplate) { (void)dialogTemplate; }
    // Once the window exists and has been subclassed, before any page is
    // activated: at PSCB_INITIALIZED, or when the first page is made,
    // whichever comes first (Microsoft does not document their order).
    virtual void OnInitialized() {}

    // The style word of either template form.
    static DWORD* TemplateStyle(void* dialogTemplate);

    PROPSHEETHEADERW m_header;
    std::vector<HPROPSHEETPAGE> m_pages;

private:
    void Prepare(HWND parent);
    void Initialize(HWND sheet);
    // Shown and enabled, and so are its parents within the sheet.
    bool CanTakeFocus(HWND window) const;
    static int CALLBACK Callback(HWND sheet, UINT message, LPARAM lParam);
};
