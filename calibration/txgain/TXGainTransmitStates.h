// The TX gain calibration's states around the transmission and the chain's
// plumbing: menus opened and left, tests, the band loop, receive, transmit
// check, SWR, power samples and their settling, and the gain read.
#pragma once

#include "TXGainStates.h"

// Goes to next when the machine's test holds, else to the alternative.
template <typename T>
class CTXGCTestState : public CState<T> {
public:
    CTXGCTestState(T* host, const wchar_t* name, bool (T::*test)() const, CState<T>* next, CState<T>* alternative)
        : CState<T>(host, name, next), m_test(test), m_alternative(alternative)
    {
    }
    void Enter() override
    {
        if ((this->m_host->*m_test)())
            this->GoNext();
        else
            this->m_host->Transition(*m_alternative);
    }

    bool (T::*m_test)() const;
    CState<T>* m_alternative;
};

// Opens a menu: from here until "MN255;" the run owes the radio its leaving.
template <typename T>
class CTXGCSetMenuState : public CCommandDelayState<T> {
public:
    CTXGCSetMenuState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* menu)
        : CCommandDelayState<T>(host, name, next, menu, 250)
    {
    }
    void Init() override { this->m_host->m_run.menuOpen = 1; }
};

template <typename T>
class CTXGCExitMenuState : public CExitMenuState<T> {
public:
    using CExitMenuState<T>::CExitMenuState;
    void Send() override
    {
        // A failed run sends nothing here: the restore leaves the menu.
        if (!IsFailure(this->m_host->m_result))
            this->m_host->m_run.menuOpen = 0;
        CExitMenuState<T>::Send();
    }
};

// The band loop starts with the band mark: entries pushed from here on are
// the band's, restored after it.
template <typename T>
class CTXGCLoopInitState : public CLoopInitState<T> {
public:
    using CLoopInitState<T>::CLoopInitState;
    void Enter() override
    {
        this->m_host->m_run.bandMark = this->m_host->m_run.restoreCount;
        CLoopInitState<T>::Enter();
    }
};

// Tells the radio to receive until it reports so ("TQ0;"). It sends whatever
// the run's result, so a failed or cancelled run still unkeys; each "TQ;"
// counts against the retry limit over the whole visit.
template <typename T>
class CTXGCSetRXState : public CTXGCResponseState<T> {
public:
    CTXGCSetRXState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCResponseState<T>(host, name, next, L"TQ;", kWaitMs, E_NO_RESPONSE_TQ)
    {
    }
    void Init() override
    {
        CTXGCResponseState<T>::Init();
        m_transmit = this->m_host->m_run.transmitting;
    }
    void Enter() override
    {
        this->m_host->Trace(L"%s::OnHandle transmit %u", this->m_name, m_transmit);
        if (m_transmit)
            this->m_host->SendCommand(*this, L"RX;", kWaitMs);
        else
            Query();
    }
    void OnTimeout() override { Query(); }
    BOOL IsMatch() override { return this->Reply() == L"TQ0;" || this->Reply() == L"TQ1;"; }
    void Process() override
    {
        m_transmit = this->Reply() == L"TQ1;";
        this->m_host->m_run.transmitting = m_transmit;
        if (m_transmit && this->m_retries >= this->m_host->m_retryLimit)
            this->Abort(this->m_errorCode);
        else if (m_transmit)
            Enter();
        else if (IsFailure(this->m_host->m_result))
            this->GoFinal();
        else
            this->GoNext();
    }

private:
    static constexpr UINT kWaitMs = 500;
    void Query()
    {
        if (this->m_retries >= this->m_host->m_retryLimit) {
            this->Abort(this->m_errorCode);
            return;
        }
        ++this->m_retries;
        this->m_host->SendCommand(*this, this->m_constructorCommand.c_str(), kWaitMs);
    }

    DWORD m_transmit = 0;
};

// "TQ;" while sampling: any reply but "TQ1;" means the radio stopped on its
// own; the band is closed without a power test.
template <typename T>
class CTXGCGetTXState : public CTXGCResponseState<T> {
public:
    CTXGCGetTXState(T* host, const wchar_t* name, CState<T>* next, CState<T>* stopped)
        : CTXGCResponseState<T>(host, name, next, L"TQ;", 500, E_NO_RESPONSE_TQ), m_stopped(stopped)
    {
    }
    void Process() override
    {
        if (this->Reply() == L"TQ1;") {
            this->GoNext();
            return;
        }
        this->m_host->Report(IDS_TXGC_TRANSMIT_STOPPED);
        this->m_host->Transition(*m_stopped);
    }

    CState<T>* m_stopped;
};

// The SWR display while TUNE is keyed; 2.0 or more ends the run at once,
// the radio told to receive first. A display that holds no number is asked
// for again, as a reply never heard is.
template <typename T>
class CTXGCGetSwrState : public CTXGCResponseState<T> {
public:
    CTXGCGetSwrState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCResponseState<T>(host, name, next, L"DS;", 500, E_NO_RESPONSE_DS)
    {
    }
    void Process() override
    {
        T* host = this->m_host;
        unsigned swr = 0;
        const ESwrVerdict verdict = JudgeSwr(this->Reply(), swr);
        if (verdict == ESwrVerdict::Unreadable) {
            this->SendAgain();
            return;
        }
        if (verdict == ESwrVerdict::Noted)
            host->Trace(L"SWR %u.%u-1", swr / 10, swr % 10);
        if (verdict != ESwrVerdict::TooHigh) {
            this->GoNext();
            return;
        }
        host->StopTransmitting();
        const std::wstring text = FormatText(IDS_TXGC_SWR_TOO_HIGH, swr / 10, swr % 10);
        host->Report(text);
        host->AppendProgressText(text);
        host->Report(IDS_TXGC_VERIFY_DUMMY_LOAD, static_cast<unsigned>(host->m_run.antenna));
        this->Abort(E_TXGC_SWR_TOO_HIGH);
    }
};

// One power reading ("DB;") into the ring of samples; an out-of-band reading
// closes the band without a power test.
template <typename T>
class CTXGCReadRFPowerState : public CTXGCResponseState<T> {
public:
    CTXGCReadRFPowerState(T* host, const wchar_t* name, CState<T>* next, CState<T>* outOfBand)
        : CTXGCResponseState<T>(host, name, next, L"DB;", 500, E_NO_RESPONSE_DB), m_outOfBand(outOfBand)
    {
    }
    void Process() override
    {
        T* host = this->m_host;
        if (host->ReplyStartsWith(L"DB  END") || host->ReplyStartsWith(L"DBBND END")) {
            const unsigned kHz = host->BandKHz();
            host->Report(IDS_TXGC_OUT_OF_BAND, kHz / 1000, kHz % 1000);
            host->Transition(*m_outOfBand);
            return;
        }
        host->AddPowerSample(this->Reply().substr(2));
        this->GoNext();
    }

    CState<T>* m_outOfBand;
};

// Settled (or given up, the result then telling why) goes on to receive;
// otherwise another sample after the pause.
template <typename T>
class CTXGCTestConvergenceState : public CState<T> {
public:
    CTXGCTestConvergenceState(T* host, const wchar_t* name, CState<T>* settled, CState<T>* unsettled)
        : CState<T>(host, name, settled), m_unsettled(unsettled)
    {
    }
    void Enter() override
    {
        T* host = this->m_host;
        if (host->CheckPowerSettled()) {
            this->GoNext();
            return;
        }
        ++host->m_run.sampleCount;
        host->Transition(*m_unsettled);
    }

    CState<T>* m_unsettled;
};

// The gain menu's display becomes the band's summary line.
template <typename T>
class CTXGGetGainState : public CTXGCResponseState<T> {
public:
    CTXGGetGainState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCResponseState<T>(host, name, next, L"DS;", 500, E_NO_RESPONSE_DS)
    {
    }
    void Process() override
    {
        this->m_host->AppendSummaryLine(this->Reply());
        this->GoNext();
    }
};
