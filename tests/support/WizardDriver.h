// Walks a wizard (a property sheet with Back/Next/Finish) of this thread as a
// user would, while the code under test runs it modally:
//
//     CWizardDriver driver({
//         {IDD_WELCOME, [](HWND wizard, HWND page) {
//              if (!CanPressWizardButton(wizard, kWizardNext)) return false;  // not yet
//              PressWizardButton(wizard, PSBTN_NEXT);
//              return true;                                                 // step done
//          }},
//         ...
//     });
//     OpenTheWizard();                 // returns when it has closed
//     EXPECT_TRUE(driver.Done());
//
// A step runs on each tick while the wizard is shown, enabled (no box over
// it) and on the step's page (its dialog id), until it returns true. A
// wizard stuck past the time given fails the test and is cancelled.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "NonCopyable.h"

// The wizard's own buttons.
constexpr int kWizardBack = 0x3023;
constexpr int kWizardNext = 0x3024;
constexpr int kWizardFinish = 0x3025;

struct SWizardStep {
    UINT page;
    std::function<bool(HWND wizard, HWND page)> act;
};

class CWizardDriver : private CNonCopyable {
public:
    explicit CWizardDriver(std::vector<SWizardStep> steps, DWORD timeoutMs = 150000);
    ~CWizardDriver();

    bool Done() const { return m_next == m_steps.size(); }
    // The pages shown, in order, each once.
    const std::vector<UINT>& Pages() const { return m_pages; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnWindow(HWND window, LPARAM);
    void Step(HWND wizard);

    std::vector<SWizardStep> m_steps;
    DWORD m_deadline;
    bool m_timedOut = false;
    size_t m_next = 0;
    std::vector<UINT> m_pages;
    UINT_PTR m_timer = 0;
};

// Shown and enabled.
bool CanPressWizardButton(HWND wizard, int buttonId);
// PSBTN_NEXT and the others, posted as a click would come.
void PressWizardButton(HWND wizard, int button);
// A push button's click, as its notice to the page.
void ClickButton(HWND page, int id);
// A radio button as the mouse clicks it: checked, then its notice.
void ClickRadioButton(HWND page, int id);
