// Opens the port, finds the speed at which the radio answers, identifies the
// device and reads the facts every other tool relies on: firmware versions,
// option modules, serial number, second receiver.
#pragma once

#include "EepromStates.h"

// Only the contact machine tells the user which speed answered.
template <typename Search>
class CAnnouncedSearch : public Search {
public:
    using Search::Search;
    void Process() override
    {
        CModel& model = GetModel();
        SendStatusText(model.MainWindow(),
                       FormatText(IDS_CONNECTED, kDeviceWord, model.Port.Get().c_str(), model.GetPortSpeed()));
        this->GoNext();
    }
};

class CContactStateMachine : public CStateHost<CContactStateMachine> {
public:
    using State = CState<CContactStateMachine>;

    CContactStateMachine();

    // The shell's start (the port may still be closed).
    bool StartAtOpenPort() { return Start(m_openPort); }
    // After a firmware load or a configuration restore.
    void RestartAtFindSpeed() { Restart(m_findSpeed); }

    void OnFinished() override;

    struct Identity {
        ZentrovaDevice kind;
        FirmwareStatusEnum status;
        const wchar_t* id;
    };
    // The first row whose id occurs in the reply; null when none does.
    static const Identity* Identify(const std::wstring& reply);

    // Set when the EEPROM says the DSP and DVR versions do not apply.
    DWORD m_q7Zero = 0;
    std::wstring m_savedModeReply;

    class COpenPortState : public State {
    public:
        using State::State;
        void Enter() override;
    };

    class CIdentifyState : public CCommandOptionalResponseState<CContactStateMachine> {
    public:
        CIdentifyState(CContactStateMachine* host, State* next);
        BOOL IsMatch() override;
        void OnTimeout() override;
        void GoNext() override;
    };

    // A version query whose reply goes to one element of the model's versions.
    class CGetVersionState : public CCommandResponseRetryState<CContactStateMachine> {
    public:
        CGetVersionState(CContactStateMachine* host, const wchar_t* name, State* next, const wchar_t* command,
                         unsigned index, HRESULT errorCode);
        BOOL IsMatch() override;

    private:
        unsigned m_index;
    };

    // The MCU's answer is what proves a running radio.
    class CGetMcuVersionState : public CGetVersionState {
    public:
        CGetMcuVersionState(CContactStateMachine* host, State* next);
        void Process() override;
    };

    class CReadQ7SerialNumberState : public CReadPicPromState<CContactStateMachine> {
    public:
        CReadQ7SerialNumberState(CContactStateMachine* host, State* next);
        void Process() override;
    };

    class CGetSubRXInstallState : public CReadPicPromState<CContactStateMachine> {
    public:
        CGetSubRXInstallState(CContactStateMachine* host, State* next);
        void Enter() override;
        void Process() override;
    };

    class CReadQ7ZeroState : public CReadPicPromState<CContactStateMachine> {
    public:
        CReadQ7ZeroState(CContactStateMachine* host, State* next);
        void Process() override;
        void GoNext() override;
    };

    // The chain, in reverse so that each state can name its successor.
    CRestoreQ7State<CContactStateMachine> m_restoreQ7;
    CGetVersionState m_getDvrVersion;
    CGetVersionState m_getDsp2Version;
    CGetVersionState m_getDsp1Version;
    CReadQ7ZeroState m_readQ7Zero;
    CGetVersionState m_getFpfVersion;
    CGetSubRXInstallState m_getSubRXInstall;
    CReadQ7SerialNumberState m_readQ7SerialNumber;
    CSetQ7HiddenState<CContactStateMachine> m_setQ7Hidden;
    CGetOptionModuleState<CContactStateMachine> m_getOptionModule;
    CGetMcuVersionState m_getMcuVersion;
    CTextTerminalOffState<CContactStateMachine> m_textTerminalOff;
    CIdentifyState m_identify;
    CAnnouncedSearch<CFindSpeedLoopState<CContactStateMachine>> m_findSpeedLoop;
    COpenPortState m_openPort;
    CAnnouncedSearch<CFindSpeedState<CContactStateMachine>> m_findSpeed;
};
