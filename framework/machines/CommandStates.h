// The command states every machine is built from: send and wait, send and
// take a reply that may not come, send and require a reply (with or without
// resending), loops, the speed search, the command-mode switch and its
// restore, and the option-module report.
#pragma once

#include "StateMachine.h"
#include "resource.h"

// Sends its command and goes on when the delay has passed; replies are dropped.
template <typename T>
class CCommandDelayState : public CDelayState<T> {
public:
    CCommandDelayState(T* host, const wchar_t* name, CState<T>* next, TextOrId command, UINT delay)
        : CDelayState<T>(host, name, next, delay), m_command(command.Text())
    {
    }

    void Enter() override
    {
        if (m_command.empty())
            this->GoNext();
        else
            Send();
    }
    void OnTimeout() override { this->GoNext(); }
    void TraceSend(const wchar_t* command) override { this->m_host->Trace(L"%s send %s", this->m_name, command); }

    // Nothing goes out once the run has failed.
    virtual void Send()
    {
        if (IsFailure(this->m_host->m_result)) {
            this->GoFinal();
            return;
        }
        if (this->m_host->SendCommand(*this, m_command.c_str(), this->m_delay))
            OnSent();
    }
    // The command has gone out and its wait is armed: the radio may act on
    // it whether or not an answer ever comes back.
    virtual void OnSent() {}

    std::wstring m_command;
};

// "TT0;": the radio stops echoing text-terminal output.
template <typename T>
class CTextTerminalOffState : public CCommandDelayState<T> {
public:
    CTextTerminalOffState(T* host, const wchar_t* name, CState<T>* next)
        : CCommandDelayState<T>(host, name, next, L"TT0;", 10)
    {
    }
};

// "LDD20000;": the radio's MCU restarts and answers again within 5500 ms.
template <typename T>
class CResetMcuState : public CCommandDelayState<T> {
public:
    CResetMcuState(T* host, const wchar_t* name, CState<T>* next)
        : CCommandDelayState<T>(host, name, next, L"LDD20000;", 5500)
    {
    }
};

// Sends and takes a matching reply; no reply in time is not an error.
template <typename T>
class CCommandOptionalResponseState : public CCommandDelayState<T> {
public:
    CCommandOptionalResponseState(T* host, const wchar_t* name, CState<T>* next, TextOrId command, UINT timeout)
        : CCommandDelayState<T>(host, name, next, command, timeout), m_constructorCommand(this->m_command)
    {
        m_prefix = m_constructorCommand;
        while (!m_prefix.empty() && m_prefix.back() == L';')
            m_prefix.pop_back();
    }

    void Init() override
    {
        this->m_host->m_terminators = GetTerminators();
        this->m_command = m_constructorCommand;
    }
    // A reply that does not match is dropped and the wait goes on.
    void OnResponse() override
    {
        if (IsMatch()) {
            this->m_host->KillTimer();
            OnMatch();
        }
    }
    void OnTimeout() override { this->GoNext(); }

    virtual void OnMatch() { Process(); }
    virtual const wchar_t* GetTerminators() { return L";"; }
    virtual void Process() { this->GoNext(); }
    virtual BOOL IsMatch() { return TRUE; }

    std::wstring m_constructorCommand;
    std::wstring m_prefix;
    // Never 0: a time-out must not end the machine as a success.
    HRESULT m_errorCode = E_FAIL;
    unsigned m_retries = 0;
};

// No reply in time ends the machine with the state's code, which every
// constructor names so that none is forgotten.
template <typename T>
class CCommandResponseState : public CCommandOptionalResponseState<T> {
public:
    CCommandResponseState(T* host, const wchar_t* name, CState<T>* next, TextOrId command, UINT timeout,
                          HRESULT errorCode)
        : CCommandOptionalResponseState<T>(host, name, next, command, timeout)
    {
        this->m_errorCode = errorCode;
    }
    void OnTimeout() override { this->Abort(this->m_errorCode); }
};

// Resends on each timeout; the retry limit'th timeout ends the machine.
template <typename T>
class CCommandResponseRetryState : public CCommandResponseState<T> {
public:
    using CCommandResponseState<T>::CCommandResponseState;
    void Init() override
    {
        CCommandResponseState<T>::Init();
        this->m_retries = 0;
    }
    void OnTimeout() override { SendAgain(); }

    // The command once more, within the retry limit; the last one ends the
    // machine with the state's code.
    void SendAgain()
    {
        if (++this->m_retries < this->m_host->m_retryLimit)
            this->Send();
        else
            this->Abort(this->m_errorCode);
    }
};

// "Q7;": keeps the first command-mode reply for the restore.
template <typename T>
class CGetQ7State : public CCommandResponseRetryState<T> {
public:
    using CCommandResponseRetryState<T>::CCommandResponseRetryState;
    BOOL IsMatch() override { return this->m_host->ReplyStartsWith(this->m_prefix); }
    void OnMatch() override
    {
        if (this->m_host->m_savedModeReply.empty())
            this->m_host->m_savedModeReply = this->m_host->m_receiveBuffer;
        this->Process();
    }
};

// Below MCU 383: saves the command mode ("Q7;") and switches to the hidden
// mode ("Q7H;"). From 383 the state is skipped.
template <typename T>
class CSetQ7HiddenState : public CGetQ7State<T> {
public:
    CSetQ7HiddenState(T* host, const wchar_t* name, CState<T>* next)
        : CGetQ7State<T>(host, name, next, L"Q7;", kQueryMs, E_NO_RESPONSE_Q7)
    {
    }

    void Init() override
    {
        CGetQ7State<T>::Init();
        if (GetModel().McuVersion() >= MCU_BLOCK_EEPROM_VERSION) {
            this->m_command.clear();
        } else if (this->m_host->m_savedModeReply.empty()) {
            this->m_command = L"Q7;";
            this->m_delay = kQueryMs;
        } else {
            SwitchToHidden();
        }
    }
    void OnMatch() override
    {
        if (this->m_host->m_savedModeReply.empty())
            this->m_host->m_savedModeReply = this->m_host->m_receiveBuffer;
        SwitchToHidden();
        this->Enter();
    }
    void OnTimeout() override
    {
        if (!this->m_host->m_savedModeReply.empty())
            this->GoNext();  // the pause after "Q7H;" is over
        else
            CGetQ7State<T>::OnTimeout();
    }

private:
    static constexpr UINT kQueryMs = 500;
    static constexpr UINT kHiddenMs = 10;
    void SwitchToHidden()
    {
        this->m_command = L"Q7H;";
        this->m_delay = kHiddenMs;
    }
};

// Puts back the saved command mode ("Q7<mode>;Q7;") and waits for the radio
// to confirm it; nothing saved, nothing sent.
template <typename T>
class CRestoreQ7State : public CCommandResponseRetryState<T> {
public:
    CRestoreQ7State(T* host, const wchar_t* name, CState<T>* next)
        : CCommandResponseRetryState<T>(host, name, next, L"", 500, E_NO_RESPONSE_Q7)
    {
    }
    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        const std::wstring& saved = this->m_host->m_savedModeReply;
        this->m_command = saved.empty() ? std::wstring() : saved + L"Q7;";
    }
    BOOL IsMatch() override { return this->m_host->m_receiveBuffer == this->m_host->m_savedModeReply; }
};

// Polls ";" until the radio answers: five polls a speed, then (automatic
// speed) the next lower speed; after the last speed it gives up. Polls and
// speeds are counted: a speed change that fails, or a fixed speed the port
// cannot take, must not keep the search going for ever.
template <typename T>
class CFindSpeedState : public CCommandResponseRetryState<T> {
public:
    CFindSpeedState(T* host, const wchar_t* name, CState<T>* next, UINT timeout = 500)
        : CCommandResponseRetryState<T>(host, name, next, L";", timeout, E_NO_RESPONSE_AFTER_RESET)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        CModel& model = GetModel();
        m_startSpeed = (model.FixedSerialSpeed.Get() + 4799) / 4800 * 4800;
        if (m_startSpeed == 0 || m_startSpeed > 38400)
            m_startSpeed = 38400;
        m_speedsTried = 1;
        if (model.IsLinkOpen() && model.GetPortSpeed() != m_startSpeed)
            model.SetPortSpeed(m_startSpeed);
        model.PortSpeed.SendToListeners(0, 0);
        this->m_delay = kPollMs;
        ReportAttempt();
    }
    void OnTimeout() override
    {
        if (++this->m_retries < kPollsPerSpeed) {
            this->Send();
            return;
        }
        this->m_retries = 0;
        CModel& model = GetModel();
        if (model.FixedSerialSpeed.Get() != 0 || m_speedsTried >= kAutomaticSpeeds) {
            GiveUp();
            return;
        }
        ++m_speedsTried;
        model.SetPortSpeed(NextSpeed(model.GetPortSpeed()));
        ReportAttempt();
        this->Send();
    }
    const wchar_t* GetTerminators() override { return L";"; }
    virtual void GiveUp() { this->Abort(this->m_errorCode); }

    static DWORD NextSpeed(DWORD speed)
    {
        return speed == 4800 || speed == 57600 ? 38400 : speed / 2;
    }

    DWORD m_startSpeed = 38400;
    unsigned m_speedsTried = 0;

protected:
    static constexpr UINT kPollMs = 100;
    static constexpr unsigned kPollsPerSpeed = 5;
    // 38400, 19200, 9600, 4800.
    static constexpr unsigned kAutomaticSpeeds = 4;

    void ReportAttempt()
    {
        CModel& model = GetModel();
        SendStatusText(model.MainWindow(), FormatText(IDS_ATTEMPTING_CONTACT, kDeviceWord,
                                                      model.Port.Get().c_str(), model.GetPortSpeed()));
    }
};

// The speed search that never gives up: each round waits half as long again,
// up to five seconds a poll.
template <typename T>
class CFindSpeedLoopState : public CFindSpeedState<T> {
public:
    using CFindSpeedState<T>::CFindSpeedState;
    void GiveUp() override
    {
        const UINT previous = this->m_delay;
        this->Init();
        this->m_delay = std::min<UINT>(previous * 3 / 2, kLongestPollMs);
        this->Enter();
    }

private:
    static constexpr UINT kLongestPollMs = 5000;
};

// "OM;": the option modules, the second receiver and the device kind.
// Radios before MCU 245 and boot loaders are not asked.
template <typename T>
class CGetOptionModuleState : public CCommandOptionalResponseState<T> {
public:
    CGetOptionModuleState(T* host, const wchar_t* name, CState<T>* next)
        : CCommandOptionalResponseState<T>(host, name, next, L"OM;", 200)
    {
    }

    void Init() override
    {
        CCommandOptionalResponseState<T>::Init();
        CModel& model = GetModel();
        if (model.McuVersion() < MCU_OPTION_MODULE_VERSION ||
            this->m_host->m_connectionStatus == FIRMWARE_STATUS_BOOT_LOADER) {
            Forget();
            this->GoNext();
            return;
        }
        this->m_command = L"OM;";
    }
    BOOL IsMatch() override { return GetModel().StoreOptionModuleReply(this->m_host->m_receiveBuffer); }
    void Process() override
    {
        CModel& model = GetModel();
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        if (model.StoreOptionModuleReply(reply))
            model.SecondReceiver = reply.size() > 6 && reply[6] == L'S' ? SUBRX_INSTALLED : SUBRX_NOT_INSTALLED;
        SetDeviceKind(KindOf(reply));
        this->GoNext();
    }
    void OnTimeout() override
    {
        Forget();
        this->GoNext();
    }

    static ZentrovaDevice KindOf(const std::wstring& reply)
    {
        if (reply.size() > 14) {
            switch (reply[14]) {
            case L'2':
                return DEVICE_MV9;
            case L'1':
                return DEVICE_MV8;
            case L'-':
                return DEVICE_Q7;
            }
        }
        if (reply.size() > 12 && reply[12] == L'R')
            return DEVICE_Q7;
        return DEVICE_UNKNOWN;
    }

protected:
    // A machine that only refreshes the options leaves the kind alone.
    virtual void SetDeviceKind(ZentrovaDevice kind) { GetModel().DeviceKind.Set(kind); }

private:
    void Forget()
    {
        GetModel().ClearOptionModuleReply();
        SetDeviceKind(DEVICE_UNKNOWN);
    }
};

// Loops over the host's m_loopIndex up to the host's LoopCount().
template <typename T>
class CLoopInitState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        this->m_host->m_loopIndex = 0;
        this->GoNext();
    }
};

template <typename T>
class CLoopStepState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        ++this->m_host->m_loopIndex;
        this->GoNext();
    }
};

template <typename T>
class CLoopTestState : public CState<T> {
public:
    CLoopTestState(T* host, const wchar_t* name, CState<T>* body, CState<T>* exit)
        : CState<T>(host, name, body), m_exit(exit)
    {
    }
    void Enter() override
    {
        if (this->m_host->m_loopIndex < this->m_host->LoopCount())
            this->GoNext();
        else
            this->m_host->Transition(*m_exit);
    }

    CState<T>* m_exit;
};
