// Writes a configuration file's bytes back into the radio's EEPROM, page
// record by page record, and restarts the radio's MCU. Only bytes inside the
// saved regions are kept; the records are written in the order they were
// opened, so a later record wins where two overlap.
#pragma once

#include <memory>
#include <vector>

#include "EepromStates.h"
#include "ProgressBarStateHost.h"

// Bytes first..last of one 256-byte page, given in increasing address order
// without gaps.
struct EepromPageRecord {
    BYTE page;
    BYTE first;
    BYTE last;
    BYTE data[256];
};

// One record per pass, at the loop index.
template <typename T>
class CConfigRestorePicPromLoopBodyState : public CWritePicPromState<T> {
public:
    CConfigRestorePicPromLoopBodyState(T* host, const wchar_t* name, CState<T>* next)
        : CWritePicPromState<T>(host, name, next, 0, 0, nullptr)
    {
    }
    void Init() override
    {
        CWritePicPromState<T>::Init();
        const EepromPageRecord& record = *this->m_host->m_records[this->m_host->m_loopIndex];
        this->SetRange(record.page * 256u + record.first, record.last - record.first + 1u);
        this->SetSource(record.data + record.first);
    }
};

class CConfigRestoreStateMachine : public CProgressBarStateHost<CConfigRestoreStateMachine> {
public:
    CConfigRestoreStateMachine();

    // Keeps the byte when it lies in a saved region. The address is an int:
    // a record running past FFFF is dropped there, never wrapped to 0000.
    void AddByte(int address, BYTE value);
    int GetByteCount() const;

    // Starts at FindSpeed with the bar (which may be null) at 0 of the
    // bytes; false, with E_STATE_MACHINE_BUSY, when the machine runs.
    bool Start(HWND progressBar);
    // The radio may have changed: contact it again.
    void OnFinished() override { EndOperation(); }
    // Once "LDD20000;" has gone out every byte is written and the radio is
    // restarting: the restore is complete, and a close waits for its end.
    bool IsResetting() { return Current() == &m_resetMcu && !IsIdle(); }

    int LoopCount() const { return static_cast<int>(m_records.size()); }
    // The run ended with some of its blocks gone out and not all of them
    // written: the radio holds part of the file.
    bool IsHalfWritten() const { return m_eepromWrites != 0 && m_loopIndex < LoopCount(); }

    std::vector<std::unique_ptr<EepromPageRecord>> m_records;
    int m_loopIndex = 0;
    EepromPageRecord* m_current = nullptr;
    std::wstring m_savedModeReply;

    CFindSpeedState<CConfigRestoreStateMachine> m_findSpeed;
    CTextTerminalOffState<CConfigRestoreStateMachine> m_textTerminalOff;
    CSetQ7HiddenState<CConfigRestoreStateMachine> m_setQ7Hidden;
    CLoopInitState<CConfigRestoreStateMachine> m_loopInit;
    CConfigRestorePicPromLoopBodyState<CConfigRestoreStateMachine> m_body;
    CLoopStepState<CConfigRestoreStateMachine> m_loopStep;
    CLoopTestState<CConfigRestoreStateMachine> m_loopTest;
    CResetMcuState<CConfigRestoreStateMachine> m_resetMcu;
};
