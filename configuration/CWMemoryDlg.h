// "Edit CW Memories": reads the eight memories when first shown, lets them
// be edited as text (only characters that have a Morse code get in), and
// Save writes back the memories whose text changed.
#pragma once

#include "CWMemoryStateMachine.h"
#include "LogText.h"
#include "MachineWindow.h"

// A memory's edit: keys and pastes without a Morse code are dropped.
class CEditCWMemory : public CWindow {
protected:
    bool OnChar(wchar_t character) override;
    bool OnKeyDown(UINT key) override;
    bool OnPaste() override;
};

class CCWMemoryDlg : public CMachineDialog {
public:
    CCWMemoryDlg();

    CCWMemoryStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnOK() override;
    void OnFirstShow() override;
    SQuestion CloseQuestion() override;
    void OnCloseIdle() override;
    void OnMachineFinished(HRESULT result) override;

private:
    // The focused edit's text becomes its memory's edited text: Enter
    // reaches Save before the edit has lost the focus.
    void CommitFocusedEdit();
    void CommitEdit(unsigned memory);
    void EnableControls(bool enable);

    CCWMemoryStateMachine m_machine;
    CEditCWMemory m_edits[CW_MEMORY_COUNT];
    CFontHandle m_font;
    bool m_writing = false;
};

// The dialog the Configuration page opens; returns when it has closed.
void RunCWMemoryDialog(HWND owner);
