// The RF gain calibration's receiver settings: query a control, remember
// the first value seen for the restore, and set it only when it differs;
// and the restore that puts a remembered value back. A reply is taken only
// when it is a value of the control ("RA0X;" is asked for again, as a reply
// never heard), so no garble is ever put back.
#pragma once

#include "CommandStates.h"
#include "RFGainReplies.h"
#include "SettingReplies.h"

// One control as the radio knows it: "RA;" asks, "RA00;" sets, and the
// first reply is kept in `saved` (null: never restored).
struct SRFGCControl {
    const wchar_t* query = nullptr;
    const wchar_t* set = nullptr;
    std::wstring* saved = nullptr;
};

// The controls' first values, for the restore.
struct SRFGCSavedValues {
    std::wstring antenna, autoInfo, subRX;
    // Index 0 the main receiver, 1 the second.
    std::wstring attenuator[2], filterWidth[2], mode[2], preamp[2], rfGain[2], squelch[2];
};

enum RFGCSetFlags : unsigned {
    // Skipped when the radio has no second receiver.
    RFGC_SUB_ONLY = 1,
    // While nothing is saved, the first reply is saved and set at once,
    // whatever it says.
    RFGC_SAVE_THEN_SET = 2,
};

template <typename T>
class CRFGCSetBaseState : public CCommandResponseRetryState<T> {
public:
    // `sub` is the control of the second receiver where it has its own.
    CRFGCSetBaseState(T* host, const wchar_t* name, CState<T>* next, HRESULT errorCode, UINT textId,
                      SRFGCControl main, SRFGCControl sub = {}, unsigned flags = 0)
        : CCommandResponseRetryState<T>(host, name, next, L"", kTimeoutMs, errorCode),
          m_textId(textId),
          m_controls{main, sub.query ? sub : main},
          m_flags(flags)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        m_control = m_controls[this->m_host->m_run.receiver == 1 ? 1 : 0];
        m_applied = false;
        if ((m_flags & RFGC_SUB_ONLY) && !T::HasSecondReceiver())
            this->m_command.clear();
        else if (m_control.saved && !m_control.saved->empty())
            PrepareApply();  // queried by an earlier chain
        else
            this->m_command = m_control.query;
    }
    BOOL IsMatch() override { return IsSettingValueReply(this->m_host->m_receiveBuffer, m_control.query); }
    void OnMatch() override
    {
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        std::wstring* saved = m_control.saved;
        if ((m_flags & RFGC_SAVE_THEN_SET) && saved && saved->empty()) {
            *saved = reply;
        } else if (EqualsNoCase(reply, m_control.set)) {
            this->m_command.clear();
            this->GoNext();
            return;
        } else if (saved && saved->empty()) {
            *saved = reply;
        } else if (m_applied && ++this->m_retries >= this->m_host->m_retryLimit) {
            // A control that will not take its value ends like one that is silent.
            this->Abort(this->m_errorCode);
            return;
        }
        PrepareApply();
        this->Send();
    }

private:
    static constexpr UINT kTimeoutMs = 500;

    // The set command and the query in one send: the reply tells whether it took.
    void PrepareApply()
    {
        this->m_host->Report(m_textId);
        this->m_command = std::wstring(m_control.set) + m_control.query;
        m_applied = true;
    }

    UINT m_textId;
    SRFGCControl m_controls[2];
    SRFGCControl m_control;
    unsigned m_flags;
    bool m_applied = false;
};

// Sends the saved value and the query ("AN1;AN;") and waits for the radio
// to report the saved value; nothing saved, nothing sent.
template <typename T>
class CRFGCRestoreBaseState : public CCommandResponseRetryState<T> {
public:
    CRFGCRestoreBaseState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query,
                          const std::wstring* saved, HRESULT errorCode)
        : CCommandResponseRetryState<T>(host, name, next, L"", kTimeoutMs, errorCode), m_query(query), m_saved(saved)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        this->m_command = m_saved->empty() ? std::wstring() : *m_saved + m_query;
    }
    BOOL IsMatch() override { return EqualsNoCase(this->m_host->m_receiveBuffer, *m_saved); }

    // "Mode (MD$): MD$1", while a value is saved.
    std::wstring NotPutBack() const
    {
        if (m_saved->empty())
            return {};
        const std::wstring query = m_query;
        return DescribeUnrestored(NameSetting(this->m_errorCode, query.substr(0, query.find(L';'))), *m_saved);
    }

private:
    static constexpr UINT kTimeoutMs = 500;
    const wchar_t* m_query;
    const std::wstring* m_saved;
};

// A control that each receiver has and the chains turn on or off: its
// commands on the main receiver and on the second, and where each keeps its
// first value.
struct SRFGCReceiverControl {
    HRESULT errorCode;
    UINT onText;
    UINT offText;
    const wchar_t* query[2];
    const wchar_t* on[2];
    const wchar_t* off[2];
    std::wstring (SRFGCSavedValues::*saved)[2];
};

inline constexpr SRFGCReceiverControl RFGC_ATTENUATOR{E_NO_RESPONSE_RA, IDS_RFGC_ATTENUATOR_ON, IDS_RFGC_ATTENUATOR_OFF,
                                                      {L"RA;", L"RA$;"}, {L"RA01;", L"RA$01;"}, {L"RA00;", L"RA$00;"},
                                                      &SRFGCSavedValues::attenuator};
inline constexpr SRFGCReceiverControl RFGC_PREAMP{E_NO_RESPONSE_PA, IDS_RFGC_PREAMP_ON, IDS_RFGC_PREAMP_OFF,
                                                  {L"PA;", L"PA$;"}, {L"PA1;", L"PA$1;"}, {L"PA0;", L"PA$0;"},
                                                  &SRFGCSavedValues::preamp};

// Sets such a control on the chain's receiver.
template <typename T>
class CRFGCSetReceiverControlState : public CRFGCSetBaseState<T> {
public:
    CRFGCSetReceiverControlState(T* host, const wchar_t* name, CState<T>* next, const SRFGCReceiverControl& control,
                                 RFGCWanted wanted)
        : CRFGCSetBaseState<T>(host, name, next, control.errorCode,
                               wanted == RFGC_ON ? control.onText : control.offText,
                               OnReceiver(host, control, wanted, 0), OnReceiver(host, control, wanted, 1))
    {
    }

private:
    static SRFGCControl OnReceiver(T* host, const SRFGCReceiverControl& control, RFGCWanted wanted, int receiver)
    {
        const wchar_t* const* set = wanted == RFGC_ON ? control.on : control.off;
        return {control.query[receiver], set[receiver], &(host->m_wizard.saved.*control.saved)[receiver]};
    }
};

// RF gain to its maximum: the first reply is kept and the set follows
// whatever it said.
template <typename T>
class CRFGCSetMainRFGainState : public CRFGCSetBaseState<T> {
public:
    CRFGCSetMainRFGainState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCSetBaseState<T>(host, name, next, E_NO_RESPONSE_RG, IDS_RFGC_RF_GAIN_MAXIMUM,
                               {L"RG;", L"RG250;", &host->m_wizard.saved.rfGain[0]}, {}, RFGC_SAVE_THEN_SET)
    {
    }
};

// Without a second receiver "RG$;" may go unanswered.
template <typename T>
class CRFGCSetSubRFGainState : public CRFGCSetBaseState<T> {
public:
    CRFGCSetSubRFGainState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCSetBaseState<T>(host, name, next, E_NO_RESPONSE_RG, IDS_RFGC_RF_GAIN_MAXIMUM,
                               {L"RG$;", L"RG$250;", &host->m_wizard.saved.rfGain[1]}, {},
                               RFGC_SUB_ONLY | RFGC_SAVE_THEN_SET)
    {
    }
};
