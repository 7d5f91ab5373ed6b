// An N8 panadapter may sit between the PC and the radio. Before any firmware
// goes out every loader probes for it (";=" answered with "N8" or, from its
// boot loader, "n8"), has a capable one pass everything through ("#PT;"),
// asks the user to switch any other off, and then polls the radio itself.
//
// The host keeps the probe result in m_n8Probe.
#pragma once

#include "CommandStates.h"

enum N8Probe : unsigned {
    N8_NOT_PROBED = 0,
    N8_BOOT_LOADER = 1,  // answered "n8"
    N8_RUNNING = 2,      // answered "N8"
    N8_ABSENT = 3,       // no answer: none there, or it passes traffic already
};

// The first N8 firmware that passes traffic through on "#PT;".
inline constexpr unsigned short N8_PASS_THROUGH_VERSION = 37;

template <typename T>
class CDetermineN8FirmwareState : public CCommandResponseState<T> {
public:
    CDetermineN8FirmwareState(T* host, CState<T>* next, CState<T>* getVersion, CState<T>* switchOff)
        // The code is never reported: a time-out means no N8.
        : CCommandResponseState<T>(host, L"DetermineN8Firmware", next, L";=", 500, E_N8_MUST_BE_OFF),
          m_getVersion(getVersion), m_switchOff(switchOff)
    {
    }
    void Init() override
    {
        CCommandResponseState<T>::Init();
        this->m_host->m_n8Probe = N8_NOT_PROBED;
    }
    const wchar_t* GetTerminators() override { return L"8="; }
    BOOL IsMatch() override
    {
        T* host = this->m_host;
        if (host->ReplyContains(L"N8"))
            host->m_n8Probe = N8_RUNNING;
        else if (host->ReplyContains(L"n8"))
            host->m_n8Probe = N8_BOOT_LOADER;
        else
            return FALSE;
        return TRUE;
    }
    void OnTimeout() override
    {
        this->m_host->m_n8Probe = N8_ABSENT;
        GoNext();
    }
    void GoNext() override
    {
        switch (this->m_host->m_n8Probe) {
        case N8_RUNNING:
            this->m_host->Transition(*m_getVersion);
            break;
        case N8_ABSENT:
            this->m_host->Transition(*this->m_next);
            break;
        default:
            this->m_host->Transition(*m_switchOff);
            break;
        }
    }

private:
    CState<T>* m_getVersion;
    CState<T>* m_switchOff;
};

// "#RVM;": the accessory's own MCU version, into version index 7.
template <typename T>
class CGetN8McuVersionState : public CCommandResponseRetryState<T> {
public:
    CGetN8McuVersionState(T* host, CState<T>* switchOff)
        : CCommandResponseRetryState<T>(host, L"GetN8McuVersion", switchOff, L"#RVM;", 500,
                                        E_NO_RESPONSE_FIRMWARE_VERSION)
    {
    }
    BOOL IsMatch() override { return this->m_host->ParseVersionReply(L"#RVM", VERSION_N8_MCU); }
};

template <typename T>
class CSwitchOffN8State : public CState<T> {
public:
    CSwitchOffN8State(T* host, CState<T>* passThruOn, CState<T>* determine)
        : CState<T>(host, L"SwitchOffN8", passThruOn), m_determine(determine)
    {
    }
    void Init() override { this->m_host->m_receiveBuffer.clear(); }
    void Enter() override
    {
        T* host = this->m_host;
        CModel& model = GetModel();
        m_repeat = false;
        m_supportsPassThru = false;
        if (host->m_n8Probe != N8_ABSENT) {
            if (host->m_n8Probe == N8_RUNNING && model.FirmwareVersion.Get(VERSION_N8_MCU) >= N8_PASS_THROUGH_VERSION) {
                m_supportsPassThru = true;
            } else {
                const std::wstring text = LoadResString(IDS_N8_SWITCH_OFF);
                const std::wstring caption = LoadResString(IDS_N8_DETECTED_CAPTION);
                if (MessageBoxW(model.MainWindow(), text.c_str(), caption.c_str(),
                                MB_RETRYCANCEL | MB_ICONERROR | MB_DEFBUTTON2) == IDRETRY)
                    m_repeat = true;
                else
                    host->m_result = E_N8_MUST_BE_OFF;
            }
        }
        host->Trace(L"%s SupportsPassThru %u RepeatN8Test %u ErrorCode 0x%08X: %s", this->m_name,
                    static_cast<unsigned>(m_supportsPassThru), static_cast<unsigned>(m_repeat),
                    static_cast<unsigned>(host->m_result), FormatErrorText(host->m_result).c_str());
        if (host->m_result == 0)
            GoNext();
        else
            this->GoFinal();
    }
    void GoNext() override
    {
        if (m_repeat)
            this->m_host->Transition(*m_determine);
        else if (!m_supportsPassThru)
            this->Abort(E_N8_MUST_BE_OFF);
        else
            CState<T>::GoNext();
    }

private:
    CState<T>* m_determine;
    bool m_repeat = false;
    bool m_supportsPassThru = false;
};

// "#PT;": everything that follows goes straight to the radio.
template <typename T>
class CSetN8PassThruOnState : public CCommandDelayState<T> {
public:
    CSetN8PassThruOnState(T* host, CState<T>* next) : CCommandDelayState<T>(host, L"SetN8PassThruOn", next, L"#PT;", 10)
    {
    }
};

// Polls the radio, through the accessory or without it: a quick first poll,
// then 500 ms each.
template <typename T>
class CSetN8PassThruOffState : public CCommandResponseRetryState<T> {
public:
    CSetN8PassThruOffState(T* host, CState<T>* next)
        : CCommandResponseRetryState<T>(host, L"SetN8PassThruOff", next, L";", kFirstPollMs,
                                        E_NO_RESPONSE_POLL_AFTER_N8_TEST)
    {
    }
    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        this->m_delay = kFirstPollMs;
    }
    void OnTimeout() override
    {
        this->m_delay = kPollMs;
        CCommandResponseRetryState<T>::OnTimeout();
    }

private:
    static constexpr UINT kFirstPollMs = 10;
    static constexpr UINT kPollMs = 500;
};
