// Reads the radio's saved EEPROM regions into an image of the whole EEPROM:
// the speed search, text-terminal output off, the command mode switched where
// the firmware needs it, one region per loop pass, the mode put back.
#pragma once

#include <array>

#include "EepromStates.h"
#include "ProgressBarStateHost.h"

class CConfigSaveStateMachine;

// One saved region per pass, at the loop index.
template <typename T>
class CConfigSavePicPromLoopBodyState : public CReadPicPromState<T> {
public:
    CConfigSavePicPromLoopBodyState(T* host, const wchar_t* name, CState<T>* next)
        : CReadPicPromState<T>(host, name, next, 0, 0)
    {
    }
    void Init() override
    {
        CReadPicPromState<T>::Init();
        T* host = this->m_host;
        const unsigned start = GetSavedRegionStart(host->m_loopIndex);
        const unsigned length = GetSavedRegionLength(host->m_loopIndex);
        this->SetRange(start, length);
        this->SetDestination(host->m_image.data() + start);
    }
};

class CConfigSaveStateMachine : public CProgressBarStateHost<CConfigSaveStateMachine> {
public:
    CConfigSaveStateMachine();

    // Starts at LoopInit with the bar (which may be null) at 0 of the saved
    // bytes; false, with E_STATE_MACHINE_BUSY, when the machine runs.
    bool Start(HWND progressBar);

    int LoopCount() const { return static_cast<int>(GetSavedRegionCount()); }
    const BYTE* Image() const { return m_image.data(); }

    int m_loopIndex = 0;
    std::wstring m_savedModeReply;
    // Indexed by EEPROM address; only the saved regions are filled.
    std::array<BYTE, EEPROM_SIZE> m_image{};

    CLoopInitState<CConfigSaveStateMachine> m_loopInit;
    CFindSpeedState<CConfigSaveStateMachine> m_findSpeed;
    CTextTerminalOffState<CConfigSaveStateMachine> m_textTerminalOff;
    CSetQ7HiddenState<CConfigSaveStateMachine> m_setQ7Hidden;
    CConfigSavePicPromLoopBodyState<CConfigSaveStateMachine> m_body;
    CLoopStepState<CConfigSaveStateMachine> m_loopStep;
    CLoopTestState<CConfigSaveStateMachine> m_loopTest;
    CRestoreQ7State<CConfigSaveStateMachine> m_restoreQ7;
};
