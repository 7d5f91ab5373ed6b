// A user's steps through the RF gain wizard, for the wizard driver: each
// waits until the page is ready for it (no chain running, the button it
// presses enabled), acts, and keeps what the page showed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BoxWatcher.h"
#include "CountOf.h"
#include "RFGainWizard.h"
#include "Window.h"
#include "WizardDriver.h"
#include "resource.h"

inline CRFGCStateMachine& MachineOf(HWND wizard)
{
    return dynamic_cast<CRFGCSheet&>(*CWindow::FromHandle(wizard)).Machine();
}

inline bool IsShownAndEnabled(HWND page, int id)
{
    const HWND control = GetDlgItem(page, id);
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

// Whether Welcome's last step, the second receiver's, is enabled: its
// bullet, then its line.
inline std::pair<bool, bool> SecondReceiverStep(HWND welcome)
{
    return {IsWindowEnabled(GetDlgItem(welcome, IDC_BULLET_FIRST + 4)) != FALSE,
            IsWindowEnabled(GetDlgItem(welcome, IDC_BULLET_FIRST + 5)) != FALSE};
}

// `act` (wizard, page) once the page shows and `ready` (wizard) holds.
template <typename Ready, typename Act>
SWizardStep When(UINT page, Ready ready, Act act)
{
    return {page, [ready, act](HWND wizard, HWND shown) {
                if (!ready(wizard))
                    return false;
                act(wizard, shown);
                return true;
            }};
}

// `act` (wizard, page) as soon as the page shows.
template <typename Act>
SWizardStep On(UINT page, Act act)
{
    return When(page, [](HWND) { return true; }, act);
}

// One of the wizard's buttons (`buttonId`, pressed as `button`), once the
// page's chain (if any) has ended.
inline SWizardStep PressWhenIdle(UINT page, int buttonId, int button)
{
    return {page, [buttonId, button](HWND wizard, HWND) {
                if (!MachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, buttonId))
                    return false;
                PressWizardButton(wizard, button);
                return true;
            }};
}

inline SWizardStep Next(UINT page) { return PressWhenIdle(page, kWizardNext, PSBTN_NEXT); }
inline SWizardStep Back(UINT page) { return PressWhenIdle(page, kWizardBack, PSBTN_BACK); }
inline SWizardStep Finish() { return PressWhenIdle(IDD_RFGC_COMPLETION, kWizardFinish, PSBTN_FINISH); }

// A computed run as far as the signal generator's page, then `act` there.
template <typename Act>
std::vector<SWizardStep> AtTheGenerator(Act act)
{
    return {Next(IDD_RFGC_WELCOME), Next(IDD_RFGC_CHOOSE_SOURCE), On(IDD_RFGC_SIG_GEN, act)};
}

// ChooseSource: the source's radio button as the mouse clicks it.
inline SWizardStep Choose(int sourceButton)
{
    return {IDD_RFGC_CHOOSE_SOURCE, [sourceButton](HWND wizard, HWND page) {
                if (!CanPressWizardButton(wizard, kWizardNext))
                    return false;
                ClickRadioButton(page, sourceButton);
                return true;
            }};
}

// The page's Calibrate or Display button, once it may be pressed.
inline SWizardStep Click(UINT page, int buttonId)
{
    return {page, [buttonId](HWND wizard, HWND shown) {
                if (!MachineOf(wizard).IsIdle() || !IsShownAndEnabled(shown, buttonId))
                    return false;
                ClickButton(shown, buttonId);
                return true;
            }};
}

// Next once the page's run has ended well (its button usable again), with
// the page's log.
inline SWizardStep NextAfterRun(UINT page, int buttonId, std::wstring& log)
{
    return {page, [buttonId, &log](HWND wizard, HWND shown) {
                if (!MachineOf(wizard).IsIdle() || !IsShownAndEnabled(shown, buttonId) ||
                    !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                log = GetWindowString(GetDlgItem(shown, IDC_RFGC_LOG));
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// After a failure on a page with a log, once `boxesSeen` boxes have come and
// gone: only Cancel is left. Keeps the log, then cancels.
inline SWizardStep CancelAfterFailure(UINT page, int buttonId, const CBoxWatcher& boxes, size_t boxesSeen,
                                      std::wstring& log)
{
    return {page, [buttonId, &boxes, boxesSeen, &log](HWND wizard, HWND shown) {
                if (!MachineOf(wizard).IsIdle() || boxes.Count() < boxesSeen)
                    return false;
                EXPECT_FALSE(CanPressWizardButton(wizard, kWizardNext));
                EXPECT_FALSE(CanPressWizardButton(wizard, kWizardBack));
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(shown, buttonId)));
                log = GetWindowString(GetDlgItem(shown, IDC_RFGC_LOG));
                PressWizardButton(wizard, PSBTN_CANCEL);
                return true;
            }};
}

// A rich edit's text with every line break as "\n" (it keeps "\r").
inline std::wstring WithNewlines(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;
        out += text[i] == L'\r' ? L'\n' : text[i];
    }
    return out;
}

inline bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

