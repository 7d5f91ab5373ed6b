// A window that runs a machine: a dialog, a tool's property page, a wizard
// page. One life cycle serves them all:
// - the machine is the model's active machine while the window is shown, or
//   from its first show to its end (or never, where the owner of the window
//   registers it); the window that registers it is the machine's owner, to
//   which its log lines go;
// - the window's own work starts on its first show only: a later hide and
//   show neither stalls nor restarts it;
// - a run is under way from its start until its end is heard, and the wait
//   cursor shows meanwhile;
// - an end notice (the model's machine-finished event, or the notice a
//   machine sends the window itself) counts only while a run is under way
//   and the window's own machine is idle: another machine's end, heard
//   while this one runs, changes nothing. The windows that wait for the
//   contact run after their operation hear that run's end this way;
// - Cancel reaches the machine through its own cancel, never by writing its
//   result; closing while a run is under way asks the window's question
//   first, also when the close came to the main window (ModalRun.h).
#pragma once

#include <utility>

#include "Dialog.h"
#include "ModalRun.h"
#include "Model.h"
#include "PropertyPage.h"
#include "StateMachine.h"
#include "TextOrId.h"
#include "WaitCursor.h"
#include "resource.h"

enum class MachineRegistration {
    WhileShown,
    FromFirstShow,
    // The window's owner registers the machine, which sends its end notice
    // to the window itself (a wizard's, to the page that started the run):
    // it fires no model machine-finished event, which the other windows hear.
    ByOwner,
};

// A question in a box; before a running operation is interrupted, a zero
// text interrupts without asking.
struct SQuestion {
    UINT textId = 0;
    UINT captionId = 0;
    UINT boxFlags = 0;
};

template <class TBase>
class CMachineWindow : public TBase {
protected:
    // The base's own arguments (a template id, say) come last.
    template <class Machine, class... BaseArgs>
    CMachineWindow(Machine& machine, MachineRegistration registration, BaseArgs&&... baseArgs)
        : TBase(std::forward<BaseArgs>(baseArgs)...),
          m_host(machine),
          m_machine(machine),
          m_registration(registration)
    {
    }
    ~CMachineWindow() override { Unregister(); }

    // The first show: the window's work starts here.
    virtual void OnFirstShow() {}
    // Every show and hide, after the machine has been registered or before
    // the registration is cleared; subscriptions made here leave on a hide
    // (while-shown windows) or at the end (the others).
    virtual void OnShown(bool /*shown*/) {}
    // The end of the run, with the notice's result.
    virtual void OnMachineFinished(HRESULT result) = 0;

    // The question before a run is interrupted, and what Yes does. By
    // default the machine is cancelled and its end closes the window.
    virtual SQuestion CloseQuestion() { return {}; }
    virtual void OnInterrupt()
    {
        HoldCancel();
        CancelRun();
    }
    // A dialog's close (Cancel, Esc, the close box) while no run is under way.
    virtual void OnCloseIdle() { this->EndDialog(IDCANCEL); }

    // Starts a run: the wait cursor, the machine registered, then `start`
    // (true when the machine took it). A start may end the machine at once:
    // its end notice then finds the run under way. A refused start ends the
    // run again and gives false; no notice follows it.
    template <typename Start>
    bool Run(Start start)
    {
        Register();
        // A start refused while a run is under way leaves that run alone.
        const bool alreadyRunning = IsRunning();
        AwaitEnd();
        if (start())
            return true;
        if (!alreadyRunning)
            m_wait.EndBusy();  // unless its end has come already
        return false;
    }
    // A window that must act on the end of whatever runs now, without a run
    // of its own, waits for the next notice as for its own run's.
    void AwaitEnd()
    {
        if (!IsRunning())
            m_wait.BeginBusy();
    }
    // The wait cursor shows exactly while a run is under way.
    bool IsRunning() const { return m_wait.IsBusy(); }
    // The machine itself is working (a run may still wait for the contact run).
    bool IsMachineBusy() { return !m_machine.IsIdle(); }
    bool CancelRun() { return m_host.Cancel(); }
    // A Cancel that waits for the step in progress greys its button until
    // the run's end, so the user sees it was taken.
    void HoldCancel()
    {
        m_cancelHeld = true;
        EnableWindow(CancelButton(), FALSE);
    }
    void ReleaseCancel()
    {
        if (std::exchange(m_cancelHeld, false))
            EnableWindow(CancelButton(), TRUE);
    }

    int Ask(const SQuestion& question)
    {
        return MessageBoxW(this->m_hwnd, LoadResString(question.textId).c_str(),
                           LoadResString(question.captionId).c_str(), question.boxFlags);
    }

    // A dialog's close with unsaved edits asks whether to save them first
    // (`defaultButton`, an MB_DEFBUTTON* flag, picks Enter's answer): No
    // closes, Cancel stays open. True when the edits are to be saved.
    bool AskToSaveBeforeClose(bool modified, UINT defaultButton)
    {
        const int answer = modified ? Ask({IDS_UNSAVED_CHANGES_QUERY, IDS_UNSAVED_CHANGES_CAPTION,
                                           MB_YESNOCANCEL | MB_ICONEXCLAMATION | defaultButton})
                                    : IDNO;
        if (answer == IDNO)
            this->EndDialog(IDCANCEL);
        return answer == IDYES;
    }

    // Closing: asks the question while a run is under way. True when the
    // window may close now. A close that comes while the question is up
    // (the main window's, say) waits for its answer; No keeps the main
    // window open too. A run that ended while the question was up is not
    // interrupted, and its own end stands: a window it closed is not closed
    // again (a save written is no cancel); one it left open closes as when
    // idle.
    bool QueryClose()
    {
        if (!IsRunning())
            return true;
        if (m_asking)
            return false;
        const SQuestion question = CloseQuestion();
        if (question.textId) {
            m_asking = true;
            const int answer = Ask(question);
            m_asking = false;
            if (answer != IDYES) {
                CModalRun::KeepOwnerOpen(this->m_hwnd);
                return false;
            }
        }
        if (!IsRunning())
            return !this->HasEnded();
        OnInterrupt();
        return false;
    }

    // A dialog's Cancel closes it, through the question while a run is
    // under way. (A page answers PSN_QUERYCANCEL with !QueryClose().)
    bool OnCancel() override
    {
        this->Send(WM_CLOSE);
        return true;
    }
    bool OnClose() override
    {
        if (QueryClose())
            OnCloseIdle();
        return true;
    }
    void OnShow(bool shown, UINT reason) override
    {
        TBase::OnShow(shown, reason);
        const bool whileShown = m_registration == MachineRegistration::WhileShown;
        if (!shown) {
            if (whileShown)
                Hide();
            return;
        }
        if (m_shown && !whileShown)
            return;
        Register();
        Subscribe();
        m_showing = true;
        OnShown(true);
        if (!m_shown) {
            m_shown = true;
            OnFirstShow();
        }
    }
    void OnDestroy() override
    {
        if (m_registration == MachineRegistration::WhileShown)
            Hide();
        Unregister();
        TBase::OnDestroy();
    }
    bool OnSetCursor(HWND under, UINT hitTest) override
    {
        return m_wait.OnSetCursor(under, hitTest) || TBase::OnSetCursor(under, hitTest);
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message != WM_APP_MACHINE_FINISHED)
            return TBase::OnMessage(message, wParam, lParam, result);
        if (IsRunning() && m_machine.IsIdle()) {
            m_wait.EndBusy();
            ReleaseCancel();
            OnMachineFinished(static_cast<HRESULT>(wParam));
        }
        return true;
    }

private:
    // A page's Cancel is its sheet's.
    HWND CancelButton() const
    {
        const bool page = GetWindowLongW(this->m_hwnd, GWL_STYLE) & WS_CHILD;
        return GetDlgItem(page ? GetParent(this->m_hwnd) : this->m_hwnd, IDCANCEL);
    }
    // Once per show: a window destroyed after a hide has been hidden already.
    void Hide()
    {
        if (!m_showing)
            return;
        m_showing = false;
        OnShown(false);
        this->m_subscriptions.RemoveAll();
        Unregister();
    }
    void Subscribe()
    {
        if (m_registration != MachineRegistration::ByOwner)
            this->m_subscriptions.Add(this->m_hwnd, GetModel().MachineFinished);
    }
    void Register()
    {
        if (m_registration == MachineRegistration::ByOwner)
            return;
        m_host.m_owner = this->m_hwnd;
        GetModel().SetActiveMachine(&m_machine);
    }
    void Unregister()
    {
        if (m_registration != MachineRegistration::ByOwner)
            GetModel().ReleaseActiveMachine(&m_machine);
    }

    CStateHost2& m_host;
    IStateMachine& m_machine;
    const MachineRegistration m_registration;
    // Busy at most once: a run is under way while it is.
    CWaitCursorE m_wait;
    bool m_shown = false;
    bool m_showing = false;
    bool m_asking = false;
    bool m_cancelHeld = false;
};

using CMachineDialog = CMachineWindow<CDialog>;
using CMachinePage = CMachineWindow<CPropertyPage>;
