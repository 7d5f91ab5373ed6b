#include "DateTimePage.h"

#include "TextSinks.h"
#include "ToolSheet.h"
#include "resource.h"

CDateTimePage::CDateTimePage() : CMachinePage(m_machine, MachineRegistration::WhileShown, IDD_DATE_TIME)
{
    m_page.dwFlags |= PSP_HASHELP;
    SetHelpTopic(L"Configuration.htm#SetDateTime");
}

bool CDateTimePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_DATE_TIME_UTC:
        CheckRadioButton(m_hwnd, IDC_DATE_TIME_UTC, IDC_DATE_TIME_LOCAL,
                         m_machine.DateTimeUtc.Get() > 0 ? IDC_DATE_TIME_UTC : IDC_DATE_TIME_LOCAL);
        return true;
    case WM_APP_RADIO_DATE_TIME:
        if (m_machine.RadioDate.Get() != 0)
            ShowDate(IDC_RADIO_DATE, IDC_RADIO_TIME, m_machine.RadioDate.Get(), m_machine.RadioTime.Get());
        return true;
    }
    return CMachinePage::OnMessage(message, wParam, lParam, result);
}

bool CDateTimePage::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED || (id != IDC_DATE_TIME_UTC && id != IDC_DATE_TIME_LOCAL))
        return CMachinePage::OnCommand(id, code, control);
    m_machine.DateTimeUtc.Set(id == IDC_DATE_TIME_UTC ? 1 : 0);
    ShowPcTime();
    return true;
}

void CDateTimePage::OnShown(bool shown)
{
    CModel& model = GetModel();
    if (!shown) {
        m_machine.DateTimeUtc.Save(model.AppKey());
        return;
    }
    ShowPcTime();
    PropSheet_Changed(Sheet(), m_hwnd);
    m_machine.DateTimeUtc.Load(model.AppKey());
    m_subscriptions.Add(m_hwnd, m_machine.RadioDate);
    m_subscriptions.Add(m_hwnd, m_machine.RadioTime);
    m_subscriptions.Add(m_hwnd, m_machine.DateTimeUtc);
    m_machine.DateTimeUtc.NotifyWindow(m_hwnd);
}

// Shown again after a hide, the running pass goes on where it was.
void CDateTimePage::OnFirstShow()
{
    StartAt(1);
}

void CDateTimePage::StartAt(int phase)
{
    m_phase = phase;
    Run([this, phase] { return m_machine.StartChain(phase); });
}

int NextDateTimePhase(const DateTimePhaseState& state)
{
    if (state.closing && state.phase != 6)
        return 6;
    switch (state.phase) {
    case 1:
        return 2;
    case 2:
    case 3:
        return state.writeRequested ? 4 : 3;
    case 4:
        return state.timeMatches ? 5 : 4;
    case 5:
        if (!state.dateMatches)
            return 5;
        return state.okPressed ? 6 : 2;
    }
    return 0;
}

void CDateTimePage::OnMachineFinished(HRESULT result)
{
    if (m_phase == 0)
        return;
    // A failed pass leaves the radio in its clock menu (and, below MCU 346,
    // in the extended command mode): while the port is open the restore
    // puts it back before the failure is told.
    if (IsFailure(result) && m_phase != 6 && GetModel().IsPortOpen()) {
        m_failure = result;
        StartAt(6);
        return;
    }
    if (IsFailure(result) || m_failure != 0) {
        ShowErrorCodeBox(Sheet(), static_cast<DWORD>(m_failure != 0 ? m_failure : result), IDS_DATE_TIME_CAPTION,
                         GetModel().LostPort());
        m_phase = 0;
        PostMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return;
    }
    ShowPcTime();
    const int next = NextDateTimePhase({m_phase, m_closing, m_writeRequested, m_okPressed,
                                        m_machine.RadioTimeMatches(m_pcTime), m_machine.RadioDateMatches(m_pcTime)});
    // After Apply the date pass leads back to reading, which no longer writes.
    if (m_phase == 5 && next == 2)
        m_writeRequested = false;
    if (next != 0) {
        StartAt(next);
        // The Cancel taken waits on for the menu's leaving.
        if (m_closing)
            HoldCancel();
        return;
    }
    m_phase = 0;
    PostMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_OK, 0);
}

LRESULT CDateTimePage::OnApply(bool closing)
{
    // The writing begins when the running pass ends.
    m_writeRequested = true;
    m_okPressed = closing;
    return m_phase > 0 ? PSNRET_INVALID_NOCHANGEPAGE : PSNRET_NOERROR;
}

bool CDateTimePage::OnQueryCancel()
{
    // The radio leaves its menu through phase 6 first.
    m_closing = true;
    if (m_phase == 0)
        return false;
    HoldCancel();
    return true;
}

void CDateTimePage::ShowPcTime()
{
    m_pcTime = m_machine.TakePcTime();
    if (m_pcTime.wYear != 0)
        ShowDate(IDC_PC_DATE, IDC_PC_TIME, PackDateTime(m_pcTime.wYear % 100, m_pcTime.wMonth, m_pcTime.wDay),
                 PackDateTime(m_pcTime.wHour, m_pcTime.wMinute, m_pcTime.wSecond));
}

void CDateTimePage::ShowDate(int dateId, int timeId, unsigned date, unsigned time)
{
    const bool dayFirst = m_machine.m_dateOrder == 1;
    const unsigned first = dayFirst ? PackedLow(date) : PackedMiddle(date);
    const unsigned second = dayFirst ? PackedMiddle(date) : PackedLow(date);
    SetDlgItemTextW(m_hwnd, dateId, FormatText(L"%u/%u/%u", first, second, PackedHigh(date)).c_str());
    SetDlgItemTextW(m_hwnd, timeId,
                    FormatText(L"%02u:%02u:%02u", PackedHigh(time), PackedMiddle(time), PackedLow(time)).c_str());
}

void RunDateTimeSheet(HWND owner)
{
    CDateTimePage page;
    CToolSheet sheet(IDS_DATE_TIME_CAPTION, 0);
    sheet.Run(owner, page);
}
