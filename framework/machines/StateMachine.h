// The framework every transceiver operation runs on: a machine is a chain of
// states, members of the machine, driven on the UI thread by the serial
// notices and window timers that the main window routes to it.
//
// A transition makes the state current, calls its Init, then calls Enter on
// whatever state is current once Init has returned.
#pragma once

#include <windows.h>

#include <string>

#include "ErrorText.h"
#include "Model.h"
#include "StateMachineInterface.h"
#include "TextOrId.h"
#include "TextSinks.h"
#include "TextUtil.h"

template <typename T>
class CState;
template <typename T>
class CFinalState;

// The part of every machine that does not depend on its type.
class CStateHost2 {
public:
    CStateHost2() = default;
    virtual ~CStateHost2() = default;
    CStateHost2(const CStateHost2&) = delete;
    CStateHost2& operator=(const CStateHost2&) = delete;

    virtual BOOL IsIdle() = 0;
    // The user's cancel: a running machine whose result is not yet a failure
    // ends with ERROR_CANCELLED at its next step. False for an idle machine.
    virtual bool Cancel();

    // WM_APP_LOG_TEXT to the owner window (a string-table id is loaded).
    virtual void Log(TextOrId text);
    // The end of the machine: fires the model's machine-finished event.
    virtual void OnFinished();
    // The end of operations that may have changed the radio's firmware or
    // mode: contact the radio again.
    void EndOperation();

    // Log, and the main window's status output.
    template <typename... Args>
    void Report(TextOrId format, Args... args)
    {
        const std::wstring text = FormatText(format, args...);
        Log(text);
        SendStatusText(GetModel().MainWindow(), text);
    }

    // Log, only while the Trace setting is on.
    template <typename... Args>
    void Trace(TextOrId format, Args... args)
    {
        if (GetModel().Trace.Get() != 0)
            Log(FormatText(format, args...));
    }

    // Reply helpers; all read the receive buffer.
    bool ReadUntilTerminator();
    bool IsReplyComplete() const;
    bool ReplyStartsWith(const std::wstring& prefix) const;
    bool ReplyContains(const std::wstring& text) const;
    bool ReplyContainsChar(wchar_t character) const;
    bool ParseVersionReply(const std::wstring& prefix, unsigned index);
    bool ParseUShortReply(const std::wstring& prefix, CObservable<unsigned short>& value);
    bool ParseUShortPairReply(const std::wstring& prefix, CObservable<unsigned short, 2>& values);

    HRESULT m_result = 0;
    unsigned m_retryLimit = 8;
    DWORD m_sendTick = 0;
    // The model's connection status at the start; the contact machine keeps
    // its identification here.
    DWORD m_connectionStatus = 0;
    HWND m_owner = nullptr;
    std::wstring m_receiveBuffer;
    std::wstring m_terminators = L";";
    // EEPROM writes that have gone out since the start: each may have
    // changed EEPROM, whether or not it was acknowledged.
    unsigned m_eepromWrites = 0;
};

template <typename T>
class CStateHost : public CStateHost2, public IStateMachine {
public:
    explicit CStateHost(UINT_PTR timerId) : m_timerId(timerId), m_final(static_cast<T*>(this)), m_current(&m_final)
    {
    }
    // A machine destroyed mid-run (its dialog closed) must not leave its
    // timer firing on the main window; a timer it did not arm may be another
    // live machine's of the same class.
    ~CStateHost() override
    {
        if (m_timerArmed && !IsIdle())
            KillTimer();
    }

    // Steps a progress bar in the hosts that have one.
    virtual void Progress(UINT /*bytes*/) {}

    BOOL IsIdle() override { return m_current == &m_final; }

    LRESULT OnReceive(HWND, UINT, WPARAM, LPARAM) override
    {
        if (!ReadUntilTerminator() || !IsReplyComplete())
            return 0;  // a partial reply waits for the next notice
        if (GetModel().Trace.Get() != 0)
            Trace(L"%s response %s %3u ms", m_current->m_name, EscapeNonPrintable(m_receiveBuffer).c_str(),
                  static_cast<unsigned>(GetTickCount() - m_sendTick));
        m_current->OnResponse();
        // One reply per terminator: what follows stays in the driver.
        m_receiveBuffer.clear();
        return 0;
    }

    LRESULT OnTimer(HWND, UINT, WPARAM timerId, LPARAM) override
    {
        if (timerId != m_timerId)
            return 0;
        KillTimer();
        const DWORD elapsed = GetTickCount() - m_sendTick;
        if (elapsed != 0)
            Trace(L"%s elapsed %3u ms", m_current->m_name, static_cast<unsigned>(elapsed));
        m_current->OnTimeout();
        return 0;
    }

    // Refuses a busy machine with E_STATE_MACHINE_BUSY.
    bool Start(CState<T>& first)
    {
        return Start(first, [] { return HRESULT(0); });
    }
    // The same, with `prepare` (a load's images, say) run once the machine
    // is known to be idle; its failure code ends the machine at once, and
    // the start gives false.
    template <typename Prepare>
    bool Start(CState<T>& first, Prepare prepare)
    {
        if (!IsIdle()) {
            m_result = E_STATE_MACHINE_BUSY;
            SetLastError(E_STATE_MACHINE_BUSY);
            return false;
        }
        m_result = 0;
        m_eepromWrites = 0;
        SetLastError(0);
        m_abandoned = false;
        if (const HRESULT failure = prepare()) {
            m_result = failure;
            SetLastError(static_cast<DWORD>(failure));
            Transition(m_final);
            return false;
        }
        Restart(first);
        return true;
    }

    // Starts at the state whatever the machine was doing.
    void Restart(CState<T>& first)
    {
        m_connectionStatus = GetModel().ConnectionStatus.Get();
        m_result = 0;
        m_eepromWrites = 0;
        SetLastError(0);
        m_abandoned = false;
        Transition(first);
    }

    // The user has given the run up (a dialog closed mid-load): the machine
    // is idle at once, with no end notice, and a handler still under way (a
    // box it shows) takes no further step, so nothing more goes out and no
    // timer is armed again. A new start takes the machine up again.
    void Abandon()
    {
        KillTimer();
        m_abandoned = true;
        m_current = &m_final;
    }

    void Transition(CState<T>& state)
    {
        if (m_abandoned)
            return;
        m_current = &state;
        const unsigned transition = ++m_transitions;
        state.Init();
        // An Init that moved on to the end has ended the machine already:
        // a second Enter of the final state would end it twice.
        if (m_current == &m_final && transition != m_transitions)
            return;
        m_current->Enter();
    }

    // One-shot waits on the main window with the machine's own timer id.
    void ArmTimer(UINT ms)
    {
        if (m_abandoned)
            return;
        ::SetTimer(GetModel().MainWindow(), m_timerId, ms, nullptr);
        m_timerArmed = true;
        m_sendTick = GetTickCount();
    }
    void KillTimer()
    {
        ::KillTimer(GetModel().MainWindow(), m_timerId);
        m_timerArmed = false;
    }

    // The one place where a command leaves for the radio: the reply buffer
    // emptied, `state`'s trace, the port purged, the text written, and the
    // wait of `ms`. A failed purge or write ends the machine through `state`
    // with the port's error, and gives false.
    bool SendCommand(CState<T>& state, const wchar_t* command, UINT ms)
    {
        m_receiveBuffer.clear();
        state.TraceSend(command);
        CModel& model = GetModel();
        // Twice on purpose: a byte that lands between the first purge and
        // the write would be taken for the reply; only the second result counts.
        model.PurgeRx();
        if (model.PurgeRx() && model.WriteText(command)) {
            ArmTimer(ms);
            return true;
        }
        m_result = static_cast<HRESULT>(LastFailure());
        state.GoFinal();
        return false;
    }

    UINT_PTR TimerId() const { return m_timerId; }
    CState<T>* Current() const { return m_current; }

    const UINT_PTR m_timerId;
    CFinalState<T> m_final;
    CState<T>* m_current;

private:
    unsigned m_transitions = 0;
    bool m_abandoned = false;
    bool m_timerArmed = false;
};

template <typename T>
class CState {
public:
    CState(T* host, const wchar_t* name, CState<T>* next) : m_host(host), m_name(name), m_next(next) {}
    virtual ~CState() = default;
    CState(const CState&) = delete;
    CState& operator=(const CState&) = delete;

    // With no next state the machine stays here.
    virtual void GoNext()
    {
        if (m_next)
            m_host->Transition(*m_next);
    }
    virtual void GoFinal() { m_host->Transition(m_host->m_final); }
    // A later success never hides an earlier failure.
    virtual void Complete(HRESULT hr)
    {
        if (m_host->m_result >= 0)
            m_host->m_result = hr;
        if (m_next && m_host->m_result == 0)
            m_host->Transition(*m_next);
        else
            GoFinal();
    }
    virtual void OnResponse() {}
    virtual void Enter() = 0;
    virtual void Init() {}
    virtual void OnTimeout() {}
    virtual void TraceSend(const wchar_t* /*command*/) {}
    // An abort is never a success, whatever code it was given.
    virtual void Abort(HRESULT hr)
    {
        m_host->m_result = hr != 0 ? hr : E_FAIL;
        GoFinal();
    }

    T* m_host;
    const wchar_t* m_name;
    CState<T>* m_next;
};

template <typename T>
class CFinalState : public CState<T> {
public:
    explicit CFinalState(T* host) : CState<T>(host, L"Final", nullptr) {}
    void Enter() override { this->m_host->OnFinished(); }
};

template <typename T>
class CDelayState : public CState<T> {
public:
    CDelayState(T* host, const wchar_t* name, CState<T>* next, UINT delay)
        : CState<T>(host, name, next), m_delay(delay)
    {
    }
    void Enter() override { this->m_host->ArmTimer(m_delay); }
    void OnTimeout() override { this->GoNext(); }

    UINT m_delay;
};
