#include "TXGainCalibratePage.h"

#include <richedit.h>

#include "FileVersionInfo.h"
#include "LogText.h"
#include "resource.h"

namespace {

// A technician's calibration goes on at its next level (the page's own message).
constexpr UINT WM_APP_TXGC_NEXT_LEVEL = 0x812B;

// Room for the trace of every band at every level.
constexpr LPARAM kLogLimit = 2 * 1024 * 1024;

struct SCalibratePage {
    UINT templateId;
    unsigned char level;
    const wchar_t* helpTopic;
};

// The technician's page starts at 5 W.
const SCalibratePage kCalibratePages[] = {
    {IDD_TXGC_CALIBRATE_5W, TXGAIN_LEVEL_5W, L"TXGainCalibration.htm#Calibrate5W"},
    {IDD_TXGC_CALIBRATE_50W, TXGAIN_LEVEL_50W, L"TXGainCalibration.htm#Calibrate50W"},
    {IDD_TXGC_CALIBRATE_1MW, TXGAIN_LEVEL_1MW, L"TXGainCalibration.htm#Calibrate1MW"},
    {IDD_TXGC_CALIBRATE_TECH, TXGAIN_LEVEL_5W, L"TXGainCalibration.htm"},
};

const SCalibratePage& PageOf(UINT templateId)
{
    for (const SCalibratePage& page : kCalibratePages) {
        if (page.templateId == templateId)
            return page;
    }
    return kCalibratePages[0];
}

}  // namespace

std::optional<unsigned char> GetNextTechnicianLevel(unsigned char level, bool bh7w, bool xq6t)
{
    if (level == TXGAIN_LEVEL_5W && bh7w)
        return TXGAIN_LEVEL_50W;
    if (level != TXGAIN_LEVEL_1MW && xq6t)
        return TXGAIN_LEVEL_1MW;
    return std::nullopt;
}

CTXGCCalibrationPageImpl::CTXGCCalibrationPageImpl(CTXGCContext& context, UINT templateId)
    : CTXGCMachinePage(context, templateId, WizardPageKind::Interior),
      m_pageLevel(PageOf(templateId).level),
      m_technician(templateId == IDD_TXGC_CALIBRATE_TECH),
      m_level(m_pageLevel)
{
    SetHelpTopic(PageOf(templateId).helpTopic);
}

CTXGCCalibrationPageImpl::~CTXGCCalibrationPageImpl()
{
    DeleteObject(m_logFont);
}

bool CTXGCCalibrationPageImpl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_PROGRESS_TEXT:
        Log(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    case WM_APP_TXGC_NEXT_LEVEL:
        StartLevel();
        return true;
    }
    return CTXGCMachinePage::OnMessage(message, wParam, lParam, result);
}

BOOL CTXGCCalibrationPageImpl::OnInitDialog()
{
    m_log.SubclassDlgItem(m_hwnd, IDC_TXGC_LOG);
    m_log.Send(EM_EXLIMITTEXT, 0, kLogLimit);
    m_logFont = CreateLogFont(m_hwnd);
    m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont), TRUE);
    return TRUE;
}

bool CTXGCCalibrationPageImpl::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDC_TXGC_CALIBRATE || code != BN_CLICKED)
        return CTXGCMachinePage::OnCommand(id, code, control);
    StartCalibration();
    return true;
}

LRESULT CTXGCCalibrationPageImpl::OnSetActive()
{
    m_level = m_pageLevel;
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

void CTXGCCalibrationPageImpl::StartCalibration()
{
    m_cancelRequested = false;
    EnableWindow(Item(IDC_TXGC_CALIBRATE), FALSE);
    SetWizardButtons(0);
    m_startTick = GetTickCount();
    Log(GetProgramVersionText());
    Log(GetOsVersionText());
    Log(GetModel().DescribeConnection());
    m_level = m_pageLevel;
    StartLevel();
}

void CTXGCCalibrationPageImpl::StartLevel()
{
    DWORD refusal = 0;
    const bool started = Run([&] {
        if (m_context.Machine().StartCalibrate(m_hwnd, m_context.Antenna(), m_level))
            return true;
        refusal = GetLastError();
        return false;
    });
    if (started)
        return;
    Log(FormatErrorText(refusal));
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    EnableWindow(Item(IDC_TXGC_CALIBRATE), TRUE);
}

void CTXGCCalibrationPageImpl::OnMachineFinished(HRESULT result)
{
    if (m_technician && !m_cancelRequested && result == 0) {
        if (const auto next = GetNextTechnicianLevel(m_level, IsBH7WInstalled(), IsXQ6TInstalled())) {
            // The next start forgets this level's word on the radio.
            WarnOfRadioState();
            // Started from here, the machine would begin inside its own end.
            m_level = *next;
            PostMessageW(m_hwnd, WM_APP_TXGC_NEXT_LEVEL, 0, 0);
            return;
        }
    }
    Log(FormatText(IDS_ELAPSED_TIME, static_cast<unsigned>((GetTickCount() - m_startTick + 500) / 1000)));
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    EnableWindow(Item(IDC_TXGC_CALIBRATE), TRUE);
    ShowWindow(Item(IDC_CLICK_NEXT), SW_SHOW);
    WarnOfRadioState();
    CloseIfCancelled();
}

// Before a Cancel closes the wizard: a radio left keyed or changed must not
// go unnoticed in a log nobody reads any more.
void CTXGCCalibrationPageImpl::WarnOfRadioState()
{
    const std::wstring& warning = m_context.Machine().GetRadioWarning();
    if (!warning.empty())
        MessageBoxKeepingError(Sheet(), warning, LoadResString(IDS_TXGC_TITLE), MB_ICONEXCLAMATION);
}

void CTXGCCalibrationPageImpl::Log(const std::wstring& text)
{
    AppendLogText(m_log.Handle(), text);
}
