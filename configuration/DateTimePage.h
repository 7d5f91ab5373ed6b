// "Set Date and Time": shows the PC's clock and the radio's, and on OK or
// Apply sets the radio's from the PC's, one field a pass, by phases:
// 1 prepare, 2 full read, 3 time poll, 4 set time, 5 set date, 6 restore.
#pragma once

#include "DateTimeStateMachine.h"
#include "MachineWindow.h"

// What decides the next phase when a pass has ended well; the radio's clock
// is compared with the PC's as taken at that moment.
struct DateTimePhaseState {
    int phase;
    bool closing;
    bool writeRequested;
    bool okPressed;
    bool timeMatches;
    bool dateMatches;
};
// The phase to start next; 0 when the sheet is to close (after phase 6).
int NextDateTimePhase(const DateTimePhaseState& state);

class CDateTimePage : public CMachinePage {
public:
    CDateTimePage();

    int Phase() const { return m_phase; }
    CDateTimeStateMachine& Machine() { return m_machine; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnShown(bool shown) override;
    void OnFirstShow() override;
    LRESULT OnApply(bool closing) override;
    bool OnQueryCancel() override;
    void OnMachineFinished(HRESULT result) override;

private:
    void StartAt(int phase);
    void ShowPcTime();
    void ShowDate(int dateId, int timeId, unsigned date, unsigned time);

    CDateTimeStateMachine m_machine;
    int m_phase = 0;
    bool m_writeRequested = false;
    bool m_okPressed = false;
    bool m_closing = false;
    // What ended a pass, told once the restore after it has run.
    HRESULT m_failure = 0;
    SYSTEMTIME m_pcTime{};
};

// The sheet the Configuration page opens; returns when it has closed.
void RunDateTimeSheet(HWND owner);
