#include "RFGainPages.h"

#include <richedit.h>

#include <iterator>

#include "FileVersionInfo.h"
#include "LogText.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

using Role = ERFGCPageRole;

// Room for a whole run's lines, traced.
constexpr LPARAM kLogLimit = 1024 * 1024;

// The Welcome page's steps: bullet, then its line; the last is the second
// receiver's.
constexpr int kSecondReceiverBullet = IDC_BULLET_FIRST + 4;

// The source radio buttons, in the order of RFGCSource.
constexpr int kSourceButtons[] = {IDC_RFGC_COMPUTED, IDC_RFGC_FACTORY, IDC_RFGC_CURRENT, IDC_RFGC_REGISTRY};

}  // namespace

CRFGCPage::CRFGCPage(CRFGCInfo& info, const SRFGCPage& row)
    : CMachineWindow(info.Machine(), MachineRegistration::ByOwner, row.templateId,
                     row.role == Role::Welcome || row.role == Role::Completion ? WizardPageKind::Exterior
                                                                               : WizardPageKind::Interior),
      m_info(info),
      m_row(row)
{
    SetHelpTopic(row.helpTopic);
}

bool CRFGCPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_PROGRESS_TEXT)
        return CMachineWindow::OnMessage(message, wParam, lParam, result);
    if (const HWND log = LogWindow())
        AppendLogText(log, reinterpret_cast<const wchar_t*>(lParam));
    return true;
}

LRESULT CRFGCPage::OnSetActive()
{
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

bool CRFGCPage::OnKillActive()
{
    return !GetModel().IsIdle();
}

bool CRFGCPage::OnQueryCancel()
{
    // The running chain's end, or the end of the restore started here (which
    // may come before the start returns), comes to this page and presses
    // Cancel again.
    HoldCancel();
    if (Run([&] { return !m_info.QueryCancel(m_hwnd); }))
        return true;
    ReleaseCancel();
    return false;
}

LRESULT CRFGCPage::OnWizardBack()
{
    return GetRFGainWizardBack(m_row.templateId);
}

LRESULT CRFGCPage::OnWizardNext()
{
    const SRFGCRoute route{m_info.m_sourceChoice, IsTechnicianRun(), m_info.m_advancedRFGainCalibration != 0,
                           CRFGCStateMachine::HasSecondReceiver(), Machine().IsTableWritten(m_row.receiver) != 0};
    return GetRFGainWizardNext(m_row.templateId, route);
}

// The user has read the Completion page.
bool CRFGCPage::OnWizardFinish()
{
    m_info.m_finished = true;
    return false;
}

void CRFGCPage::OnMachineFinished(HRESULT result)
{
    if (!m_info.m_cancelRequested) {
        OnChainFinished(result);
        return;
    }
    // What a chain that the Cancel waited for, or the restore, could not do
    // is the user's to know before the wizard closes; the Cancel itself only
    // closes it.
    if (result != 0 && MapResult(result) != HRESULT_FROM_WIN32(ERROR_CANCELLED))
        ShowFailure(result);
    // The Cancel waited for the table's store, which went in whole.
    if (Machine().IsTableStored()) {
        m_info.m_tableStoredOnCancel = true;
        if (const HWND log = LogWindow())
            AppendLogText(log, LoadResString(IDS_RFGC_TABLE_STORED));
    }
    PressButton(PSBTN_CANCEL);
}

std::wstring CRFGCPage::FailureText(HRESULT result)
{
    CModel& model = GetModel();
    std::wstring text = GetRFGCFailureText(result, model.IsPortOpen() ? std::wstring() : model.Port.Get(),
                                           Machine().IsStoredTableIncomplete());
    for (const std::wstring& line : Machine().NotPutBack())
        text += L"\n" + line;
    return text;
}

void CRFGCPage::ShowFailure(HRESULT result)
{
    if (IsRFGCFailureBoxed(result))
        MessageBoxKeepingError(Sheet(), FailureText(result), LoadResString(IDS_RF_GAIN_ERROR_CAPTION), MB_ICONHAND);
}

BOOL CRFGCChainPage::OnInitDialog()
{
    if (m_row.role != Role::Welcome)
        return TRUE;
    UseTitleFont(IDC_WIZARD_TITLE);
    for (int bullet = IDC_BULLET_FIRST; bullet <= kSecondReceiverBullet; bullet += 2)
        UseBulletFont(bullet);
    const BOOL secondReceiver = CRFGCStateMachine::HasSecondReceiver();
    EnableWindow(Item(kSecondReceiverBullet), secondReceiver);
    EnableWindow(Item(kSecondReceiverBullet + 1), secondReceiver);
    return TRUE;
}

LRESULT CRFGCChainPage::OnSetActive()
{
    SetWizardButtons(0);
    CRFGCStateMachine& machine = Machine();
    Run([&] {
        switch (m_row.role) {
        case Role::Welcome:
            return machine.StartPrepare(m_hwnd);
        case Role::Completion:
            return machine.StartRestore(m_hwnd);
        default:
            return machine.StartSetUp(m_hwnd, m_row.receiver);
        }
    });
    return 0;
}

void CRFGCChainPage::OnChainFinished(HRESULT result)
{
    if (result != 0) {
        ShowFailure(result);
        return;
    }
    switch (m_row.role) {
    case Role::Welcome:
        SetWizardButtons(PSWIZB_NEXT);
        break;
    case Role::Completion:
        SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
        // A technician's run closes once the radio is back as it was.
        if (IsTechnicianRun())
            PressButton(PSBTN_CANCEL);
        return;
    default:
        SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        // The second receiver's knobs are a technician's to set too.
        if (m_row.receiver == RFGC_SUB_RX)
            return;
        break;
    }
    if (IsTechnicianRun())
        PressButton(PSBTN_NEXT);
}

LRESULT CRFGCChooseSourcePage::OnSetActive()
{
    const bool advanced = m_info.m_advancedRFGainCalibration != 0;
    const bool offered[] = {true, true, advanced, advanced && Machine().LoadRegistryTable(RFGC_MAIN_RX)};
    // A source no longer offered (the registry value gone bad) gives way to
    // the computed one.
    if (!offered[m_info.m_sourceChoice])
        m_info.m_sourceChoice = RFGC_SOURCE_COMPUTED;
    for (size_t source = 0; source < std::size(kSourceButtons); ++source) {
        const HWND button = Item(kSourceButtons[source]);
        EnableWindow(button, offered[source]);
        ShowWindow(button, offered[source] ? SW_SHOW : SW_HIDE);
    }
    CheckRadioButton(m_hwnd, IDC_RFGC_COMPUTED, IDC_RFGC_REGISTRY, kSourceButtons[m_info.m_sourceChoice]);
    return CRFGCPage::OnSetActive();
}

bool CRFGCChooseSourcePage::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED || id < IDC_RFGC_COMPUTED || id > IDC_RFGC_REGISTRY)
        return CRFGCPage::OnCommand(id, code, control);
    m_info.m_sourceChoice = static_cast<RFGCSource>(id - IDC_RFGC_COMPUTED);
    return true;
}

CRFGCActionPage::CRFGCActionPage(CRFGCInfo& info, const SRFGCPage& row)
    : CRFGCPage(info, row), m_buttonId(row.role == Role::Display ? IDC_RFGC_DISPLAY : IDC_RFGC_CALIBRATE)
{
}

CRFGCActionPage::~CRFGCActionPage()
{
    DeleteObject(m_logFont);
}

BOOL CRFGCActionPage::OnInitDialog()
{
    m_log.SubclassDlgItem(m_hwnd, IDC_RFGC_LOG);
    m_log.Send(EM_EXLIMITTEXT, 0, kLogLimit);
    m_logFont = CreateLogFont(m_hwnd);
    m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont), TRUE);
    // The high level refines a computed table, and only the page's Next
    // after one leads here.
    if (m_row.role == Role::RXHigh)
        EnableWindow(Item(m_buttonId), Machine().IsTableWritten(m_row.receiver) != 0);
    return TRUE;
}

LRESULT CRFGCActionPage::OnSetActive()
{
    if (m_row.role == Role::RX)
        SetDlgItemTextW(m_hwnd, IDC_RFGC_INSTRUCTION,
                        LoadResString(GetRFGCInstructionId(m_info.m_sourceChoice)).c_str());
    CRFGCPage::OnSetActive();
    if (m_row.role != Role::Display && IsTechnicianRun() && IsWindowEnabled(Item(m_buttonId)))
        Act();
    return 0;
}

bool CRFGCActionPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (static_cast<int>(id) != m_buttonId || code != BN_CLICKED)
        return CRFGCPage::OnCommand(id, code, control);
    Act();
    return true;
}

void CRFGCActionPage::Act()
{
    // An idle machine takes any start.
    if (!Machine().IsIdle())
        return;
    SetWizardButtons(0);
    EnableWindow(Item(m_buttonId), FALSE);
    if (m_row.role != Role::RXHigh) {
        Log(GetProgramVersionText());
        Log(GetOsVersionText());
        Log(GetModel().DescribeConnection());
    }
    Run([&] { return StartChain(); });
}

bool CRFGCActionPage::StartChain()
{
    CRFGCStateMachine& machine = Machine();
    switch (m_row.role) {
    case Role::RX:
        return machine.StartCalibrate(m_hwnd, m_row.receiver, m_info.m_sourceChoice);
    case Role::RXHigh:
        return machine.StartHighLevel(m_hwnd, m_row.receiver);
    default:
        return machine.StartDisplay(m_hwnd, m_row.receiver);
    }
}

void CRFGCActionPage::OnChainFinished(HRESULT result)
{
    if (result != 0) {
        // The calibrating pages keep the reason in their log too: ending on
        // "Ready", it would read as a finished run.
        if (m_row.role != Role::Display)
            Log(FailureText(result));
        ShowFailure(result);
        return;
    }
    if (m_row.role == Role::Display)
        Machine().CompareTables(m_log.Handle());
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    EnableWindow(Item(m_buttonId), TRUE);
    if (m_row.role == Role::RX)
        ShowWindow(Item(IDC_CLICK_NEXT), SW_SHOW);
    if (m_row.role != Role::Display && IsTechnicianRun())
        PressButton(PSBTN_NEXT);
}

void CRFGCActionPage::Log(const std::wstring& text)
{
    AppendLogText(m_log.Handle(), text);
}
