// The TX gain calibration wizard: the option modules checked, the dummy
// load's jack chosen, the 5 W, 50 W and 1 mW calibrations run (a technician's
// all in one step), and their outcome shown. The pages are fixed when it is
// built, by the radio's option modules. However it closes, the summary
// lines of its runs go to the radio's TX gain data file.
#pragma once

#include <vector>

#include "MachineWizard.h"
#include "TXGainCalibratePage.h"
#include "TXGainPages.h"

// The pages by dialog id, in order: a technician's (AdvancedMode and
// TechnicianTXGainCalibration), or a user's with 50 W for the amplifier and
// the transverter output's pages for the transverter interface.
std::vector<UINT> GetTXGainWizardPages(bool technician, bool bh7w, bool xq6t);

// The machine hears the radio whichever page runs it: it is the model's
// active machine for the wizard's life.
class CTXGCSheetQ7 : public CMachineWizard<CTXGCContext> {
public:
    explicit CTXGCSheetQ7(UINT titleId);

protected:
    void OnDestroy() override;

private:
    CTXGCWelcomePage m_welcome;
    CTXGCWelcomePage m_welcomeTech;
    CTXGCDummyLoadPage m_dummyLoad;
    CTXGCDummyLoadXQ6TPage m_dummyLoadXQ6T;
    CTXGCCalibrationPageImpl m_calibrate5W;
    CTXGCCalibrationPageImpl m_calibrate50W;
    CTXGCCalibrationPageImpl m_calibrate1mW;
    CTXGCCalibrationPageImpl m_calibrateTech;
    CTXGCCompletionPage m_completion;
};
