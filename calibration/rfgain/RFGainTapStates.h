// The RF gain calibration's front-panel switches: a state reads a switch
// flag from "IC;" or "DS;" and, while the flag is not as wanted, taps the
// switch ("SWH18;") and reads again. One retry count covers the reads that
// got no reply and the taps, so a switch that never follows ends the state
// with its code; but the flag is always read once more after a tap, and a
// switch that has followed is no failure. The restore taps put each flag
// back as the machine's first reply showed it.
#pragma once

#include <utility>

#include "CommandStates.h"
#include "RFGainReplies.h"
#include "SettingReplies.h"

// A switch as the radio reports it (the reply, its character, the flag's
// mask), as it is worked (the tap, and the log's line before a tap that
// turns it on or off; 0 for none), and its name where a restore cannot put
// it back (0 for a switch no restore taps).
struct SRFGCSwitch {
    const wchar_t* query;
    size_t index;
    BYTE mask;
    const wchar_t* tap;
    UINT onText;
    UINT offText;
    UINT name;
};

// The second receiver is on with its flag 0x81 and listens on the main
// antenna with 0x88; "SWT34;" works its noise reduction only while BSET is on.
//  reply   character           mask              tap        on text                    off text
//  name
inline constexpr SRFGCSwitch RFGC_SWITCH_TX_TEST{
    L"IC;", 2,                  0xA0,             L"SWH18;", IDS_RFGC_TX_TEST,          0,
    0};
inline constexpr SRFGCSwitch RFGC_SWITCH_BSET{
    L"IC;", 2,                  0xC0,             L"SWH11;", IDS_RFGC_BSET_ON,          IDS_RFGC_BSET_OFF,
    IDS_RFGC_NAME_BSET};
inline constexpr SRFGCSwitch RFGC_SWITCH_SUB_RX{
    L"IC;", 4,                  0x81,             L"SWT48;", IDS_RFGC_SUB_RX_ON,        0,
    0};
inline constexpr SRFGCSwitch RFGC_SWITCH_SUB_ANTENNA_MAIN{
    L"IC;", 4,                  0x88,             L"SWH25;", IDS_RFGC_SUB_ANTENNA_MAIN, 0,
    IDS_RFGC_NAME_SUB_ANTENNA_MAIN};
inline constexpr SRFGCSwitch RFGC_SWITCH_SUB_NOISE_REDUCTION{
    L"IC;", 6,                  0x84,             L"SWT34;", 0,                         IDS_RFGC_NOISE_REDUCTION_OFF,
    IDS_RFGC_NAME_SUB_NOISE_REDUCTION};
inline constexpr SRFGCSwitch RFGC_SWITCH_ATU{
    L"DS;", RFGC_DS_ICON_INDEX, 0x90,             L"SWH19;", 0,                         IDS_RFGC_ATU_BYPASS,
    IDS_RFGC_NAME_ATU};
inline constexpr SRFGCSwitch RFGC_SWITCH_RX_ANTENNA{
    L"DS;", RFGC_DS_ICON_INDEX, 0xA0,             L"SWT25;", 0,                         IDS_RFGC_RX_ANTENNA_OFF,
    IDS_RFGC_NAME_RX_ANTENNA};
inline constexpr SRFGCSwitch RFGC_SWITCH_NOISE_REDUCTION{
    L"DS;", RFGC_DS_ICON_INDEX, 0x84,             L"SWT34;", 0,                         IDS_RFGC_NOISE_REDUCTION_OFF,
    IDS_RFGC_NAME_NOISE_REDUCTION};
inline constexpr SRFGCSwitch RFGC_SWITCH_NOTCH{
    L"DS;", RFGC_DS_ICON_INDEX, RFGC_NOTCH_VALUE, L"SWT32;", 0,                         IDS_RFGC_NOTCH_OFF,
    IDS_RFGC_NAME_NOTCH};
inline constexpr SRFGCSwitch RFGC_SWITCH_CW_TUNE{
    L"DS;", RFGC_DS_ICON_INDEX, 0x88,             L"SWT40;", IDS_RFGC_CW_TUNE_ON,       IDS_RFGC_CW_TUNE_OFF,
    IDS_RFGC_NAME_CW_TUNE};

inline unsigned SwitchValue(const std::wstring& reply, const SRFGCSwitch& sw)
{
    return SwitchValue(reply, sw.index, sw.mask);
}
inline bool IsOn(const std::wstring& reply, const SRFGCSwitch& sw)
{
    return SwitchValue(reply, sw) != 0;
}

// What a tap state does with the current reply: nothing (the flag is as
// wanted), or tap `command`, reporting `text` first when it is set; `name`
// is the switch's.
struct SRFGCTap {
    const wchar_t* command = nullptr;
    UINT text = 0;
    UINT name = 0;
};

// The tap that turns `sw` on or off, with its line.
inline SRFGCTap Turn(const SRFGCSwitch& sw, RFGCWanted setting)
{
    return {sw.tap, setting == RFGC_ON ? sw.onText : sw.offText, sw.name};
}

// The tap that flips `sw` back, without a line.
inline SRFGCTap Flip(const SRFGCSwitch& sw)
{
    return {sw.tap, 0, sw.name};
}

// "ATU (SWH19): on": a switch not put back, as `reply` shows the flag it must get.
inline std::wstring DescribeUnrestoredSwitch(const SRFGCSwitch& sw, const std::wstring& reply)
{
    const unsigned value = SwitchValue(reply, sw);
    const std::wstring tap = sw.tap;
    std::wstring state = LoadResString(value ? IDS_RFGC_SWITCH_ON : IDS_RFGC_SWITCH_OFF);
    if (value && sw.mask == RFGC_NOTCH_VALUE)
        state = std::to_wstring(value);
    return DescribeUnrestored(LoadResString(sw.name) + L" (" + tap.substr(0, tap.find(L';')) + L")", state);
}

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
        m_tapped = false;
        if (IsSkipped())
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
        // The tries are spent: the switch did not follow its last tap.
        if (this->m_retries >= host->m_retryLimit) {
            this->Abort(this->m_errorCode);
            return;
        }
        if (tap.text)
            host->Report(tap.text);
        if (tap.name)
            host->m_wizard.tappedSwitches.insert(tap.name);
        m_tapped = true;
        host->SendCommand(*this, tap.command, kTapMs);
    }
    // A tap gets no reply: its 10 ms wait ends in a read of the flag, which
    // counts against the retries but is made even when they are spent.
    void OnTimeout() override
    {
        if (!std::exchange(m_tapped, false)) {
            this->SendAgain();
            return;
        }
        ++this->m_retries;
        this->Send();
    }

    // The switch this state puts back, when it is owed: none here.
    std::wstring NotPutBack() const { return {}; }

protected:
    static constexpr UINT kTimeoutMs = 500;
    static constexpr UINT kTapMs = 10;

    virtual SRFGCTap Decide(const std::wstring& reply) = 0;

    bool IsSkipped() const { return m_subOnly && !T::HasSecondReceiver(); }

private:
    bool m_subOnly;
    bool m_tapped = false;
};

// Sets one flag of the icon replies: taps while it is on (or off).
template <typename T>
class CRFGCTapState : public CRFGCTapStateBase<T> {
public:
    CRFGCTapState(T* host, const wchar_t* name, CState<T>* next, const SRFGCSwitch& sw, RFGCWanted wanted,
                  HRESULT errorCode)
        : CRFGCTapStateBase<T>(host, name, next, sw.query, errorCode, false), m_switch(sw), m_wanted(wanted)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        return IsOn(reply, m_switch) == (m_wanted == RFGC_ON) ? SRFGCTap{} : Turn(m_switch, m_wanted);
    }

private:
    SRFGCSwitch m_switch;
    RFGCWanted m_wanted;
};

// The prepare's last step: the radio is in TX TEST, where the wizard leaves
// it, and prepared; a chain that waited for the prepare starts here.
template <typename T>
class CRFGCSetTXTestState : public CRFGCTapState<T> {
public:
    CRFGCSetTXTestState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCTapState<T>(host, name, next, RFGC_SWITCH_TX_TEST, RFGC_ON, E_NO_RESPONSE_IC_TX_TEST)
    {
    }

    void Process() override
    {
        T* host = this->m_host;
        host->m_wizard.txTestSet = true;
        host->m_wizard.prepareDue = false;
        if (CState<T>* then = host->m_run.afterPrepare)
            host->Transition(*then);
        else
            this->GoNext();
    }
};

// The ATU's flag is the first the main set-up reads from "DS;": a prepare
// whose reply was lost still leaves one to restore from.
template <typename T>
class CRFGCSetAtuBypassState : public CRFGCTapState<T> {
public:
    CRFGCSetAtuBypassState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCTapState<T>(host, name, next, RFGC_SWITCH_ATU, RFGC_OFF, E_NO_RESPONSE_DS)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        std::wstring& initial = this->m_host->m_wizard.initialDsReply;
        if (initial.empty())
            initial = reply;
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
        if (IsOn(reply, RFGC_SWITCH_SUB_ANTENNA_MAIN))
            return {};
        const bool on = IsOn(reply, RFGC_SWITCH_SUB_RX);
        return Turn(on ? RFGC_SWITCH_SUB_ANTENNA_MAIN : RFGC_SWITCH_SUB_RX, RFGC_ON);
    }
};

// The second receiver's noise reduction off, with BSET on first if need be.
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
        if (!IsOn(reply, RFGC_SWITCH_SUB_NOISE_REDUCTION))
            return {};
        if (!IsOn(reply, RFGC_SWITCH_BSET))
            return Turn(RFGC_SWITCH_BSET, RFGC_ON);
        return Turn(RFGC_SWITCH_SUB_NOISE_REDUCTION, RFGC_OFF);
    }
};

// Taps while the flag differs from the machine's first reply; without a
// first reply there is nothing to go back to.
template <typename T>
class CRFGCRestoreTapState : public CRFGCTapStateBase<T> {
public:
    CRFGCRestoreTapState(T* host, const wchar_t* name, CState<T>* next, const SRFGCSwitch& sw, HRESULT errorCode,
                         bool subOnly = false)
        : CRFGCTapStateBase<T>(host, name, next, sw.query, errorCode, subOnly), m_switch(sw)
    {
    }

    void Init() override
    {
        CRFGCTapStateBase<T>::Init();
        if (Initial().empty())
            this->m_command.clear();
    }
    // A switch the wizard has tapped, as a value it saved: owed until put back.
    std::wstring NotPutBack() const
    {
        const std::wstring& initial = Initial();
        if (initial.empty() || this->IsSkipped() || this->m_host->m_wizard.tappedSwitches.count(m_switch.name) == 0)
            return {};
        return DescribeUnrestoredSwitch(m_switch, initial);
    }

protected:
    const std::wstring& Initial() const
    {
        const auto& wizard = this->m_host->m_wizard;
        return this->m_constructorCommand == L"IC;" ? wizard.initialIcReply : wizard.initialDsReply;
    }
    bool Differs(const std::wstring& reply) const
    {
        return SwitchValue(reply, m_switch) != SwitchValue(Initial(), m_switch);
    }
    SRFGCTap Decide(const std::wstring& reply) override
    {
        return Differs(reply) ? Flip(m_switch) : SRFGCTap{};
    }

private:
    SRFGCSwitch m_switch;
};

// Its switch, as in the set-up, works only while BSET is on.
template <typename T>
class CRFGCRestoreSubNoiseReductionState : public CRFGCRestoreTapState<T> {
public:
    CRFGCRestoreSubNoiseReductionState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCRestoreTapState<T>(host, name, next, RFGC_SWITCH_SUB_NOISE_REDUCTION, E_NO_RESPONSE_IC_RESTORE_NR,
                                  true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (!this->Differs(reply))
            return {};
        if (IsOn(reply, RFGC_SWITCH_BSET))
            return Flip(RFGC_SWITCH_SUB_NOISE_REDUCTION);
        return Turn(RFGC_SWITCH_BSET, RFGC_ON);
    }
};

// The antenna switch works only on a second receiver that is on.
template <typename T>
class CRFGCRestoreSubRXAntennaState : public CRFGCRestoreTapState<T> {
public:
    CRFGCRestoreSubRXAntennaState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCRestoreTapState<T>(host, name, next, RFGC_SWITCH_SUB_ANTENNA_MAIN,
                                  E_NO_RESPONSE_IC_RESTORE_SUBRX_ANTENNA, true)
    {
    }

protected:
    SRFGCTap Decide(const std::wstring& reply) override
    {
        if (!this->Differs(reply))
            return {};
        if (IsOn(reply, RFGC_SWITCH_SUB_RX) && IsOn(reply, RFGC_SWITCH_SUB_ANTENNA_MAIN))
            return Flip(RFGC_SWITCH_SUB_ANTENNA_MAIN);
        return Turn(RFGC_SWITCH_SUB_RX, RFGC_ON);
    }
};

// The first "IC;" and "DS;" replies, kept for the restore taps; read once
// in the machine's life.
template <typename T>
class CRFGCGetInitialReplyState : public CCommandResponseRetryState<T> {
public:
    CRFGCGetInitialReplyState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query,
                              std::wstring* initial, HRESULT errorCode)
        : CCommandResponseRetryState<T>(host, name, next, query, 500, errorCode), m_initial(initial)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        if (!m_initial->empty())
            this->m_command.clear();
    }
    BOOL IsMatch() override { return AnswersIconQuery(this->m_host->m_receiveBuffer, this->m_constructorCommand); }
    void Process() override
    {
        *m_initial = this->m_host->m_receiveBuffer;
        this->GoNext();
    }

private:
    std::wstring* m_initial;
};
