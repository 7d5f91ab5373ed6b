#include "ConfigRestoreStateMachine.h"

#include <cstring>

CConfigRestoreStateMachine::CConfigRestoreStateMachine()
    : CProgressBarStateHost(TIMER_CONFIG_RESTORE),
      m_findSpeed(this, L"FindSpeed", &m_textTerminalOff),
      m_textTerminalOff(this, L"TextTerminalOff", &m_setQ7Hidden),
      m_setQ7Hidden(this, L"SetQ7Hidden", &m_loopInit),
      m_loopInit(this, L"LoopInit", &m_loopTest),
      m_body(this, L"ConfigRestorePicPromBody", &m_loopStep),
      m_loopStep(this, L"LoopStep", &m_loopTest),
      m_loopTest(this, L"LoopTest", &m_body, &m_resetMcu),
      m_resetMcu(this, L"ResetMcu", &m_final)
{
}

void CConfigRestoreStateMachine::AddByte(int address, BYTE value)
{
    if (address < 0 || !InReadableEepromRegion(static_cast<unsigned>(address), 1))
        return;
    const BYTE page = static_cast<BYTE>(address >> 8);
    const BYTE offset = static_cast<BYTE>(address & 0xFF);
    if (m_current && m_current->page == page && m_current->last < 255 && offset == m_current->last + 1) {
        m_current->data[offset] = value;
        m_current->last = offset;
        return;
    }
    // A repeat, a step back or a gap opens a new record.
    auto record = std::make_unique<EepromPageRecord>();
    record->page = page;
    record->first = record->last = offset;
    std::memset(record->data, 0xFF, sizeof record->data);
    record->data[offset] = value;
    m_current = record.get();
    m_records.push_back(std::move(record));
}

int CConfigRestoreStateMachine::GetByteCount() const
{
    int count = 0;
    for (const auto& record : m_records)
        count += record->last - record->first + 1;
    return count;
}

bool CConfigRestoreStateMachine::Start(HWND progressBar)
{
    return CProgressBarStateHost::Start(m_findSpeed, [&] {
        SetUpProgress(progressBar, GetByteCount());
        return HRESULT(0);
    });
}
