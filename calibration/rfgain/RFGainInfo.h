// What the RF gain wizard shares between its pages for one run: the machine,
// the source the user chose, the two registry switches for advanced and
// technician runs, whether Cancel was pressed, and whether the wizard ended
// by the Completion page's Finish.
#pragma once

#include <memory>

#include "RFGainStateMachine.h"

class CRFGCInfo {
public:
    // Reads `AdvancedRFGainCalibration` and `TechnicianRFGainCalibration`.
    explicit CRFGCInfo(HWND owner);

    CRFGCStateMachine& Machine() { return *m_machine; }
    // A technician run walks itself through the pages.
    bool IsTechnicianRun() const;

    // The wizard's Cancel on `page`: true when the sheet may close now. A
    // running chain is asked to end, an idle radio that was touched, or that
    // a failed restore left changed, is restored first (unless the port is
    // closed), once, for the page; either way the page that gets the end
    // presses Cancel again.
    bool QueryCancel(HWND page);

    std::unique_ptr<CRFGCStateMachine> m_machine;
    int m_cancelRequested = 0;
    // A Cancel let a chain store its whole table first: the box after the
    // wizard says so.
    bool m_tableStoredOnCancel = false;
    // Cancel has started a restore: a failed one is not tried again.
    bool m_cancelRestored = false;
    bool m_finished = false;
    RFGCSource m_sourceChoice = RFGC_SOURCE_COMPUTED;
    int m_advancedRFGainCalibration = 0;
    int m_technicianRFGainCalibration = 0;
    HWND m_owner;
};
