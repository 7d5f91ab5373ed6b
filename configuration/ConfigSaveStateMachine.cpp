#include "ConfigSaveStateMachine.h"

CConfigSaveStateMachine::CConfigSaveStateMachine()
    : CProgressBarStateHost(TIMER_CONFIG_SAVE),
      m_loopInit(this, L"LoopInit", &m_findSpeed),
      m_findSpeed(this, L"FindSpeed", &m_textTerminalOff),
      m_textTerminalOff(this, L"TextTerminalOff", &m_setQ7Hidden),
      m_setQ7Hidden(this, L"SetQ7Hidden", &m_loopTest),
      m_body(this, L"ConfigSavePicPromBody", &m_loopStep),
      m_loopStep(this, L"LoopStep", &m_loopTest),
      m_loopTest(this, L"LoopTest", &m_body, &m_restoreQ7),
      m_restoreQ7(this, L"RestoreQ7", &m_final)
{
}

bool CConfigSaveStateMachine::Start(HWND progressBar)
{
    SetUpProgress(progressBar, static_cast<int>(GetSavedByteCount()));
    return CProgressBarStateHost::Start(m_loopInit);
}
