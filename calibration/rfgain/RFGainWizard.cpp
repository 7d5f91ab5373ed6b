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
    : CMachineWizard(WizardRegistration::WhileShown, titleId, IDB_CALIBRATION_METER, IDB_CALIBRATION_WAVE, nullptr)
{
    SetHelpTopic(L"RFGainCal.htm");
    const bool advanced = m_context.m_advancedRFGainCalibration != 0;
    for (UINT id : GetRFGainWizardPages(CRFGCStateMachine::HasSecondReceiver(), advanced)) {
        m_pages.push_back(MakePage(m_context, GetRFGCPage(id)));
        AddPage(*m_pages.back());
    }
}
