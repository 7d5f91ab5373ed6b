// The Calibration tab: the way to the RF and TX gain calibration wizards and
// the TX gain summary.
#pragma once

#include "PropertyPage.h"

class CCalibrationPage : public CPropertyPage {
public:
    CCalibrationPage();
};
