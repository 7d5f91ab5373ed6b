// The RF gain calibration's front-panel switches: a state reads a switch
// flag from "IC;" or "DS;" and, while the flag is not as wanted, taps the
// switch ("SWH18;") and reads again. One retry count covers the reads that
// got no reply and the taps, so a switch that never follows ends the state
// with its code. The restore taps put each flag back as the run's first
// reply showed it.
#pragma once

#include "CommandStates.h"
#include "RFGainReplies.h"

// What a tap state does with the current reply: nothing (the flag is as
// wanted), or tap `command`, reporting `text` first when it is set.
struct SRFGCTap {
    const wchar_t* command = nullptr;
    UINT text = 0;
};

template <typename T>
class CRFGCTapStateBase : public CCommandResponseRetryState<T> {
public:
    CRFGCTapStateBase(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query, HRESULT errorCode,
                      bool subOnly)
        : CCommandResponseRetryState<T>(host, name, next, query, kTimeoutMs, errorCode), m_subOnly(subOnly)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        if (m_subOnly && !T::HasSecondReceiver())
            this->m_command.clear();
    }
    BOOL IsMatch() override { return AnswersIconQuery(this->m_host->m_receiveBuffer, this->m_constructorCommand); }
    void OnMatch() override
    {
        T* host = this->m_host;
        const SRFGCTap tap = Decide(host->m_receiveBuffer);
        if (!tap.command) {
            this->Process();
            return;
        }
        if (tap.text)
            host->Report(tap.text);
        SendTap(tap.command);
    }

protected:
    static constexpr UINT kTimeoutMs = 500;
    static constexpr UINT kTapMs = 10;

    virtual SRFGCTap Decide(const std::wstring& reply) = 0;

    // A tap gets no reply: the 10 ms wait ends in the retry rule, which reads
    // the flag again.
    void SendTap(const wchar_t* command) { this->m_host->SendCommand(*this, command, kTapMs); }

private:
    bool m_subOnly;
};

// Sets one flag of the icon replies: taps while it is on (or off).
template <typename T>
class CRFGCTapState : public CRFGCTapStateBase<T> {
public:
    CRFGCTapState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query, size_t index, BYTE mask,
                  bool wantOn, SRFGCTap tap, HRESULT errorCode)
        : CRFGCTapStateBase<T>(host, name, next, query, errorCode, false),
          m_index(index),
          m_mask(mask),
          m_wantOn(wantOn),
          m_tap(tap)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        const bool on = SwitchValue(reply, m_index, m_mask) != 0;
        return on == m_wantOn ? SRFGCTap{} : m_tap;
    }

private:
    size_t m_index;
    BYTE m_mask;
    bool m_wantOn;
    SRFGCTap m_tap;
};

// The ATU's flag is the first the main set-up reads from "DS;": a run whose
// first reply was lost still gets one to restore from.
template <typename T>
class CRFGCSetAtuBypassState : public CRFGCTapState<T> {
public:
    CRFGCSetAtuBypassState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCTapState<T>(host, name, next, L"DS;", RFGC_DS_ICON_INDEX, 0x90, false,
                           {L"SWH19;", IDS_RFGC_ATU_BYPASS}, E_NO_RESPONSE_DS)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (this->m_host->m_initialDsReply.empty())
            this->m_host->m_initialDsReply = reply;
        return CRFGCTapState<T>::Decide(reply);
    }
};

// The second receiver listens on the main antenna: with the receiver on,
// its antenna switch; with it off, the receiver first.
template <typename T>
class CRFGCSetSubRXAntennaMainState : public CRFGCTapStateBase<T> {
public:
    CRFGCSetSubRXAntennaMainState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCTapStateBase<T>(host, name, next, L"IC;", E_NO_RESPONSE_IC_SUBRX_ANTENNA, true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (IsFlagOn(reply, 4, 0x88))
            return {};
        if (IsFlagOn(reply, 4, 0x81))
            return {L"SWH25;", IDS_RFGC_SUB_ANTENNA_MAIN};
        return {L"SWT48;", IDS_RFGC_SUB_RX_ON};
    }
};

// "SWT34;" works the second receiver's noise reduction only while BSET is on.
template <typename T>
class CRFGCSetSubNoiseReductionOffState : public CRFGCTapStateBase<T> {
public:
    CRFGCSetSubNoiseReductionOffState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCTapStateBase<T>(host, name, next, L"IC;", E_NO_RESPONSE_IC_NR_OFF, true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (!IsFlagOn(reply, 6, 0x84))
            return {};
        if (!IsFlagOn(reply, 2, 0xC0))
            return {L"SWH11;", IDS_RFGC_BSET_ON};
        return {L"SWT34;", IDS_RFGC_NOISE_REDUCTION_OFF};
    }
};

// Taps while the flag differs from the run's first reply; without a first
// reply there is nothing to go back to.
template <typename T>
class CRFGCRestoreTapState : public CRFGCTapStateBase<T> {
public:
    CRFGCRestoreTapState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query, size_t index,
                         BYTE mask, const wchar_t* command, HRESULT errorCode, bool subOnly = false)
        : CRFGCTapStateBase<T>(host, name, next, query, errorCode, subOnly),
          m_index(index),
          m_mask(mask),
          m_tapCommand(command)
    {
    }

    void Init() override
    {
        CRFGCTapStateBase<T>::Init();
        if (Initial().empty())
            this->m_command.clear();
    }

protected:
    const std::wstring& Initial() const
    {
        return this->m_constructorCommand == L"IC;" ? this->m_host->m_initialIcReply : this->m_host->m_initialDsReply;
    }
    bool Differs(const std::wstring& reply) const
    {
        return SwitchValue(reply, m_index, m_mask) != SwitchValue(Initial(), m_index, m_mask);
    }
    SRFGCTap Decide(const std::wstring& reply) override
    {
        return Differs(reply) ? SRFGCTap{m_tapCommand} : SRFGCTap{};
    }

private:
    size_t m_index;
    BYTE m_mask;
    const wchar_t* m_tapCommand;
};

template <typename T>
class CRFGCRestoreSubNoiseReductionState : public CRFGCRestoreTapState<T> {
public:
    CRFGCRestoreSubNoiseReductionState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCRestoreTapState<T>(host, name, next, L"IC;", 6, 0x84, L"SWT34;", E_NO_RESPONSE_IC_RESTORE_NR, true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (!this->Differs(reply))
            return {};
        if (IsFlagOn(reply, 2, 0xC0))
            return {L"SWT34;"};
        return {L"SWH11;", IDS_RFGC_BSET_ON};
    }
};

template <typename T>
class CRFGCRestoreSubRXAntennaState : public CRFGCRestoreTapState<T> {
public:
    CRFGCRestoreSubRXAntennaState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCRestoreTapState<T>(host, name, next, L"IC;", 4, 0x88, L"SWH25;",
                                  E_NO_RESPONSE_IC_RESTORE_SUBRX_ANTENNA, true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (!this->Differs(reply))
            return {};
        if (IsFlagOn(reply, 4, 0x81) && IsFlagOn(reply, 4, 0x88))
            return {L"SWH25;"};
        return {L"SWT48;", IDS_RFGC_SUB_RX_ON};
    }
};

// The run's first "IC;" and "DS;" replies, kept for the restore taps; read
// once a run.
template <typename T>
class CRFGCGetInitialReplyState : public CCommandResponseRetryState<T> {
public:
    CRFGCGetInitialReplyState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query,
                              std::wstring T::*initial, HRESULT errorCode)
        : CCommandResponseRetryState<T>(host, name, next, query, 500, errorCode), m_initial(initial)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        if (!(this->m_host->*m_initial).empty())
            this->m_command.clear();
    }
    BOOL IsMatch() override { return AnswersIconQuery(this->m_host->m_receiveBuffer, this->m_constructorCommand); }
    void Process() override
    {
        this->m_host->*m_initial = this->m_host->m_receiveBuffer;
        this->GoNext();
    }

private:
    std::wstring T::*m_initial;
};
