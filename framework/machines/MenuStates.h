// States that work the radio's menus through front-panel switch emulation:
// the test for switch emulation, the extended command mode that older
// firmware needs for it, leaving the menu, and reading the VFO A display.
#pragma once

#include "CommandStates.h"

// MCU firmware from which switch emulation works without the extended
// command mode.
inline constexpr unsigned short MCU_SWITCH_EMULATION_VERSION = 346;

// Goes on to the extended-mode state (next) on firmware that needs it, else
// straight to `emulated`.
template <typename T>
class CIsSwitchEmulationAvailableState : public CState<T> {
public:
    CIsSwitchEmulationAvailableState(T* host, const wchar_t* name, CState<T>* extended, CState<T>* emulated)
        : CState<T>(host, name, extended), m_emulated(emulated)
    {
    }
    void Enter() override
    {
        if (GetModel().McuVersion() >= MCU_SWITCH_EMULATION_VERSION)
            this->m_host->Transition(*m_emulated);
        else
            this->GoNext();
    }

    CState<T>* m_emulated;
};

// "Q7;" keeps the radio's command mode for the restore, then "Q71;Q7;"
// until the radio reports the extended mode "Q71;". Every send, whether a
// timeout or a reply in another mode caused it, counts against the retry
// limit: a radio that never takes the mode ends the machine.
template <typename T>
class CSetQ7ExtendedState : public CGetQ7State<T> {
public:
    CSetQ7ExtendedState(T* host, const wchar_t* name, CState<T>* next)
        : CGetQ7State<T>(host, name, next, L"Q7;", 500, E_NO_RESPONSE_Q7)
    {
    }

    void Init() override
    {
        CGetQ7State<T>::Init();
        this->m_command = this->m_host->m_savedModeReply.empty() ? L"Q7;" : kSwitch;
    }
    void Enter() override
    {
        if (this->m_host->m_savedModeReply == kExtendedReply)
            this->GoNext();
        else
            CGetQ7State<T>::Enter();
    }
    void OnMatch() override
    {
        T* host = this->m_host;
        if (host->m_savedModeReply.empty())
            host->m_savedModeReply = host->m_receiveBuffer;
        if (host->m_receiveBuffer == kExtendedReply) {
            this->Process();
            return;
        }
        this->m_command = kSwitch;
        this->SendAgain();
    }

    static constexpr const wchar_t* kSwitch = L"Q71;Q7;";
    static constexpr const wchar_t* kExtendedReply = L"Q71;";
};

// "MN255;": leaves whatever menu the radio shows.
template <typename T>
class CExitMenuState : public CCommandDelayState<T> {
public:
    CExitMenuState(T* host, const wchar_t* name, CState<T>* next)
        : CCommandDelayState<T>(host, name, next, L"MN255;", 10)
    {
    }
};

// "DS;": the VFO A display and the basic icons, resent until it comes.
template <typename T>
class CGetVfoADisplayState : public CCommandResponseRetryState<T> {
public:
    CGetVfoADisplayState(T* host, const wchar_t* name, CState<T>* next)
        : CCommandResponseRetryState<T>(host, name, next, L"DS;", 500, E_NO_RESPONSE_DS)
    {
    }
    BOOL IsMatch() override { return this->m_host->ReplyStartsWith(L"DS"); }
};
