#include "ModalRun.h"

namespace {

// Runs nest on their thread: the innermost first.
thread_local CModalRun* t_innermost = nullptr;

}  // namespace

CModalRun::CModalRun(HWND owner) : m_topLevel(owner ? GetAncestor(owner, GA_ROOT) : nullptr), m_outer(t_innermost)
{
    t_innermost = this;
}

CModalRun::~CModalRun()
{
    t_innermost = m_outer;
    Enable();
    if (m_closeOwner && IsWindow(m_topLevel))
        PostMessageW(m_topLevel, WM_CLOSE, 0, 0);
}

void CModalRun::OnWindowPosChanging(const WINDOWPOS& position)
{
    if (position.flags & SWP_SHOWWINDOW) {
        m_shown = true;
        Disable();
    } else if (position.flags & SWP_HIDEWINDOW) {
        m_shown = false;
        Enable();
    }
}

void CModalRun::Disable()
{
    if (m_topLevel && IsWindowEnabled(m_topLevel)) {
        EnableWindow(m_topLevel, FALSE);
        m_disabled = true;
    }
}

void CModalRun::Enable()
{
    if (!m_disabled)
        return;
    m_disabled = false;
    // An outer run that shows keeps it.
    if (!Innermost(m_topLevel, true))
        EnableWindow(m_topLevel, TRUE);
}

CModalRun* CModalRun::Innermost(HWND topLevel, bool shown)
{
    for (CModalRun* run = t_innermost; run; run = run->m_outer) {
        if (topLevel && run->m_topLevel == topLevel && (run->m_shown || !shown))
            return run;
    }
    return nullptr;
}

UINT CModalRun::HoldMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Q7.ModalRun.Hold");
    return message;
}

void CModalRun::OnEnabled(HWND topLevel)
{
    // The box that enabled it is still there; so is a run that is ending,
    // whose window hides before the posted message comes.
    if (Innermost(topLevel, true))
        PostMessageW(topLevel, HoldMessage(), 0, 0);
}

void CModalRun::Hold(HWND topLevel)
{
    CModalRun* run = Innermost(topLevel, true);
    if (!run)
        return;
    run->Disable();
    // The box gave the activation to its owner, which takes no keys now.
    if (GetActiveWindow() == topLevel && run->m_window)
        SetActiveWindow(run->m_window);
}

bool CModalRun::ForwardClose(HWND topLevel)
{
    CModalRun* run = Innermost(topLevel, false);
    if (!run)
        return false;
    run->m_closeOwner = true;
    if (run->m_window && !run->m_ended && IsWindow(run->m_window))
        SendMessageW(run->m_window, WM_CLOSE, 0, 0);
    return true;
}

void CModalRun::KeepOwnerOpen(HWND window)
{
    if (CModalRun* run = RunOf(window))
        run->m_closeOwner = false;
}

bool CModalRun::IsClosingOwner(HWND window)
{
    const CModalRun* run = RunOf(window);
    return run && run->m_closeOwner;
}

CModalRun* CModalRun::RunOf(HWND window)
{
    const HWND root = GetAncestor(window, GA_ROOT);
    for (CModalRun* run = t_innermost; run; run = run->m_outer) {
        if (run->m_window == root)
            return run;
    }
    return nullptr;
}
