#include "TXGainWizard.h"

#include "TXGainFile.h"
#include "resource.h"

std::vector<UINT> GetTXGainWizardPages(bool technician, bool bh7w, bool xq6t)
{
    if (technician)
        return {IDD_TXGC_WELCOME_TECH, IDD_TXGC_DUMMY_LOAD, IDD_TXGC_CALIBRATE_TECH, IDD_TXGC_COMPLETION};
    std::vector<UINT> pages = {IDD_TXGC_WELCOME, IDD_TXGC_DUMMY_LOAD, IDD_TXGC_CALIBRATE_5W};
    if (bh7w)
        pages.push_back(IDD_TXGC_CALIBRATE_50W);
    if (xq6t)
        pages.insert(pages.end(), {IDD_TXGC_DUMMY_LOAD_XQ6T, IDD_TXGC_CALIBRATE_1MW});
    pages.push_back(IDD_TXGC_COMPLETION);
    return pages;
}

CTXGCSheetQ7::CTXGCSheetQ7(UINT titleId)
    : CMachineWizard(WizardRegistration::ForLife, titleId, IDB_CALIBRATION_WAVE, IDB_CALIBRATION_METER),
      m_welcome(m_context, IDD_TXGC_WELCOME),
      m_welcomeTech(m_context, IDD_TXGC_WELCOME_TECH),
      m_dummyLoad(m_context),
      m_calibrate5W(m_context, IDD_TXGC_CALIBRATE_5W),
      m_calibrate50W(m_context, IDD_TXGC_CALIBRATE_50W),
      m_calibrate1mW(m_context, IDD_TXGC_CALIBRATE_1MW),
      m_calibrateTech(m_context, IDD_TXGC_CALIBRATE_TECH),
      m_completion(m_context)
{
    SetHelpTopic(L"TXGainCalibration.htm");
    CModel& model = GetModel();
    const bool technician = model.AdvancedMode.Get() != 0 && model.TechnicianTXGainCalibration.Get() != 0;
    CPropertyPage* const all[] = {&m_welcome,      &m_welcomeTech,  &m_dummyLoad,     &m_dummyLoadXQ6T, &m_calibrate5W,
                                  &m_calibrate50W, &m_calibrate1mW, &m_calibrateTech, &m_completion};
    for (UINT id : GetTXGainWizardPages(technician, IsBH7WInstalled(), IsXQ6TInstalled())) {
        for (CPropertyPage* page : all) {
            if (page->TemplateId() == id)
                AddPage(*page);
        }
    }
}

void CTXGCSheetQ7::OnDestroy()
{
    WriteTXGainFile(m_hwnd, Machine().GetRecord());
    CMachineWizard::OnDestroy();
}
