// The TX gain calibration's own states. Every response state takes only
// replies that begin with all of its query before the ";" (a stray reply of
// another command, "Q71;" to "Q5;" say, is no value to keep), and a state
// that asks for a setting only a value of it (a garbled "PC1X0;" is asked
// for again, as a reply never heard); it counts each send, a wrong reply's
// as much as a timeout's, against the machine's retry limit, and saves for
// the restore only the first reply of a visit, which is the radio's own
// setting.
#pragma once

#include "MenuStates.h"
#include "SettingReplies.h"
#include "TXGainRules.h"

// What a reply to the command begins with: all before its ";", "FA" of
// "FA;", "Q5" of "Q5;".
inline std::wstring QueryPrefix(const std::wstring& command)
{
    return command.substr(0, command.find(L';'));
}

// Restore kinds of the saved entries.
enum : DWORD {
    RESTORE_VALUE = 0,  // send the saved reply, then the query
    RESTORE_MENU_VALUE = 2,  // open the menu, send the saved "MP" reply
    RESTORE_MENU_STEPS = 4,  // open the menu, step down to the saved display
};

template <typename T>
class CTXGCResponseState : public CCommandResponseRetryState<T> {
public:
    // `command` is the query; states that set a value put it in front at Init.
    CTXGCResponseState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* command, UINT timeout,
                       HRESULT code)
        : CCommandResponseRetryState<T>(host, name, next, command, timeout, code),
          m_query(QueryPrefix(command)),
          m_setting(IsSettingQuery(command))
    {
    }
    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        m_pushed = false;
    }
    BOOL IsMatch() override
    {
        if (m_setting)
            return IsSettingValueReply(Reply(), this->m_constructorCommand);
        return this->m_host->ReplyStartsWith(m_query);
    }

    void PushOnce(const std::wstring& a, const std::wstring& b, DWORD kind)
    {
        if (m_pushed)
            return;
        m_pushed = true;
        this->m_host->PushRestoreEntry(a, b, this->m_errorCode, kind);
    }
    const std::wstring& Reply() const { return this->m_host->m_receiveBuffer; }

    const std::wstring m_query;
    const bool m_setting;
    bool m_pushed = false;
};

// Set-if-needed: the query; a reply other than the wanted value is saved and
// the value sent, followed by the query, until the radio reports it.
template <typename T>
class CTXGCSetValueState : public CTXGCResponseState<T> {
public:
    CTXGCSetValueState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query, const wchar_t* wanted,
                       HRESULT code)
        : CTXGCResponseState<T>(host, name, next, query, 500, code), m_wanted(wanted)
    {
    }
    void Process() override
    {
        if (this->Reply() == m_wanted) {
            this->GoNext();
            return;
        }
        this->PushOnce(this->Reply(), this->m_constructorCommand, RESTORE_VALUE);
        this->m_command = m_wanted + this->m_constructorCommand;
        this->SendAgain();
    }

    std::wstring m_wanted;
};

// The antenna jack of the dummy load.
template <typename T>
class CTXGCSetAntennaState : public CTXGCSetValueState<T> {
public:
    CTXGCSetAntennaState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCSetValueState<T>(host, name, next, L"AN;", L"AN1;", E_NO_RESPONSE_AN)
    {
    }
    void Init() override
    {
        CTXGCSetValueState<T>::Init();
        this->m_wanted = this->m_host->m_run.antennaCommand;
    }
};

// Saves the reply for the restore and goes on.
template <typename T>
class CTXGCSaveState : public CTXGCResponseState<T> {
public:
    CTXGCSaveState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* query, HRESULT code)
        : CTXGCResponseState<T>(host, name, next, query, 500, code)
    {
    }
    void Process() override
    {
        if (!IsUnsaved())
            this->PushOnce(this->Reply(), this->m_constructorCommand, RESTORE_VALUE);
        this->GoNext();
    }
    // An RIT offset of zero needs no restore.
    virtual bool IsUnsaved() { return false; }
};

template <typename T>
class CTXGSaveRitOffsetState : public CTXGCSaveState<T> {
public:
    CTXGSaveRitOffsetState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCSaveState<T>(host, name, next, L"RO;", E_NO_RESPONSE_RO)
    {
    }
    bool IsUnsaved() override { return this->Reply() == L"RO-0000;"; }
};

// A band number beyond the calibrated bands is no reply at all: the run ends
// with the state's code after its sends. Skipped before MCU 397.
template <typename T>
class CTXGCSaveBandNumberState : public CTXGCSaveState<T> {
public:
    CTXGCSaveBandNumberState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCSaveState<T>(host, name, next, L"BN;", E_NO_RESPONSE_BN)
    {
    }
    void Init() override
    {
        CTXGCSaveState<T>::Init();
        if (GetModel().McuVersion() < MCU_BAND_NUMBER_VERSION)
            this->m_command.clear();
    }
    BOOL IsMatch() override
    {
        if (!CTXGCSaveState<T>::IsMatch())
            return FALSE;
        const std::wstring& reply = this->Reply();  // "BN" and two digits
        return static_cast<unsigned>((reply[2] - L'0') * 10 + (reply[3] - L'0')) < kTXGainBandCount;
    }
};

// A menu's value ("MP"): one of the accepted replies goes on; any other is
// saved with the menu and the wanted value is sent, followed by "MP;".
template <typename T>
class CTXGCSetMenuValueState : public CTXGCResponseState<T> {
public:
    CTXGCSetMenuValueState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* menu, const wchar_t* wanted,
                           const wchar_t* alsoAccepted)
        : CTXGCResponseState<T>(host, name, next, L"MP;", 500, E_NO_RESPONSE_MP), m_menu(menu), m_wanted(wanted),
          m_alsoAccepted(alsoAccepted)
    {
    }
    void Process() override
    {
        const std::wstring& reply = this->Reply();
        if (reply == m_wanted || reply == m_alsoAccepted) {
            this->GoNext();
            return;
        }
        this->PushOnce(m_menu, reply, RESTORE_MENU_VALUE);
        this->m_command = m_wanted + std::wstring(L"MP;");
        this->SendAgain();
    }

    const wchar_t* m_menu;
    const wchar_t* m_wanted;
    const wchar_t* m_alsoAccepted;
};

// A menu stepped with "UP;" until its display begins with the wanted text;
// each step's "DS;" is one of the state's sends. With a menu the first
// display is saved, so that the restore steps back down to it.
template <typename T>
class CTXGCStepMenuState : public CTXGCResponseState<T> {
public:
    CTXGCStepMenuState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* menu, const wchar_t* wanted)
        : CTXGCResponseState<T>(host, name, next, L"DS;", 500, E_NO_RESPONSE_DS), m_menu(menu), m_wanted(wanted)
    {
    }
    void Init() override
    {
        CTXGCResponseState<T>::Init();
        this->m_delay = kReadMs;
    }
    void Process() override
    {
        if (this->m_host->ReplyStartsWith(m_wanted)) {
            this->GoNext();
            return;
        }
        if (m_menu)
            this->PushOnce(m_menu, this->Reply().substr(0, 10), RESTORE_MENU_STEPS);
        this->m_command = L"UP;";
        this->m_delay = kStepMs;
        this->Send();
    }
    void OnTimeout() override
    {
        this->m_command = this->m_constructorCommand;
        this->m_delay = kReadMs;
        this->SendAgain();
    }

    static constexpr UINT kReadMs = 500;
    static constexpr UINT kStepMs = 10;
    // Null: the setting is not restored.
    const wchar_t* m_menu;
    const wchar_t* m_wanted;
};

// A menu whose display must read as the wanted text, else the run ends with
// the text and the code given.
template <typename T>
class CTXGCVerifyMenuState : public CTXGCResponseState<T> {
public:
    CTXGCVerifyMenuState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* wanted, UINT text,
                         HRESULT failure)
        : CTXGCResponseState<T>(host, name, next, L"DS;", 500, E_NO_RESPONSE_DS), m_wanted(wanted), m_text(text),
          m_failure(failure)
    {
    }
    void Process() override
    {
        if (this->m_host->ReplyStartsWith(m_wanted)) {
            this->GoNext();
            return;
        }
        this->m_host->Report(m_text);
        this->Abort(m_failure);
    }

    const wchar_t* m_wanted;
    UINT m_text;
    HRESULT m_failure;
};

// "IC;": the icon reply of exactly 8 characters; TX TEST (bits 0x80 and 0x20
// of its third character) ends the run.
template <typename T>
class CTXGCVerifyTXTestNormalState : public CTXGCResponseState<T> {
public:
    CTXGCVerifyTXTestNormalState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCResponseState<T>(host, name, next, L"IC;", 500, E_NO_RESPONSE_IC)
    {
    }
    BOOL IsMatch() override { return this->Reply().size() == 8 && CTXGCResponseState<T>::IsMatch(); }
    void Process() override
    {
        this->m_host->m_run.iconReply = this->Reply();
        if ((this->Reply()[2] & 0xA0) == 0xA0) {
            this->m_host->Report(IDS_TXGC_REQUIRES_TX_NORM);
            this->Abort(E_TXGC_NOT_TX_NORM);
            return;
        }
        this->GoNext();
    }
};

// The band's number ("BN%02u;BN;"), VFO A or B on the band's frequency
// ("FA000%05u000;FA;"), the level's power: done when the radio reports the
// value set. A VFO A set reports the frequency.
template <typename T>
class CTXGCSetBandValueState : public CTXGCResponseState<T> {
public:
    enum Value { BAND_NUMBER, VFO_A, VFO_B, RF_POWER };

    CTXGCSetBandValueState(T* host, const wchar_t* name, CState<T>* next, Value value, const wchar_t* query,
                           UINT timeout, HRESULT code)
        : CTXGCResponseState<T>(host, name, next, query, timeout, code), m_value(value)
    {
    }
    void Init() override
    {
        CTXGCResponseState<T>::Init();
        T* host = this->m_host;
        const unsigned kHz = host->BandKHz();
        switch (m_value) {
        case BAND_NUMBER:
            m_set = FormatText(L"%s%02u;", L"BN", host->m_run.loopIndex);
            break;
        case VFO_A:
        case VFO_B:
            m_set = FormatText(L"%s000%05u000;", this->m_query.c_str(), kHz);
            if (m_value == VFO_A)
                host->Report(IDS_TXGC_CALIBRATING_AT, kHz / 1000, kHz % 1000);
            break;
        case RF_POWER:
            m_set = host->GetPowerCommand();
            break;
        }
        this->m_command = m_set + this->m_constructorCommand;
    }
    BOOL IsMatch() override { return this->Reply() == m_set; }

    Value m_value;
    std::wstring m_set;
};

// Keys TUNE ("SWH16;"), and after 300 ms asks whether the radio transmits;
// "TQ0;" presses TUNE again. The sends count over the whole visit.
template <typename T>
class CTXGCStartTuneState : public CTXGCResponseState<T> {
public:
    CTXGCStartTuneState(T* host, const wchar_t* name, CState<T>* next)
        : CTXGCResponseState<T>(host, name, next, L"TQ;", kQueryMs, E_NO_RESPONSE_TQ)
    {
    }
    void Init() override
    {
        CTXGCResponseState<T>::Init();
        this->m_host->ClearPowerSamples();
    }
    void Enter() override
    {
        this->m_host->m_run.transmitting = 1;
        this->m_command = L"SWH16;";
        this->m_delay = kTuneMs;
        this->Send();
    }
    void OnTimeout() override
    {
        if (this->m_command == L"SWH16;") {
            this->m_command = this->m_constructorCommand;
            this->m_delay = kQueryMs;
            this->Send();
        } else {
            this->SendAgain();
        }
    }
    void Process() override
    {
        if (this->Reply() == L"TQ1;")
            this->GoNext();
        else if (++this->m_retries < this->m_host->m_retryLimit)
            this->Enter();
        else
            this->Abort(this->m_errorCode);
    }
    BOOL IsMatch() override { return this->Reply() == L"TQ0;" || this->Reply() == L"TQ1;"; }

    static constexpr UINT kTuneMs = 300;
    static constexpr UINT kQueryMs = 500;
};
