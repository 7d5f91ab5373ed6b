#include "TXGainPages.h"

#include <richedit.h>

#include <vector>

#include "LogText.h"
#include "resource.h"

namespace {

// What a step of the Welcome pages needs of the radio.
enum class EStepNeeds { Nothing, BH7W, XQ6T };

// The steps of each Welcome page, in order: bullet IDC_BULLET_FIRST + 2i,
// its line one id further.
const std::vector<EStepNeeds>& StepsOf(UINT templateId)
{
    static const std::vector<EStepNeeds> user = {EStepNeeds::Nothing, EStepNeeds::Nothing, EStepNeeds::Nothing,
                                                 EStepNeeds::BH7W,    EStepNeeds::XQ6T,    EStepNeeds::XQ6T};
    static const std::vector<EStepNeeds> technician = {EStepNeeds::Nothing, EStepNeeds::XQ6T, EStepNeeds::BH7W,
                                                       EStepNeeds::XQ6T, EStepNeeds::Nothing};
    return templateId == IDD_TXGC_WELCOME_TECH ? technician : user;
}

bool IsAvailable(EStepNeeds needs)
{
    switch (needs) {
    case EStepNeeds::BH7W:
        return IsBH7WInstalled();
    case EStepNeeds::XQ6T:
        return IsXQ6TInstalled();
    case EStepNeeds::Nothing:
        break;
    }
    return true;
}

}  // namespace

CTXGCMachinePage::CTXGCMachinePage(CTXGCContext& context, UINT templateId, WizardPageKind kind)
    : CMachineWindow(context.Machine(), MachineRegistration::ByOwner, templateId, kind),
      m_context(context)
{
}

bool CTXGCMachinePage::OnQueryCancel()
{
    m_cancelRequested = true;
    return !QueryClose();
}

void CTXGCMachinePage::CloseIfCancelled()
{
    if (m_cancelRequested)
        PressButton(PSBTN_CANCEL);
}

CTXGCWelcomePage::CTXGCWelcomePage(CTXGCContext& context, UINT templateId)
    : CTXGCMachinePage(context, templateId, WizardPageKind::Exterior)
{
    SetHelpTopic(L"TXGainCalibration.htm#Welcome");
}

BOOL CTXGCWelcomePage::OnInitDialog()
{
    UseTitleFont(IDC_WIZARD_TITLE);
    for (size_t step = 0; step < StepsOf(TemplateId()).size(); ++step)
        UseBulletFont(IDC_BULLET_FIRST + 2 * static_cast<int>(step));
    EnableSteps();
    return TRUE;
}

LRESULT CTXGCWelcomePage::OnSetActive()
{
    SetWizardButtons(PSWIZB_NEXT);
    Run([this] { return m_context.Machine().RefreshOptionModules(m_hwnd); });
    return 0;
}

void CTXGCWelcomePage::OnMachineFinished(HRESULT)
{
    EnableSteps();
    CloseIfCancelled();
}

void CTXGCWelcomePage::EnableSteps()
{
    const std::vector<EStepNeeds>& steps = StepsOf(TemplateId());
    for (size_t step = 0; step < steps.size(); ++step) {
        const int bullet = IDC_BULLET_FIRST + 2 * static_cast<int>(step);
        const BOOL enable = IsAvailable(steps[step]);
        EnableWindow(Item(bullet), enable);
        EnableWindow(Item(bullet + 1), enable);
    }
}

CTXGCDummyLoadPage::CTXGCDummyLoadPage(CTXGCContext& context)
    : CWizard97Page(IDD_TXGC_DUMMY_LOAD, WizardPageKind::Interior), m_context(context)
{
    SetHelpTopic(L"TXGainCalibration.htm#DummyLoad");
}

BOOL CTXGCDummyLoadPage::OnInitDialog()
{
    const bool tuner = IsJW2DInstalled();
    // Without the antenna tuner the radio transmits on ANT 1 only.
    if (!tuner || m_context.Antenna() != 2)
        m_context.SetAntenna(1);
    CheckRadioButton(m_hwnd, IDC_TXGC_ANT1, IDC_TXGC_ANT2, m_context.Antenna() == 2 ? IDC_TXGC_ANT2 : IDC_TXGC_ANT1);
    EnableWindow(Item(IDC_TXGC_ANT1), tuner);
    EnableWindow(Item(IDC_TXGC_ANT2), tuner);
    ShowDummyLoadText();
    return TRUE;
}

LRESULT CTXGCDummyLoadPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

bool CTXGCDummyLoadPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED || (id != IDC_TXGC_ANT1 && id != IDC_TXGC_ANT2))
        return CWizard97Page::OnCommand(id, code, control);
    m_context.SetAntenna(id == IDC_TXGC_ANT2 ? 2 : 1);
    ShowDummyLoadText();
    return true;
}

void CTXGCDummyLoadPage::ShowDummyLoadText()
{
    const unsigned watts = IsBH7WInstalled() ? 50 : 5;
    SetDlgItemTextW(m_hwnd, IDC_TXGC_DUMMY_LOAD_TEXT,
                    FormatText(IDS_TXGC_CONNECT_DUMMY_LOAD, watts, static_cast<unsigned>(m_context.Antenna())).c_str());
}

CTXGCDummyLoadXQ6TPage::CTXGCDummyLoadXQ6TPage() : CWizard97Page(IDD_TXGC_DUMMY_LOAD_XQ6T, WizardPageKind::Interior)
{
    SetHelpTopic(L"TXGainCalibration.htm#DummyLoadXQ6T");
}

CTXGCDummyLoadXQ6TPage::~CTXGCDummyLoadXQ6TPage()
{
    DeleteObject(m_noteFont);
}

BOOL CTXGCDummyLoadXQ6TPage::OnInitDialog()
{
    m_noteFont = CreatePointFont(m_hwnd, L"MS Shell Dlg", 10, FW_BOLD);
    SendMessageW(Item(IDC_TXGC_XVTR_NOTE), WM_SETFONT, reinterpret_cast<WPARAM>(m_noteFont), TRUE);
    return TRUE;
}

LRESULT CTXGCDummyLoadXQ6TPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

CTXGCCompletionPage::CTXGCCompletionPage(CTXGCContext& context)
    : CWizard97Page(IDD_TXGC_COMPLETION, WizardPageKind::Exterior), m_context(context)
{
    SetHelpTopic(L"TXGainCalibration.htm#Completion");
}

BOOL CTXGCCompletionPage::OnInitDialog()
{
    UseTitleFont(IDC_WIZARD_TITLE);
    m_text.SubclassDlgItem(m_hwnd, IDC_TXGC_COMPLETION_LOG);
    return TRUE;
}

LRESULT CTXGCCompletionPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    const std::wstring& outcome = m_context.Machine().GetProgressText();
    SetWindowTextW(m_text.Handle(), outcome.empty() ? LoadResString(IDS_TXGC_NOTHING_ATTEMPTED).c_str() : outcome.c_str());
    m_text.Send(EM_SCROLLCARET);
    return 0;
}
