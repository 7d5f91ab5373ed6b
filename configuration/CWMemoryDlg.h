// "Edit CW Memories": reads the eight memories when first shown, lets them
// be edited as text (only characters that have a Morse code get in), and
// Save writes back the memories whose text changed.
#pragma once

#include "CWMemoryStateMachine.h"
#include "Dialog.h"
#include "WaitCursor.h"
#include "DialogResize.h"

// A memory's edit: keys and pastes without a Morse code are dropped.
class CEditCWMemory : public CWindow {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class CCWMemoryDlg : public CDialog, private CWaitCursorE<CCWMemoryDlg> {
public:
    CCWMemoryDlg();
    ~CCWMemoryDlg() override;

    CCWMemoryStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    void OnFirstShow();
    void OnSave();
    void OnClose();
    void OnFinished(HRESULT result);
    // The focused edit's text becomes its memory's edited text: Enter
    // reaches Save before the edit has lost the focus.
    void CommitFocusedEdit();
    void CommitEdit(unsigned memory);
    void EnableControls(bool enable);
    void Cleanup();
    int Ask(UINT textId, UINT captionId, UINT buttons);

    CCWMemoryStateMachine m_machine;
    CEditCWMemory m_edits[CW_MEMORY_COUNT];
    CEventSubscriptions m_subscriptions;
    CDialogResize m_resize;
    HFONT m_font = nullptr;
    bool m_writing = false;
    bool m_shown = false;
};

// The dialog the Configuration page opens; returns when it has closed.
void RunCWMemoryDialog(HWND owner);
