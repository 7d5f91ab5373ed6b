// The one-page property sheets of the configuration tools: modal over the
// window that opens them, centred on it when first shown; and the page they
// hold, which runs its machine while shown.
#pragma once

#include "Observable.h"
#include "PropertySheet.h"
#include "StateMachineInterface.h"

class CToolSheet : public CPropertySheet {
public:
    // `okTextId`: a string-table text for the OK button, 0 to keep "OK".
    CToolSheet(UINT captionId, DWORD flags, UINT okTextId = 0);

    // Runs the sheet with its one page; PropertySheetW's result.
    INT_PTR Run(HWND owner, CPropertyPage& page);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnInitialized() override;

private:
    HWND m_owner = nullptr;
    UINT m_okTextId;
    bool m_centred = false;
};

// A tool's page: its machine is the model's active machine while the page is
// shown; it answers only notifications from itself or its sheet, and opens
// its help topic.
class CToolPage : public CPropertyPage {
public:
    CToolPage(UINT templateId, IStateMachine& machine, const wchar_t* helpTopic);
    ~CToolPage() override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // After the machine has been registered; subscribe here.
    virtual void OnShow() = 0;
    // Before the registration is cleared (also at WM_DESTROY).
    virtual void OnHide() {}
    // The property-sheet notification's result.
    virtual LRESULT OnNotify(const NMHDR* header) = 0;

    CEventSubscriptions m_subscriptions;

private:
    void Hide();

    IStateMachine& m_machine;
    const wchar_t* m_helpTopic;
};
