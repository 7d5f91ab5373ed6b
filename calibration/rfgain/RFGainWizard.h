// The RF gain calibration wizard: the radio prepared, a table for each
// receiver computed from a signal generator or taken from the factory, the
// DSP or the registry, stored in the DSP and in EEPROM, optionally shown
// beside the EEPROM's copy, and the radio's controls restored at the end.
// The pages are fixed when it is built: the second receiver's pages when
// the radio has one, the display pages for `AdvancedRFGainCalibration`.
#pragma once

#include <memory>
#include <vector>

#include "RFGainPages.h"

class CRFGCSheet : public CWizard97Sheet {
public:
    explicit CRFGCSheet(UINT titleId);

    CRFGCStateMachine& Machine() { return m_info.Machine(); }

protected:
    // The machine hears the radio only while the wizard shows.
    void OnShow(bool shown, UINT reason) override;
    void OnDestroy() override;

private:
    void Unregister();

    CRFGCInfo m_info;
    std::vector<std::unique_ptr<CRFGCPage>> m_pages;
};
