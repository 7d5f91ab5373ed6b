#include "RFGainWizard.h"

#include "resource.h"

namespace {

std::unique_ptr<CRFGCPage> MakePage(CRFGCInfo& info, const SRFGCPage& row)
{
    switch (row.role) {
    case ERFGCPageRole::Welcome:
    case ERFGCPageRole::Knobs:
    case ERFGCPageRole::Completion:
        return std::make_unique<CRFGCChainPage>(info, row);
    case ERFGCPageRole::ChooseSource:
        return std::make_unique<CRFGCChooseSourcePage>(info, row);
    case ERFGCPageRole::RX:
    case ERFGCPageRole::RXHigh:
    case ERFGCPageRole::Display:
        return std::make_unique<CRFGCActionPage>(info, row);
    case ERFGCPageRole::SigGen:
    case ERFGCPageRole::SigGenHigh:
        break;
    }
    return std::make_unique<CRFGCPage>(info, row);
}

}  // namespace

// The pictures change places against the TX gain wizard's.
CRFGCSheet::CRFGCSheet(UINT titleId)
    : CWizard97Sheet(titleId, IDB_CALIBRATION_METER, IDB_CALIBRATION_WAVE), m_info(nullptr)
{
    SetHelpTopic(L"RFGainCal.htm");
    const bool advanced = m_info.m_advancedRFGainCalibration != 0;
    for (UINT id : GetRFGainWizardPages(CRFGCStateMachine::HasSecondReceiver(), advanced)) {
        m_pages.push_back(MakePage(m_info, GetRFGCPage(id)));
        AddPage(*m_pages.back());
    }
}

void CRFGCSheet::OnShow(bool shown, UINT reason)
{
    CWizard97Sheet::OnShow(shown, reason);
    if (!shown) {
        Unregister();
        return;
    }
    m_info.Machine().SetSheetWindow(m_hwnd);
    GetModel().SetActiveMachine(&m_info.Machine());
}

void CRFGCSheet::OnDestroy()
{
    Unregister();
    CWizard97Sheet::OnDestroy();
}

void CRFGCSheet::Unregister()
{
    CModel& model = GetModel();
    if (model.ActiveMachine() == &m_info.Machine())
        model.SetActiveMachine(nullptr);
}
