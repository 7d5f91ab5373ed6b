// The RF gain calibration wizard: the radio prepared, a table for each
// receiver computed from a signal generator or taken from the factory, the
// DSP or the registry, stored in the DSP and in EEPROM, optionally shown
// beside the EEPROM's copy, and the radio's controls restored at the end.
// The pages are fixed when it is built: the second receiver's pages when
// the radio has one, the display pages for `AdvancedRFGainCalibration`.
#pragma once

#include <memory>
#include <vector>

#include "MachineWizard.h"
#include "RFGainPages.h"

// The machine hears the radio only while the wizard shows.
class CRFGCSheet : public CMachineWizard<CRFGCInfo> {
public:
    explicit CRFGCSheet(UINT titleId);

    // The radio is in TX TEST and the wizard ended before the Completion
    // page, which says so, was left by its Finish.
    bool LeftRadioInTXTest() { return Machine().HasSetTXTest() && !m_context.m_finished; }
    // A Cancel waited for a table's store, which went in whole.
    bool StoredTableOnCancel() const { return m_context.m_tableStoredOnCancel; }

private:
    std::vector<std::unique_ptr<CRFGCPage>> m_pages;
};
