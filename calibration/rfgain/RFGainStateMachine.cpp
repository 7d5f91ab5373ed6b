#include "RFGainStateMachine.h"

#include "TextSinks.h"

namespace {

using M = CRFGCStateMachine;

// Received levels at or below this are too low to calibrate with.
constexpr signed char kLowestLevel = -100;

// The rules of the framework, but for the calibration's few retries.
constexpr unsigned kRetryLimit = 3;

}  // namespace

// The chains, each as its table reads, top to bottom. Throughout: a reply
// that does not come is asked for three times in all, and a control or a
// switch that will not take its setting is tried three times; then the
// chain ends with the state's code, which the page shows, and only Cancel is
// left. Commands that want no reply go on when their wait is over. A port
// that fails a write ends any chain at once with its error. Cancel ends a
// running chain with ERROR_CANCELLED before its next command; the page then
// starts the restore and the wizard closes after it.
CRFGCStateMachine::CRFGCStateMachine()
    : CStateHost(TIMER_RF_GAIN),
      // Prepare: the radio out of its menus, quiet, in the extended command
      // mode, its switches noted, and in TX TEST so that nothing reaches the
      // signal generator. No answer to "OM;" keeps the second receiver as
      // the contact found it. From its start a restore is due, so after a
      // failure or a Cancel what it changed is put back. After a restore
      // (Back from Completion) it runs again ahead of the next chain.
      m_exitMenu(this, L"ExitMenu", &m_textTerminalOff),
      m_textTerminalOff(this, L"TextTerminalOff", &m_setAutoInfoOff),
      m_setAutoInfoOff(this, L"SetAutoInfoOff", &m_setQ7Extended, E_NO_RESPONSE_AI, IDS_RFGC_AUTO_INFO_OFF,
                       {L"AI;", L"AI0;", &m_wizard.saved.autoInfo}),
      m_setQ7Extended(this, L"SetQ7Extended", &m_getIconData),
      m_getIconData(this, L"GetIconData", &m_getInitialVfoADisplay, L"IC;", &m_wizard.initialIcReply,
                    E_NO_RESPONSE_IC_INITIAL),
      m_getInitialVfoADisplay(this, L"GetInitialVfoADisplay", &m_getOptionModule, L"DS;", &m_wizard.initialDsReply,
                              E_NO_RESPONSE_DS),
      m_getOptionModule(this, L"GetOptionModule", &m_setTXTest),
      m_setTXTest(this, L"SetTXTest", &m_final),

      // Main receiver set-up: one antenna, no ATU, CW at 100 Hz, nothing that
      // shapes the signal, full RF gain, open squelch, and CW tune to centre it.
      // Each control's first value is kept before it is changed, so a set-up
      // that fails or is cancelled half way is restored like a whole one.
      m_mainVfoBDisplayNormal(this, L"VfoBDisplayNormal", &m_mainSetBsetOff, L"DB00;", 10),
      m_mainSetBsetOff(this, L"SetBsetOff", &m_setSubRXOff, RFGC_SWITCH_BSET, RFGC_OFF, E_NO_RESPONSE_IC_BSET_OFF),
      m_setSubRXOff(this, L"SetSubRXOff", &m_unlinkVfo, E_NO_RESPONSE_SB, IDS_RFGC_SUB_RX_OFF,
                    {L"SB;", L"SB0;", &m_wizard.saved.subRX}),
      m_unlinkVfo(this, L"UnlinkVfo", &m_setAntenna1, E_NO_RESPONSE_LN, IDS_RFGC_UNLINK_VFOS, {L"LN;", L"LN0;"}),
      m_setAntenna1(this, L"SetAntenna1", &m_setAtuBypass, E_NO_RESPONSE_AN, IDS_RFGC_ANTENNA_1,
                    {L"AN;", L"AN1;", &m_wizard.saved.antenna}),
      m_setAtuBypass(this, L"SetAtuBypass", &m_setRXAntennaOff),
      m_setRXAntennaOff(this, L"SetRXAntennaOff", &m_setMainModeCW, RFGC_SWITCH_RX_ANTENNA, RFGC_OFF, E_NO_RESPONSE_DS),
      m_setMainModeCW(this, L"SetMainModeCW", &m_setMainNoiseReductionOff, E_NO_RESPONSE_MD, IDS_RFGC_MODE_CW,
                      {L"MD;", L"MD3;", &m_wizard.saved.mode[0]}),
      m_setMainNoiseReductionOff(this, L"SetMainNoiseReductionOff", &m_setNotchOff, RFGC_SWITCH_NOISE_REDUCTION,
                                 RFGC_OFF, E_NO_RESPONSE_DS),
      m_setNotchOff(this, L"SetNotchOff", &m_mainSetAttenuatorOff, RFGC_SWITCH_NOTCH, RFGC_OFF, E_NO_RESPONSE_DS),
      m_mainSetAttenuatorOff(this, L"SetMainAttenuatorOff", &m_mainSetPreampOff, RFGC_ATTENUATOR, RFGC_OFF),
      m_mainSetPreampOff(this, L"SetPreampOff", &m_mainSetMainRFGain, RFGC_PREAMP, RFGC_OFF),
      m_mainSetMainRFGain(this, L"SetMainRFGain", &m_setMainSquelchOff),
      m_setMainSquelchOff(this, L"SetMainSquelchOff", &m_normalize, E_NO_RESPONSE_SQ, IDS_RFGC_SQUELCH_OFF,
                          {L"SQ;", L"SQ000;", &m_wizard.saved.squelch[0]}),
      m_normalize(this, L"Normalize", &m_setMainFilterWidth, L"SWH58;", IDS_RFGC_NORMALIZE_FILTER),
      m_setMainFilterWidth(this, L"SetMainFilterWidth", &m_setCWTuneOn, E_NO_RESPONSE_BW, IDS_RFGC_FILTER_100_HZ,
                           {L"BW;", L"BW0010;", &m_wizard.saved.filterWidth[0]}),
      m_setCWTuneOn(this, L"SetCWTuneOn", &m_final, RFGC_SWITCH_CW_TUNE, RFGC_ON, E_NO_RESPONSE_DS),

      // Second receiver set-up: on, on the main antenna, the same settings,
      // and VFO B on VFO A's frequency. Time-outs, failures and Cancel as in
      // the main set-up; without a second receiver its own switches and
      // controls are skipped, so none of them can time out.
      m_subVfoBDisplayNormal(this, L"VfoBDisplayNormal", &m_setSubRXOn, L"DB00;", 10),
      m_setSubRXOn(this, L"SetSubRXOn", &m_setSubRXAntennaMain, E_NO_RESPONSE_SB, IDS_RFGC_SUB_RX_ON,
                   {L"SB;", L"SB1;", &m_wizard.saved.subRX}, {}, RFGC_SUB_ONLY),
      m_setSubRXAntennaMain(this, L"SetSubRXAntennaMain", &m_setSubModeCW),
      m_setSubModeCW(this, L"SetSubModeCW", &m_setSubNoiseReductionOff, E_NO_RESPONSE_MD, IDS_RFGC_MODE_CW,
                     {L"MD$;", L"MD$3;", &m_wizard.saved.mode[1]}),
      m_setSubNoiseReductionOff(this, L"SetSubNoiseReductionOff", &m_subSetBsetOff),
      m_subSetBsetOff(this, L"SetBsetOff", &m_subSetAttenuatorOff, RFGC_SWITCH_BSET, RFGC_OFF,
                      E_NO_RESPONSE_IC_BSET_OFF),
      m_subSetAttenuatorOff(this, L"SetMainAttenuatorOff", &m_subSetPreampOff, RFGC_ATTENUATOR, RFGC_OFF),
      m_subSetPreampOff(this, L"SetPreampOff", &m_subSetSubRFGain, RFGC_PREAMP, RFGC_OFF),
      m_subSetSubRFGain(this, L"SetSubRFGain", &m_setSubSquelchOff),
      m_setSubSquelchOff(this, L"SetSubSquelchOff", &m_setSubFilterWidth, E_NO_RESPONSE_SQ, IDS_RFGC_SQUELCH_OFF,
                         {L"SQ$;", L"SQ$000;", &m_wizard.saved.squelch[1]}, {}, RFGC_SUB_ONLY),
      m_setSubFilterWidth(this, L"SetSubFilterWidth", &m_copyVfoAToB, E_NO_RESPONSE_BW, IDS_RFGC_FILTER_100_HZ,
                          {L"BW$;", L"BW$0010;", &m_wizard.saved.filterWidth[1]}),
      m_copyVfoAToB(this, L"A->B", &m_final, L"SWT13;SWT13;", IDS_RFGC_COPY_VFO_A_TO_B),

      // Computed low level: the factory table in the DSP to measure against,
      // the reference with and without preamp and attenuator, then the DSP
      // computes its table, which is read back, checked and stored.
      // A DSP command whose piece goes unanswered, or whose replies fail
      // their check, is synced and sent once more; the second time ends the
      // chain with the command's code or the check's. The 8 s wait only
      // times the DSP's computing. A level too low is the user's to judge:
      // Abort ends with its code, Retry measures again, Ignore goes on.
      // EEPROM is written last, from a table that passed its checks, so an
      // earlier failure or Cancel leaves it as it was; Cancel waits for the
      // write, but a radio that falls silent during it can leave it part
      // written, which the page tells. The current table's chain is the
      // tail from ReadDspTable.
      m_setCWTuneOff(this, L"SetCWTuneOff", &m_calibrateSetBsetOff, RFGC_SWITCH_CW_TUNE, RFGC_OFF, E_NO_RESPONSE_DS),
      m_calibrateSetBsetOff(this, L"SetBsetOff", &m_getFactoryDefault, RFGC_SWITCH_BSET, RFGC_OFF,
                            E_NO_RESPONSE_IC_BSET_OFF),
      m_getFactoryDefault(this, L"GetFactoryDefault", &m_writeFactoryDspTable),
      m_writeFactoryDspTable(this, L"WriteFactoryDspTable", &m_checkSignalLevel),
      m_checkSignalLevel(this, L"CheckSignalLevel", &m_calibrateBase),
      m_calibrateBase(this, L"CalibrateBase", &m_setPreampOn1, E_NO_RESPONSE_RFGC_BASE, L"!b800;",
                      IDS_RFGC_MEASURE_BASE),
      m_setPreampOn1(this, L"SetPreampOn", &m_calibratePreamp, RFGC_PREAMP, RFGC_ON),
      m_calibratePreamp(this, L"CalibratePreamp", &m_setPreampOff1, E_NO_RESPONSE_RFGC_PREAMP, L"!b801;",
                        IDS_RFGC_MEASURE_PREAMP),
      m_setPreampOff1(this, L"SetPreampOff", &m_setAttenuatorOn, RFGC_PREAMP, RFGC_OFF),
      m_setAttenuatorOn(this, L"SetAttenuatorOn", &m_calibrateAtten, RFGC_ATTENUATOR, RFGC_ON),
      m_calibrateAtten(this, L"CalibrateAtten", &m_setPreampOn2, E_NO_RESPONSE_RFGC_ATTENUATOR, L"!b802;",
                       IDS_RFGC_MEASURE_ATTENUATOR),
      m_setPreampOn2(this, L"SetPreampOn", &m_calibratePreampAtten, RFGC_PREAMP, RFGC_ON),
      m_calibratePreampAtten(this, L"CalibratePreampAtten", &m_setAttenuatorOff, E_NO_RESPONSE_RFGC_PREAMP_ATTENUATOR,
                             L"!b803;", IDS_RFGC_MEASURE_PREAMP_ATTENUATOR),
      m_setAttenuatorOff(this, L"SetMainAttenuatorOff", &m_setPreampOff2, RFGC_ATTENUATOR, RFGC_OFF),
      m_setPreampOff2(this, L"SetPreampOff", &m_calibrateFirst40dB, RFGC_PREAMP, RFGC_OFF),
      m_calibrateFirst40dB(this, L"CalibrateFirst40dB", &m_longDelay, E_NO_RESPONSE_RFGC_FIRST_40DB, L"!b804;",
                           IDS_RFGC_COMPUTE_LOW),
      m_longDelay(this, L"LongDelay", &m_tailSetMainRFGain),
      m_tailSetMainRFGain(this, L"SetMainRFGain", &m_tailSetSubRFGain),
      m_tailSetSubRFGain(this, L"SetSubRFGain", &m_readDspTable),
      m_readDspTable(this, L"ReadDspTable", &m_verifyDspDataTable),
      m_verifyDspDataTable(this, L"VerifyDspDataTable", &m_setQ7Hidden),
      m_setQ7Hidden(this, L"SetQ7Hidden", &m_writeProm),
      m_writeProm(this, L"WriteProm", &m_final),

      // High level: measured at -33 dBm, then the tail above; time-outs,
      // failures and Cancel as there.
      m_checkSignalLevel2(this, L"CheckSignalLevel2", &m_calibrateLast40dB),
      m_calibrateLast40dB(this, L"CalibrateLast40dB", &m_longDelay, E_NO_RESPONSE_RFGC_LAST_40DB, L"!b805;",
                          IDS_RFGC_COMPUTE_HIGH),

      // Factory and registry: the table into the DSP, then stored as above.
      // A registry value that is missing or bad ends the chain before
      // anything is sent; the DSP's time-outs are those of the computed chain.
      m_getFactoryDefault2(this, L"GetFactoryDefault", &m_writeFactoryDspTable2),
      m_writeFactoryDspTable2(this, L"WriteFactoryDspTable2", &m_setQ7Hidden),
      m_registryValue(this, L"RegistryValue", &m_writeRegistryDspTable),
      m_writeRegistryDspTable(this, L"WriteRegistryDspTable", &m_setQ7Hidden),

      // Display: the EEPROM's copy, then the DSP's. It only reads: a
      // failure or a Cancel leaves both tables as they were, and the page
      // shows no comparison.
      m_displaySetQ7Hidden(this, L"SetQ7Hidden", &m_readProm),
      m_readProm(this, L"ReadProm", &m_displayReadDspTable),
      m_displayReadDspTable(this, L"ReadDspTable", &m_final),

      // Restore: every control back as the wizard first saw it. A step that
      // the radio answers but that will not take its value is kept for the
      // end and the chain goes on, so auto information and the command mode
      // come back; a step with no reply at all to any of its sends, or a
      // failed port write, ends it early: the radio is gone, and what is left
      // is named to the user. Either way a restore is due again. Cancel does
      // not cut it short. BSET goes off before the main noise reduction,
      // which its switch works only then, and back on, if it was, just
      // before auto information and the command mode.
      m_initRestore(this, L"InitRestore", &m_restoreAntenna),
      m_restoreAntenna(this, L"RestoreAntenna", &m_restoreRXAntenna, L"AN;", &m_wizard.saved.antenna,
                       E_NO_RESPONSE_AN),
      m_restoreRXAntenna(this, L"RestoreRXAntenna", &m_restoreAtu, RFGC_SWITCH_RX_ANTENNA, E_NO_RESPONSE_DS),
      m_restoreAtu(this, L"RestoreAtu", &m_restoreMainAttenuator, RFGC_SWITCH_ATU, E_NO_RESPONSE_DS),
      m_restoreMainAttenuator(this, L"RestoreMainAttenuator", &m_restoreSubAttenuator, L"RA;",
                              &m_wizard.saved.attenuator[0], E_NO_RESPONSE_RA),
      m_restoreSubAttenuator(this, L"RestoreSubAttenuator", &m_restoreCWTune, L"RA$;", &m_wizard.saved.attenuator[1],
                             E_NO_RESPONSE_RA),
      m_restoreCWTune(this, L"RestoreCWTune", &m_restoreMainFilterWidth, RFGC_SWITCH_CW_TUNE, E_NO_RESPONSE_DS),
      m_restoreMainFilterWidth(this, L"RestoreMainFilterWidth", &m_restoreSubFilterWidth, L"BW;",
                               &m_wizard.saved.filterWidth[0], E_NO_RESPONSE_BW),
      m_restoreSubFilterWidth(this, L"RestoreSubFilterWidth", &m_restoreMainMode, L"BW$;",
                              &m_wizard.saved.filterWidth[1], E_NO_RESPONSE_BW),
      m_restoreMainMode(this, L"RestoreMainMode", &m_restoreSubMode, L"MD;", &m_wizard.saved.mode[0],
                        E_NO_RESPONSE_MD),
      m_restoreSubMode(this, L"RestoreSubMode", &m_restoreMainPreamp, L"MD$;", &m_wizard.saved.mode[1],
                       E_NO_RESPONSE_MD),
      m_restoreMainPreamp(this, L"RestoreMainPreamp", &m_restoreSubPreamp, L"PA;", &m_wizard.saved.preamp[0],
                          E_NO_RESPONSE_PA),
      m_restoreSubPreamp(this, L"RestoreSubPreamp", &m_restoreMainRFGain, L"PA$;", &m_wizard.saved.preamp[1],
                         E_NO_RESPONSE_PA),
      m_restoreMainRFGain(this, L"RestoreMainRFGain", &m_restoreSubRFGain, L"RG;", &m_wizard.saved.rfGain[0],
                          E_NO_RESPONSE_RG),
      m_restoreSubRFGain(this, L"RestoreSubRFGain", &m_restoreMainSquelch, L"RG$;", &m_wizard.saved.rfGain[1],
                         E_NO_RESPONSE_RG),
      m_restoreMainSquelch(this, L"RestoreMainSquelch", &m_restoreSubSquelch, L"SQ;", &m_wizard.saved.squelch[0],
                           E_NO_RESPONSE_SQ),
      m_restoreSubSquelch(this, L"RestoreSubSquelch", &m_restoreSubNoiseReduction, L"SQ$;",
                          &m_wizard.saved.squelch[1], E_NO_RESPONSE_SQ),
      m_restoreSubNoiseReduction(this, L"RestoreSubNoiseReduction", &m_restoreSubRXAntenna),
      m_restoreSubRXAntenna(this, L"RestoreSubRXAntenna", &m_restoreSetBsetOff),
      m_restoreSetBsetOff(this, L"SetBsetOff", &m_restoreMainNoiseReduction, RFGC_SWITCH_BSET, RFGC_OFF,
                          E_NO_RESPONSE_IC_BSET_OFF),
      m_restoreMainNoiseReduction(this, L"RestoreMainNoiseReduction", &m_restoreNotch, RFGC_SWITCH_NOISE_REDUCTION,
                                  E_NO_RESPONSE_DS),
      m_restoreNotch(this, L"RestoreNotch", &m_restoreSubRX, RFGC_SWITCH_NOTCH, E_NO_RESPONSE_DS),
      m_restoreSubRX(this, L"RestoreSubRX", &m_restoreBset, L"SB;", &m_wizard.saved.subRX, E_NO_RESPONSE_SB),
      m_restoreBset(this, L"RestoreBset", &m_restoreAutoInfo, RFGC_SWITCH_BSET, E_NO_RESPONSE_IC_RESTORE_BSET),
      m_restoreAutoInfo(this, L"RestoreAutoInfo", &m_restoreQ7, L"AI;", &m_wizard.saved.autoInfo, E_NO_RESPONSE_AI),
      m_restoreQ7(this, L"RestoreQ7", &m_final)
{
    m_retryLimit = kRetryLimit;
}

// The prepare and the restore work on no one receiver.
bool CRFGCStateMachine::StartPrepare(HWND page)
{
    return StartRun(page, m_exitMenu, SRun{}, true);
}

bool CRFGCStateMachine::StartSetUp(HWND page, BYTE receiver)
{
    return Start(page, receiver, 0, receiver == 1 ? static_cast<CState<M>&>(m_subVfoBDisplayNormal)
                                                  : m_mainVfoBDisplayNormal);
}

bool CRFGCStateMachine::StartCalibrate(HWND page, BYTE receiver, RFGCSource source)
{
    switch (source) {
    case RFGC_SOURCE_FACTORY:
        return Start(page, receiver, 0, m_getFactoryDefault2);
    case RFGC_SOURCE_CURRENT:
        return Start(page, receiver, 0, m_readDspTable);
    case RFGC_SOURCE_REGISTRY:
        return Start(page, receiver, 0, m_registryValue);
    default:
        return Start(page, receiver, 1, m_setCWTuneOff);
    }
}

bool CRFGCStateMachine::StartHighLevel(HWND page, BYTE receiver)
{
    return Start(page, receiver, 0, m_checkSignalLevel2);
}

bool CRFGCStateMachine::StartDisplay(HWND page, BYTE receiver)
{
    return Start(page, receiver, 0, m_displaySetQ7Hidden);
}

bool CRFGCStateMachine::StartRestore(HWND page)
{
    return StartRun(page, m_initRestore, SRun{}, false);
}

bool CRFGCStateMachine::Start(HWND page, BYTE receiver, int markWritten, CState<M>& first)
{
    if (!m_wizard.prepareDue)
        return StartRun(page, first, SRun{receiver, markWritten}, true);
    return StartRun(page, m_exitMenu, SRun{receiver, markWritten, &first}, true);
}

bool CRFGCStateMachine::StartAt(HWND page, CState<M>& first)
{
    return StartRun(page, first, SRun{m_run.receiver, m_run.markWritten}, false);
}

// A new run forgets the last one's failure: a restore's was reported at its
// end, never again.
bool CRFGCStateMachine::StartRun(HWND page, CState<M>& first, SRun run, bool restoreDue)
{
    return m_runPage.Starting([&] {
        return CStateHost::Start(first, [&] {
            m_run = std::move(run);
            if (page)
                m_runPage.Take(page);
            if (restoreDue)
                m_wizard.restorePending = 1;
            return HRESULT(0);
        });
    });
}

bool CRFGCStateMachine::Cancel()
{
    if (m_run.restoring || m_current == &m_writeProm)
        return !IsIdle();
    return CStateHost::Cancel();
}

int CRFGCStateMachine::CheckSignalLevel()
{
    Report(IDS_RFGC_SIGNAL_LEVEL, static_cast<int>(m_run.level));
    if (m_run.level > kLowestLevel)
        return IDOK;
    const std::wstring text = FormatErrorText(E_RFGC_SIGNAL_TOO_LOW);
    Report(text);
    // The box is shown from a reply's or a tick's handler, so no wait is
    // armed, and the model holds back what comes while it is up. That belongs
    // to no question of this machine: late, a stray reply would count in the
    // next attempt, or open a second box.
    const int answer = MessageBoxKeepingError(m_owner, text, LoadResString(IDS_RF_GAIN_ERROR_CAPTION),
                                              MB_ABORTRETRYIGNORE | MB_ICONWARNING);
    GetModel().PurgeRx();
    m_receiveBuffer.clear();
    return answer;
}

std::vector<std::wstring> CRFGCStateMachine::NotPutBack() const
{
    std::vector<std::wstring> settings = m_run.givenUp;
    const CState<M>* from = m_run.stoppedAt;
    // Nothing reaches a radio behind a closed port: all a restore would put
    // back stays owed.
    if (!m_run.restoring && m_wizard.restorePending && !GetModel().IsPortOpen())
        from = &m_initRestore;
    for (const CState<M>* state = from; state; state = state->m_next) {
        if (const auto* step = dynamic_cast<const IRFGCRestoreStep*>(state)) {
            if (std::wstring owed = step->NotPutBack(); !owed.empty())
                settings.push_back(std::move(owed));
        }
    }
    return ListUnrestored(settings);
}

void CRFGCStateMachine::Log(TextOrId text)
{
    m_runPage.Log(text.Text());
}

void CRFGCStateMachine::OnFinished()
{
    if (m_run.firstFailure != 0)
        m_result = m_run.firstFailure;
    Log(IDS_READY);
    m_runPage.Finish(m_result);
}
