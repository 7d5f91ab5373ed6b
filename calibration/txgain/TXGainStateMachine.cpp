#include "TXGainStateMachine.h"

#include <algorithm>
#include <vector>

namespace {

const UINT kStartTexts[] = {IDS_TXGC_START_5W, IDS_TXGC_START_50W, IDS_TXGC_START_1MW};
const UINT kFailedTexts[] = {IDS_TXGC_FAILED_5W, IDS_TXGC_FAILED_50W, IDS_TXGC_FAILED_1MW};
const UINT kSucceededTexts[] = {IDS_TXGC_SUCCEEDED_5W, IDS_TXGC_SUCCEEDED_50W, IDS_TXGC_SUCCEEDED_1MW};

// The port is gone: nothing could be restored.
bool IsPortGone(HRESULT result)
{
    return result == ERROR_ACCESS_DENIED || result == ERROR_INVALID_HANDLE;
}

// A run cut off by a closed port names the port, not the handle it lost.
std::wstring FailureText(HRESULT result)
{
    return FormatFailureText(static_cast<DWORD>(MapResult(result)), GetModel().LostPort());
}

// A write to the port failed: that, not the radio, is why the rest stayed.
bool IsWriteFailure(HRESULT result)
{
    return result > 0 && result != ERROR_CANCELLED;
}

// The setting an entry puts back: its query, or its menu.
const std::wstring& SettingOf(const STXGCRestoreEntry& entry)
{
    return entry.kind == RESTORE_VALUE ? entry.b : entry.a;
}

// "Power (PC): PC100", "Menu Parameter (MP) menu 058: MP010".
std::wstring DescribeEntry(const STXGCRestoreEntry& entry)
{
    if (entry.kind == RESTORE_VALUE)
        return DescribeUnrestored(NameSetting(entry.code, QueryPrefix(entry.b)), entry.a);
    const std::wstring menu = entry.a.substr(2, entry.a.find(L';') - 2);
    return DescribeUnrestored(FormatText(IDS_SETTING_MENU, NameSetting(entry.code).c_str(), menu.c_str()), entry.b);
}

}  // namespace

// Two chains, built below in the order they run.
//
// The refresh run is its first state alone. No "OM;" reply within 200 ms is
// no error (the option reply is forgotten); a failed write ends it with the
// port's error; a Cancel ends it with ERROR_CANCELLED once the reply or the
// wait is over. It changes nothing, so nothing is restored.
//
// The calibration run:
// - Time-out: a delay state (a command that wants no answer, a menu opened
//   or left, the pause between power samples) goes on, and so does the
//   option query. Any other state sends again; its 8th send without the
//   reply it wants ends the run with the state's code.
// - Failure (a state's code, an option in the wrong mode, the SWR, power that
//   does not settle or reach the level, a failed write): nothing more goes
//   out but SetRX and Restore, so a keyed radio is told to receive first. At
//   Final the run goes back to Restore once: unkey, leave the menu, put back
//   every saved setting, not only the band's; then the failure and the
//   level's failed text are reported. A port that is gone skips the restore.
// - Cancel: the result becomes ERROR_CANCELLED (an earlier failure stays) and
//   the next send ends the run as a failure does, through the restore.
// In Restore a radio that does not say it receives within eight queries ends
// the run; otherwise a value is sent again, a menu read again, up to the
// retry limit, then the entry is given up, reported with its code, and the
// next one goes out; but an entry that had no reply at all means the radio
// is gone, and the run ends there with its code. At the end the user is told
// why the radio is not as it was, that it may still transmit, and each
// setting not put back with the value it must get.
CTXGCStateMachine::CTXGCStateMachine()
    : CStateHost(TIMER_TX_GAIN),
      m_refreshOptionModule(this, L"GetOptionModule", &m_final),
      // Preparation: the radio receiving, the options it must be in, the
      // menus and modes calibration needs, and what the bands will change.
      m_textTerminalOff(this, L"TextTerminalOff", &m_vfoBDisplay),
      m_vfoBDisplay(this, L"VfoBDisplay", &m_getOptionModule, L"DB00;", 10),
      m_getOptionModule(this, L"GetOptionModule", &m_setRXFirst),
      m_setRXFirst(this, L"SetRX", &m_verifyTXTest),
      m_verifyTXTest(this, L"VerifyTXTest", &m_is50W),
      m_is50W(this, L"Is50W", &Machine::IsLevel50W, &m_isBH7WEnabled, &m_isXQ6TEnabled),
      m_isBH7WEnabled(this, L"IsBH7WEnabled", &Machine::IsBH7WEnabled, &m_setMenuBH7W, &m_isXQ6TEnabled),
      m_setMenuBH7W(this, L"SetMenuBH7W", &m_verifyBH7WNormal, L"MN055;"),
      m_verifyBH7WNormal(this, L"VerifyBH7WNormal", &m_isXQ6TEnabled, L"DSPA@@@NQR", IDS_TXGC_REQUIRES_BH7W_NOR,
                         E_TXGC_BH7W_NOT_NOR),
      m_isXQ6TEnabled(this, L"IsXQ6TEnabled", &Machine::IsXQ6TEnabled, &m_setMenuXQ6T, &m_setMenuTechMode),
      m_setMenuXQ6T(this, L"SetMenuXQ6T", &m_verifyXQ6TNormal, L"MN051;"),
      m_verifyXQ6TNormal(this, L"VerifyXQ6TNormal", &m_setMenuTechMode, L"DS@@@@@NQR", IDS_TXGC_REQUIRES_XQ6T_NOR,
                         E_TXGC_XQ6T_NOT_NOR),
      m_setMenuTechMode(this, L"SetMenuTechMode", &m_setTechMode, L"MN072;"),
      m_setTechMode(this, L"SetTechMode", &m_setMenuTXAlc, L"MN072;", L"DS@@@@@ON"),
      m_setMenuTXAlc(this, L"SetMenuTXAlc", &m_setTXAlc, L"MN078;"),
      // TX ALC stays on after calibration.
      m_setTXAlc(this, L"SetTXAlc", &m_setMenuTunePower, nullptr, L"DS@@@@@ON"),
      m_setMenuTunePower(this, L"SetMenuTunePower", &m_setTunePower, L"MN058;"),
      m_setTunePower(this, L"SetTunePower", &m_exitMenuPrepared, L"MN058;", L"MP000;", L"MP000;"),
      m_exitMenuPrepared(this, L"ExitMenu", &m_setQ5),
      m_setQ5(this, L"SetQ5", &m_isSwitchEmulationAvailable, L"Q5;", L"Q50;", E_NO_RESPONSE_Q5),
      m_isSwitchEmulationAvailable(this, L"IsSwitchEmulationAvailable", &m_setQ7Extended, &m_saveVfoA),
      m_setQ7Extended(this, L"SetQ7Extended", &m_saveVfoA, L"Q7;", L"Q71;", E_NO_RESPONSE_Q7),
      m_saveVfoA(this, L"SaveVfoA", &m_saveVfoB, L"FA;", E_NO_RESPONSE_FA),
      m_saveVfoB(this, L"SaveVfoB", &m_saveRitOffset, L"FB;", E_NO_RESPONSE_FB),
      m_saveRitOffset(this, L"SaveRitOffset", &m_setRitOff),
      m_setRitOff(this, L"SetRitOff", &m_setXitOff, L"RT;", L"RT0;", E_NO_RESPONSE_RT),
      m_setXitOff(this, L"SetXitOff", &m_saveBandNumber, L"XT;", L"XT0;", E_NO_RESPONSE_XT),
      m_saveBandNumber(this, L"SaveBandNumber", &m_loopInit),
      m_loopInit(this, L"LoopInit", &m_loopTest),
      // One band: its frequency on both VFOs, the level's power on the
      // dummy load's jack (or the transverter output at 1 mW), TUNE, the SWR
      // and the power until it settles, receive, the gain menu, the restore.
      m_isBandSetAvailable(this, L"IsBandSetAvailable", &Machine::IsBandSetAvailable, &m_setBandNumber,
                           &m_saveBandVfoA),
      m_setBandNumber(this, L"SetBandNumber", &m_saveBandVfoA, BandValue::BAND_NUMBER, L"BN;", 1500,
                      E_NO_RESPONSE_BN),
      m_saveBandVfoA(this, L"SaveVfoA", &m_setVfoA, L"FA;", E_NO_RESPONSE_FA),
      m_setVfoA(this, L"SetVfoA", &m_saveBandVfoB, BandValue::VFO_A, L"FA;", 1500, E_NO_RESPONSE_FA),
      m_saveBandVfoB(this, L"SaveVfoB", &m_setVfoB, L"FB;", E_NO_RESPONSE_FB),
      m_setVfoB(this, L"SetVfoB", &m_setBandXitOff, BandValue::VFO_B, L"FB;", 1500, E_NO_RESPONSE_FB),
      m_setBandXitOff(this, L"SetXitOff", &m_saveRFPower, L"XT;", L"XT0;", E_NO_RESPONSE_XT),
      m_saveRFPower(this, L"SaveRFPower", &m_isMilliwattAntenna, L"PC;", E_NO_RESPONSE_PC),
      m_isMilliwattAntenna(this, L"IsMilliwatt", &Machine::IsMilliwatt, &m_isMilliwattTransverter, &m_setAntenna),
      m_setAntenna(this, L"SetAntenna", &m_isJW2DEnabled),
      m_isJW2DEnabled(this, L"IsJW2DEnabled", &Machine::IsJW2DEnabled, &m_setMenuJW2D, &m_isMilliwattTransverter),
      m_setMenuJW2D(this, L"SetMenuJW2D", &m_setJW2D, L"MN023;"),
      m_setJW2D(this, L"SetJW2D", &m_exitMenuJW2D, L"MN023;", L"MP001;", L"MP000;"),
      m_exitMenuJW2D(this, L"ExitMenu", &m_isMilliwattTransverter),
      m_isMilliwattTransverter(this, L"IsMilliwatt", &Machine::IsMilliwatt, &m_setMenuBandXQ6T, &m_setRFPower),
      m_setMenuBandXQ6T(this, L"SetMenuXQ6T", &m_setXQ6T, L"MN051;"),
      m_setXQ6T(this, L"TXGCSetXQ6T", &m_exitMenuXQ6T, L"MN051;", L"DS@@@@TEST"),
      m_exitMenuXQ6T(this, L"ExitMenu", &m_setRFPower),
      m_setRFPower(this, L"SetRFPower", &m_startTune, BandValue::RF_POWER, L"PC;", 500, E_NO_RESPONSE_PC),
      m_startTune(this, L"StartTune", &m_delayPowerSample),
      m_delayPowerSample(this, L"DelayPowerSample", &m_getTX, 300),
      m_getTX(this, L"GetTX", &m_isMilliwattSwr, &m_setRX),
      m_isMilliwattSwr(this, L"IsMilliwatt", &Machine::IsMilliwatt, &m_readRFPower, &m_testSwr),
      m_testSwr(this, L"TestSwr", &m_readRFPower),
      m_readRFPower(this, L"ReadRFPower", &m_testConvergence, &m_setRX),
      m_testConvergence(this, L"TestConvergence", &m_setRX, &m_delayPowerSample),
      m_setRX(this, L"SetRX", &m_setMenuTXGain),
      m_setMenuTXGain(this, L"SetMenuTXGain", &m_getTXGain, L"MN079;"),
      m_getTXGain(this, L"GetTXGain", &m_exitMenuTXGain),
      m_exitMenuTXGain(this, L"ExitMenu", &m_restore),
      m_restore(this, L"Restore", &m_loopStep),
      m_loopStep(this, L"LoopStep", &m_loopTest),
      m_loopTest(this, L"LoopTest", &m_isBandSetAvailable, &m_restore)
{
}

bool CTXGCStateMachine::StartCalibrate(HWND page, unsigned char antenna, unsigned char level)
{
    if (!IsIdle())
        return RefuseBusy();
    // Its lines from the start text on.
    m_runPage.Take(page);
    SetLastError(0);
    STXGCRun run;
    run.level = level < 3 ? level : static_cast<unsigned char>(TXGAIN_LEVEL_5W);
    Report(kStartTexts[run.level]);
    Trace(L"TXGCStateMachine::StartCalibrate: XQ6T %u BH7W %u JW2D %u", IsXQ6TInstalled() ? 1u : 0u,
          IsBH7WInstalled() ? 1u : 0u, IsJW2DInstalled() ? 1u : 0u);
    run.antenna = antenna;
    run.antennaCommand = antenna == 2 ? L"AN2;" : L"AN1;";
    TakeTXGainRadio(m_record);
    return StartRun(m_textTerminalOff, run);
}

bool CTXGCStateMachine::RefreshOptionModules(HWND page)
{
    if (!IsIdle())
        return RefuseBusy();
    m_runPage.Take(page);
    STXGCRun run;
    run.refreshOnly = 1;
    return StartRun(m_refreshOptionModule, run);
}

bool CTXGCStateMachine::RefuseBusy()
{
    // The running run's result and record stay its own: a refused start must
    // not end it. So a busy start is refused here, before Start would mark
    // the result busy.
    SetLastError(E_STATE_MACHINE_BUSY);
    return false;
}

// The one place a run's record is set.
bool CTXGCStateMachine::StartRun(CState<Machine>& first, const STXGCRun& run)
{
    return m_runPage.Starting([&] {
        return Start(first, [&] {
            m_run = run;
            return HRESULT(0);
        });
    });
}

void CTXGCStateMachine::Log(TextOrId text)
{
    m_runPage.Log(text.Text());
}

void CTXGCStateMachine::OnFinished()
{
    if (!m_run.refreshOnly) {
        // Whatever was left changed goes back first: saved entries, a keyed
        // radio, an open menu. Once a run; a restore that failed itself ends,
        // and none goes into a radio that has fallen silent.
        const bool owesRadio = m_run.restoreCount > 0 || m_run.menuOpen || m_run.transmitting;
        if (owesRadio && !IsPortGone(m_result) && !m_run.radioSilent && m_run.restoreReentries == 0) {
            ++m_run.restoreReentries;
            Transition(m_restore);
            return;
        }
        if (m_result == 0)
            m_result = m_run.deferredResult;
        ReportOutcome();
        ReportRadioState();
    }
    m_runPage.Finish(m_result);
}

void CTXGCStateMachine::ReportOutcome()
{
    if (!IsFailure(m_result)) {
        Report(kSucceededTexts[m_run.level]);
        AppendProgressText(kSucceededTexts[m_run.level]);
        return;
    }
    const std::wstring error = FailureText(m_result);
    Report(error);
    AppendProgressText(error);
    Report(kFailedTexts[m_run.level]);
    AppendProgressText(kFailedTexts[m_run.level]);
    // The record says which of its band lines a failed run wrote.
    if (m_run.bandLines != 0)
        m_record.summary += LoadResString(kFailedTexts[m_run.level]) + L"\r\n";
}

// Whatever the run's result: why the radio is not as it was (the first
// entry given up, an unkey never answered), a radio not heard to receive,
// and every setting not put back (given up, cut short, never tried) with the
// value it must get. The page shows them in a box as well.
void CTXGCStateMachine::ReportRadioState()
{
    std::vector<std::wstring> lines;
    if (m_run.unrestored != 0 && !IsWriteFailure(m_result))
        lines.push_back(FormatText(IDS_LOAD_ERROR_CODE, static_cast<unsigned>(m_run.unrestored),
                                   FormatErrorText(static_cast<DWORD>(m_run.unrestored)).c_str()));
    if (m_run.transmitting)
        lines.push_back(LoadResString(IDS_TXGC_MAY_BE_TRANSMITTING));
    std::vector<STXGCRestoreEntry> owed = m_run.givenUp;
    if (m_run.inProgress)
        owed.push_back(*m_run.inProgress);
    for (unsigned entry = m_run.restoreCount; entry-- > 0;)
        owed.push_back(m_run.restoreEntries[entry]);
    // A setting saved twice (before the bands, and by the band) is named once,
    // with the value the whole restore would have ended on: the oldest.
    std::vector<std::wstring> settings;
    for (auto entry = owed.begin(); entry != owed.end(); ++entry) {
        const auto same = [&](const STXGCRestoreEntry& other) { return SettingOf(other) == SettingOf(*entry); };
        if (std::none_of(entry + 1, owed.end(), same))
            settings.push_back(DescribeEntry(*entry));
    }
    for (const std::wstring& line : ListUnrestored(settings))
        lines.push_back(line);
    if (lines.empty())
        return;
    for (const std::wstring& line : lines)
        Report(line);
    // The box leads with a failed write's text, which the outcome has logged.
    if (IsWriteFailure(m_result))
        lines.insert(lines.begin(), FailureText(m_result));
    for (const std::wstring& line : lines)
        m_run.radioWarning += (m_run.radioWarning.empty() ? L"" : L"\r\n") + line;
}

void CTXGCStateMachine::AppendProgressText(TextOrId text)
{
    m_progressText += text.Text() + L"\n";
}

void CTXGCStateMachine::AppendSummaryLine(const std::wstring& reply)
{
    const std::wstring line = FormatSummaryLine(reply, BandKHz(), m_run.level);
    if (line.empty())
        return;
    m_record.summary += line;
    ++m_run.bandLines;
}

void CTXGCStateMachine::PushRestoreEntry(const std::wstring& a, const std::wstring& b, HRESULT code, DWORD kind)
{
    if (m_run.restoreCount >= STXGCRun::kMaxRestoreEntries)
        return;
    Trace(L"TXGCStateMachine::PushRestoreEntry %d %s %s %u", static_cast<int>(m_run.restoreCount), a.c_str(),
          b.c_str(), static_cast<unsigned>(kind));
    m_run.restoreEntries[m_run.restoreCount++] = {a, b, code, kind};
}

std::wstring CTXGCStateMachine::GetPowerCommand() const
{
    return ::GetPowerCommand(m_run.level, GetModel().McuVersion());
}

unsigned CTXGCStateMachine::BandKHz() const
{
    const int band = m_run.loopIndex;
    return TXGainBandTable[band >= 0 && band < LoopCount() ? band : 0];
}

void CTXGCStateMachine::ClearPowerSamples()
{
    m_run.samples.fill(std::wstring());
    m_run.sampleCount = 0;
    m_run.ringIndex = 0;
}

void CTXGCStateMachine::AddPowerSample(const std::wstring& sample)
{
    m_run.samples[m_run.ringIndex] = sample;
    m_run.ringIndex = (m_run.ringIndex + 1) % STXGCRun::kSettleSamples;
}

bool CTXGCStateMachine::CheckPowerSettled()
{
    const auto& samples = m_run.samples;
    const bool equal = samples[0] == samples[1] && samples[1] == samples[2] && samples[2] == samples[3];
    if (!equal) {
        if (m_run.sampleCount < kMaxUnsettledPasses)
            return false;
        Report(IDS_TXGC_POWER_NOT_SETTLED);
        if (!IsFailure(m_result))
            m_result = E_TXGC_POWER_NOT_CONVERGED;
        for (const std::wstring& sample : samples)
            Report(sample);
        return true;
    }
    Trace(IDS_TXGC_POWER_SETTLED, samples[0].c_str());
    if (!IsPowerInTolerance(m_run.level, samples[0]) && !IsFailure(m_result))
        m_result = E_TXGC_POWER_NOT_REACHED;
    return true;
}

void CTXGCStateMachine::StopTransmitting()
{
    Trace(L"%s send %s", Current()->m_name, L"RX;");
    GetModel().WriteText(L"RX;");
}
