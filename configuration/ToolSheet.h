// The one-page property sheets of the configuration tools: modal over the
// window that opens them, centred on it when first shown. Their pages are
// machine pages (MachineWindow.h) that run their machine while shown.
#pragma once

#include "PropertySheet.h"

class CToolSheet : public CPropertySheet {
public:
    // `okTextId`: a string-table text for the OK button, 0 to keep "OK".
    CToolSheet(UINT captionId, DWORD flags, UINT okTextId = 0);

    // Runs the sheet with its one page; PropertySheetW's result.
    INT_PTR Run(HWND owner, CPropertyPage& page);

protected:
    void OnShow(bool shown, UINT reason) override;
    void OnInitialized() override;

private:
    HWND m_owner = nullptr;
    UINT m_okTextId;
    bool m_centred = false;
};
