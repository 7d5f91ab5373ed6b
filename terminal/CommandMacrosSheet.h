// The macro editor: a modal property sheet over the Command Tester's labels
// and texts. Page 1 holds macros 1-16 and reads them from or writes them to
// the radio; page 2 (advanced mode only) holds macros 17-32.
#pragma once

#include <optional>
#include <vector>

#include "CommandMacroStateMachine.h"
#include "MachineWindow.h"
#include "PropertySheet.h"

// The first field too long for the radio, rows in order and the label before
// the text of a row: its message, caption, row number (1-based) and limit.
struct SMacroFieldError {
    UINT textId;
    UINT captionId;
    unsigned row;
    unsigned limit;
};
std::optional<SMacroFieldError> FindTooLongMacroField(const std::vector<std::wstring>& labels,
                                                      const std::vector<std::wstring>& texts);

// Sixteen rows of label and text edits, filled from the strings and copied
// back into them.
class CCommandMacrosPage : public CPropertyPage {
public:
    static constexpr unsigned kRows = 16;

    bool Applied() const { return m_applied; }

protected:
    CCommandMacrosPage(UINT templateId, unsigned firstMacro, CMacroStrings& labels, CMacroStrings& texts);

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    LRESULT OnApply(bool closing) override;

    // A machine started here runs: the rows stay disabled.
    virtual bool IsBusy() const { return false; }

    HWND LabelEdit(unsigned row) const;
    HWND TextEdit(unsigned row) const;
    void CopyRowsToStrings();

    const unsigned m_firstMacro;
    CMacroStrings& m_labels;
    CMacroStrings& m_texts;

private:
    void ShowMacro(HWND edit, size_t macro, const CMacroStrings& strings);

    // The rows are filled once; showing the page again keeps what was typed.
    bool m_filled = false;
    bool m_applied = false;
};

class CCommandMacrosPage1 : public CMachineWindow<CCommandMacrosPage> {
public:
    CCommandMacrosPage1(CMacroStrings& labels, CMacroStrings& texts);

    CCommandMacroStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnShown(bool shown) override;
    LRESULT OnApply(bool closing) override;
    bool OnKillActive() override;
    bool OnQueryCancel() override;
    void OnMachineFinished(HRESULT hr) override;
    bool IsBusy() const override { return IsRunning(); }

private:
    void EnableTransfers();
    void OnRead();
    void OnWrite();
    void StartMachine(bool write);
    void SetBusy(bool busy);

    CModel& m_model;
    CCommandMacroStateMachine m_machine;
    // The user asked to cancel the running machine.
    bool m_cancelled = false;
};

class CCommandMacrosPage2 : public CCommandMacrosPage {
public:
    CCommandMacrosPage2(CMacroStrings& labels, CMacroStrings& texts);
};

class CCommandMacrosSheet : public CPropertySheet {
public:
    CCommandMacrosSheet(CMacroStrings& labels, CMacroStrings& texts);

    // Modal; true when the editor closed with OK.
    bool Run(HWND owner);

    CCommandMacrosPage1& Page1() { return m_page1; }

private:
    CCommandMacrosPage1 m_page1;
    CCommandMacrosPage2 m_page2;
};
