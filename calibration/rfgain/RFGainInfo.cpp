#include "RFGainInfo.h"

namespace {

int ReadFlag(const wchar_t* name)
{
    CPersistable<int> value(name, 0, 0);
    value.Load(GetModel().AppKey());
    return value.Get();
}

}  // namespace

CRFGCInfo::CRFGCInfo(HWND owner)
    : m_machine(std::make_unique<CRFGCStateMachine>()),
      m_advancedRFGainCalibration(ReadFlag(L"AdvancedRFGainCalibration")),
      m_technicianRFGainCalibration(ReadFlag(L"TechnicianRFGainCalibration")),
      m_owner(owner)
{
}

bool CRFGCInfo::IsTechnicianRun() const
{
    return m_technicianRFGainCalibration != 0 && GetModel().AdvancedMode.Get() != 0;
}

bool CRFGCInfo::QueryCancel(HWND page)
{
    m_cancelRequested = 1;
    CRFGCStateMachine& machine = *m_machine;
    if (!machine.IsIdle()) {
        machine.Cancel();
        return false;
    }
    // Nothing reaches the radio through a closed port.
    if (machine.IsRestorePending() && GetModel().IsPortOpen() && !m_cancelRestored) {
        m_cancelRestored = true;
        machine.StartRestore(page);
        return false;
    }
    return true;
}
