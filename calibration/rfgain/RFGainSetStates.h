// The RF gain calibration's receiver settings: query a control, remember
// the first value seen for the restore, and set it only when it differs;
// and the restore that puts a remembered value back.
#pragma once

#include "CommandStates.h"
#include "RFGainReplies.h"

// One control as the radio knows it: "RA;" asks, "RA00;" sets, and the
// first reply is kept in `saved` (null: never restored).
struct SRFGCControl {
    const wchar_t* query = nullptr;
    const wchar_t* set = nullptr;
    std::wstring* saved = nullptr;
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
        m_control = m_controls[this->m_host->m_receiver == 1 ? 1 : 0];
        m_applied = false;
        if ((m_flags & RFGC_SUB_ONLY) && !T::HasSecondReceiver())
            this->m_command.clear();
        else if (m_control.saved && !m_control.saved->empty())
            PrepareApply();  // queried in an earlier pass of this run
        else
            this->m_command = m_control.query;
    }
    BOOL IsMatch() override { return AnswersQuery(this->m_host->m_receiveBuffer, m_control.query); }
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

private:
    static constexpr UINT kTimeoutMs = 500;
    const wchar_t* m_query;
    const std::wstring* m_saved;
};
