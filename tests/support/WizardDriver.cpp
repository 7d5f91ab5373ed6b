#include "WizardDriver.h"

#include <gtest/gtest.h>

namespace {

// The one driver of this thread; a thread timer has no context of its own.
thread_local CWizardDriver* t_driver = nullptr;

}  // namespace

CWizardDriver::CWizardDriver(std::vector<SWizardStep> steps, DWORD timeoutMs)
    : m_steps(std::move(steps)), m_deadline(GetTickCount() + timeoutMs)
{
    t_driver = this;
    m_timer = SetTimer(nullptr, 0, 20, &CWizardDriver::OnTick);
}

CWizardDriver::~CWizardDriver()
{
    KillTimer(nullptr, m_timer);
    t_driver = nullptr;
}

void CALLBACK CWizardDriver::OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (t_driver)
        EnumThreadWindows(GetCurrentThreadId(), &CWizardDriver::OnWindow, 0);
}

BOOL CALLBACK CWizardDriver::OnWindow(HWND window, LPARAM)
{
    if (!GetDlgItem(window, kWizardNext) || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    t_driver->Step(window);
    return FALSE;
}

void CWizardDriver::Step(HWND wizard)
{
    const auto page = reinterpret_cast<HWND>(SendMessageW(wizard, PSM_GETCURRENTPAGEHWND, 0, 0));
    const LRESULT index = SendMessageW(wizard, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
    const auto id = static_cast<UINT>(SendMessageW(wizard, PSM_INDEXTOID, index, 0));
    if (m_pages.empty() || m_pages.back() != id)
        m_pages.push_back(id);
    if (m_timedOut || static_cast<LONG>(GetTickCount() - m_deadline) > 0) {
        if (!m_timedOut)
            ADD_FAILURE() << "the wizard is stuck on page " << id << " at step " << m_next;
        m_timedOut = true;
        PressWizardButton(wizard, PSBTN_CANCEL);
        return;
    }
    if (!Done() && m_steps[m_next].page == id && m_steps[m_next].act(wizard, page))
        ++m_next;
}

bool CanPressWizardButton(HWND wizard, int buttonId)
{
    const HWND control = GetDlgItem(wizard, buttonId);
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

void PressWizardButton(HWND wizard, int button)
{
    PostMessageW(wizard, PSM_PRESSBUTTON, button, 0);
}

void ClickButton(HWND page, int id)
{
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void ClickRadioButton(HWND page, int id)
{
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}
