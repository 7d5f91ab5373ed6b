// Calibrates the transmitter gain on the 11 bands at one level: for each band
// the radio goes to the band's frequency, keys TUNE into a dummy load, waits
// for its power reading to settle at the level, unkeys and reads its gain
// menu, which becomes one summary line. Every setting it changes is saved
// first and put back afterwards, also after a failure or a cancel.
//
// The wizard owns it; the page that starts a run hears it (RunPage.h): its
// progress lines (WM_APP_PROGRESS_TEXT) and its end (WM_APP_MACHINE_FINISHED,
// wParam the result). The model's event is not fired.
//
// TXGC, in the names of its classes and resources: TX gain calibration.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "RunPage.h"
#include "TXGainFile.h"
#include "TXGainRestoreState.h"
#include "TXGainRules.h"
#include "TXGainTransmitStates.h"

// The data of one run. Each start begins from a fresh record, so nothing of
// an earlier run (its level, its restore stack, a flag left set by a run that
// could not restore) carries over into the next. The progress and summary
// texts are not here: they gather the runs of one wizard.
struct STXGCRun {
    static constexpr unsigned kMaxRestoreEntries = 25;
    static constexpr unsigned kSettleSamples = 4;

    unsigned char antenna = 1;
    unsigned char level = TXGAIN_LEVEL_5W;
    // The run's result, parked while the restore commands go out.
    HRESULT deferredResult = 0;
    // What the radio is owed: leaving a menu, unkeying.
    DWORD menuOpen = 0;
    DWORD transmitting = 0;
    std::wstring iconReply;
    // The band: 0..10 into TXGainBandTable, 11 when the loop is over.
    int loopIndex = 0;
    unsigned ringIndex = 0;
    // Passes without four equal power samples.
    unsigned sampleCount = 0;
    unsigned restoreCount = 0;
    // The restore count when the band loop began: entries above it are the band's.
    unsigned bandMark = 0;
    std::array<std::wstring, kSettleSamples> samples;
    // The run's lines in the record.
    unsigned bandLines = 0;
    std::wstring antennaCommand = L"AN1;";
    std::array<STXGCRestoreEntry, kMaxRestoreEntries> restoreEntries;
    // The option-module refresh: one state, no restore, no outcome lines.
    DWORD refreshOnly = 0;
    // Times OnFinished went back to the restore; once is enough, and more
    // could loop for ever on a port that fails every write.
    unsigned restoreReentries = 0;
    // The code of the first entry the restore gave up (E_NO_RESPONSE_TQ for
    // an unkey that was never answered); the entries given up, in the
    // restore's order, and the one it is putting back now.
    HRESULT unrestored = 0;
    std::vector<STXGCRestoreEntry> givenUp;
    std::optional<STXGCRestoreEntry> inProgress;
    // An entry got no reply at all: the radio is gone, nothing more is sent.
    bool radioSilent = false;
    // The restore's unkey heard "TQ1;": the radio answers, and transmits.
    bool unkeyAnswered = false;
    // What the user must be told at the end of the state the radio is in:
    // why, a radio that may still transmit, each setting not put back.
    std::wstring radioWarning;
};

class CTXGCStateMachine : public CStateHost<CTXGCStateMachine> {
public:
    CTXGCStateMachine();

    // Starts a calibration at the level (TXGainLevel) with the dummy load on
    // the antenna jack (1 or 2), for `page`. False for a busy machine, with
    // the last error E_STATE_MACHINE_BUSY; the running run goes on untouched.
    bool StartCalibrate(HWND page, unsigned char antenna, unsigned char level);
    // Asks the radio for its option modules ("OM;") alone, for `page`.
    bool RefreshOptionModules(HWND page);
    // False when idle; the run ends through the restore at its next step.
    bool CancelCalibration() { return Cancel(); }

    // The outcome lines of every run, each ended by "\n".
    const std::wstring& GetProgressText() const { return m_progressText; }
    // The record's lines: the band lines of every run, each failed run's
    // failed text after its own.
    const std::wstring& GetSummaryText() const { return m_record.summary; }
    // What the wizard's file is written from: the radio of the first run,
    // and the lines above.
    const STXGainRecord& GetRecord() const { return m_record; }
    // Empty unless the last run left the radio otherwise than it found it.
    const std::wstring& GetRadioWarning() const { return m_run.radioWarning; }

    void Log(TextOrId text) override;
    void OnFinished() override;

    // What the states use.
    void AppendProgressText(TextOrId text);
    void AppendSummaryLine(const std::wstring& reply);
    void PushRestoreEntry(const std::wstring& a, const std::wstring& b, HRESULT code, DWORD kind);
    std::wstring GetPowerCommand() const;
    unsigned BandKHz() const;
    void ClearPowerSamples();
    void AddPowerSample(const std::wstring& sample);
    bool CheckPowerSettled();
    // "RX;" at once, no reply awaited; the flag stays until the radio says
    // it receives.
    void StopTransmitting();

    bool IsLevel50W() const { return m_run.level == TXGAIN_LEVEL_50W; }
    bool IsMilliwatt() const { return m_run.level == TXGAIN_LEVEL_1MW; }
    bool IsBH7WEnabled() const { return IsBH7WInstalled(); }
    bool IsXQ6TEnabled() const { return IsXQ6TInstalled(); }
    bool IsJW2DEnabled() const { return IsJW2DInstalled(); }
    bool IsBandSetAvailable() const { return GetModel().McuVersion() >= MCU_BAND_NUMBER_VERSION; }
    int LoopCount() const { return static_cast<int>(kTXGainBandCount); }

    static constexpr unsigned kMaxUnsettledPasses = 20;

    // What this run knows and has changed; the states read and write it here.
    STXGCRun m_run;
    // The generic loop states count the bands under this name.
    int& m_loopIndex = m_run.loopIndex;

private:
    bool RefuseBusy();
    bool StartRun(CState<CTXGCStateMachine>& first, const STXGCRun& run);

    void ReportOutcome();
    void ReportRadioState();

    std::wstring m_progressText;
    STXGainRecord m_record;
    CRunPage m_runPage;

    using Machine = CTXGCStateMachine;
    using BandValue = CTXGCSetBandValueState<Machine>;

public:
    // The refresh run.
    CGetOptionModuleState<Machine> m_refreshOptionModule;
    // The calibration run: preparation.
    CTextTerminalOffState<Machine> m_textTerminalOff;
    CCommandDelayState<Machine> m_vfoBDisplay;
    CGetOptionModuleState<Machine> m_getOptionModule;
    CTXGCSetRXState<Machine> m_setRXFirst;
    CTXGCVerifyTXTestNormalState<Machine> m_verifyTXTest;
    CTXGCTestState<Machine> m_is50W;
    CTXGCTestState<Machine> m_isBH7WEnabled;
    CTXGCSetMenuState<Machine> m_setMenuBH7W;
    CTXGCVerifyMenuState<Machine> m_verifyBH7WNormal;
    CTXGCTestState<Machine> m_isXQ6TEnabled;
    CTXGCSetMenuState<Machine> m_setMenuXQ6T;
    CTXGCVerifyMenuState<Machine> m_verifyXQ6TNormal;
    CTXGCSetMenuState<Machine> m_setMenuTechMode;
    CTXGCStepMenuState<Machine> m_setTechMode;
    CTXGCSetMenuState<Machine> m_setMenuTXAlc;
    CTXGCStepMenuState<Machine> m_setTXAlc;
    CTXGCSetMenuState<Machine> m_setMenuTunePower;
    CTXGCSetMenuValueState<Machine> m_setTunePower;
    CTXGCExitMenuState<Machine> m_exitMenuPrepared;
    CTXGCSetValueState<Machine> m_setQ5;
    CIsSwitchEmulationAvailableState<Machine> m_isSwitchEmulationAvailable;
    CTXGCSetValueState<Machine> m_setQ7Extended;
    CTXGCSaveState<Machine> m_saveVfoA;
    CTXGCSaveState<Machine> m_saveVfoB;
    CTXGSaveRitOffsetState<Machine> m_saveRitOffset;
    CTXGCSetValueState<Machine> m_setRitOff;
    CTXGCSetValueState<Machine> m_setXitOff;
    CTXGCSaveBandNumberState<Machine> m_saveBandNumber;
    CTXGCLoopInitState<Machine> m_loopInit;
    // A band.
    CTXGCTestState<Machine> m_isBandSetAvailable;
    BandValue m_setBandNumber;
    CTXGCSaveState<Machine> m_saveBandVfoA;
    BandValue m_setVfoA;
    CTXGCSaveState<Machine> m_saveBandVfoB;
    BandValue m_setVfoB;
    CTXGCSetValueState<Machine> m_setBandXitOff;
    CTXGCSaveState<Machine> m_saveRFPower;
    CTXGCTestState<Machine> m_isMilliwattAntenna;
    CTXGCSetAntennaState<Machine> m_setAntenna;
    CTXGCTestState<Machine> m_isJW2DEnabled;
    CTXGCSetMenuState<Machine> m_setMenuJW2D;
    CTXGCSetMenuValueState<Machine> m_setJW2D;
    CTXGCExitMenuState<Machine> m_exitMenuJW2D;
    CTXGCTestState<Machine> m_isMilliwattTransverter;
    CTXGCSetMenuState<Machine> m_setMenuBandXQ6T;
    CTXGCStepMenuState<Machine> m_setXQ6T;
    CTXGCExitMenuState<Machine> m_exitMenuXQ6T;
    BandValue m_setRFPower;
    CTXGCStartTuneState<Machine> m_startTune;
    CDelayState<Machine> m_delayPowerSample;
    CTXGCGetTXState<Machine> m_getTX;
    CTXGCTestState<Machine> m_isMilliwattSwr;
    CTXGCGetSwrState<Machine> m_testSwr;
    CTXGCReadRFPowerState<Machine> m_readRFPower;
    CTXGCTestConvergenceState<Machine> m_testConvergence;
    CTXGCSetRXState<Machine> m_setRX;
    CTXGCSetMenuState<Machine> m_setMenuTXGain;
    CTXGGetGainState<Machine> m_getTXGain;
    CTXGCExitMenuState<Machine> m_exitMenuTXGain;
    CTXGCRestoreState<Machine> m_restore;
    CLoopStepState<Machine> m_loopStep;
    CLoopTestState<Machine> m_loopTest;
};
