// A user's steps through the TX gain wizard, for the wizard driver: each
// waits until the page is ready for it (no run under way, the button it
// presses usable), acts, and keeps what the page showed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TXGainWizard.h"
#include "Window.h"
#include "WizardDriver.h"
#include "resource.h"

inline CTXGCStateMachine& TXGainMachineOf(HWND wizard)
{
    return dynamic_cast<CTXGCSheetQ7&>(*CWindow::FromHandle(wizard)).Machine();
}

// Next, once the page's run (the option-module refresh) has ended.
inline SWizardStep NextWhenIdle(UINT page)
{
    return {page, [](HWND wizard, HWND) {
                if (!TXGainMachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// On a Welcome page: which of its `count` steps are enabled, once the
// option modules have been asked for; then Next (and no Back).
inline SWizardStep NextAfterReadingSteps(UINT page, int count, std::vector<bool>& enabled)
{
    return {page, [count, &enabled](HWND wizard, HWND welcome) {
                if (!TXGainMachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                for (int step = 0; step < count; ++step)
                    enabled.push_back(IsWindowEnabled(GetDlgItem(welcome, IDC_BULLET_FIRST + 2 * step)) != FALSE);
                EXPECT_FALSE(CanPressWizardButton(wizard, kWizardBack));
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// Calibrate, once the page may be left (no run under way).
inline SWizardStep Calibrate(UINT page)
{
    return {page, [](HWND wizard, HWND calibrate) {
                if (!TXGainMachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                ClickButton(calibrate, IDC_TXGC_CALIBRATE);
                return true;
            }};
}

// Next, once the run has ended ("Click Next to continue" shows), with the
// page's log; whether Next could be pressed meanwhile goes to `nextWhileRunning`.
inline SWizardStep NextWhenRunEnded(UINT page, std::wstring& log, bool& nextWhileRunning)
{
    return {page, [&log, &nextWhileRunning](HWND wizard, HWND calibrate) {
                if (!IsWindowVisible(GetDlgItem(calibrate, IDC_CLICK_NEXT))) {
                    nextWhileRunning = nextWhileRunning || CanPressWizardButton(wizard, kWizardNext);
                    return false;
                }
                if (!CanPressWizardButton(wizard, kWizardNext))
                    return false;
                log = GetWindowString(GetDlgItem(calibrate, IDC_TXGC_LOG));
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// Finish, with the outcome the page shows.
inline SWizardStep FinishOnCompletion(std::wstring& outcome)
{
    return {IDD_TXGC_COMPLETION, [&outcome](HWND wizard, HWND completion) {
                if (!CanPressWizardButton(wizard, kWizardFinish))
                    return false;
                outcome = GetWindowString(GetDlgItem(completion, IDC_TXGC_COMPLETION_LOG));
                PressWizardButton(wizard, PSBTN_FINISH);
                return true;
            }};
}

inline std::wstring WithoutCarriageReturns(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    return text;
}
