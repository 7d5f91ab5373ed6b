// The Calibration tab: the way to the RF and TX gain calibration wizards and
// the TX gain summary. Its buttons are usable only while a Q7 runs its
// firmware, each from the firmware that supports it; the summary only once a
// TX gain data file has been found for the radio.
#pragma once

#include "LauncherPage.h"

// One row per button.
struct SCalibrationTool {
    int buttonId;
    UINT toolTipId;
    // Runs the tool modally over the page; null for one that opens nothing.
    void (*open)(HWND page);
    // Whether the button may be pressed on a running Q7 with this MCU
    // firmware, the data file found or not.
    bool (*usable)(unsigned short mcuVersion, bool fileFound);
};

class CCalibrationPage : public CLauncherPage<SCalibrationTool> {
public:
    CCalibrationPage();

protected:
    HWND OnQueryInitialFocus() override;
    void UpdateButtons() override;

private:
    // Once found, the file counts as there: the summary says so if it has gone.
    bool m_fileFound = false;
};
