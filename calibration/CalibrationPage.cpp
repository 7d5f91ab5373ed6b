#include "CalibrationPage.h"

#include "resource.h"

CCalibrationPage::CCalibrationPage() : CPropertyPage(IDD_CALIBRATION) {}
