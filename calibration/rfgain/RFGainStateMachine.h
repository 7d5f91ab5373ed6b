// RF gain calibration of one receiver at a time: the radio is prepared (menus
// closed, auto information off, extended command mode, TX TEST on), the
// receiver set up for a clean CW measurement, and the DSP measures a known
// signal and computes its 128-byte table, which is checked and stored in the
// DSP and in EEPROM. A table from the factory, the DSP or the registry can be
// stored instead, both copies can be read for display, and the restore puts
// back every control the run changed.
//
// RFGC, in the names of its classes and resources: RF gain calibration.
//
// The wizard's pages start the chains (RFGainStateMachine.cpp, top to bottom).
// The machine talks to the page that started the chain itself (RunPage.h):
// its progress lines as WM_APP_PROGRESS_TEXT, its end as
// WM_APP_MACHINE_FINISHED with the result; the model's machine-finished
// event is not fired. The sheet is its owner window (m_owner), the owner of
// the signal-level box.
#pragma once

#include "RFGainDspStates.h"
#include "RFGainSetStates.h"
#include "RFGainStates.h"
#include "RFGainTapStates.h"
#include "RFGainTables.h"
#include "MenuStates.h"
#include "RunPage.h"

#include <set>
#include <vector>

// Where the stored table comes from.
enum RFGCSource : BYTE {
    RFGC_SOURCE_COMPUTED = 0,
    RFGC_SOURCE_FACTORY = 1,
    RFGC_SOURCE_CURRENT = 2,
    RFGC_SOURCE_REGISTRY = 3,
};

class CRFGCStateMachine;
using CRFGCSetState = CRFGCSetBaseState<CRFGCStateMachine>;
using CRFGCSetReceiverState = CRFGCSetReceiverControlState<CRFGCStateMachine>;
using CRFGCRestoreState = CRFGCRestoreStep<CRFGCRestoreBaseState<CRFGCStateMachine>>;
using CRFGCSetTap = CRFGCTapState<CRFGCStateMachine>;
using CRFGCRestoreTap = CRFGCRestoreStep<CRFGCRestoreTapState<CRFGCStateMachine>>;
using CRFGCDspCommand = CRFGCSendDspCommandState<CRFGCStateMachine>;

class CRFGCStateMachine : public CStateHost<CRFGCStateMachine> {
public:
    CRFGCStateMachine();

    // The chains the wizard's pages start, each for the page that starts it.
    // Each refuses a busy machine with E_STATE_MACHINE_BUSY; a start the
    // machine takes begins a new run.
    // Welcome: the radio prepared; a restore is due from now on.
    bool StartPrepare(HWND page);
    // Knobs pages: the receiver set up for the measurement.
    bool StartSetUp(HWND page, BYTE receiver);
    // RX pages: the table from the source measured or loaded, then stored.
    bool StartCalibrate(HWND page, BYTE receiver, RFGCSource source);
    // RXHigh pages: the optional measurement at -33 dBm.
    bool StartHighLevel(HWND page, BYTE receiver);
    // Display pages: both copies of the table read; CompareTables shows them.
    bool StartDisplay(HWND page, BYTE receiver);
    // Completion page and cancel: every control put back.
    bool StartRestore(HWND page);

    // The set-up, calibrate, high-level and display chains start here; after
    // a restore (Back from Completion) the prepare runs first, in the same run.
    bool Start(HWND page, BYTE receiver, int markWritten, CState<CRFGCStateMachine>& first);
    // The last run's receiver and mark kept; no restore marked due.
    bool StartAt(HWND page, CState<CRFGCStateMachine>& first);

    // As every machine's, but the restore always runs to its end: it puts
    // the radio back; and so does the EEPROM write, which would leave a
    // table part new, part old.
    bool Cancel() override;

    bool IsRestorePending() const { return m_wizard.restorePending != 0; }
    // The prepare put the radio in TX TEST, which nothing in the wizard undoes.
    bool HasSetTXTest() const { return m_wizard.txTestSet; }
    // The last run's EEPROM write ended after a block had gone out: EEPROM
    // may hold a table part new, part old.
    bool IsStoredTableIncomplete() const { return m_eepromWrites != 0 && !m_run.tableStored; }
    // The last run stored its whole table in EEPROM.
    bool IsTableStored() const { return m_run.tableStored; }
    int IsTableWritten(BYTE receiver) const { return m_wizard.tableWritten[receiver == 1 ? 1 : 0]; }
    // The lead-in and each setting the last restore could not put back, or,
    // behind a closed port, every setting a restore is due to put back;
    // nothing when all is back.
    std::vector<std::wstring> NotPutBack() const;
    // The receiver's registry table into the DSP table.
    bool LoadRegistryTable(BYTE receiver) { return LoadRFGainRegistryTable(receiver, m_run.dspTable); }
    // The display chain's two tables into the page's log.
    void CompareTables(HWND richEdit) const { ::CompareTables(richEdit, m_run.dspTable, m_run.eepromTable); }
    // The verdict on the level just measured: IDOK when it will do, else the
    // user's answer (IDABORT, IDRETRY, IDIGNORE) to the box that says so.
    int CheckSignalLevel();

    static bool HasSecondReceiver() { return GetModel().SecondReceiver == SUBRX_INSTALLED; }

    void Log(TextOrId text) override;
    void OnFinished() override;

    // One chain's run, from the start that took it to the next one: what
    // the start was given, the restore's bookkeeping, and what the DSP and
    // EEPROM said, which the page reads once the chain has ended.
    struct SRun {
        BYTE receiver = 0;
        int markWritten = 0;
        // The chain that starts once the prepare has run first.
        CState<CRFGCStateMachine>* afterPrepare = nullptr;
        // The restore runs: Cancel leaves it alone.
        bool restoring = false;
        // What the restore reports at its end, as it goes on past a failed step.
        HRESULT firstFailure = 0;
        // What it gave up, and where it stopped (a radio gone, a failed write).
        std::vector<std::wstring> givenUp;
        CState<CRFGCStateMachine>* stoppedAt = nullptr;
        std::wstring dspReplyHex;
        signed char level = 0;
        bool tableStored = false;
        RFGainTable dspTable{};
        RFGainTable eepromTable{};
    };
    SRun m_run;

    // What lives as long as the wizard, across its chains: each control is
    // asked once and the restore puts back the first values seen; the
    // switches a tap has worked (by their names); whether the radio was
    // touched since the last restore, or a restore failed; which receivers
    // hold a computed table; whether TX TEST was set, and whether a restore
    // has undone the prepare since.
    struct SWizardData {
        SRFGCSavedValues saved;
        std::wstring initialIcReply;
        std::wstring initialDsReply;
        std::set<UINT> tappedSwitches;
        int restorePending = 0;
        int tableWritten[2] = {0, 0};
        bool txTestSet = false;
        bool prepareDue = false;
    };
    SWizardData m_wizard;
    // The wizard's too: the first command mode, where the command-mode
    // states look for it.
    std::wstring m_savedModeReply;

    // Prepare.
    CExitMenuState<CRFGCStateMachine> m_exitMenu;
    CTextTerminalOffState<CRFGCStateMachine> m_textTerminalOff;
    CRFGCSetState m_setAutoInfoOff;
    CSetQ7ExtendedState<CRFGCStateMachine> m_setQ7Extended;
    CRFGCGetInitialReplyState<CRFGCStateMachine> m_getIconData;
    CRFGCGetInitialReplyState<CRFGCStateMachine> m_getInitialVfoADisplay;
    CRFGCGetOptionModuleState<CRFGCStateMachine> m_getOptionModule;
    CRFGCSetTXTestState<CRFGCStateMachine> m_setTXTest;

    // Main receiver set-up.
    CCommandDelayState<CRFGCStateMachine> m_mainVfoBDisplayNormal;
    CRFGCSetTap m_mainSetBsetOff;
    CRFGCSetState m_setSubRXOff;
    CRFGCSetState m_unlinkVfo;
    CRFGCSetState m_setAntenna1;
    CRFGCSetAtuBypassState<CRFGCStateMachine> m_setAtuBypass;
    CRFGCSetTap m_setRXAntennaOff;
    CRFGCSetState m_setMainModeCW;
    CRFGCSetTap m_setMainNoiseReductionOff;
    CRFGCSetTap m_setNotchOff;
    CRFGCSetReceiverState m_mainSetAttenuatorOff;
    CRFGCSetReceiverState m_mainSetPreampOff;
    CRFGCSetMainRFGainState<CRFGCStateMachine> m_mainSetMainRFGain;
    CRFGCSetState m_setMainSquelchOff;
    CRFGCReportedCommandState<CRFGCStateMachine> m_normalize;
    CRFGCSetState m_setMainFilterWidth;
    CRFGCSetTap m_setCWTuneOn;

    // Second receiver set-up.
    CCommandDelayState<CRFGCStateMachine> m_subVfoBDisplayNormal;
    CRFGCSetState m_setSubRXOn;
    CRFGCSetSubRXAntennaMainState<CRFGCStateMachine> m_setSubRXAntennaMain;
    CRFGCSetState m_setSubModeCW;
    CRFGCSetSubNoiseReductionOffState<CRFGCStateMachine> m_setSubNoiseReductionOff;
    CRFGCSetTap m_subSetBsetOff;
    CRFGCSetReceiverState m_subSetAttenuatorOff;
    CRFGCSetReceiverState m_subSetPreampOff;
    CRFGCSetSubRFGainState<CRFGCStateMachine> m_subSetSubRFGain;
    CRFGCSetState m_setSubSquelchOff;
    CRFGCSetState m_setSubFilterWidth;
    CRFGCReportedCommandState<CRFGCStateMachine> m_copyVfoAToB;

    // Computed low level, then the tail that the high level, current,
    // factory and registry chains share.
    CRFGCSetTap m_setCWTuneOff;
    CRFGCSetTap m_calibrateSetBsetOff;
    CRFGCGetFactoryDefaultState<CRFGCStateMachine> m_getFactoryDefault;
    CRFGCWriteDspTableState<CRFGCStateMachine> m_writeFactoryDspTable;
    CRFGCCheckSignalLevelState<CRFGCStateMachine> m_checkSignalLevel;
    CRFGCDspCommand m_calibrateBase;
    CRFGCSetReceiverState m_setPreampOn1;
    CRFGCDspCommand m_calibratePreamp;
    CRFGCSetReceiverState m_setPreampOff1;
    CRFGCSetReceiverState m_setAttenuatorOn;
    CRFGCDspCommand m_calibrateAtten;
    CRFGCSetReceiverState m_setPreampOn2;
    CRFGCDspCommand m_calibratePreampAtten;
    CRFGCSetReceiverState m_setAttenuatorOff;
    CRFGCSetReceiverState m_setPreampOff2;
    CRFGCDspCommand m_calibrateFirst40dB;
    CRFGCLongDelayState<CRFGCStateMachine> m_longDelay;
    CRFGCSetMainRFGainState<CRFGCStateMachine> m_tailSetMainRFGain;
    CRFGCSetSubRFGainState<CRFGCStateMachine> m_tailSetSubRFGain;
    CRFGCReadDspTableState<CRFGCStateMachine> m_readDspTable;
    CRFGCVerifyDspDataTableState<CRFGCStateMachine> m_verifyDspDataTable;
    CSetQ7HiddenState<CRFGCStateMachine> m_setQ7Hidden;
    CRFGCWritePromState<CRFGCStateMachine> m_writeProm;

    // High level.
    CRFGCCheckSignalLevelState<CRFGCStateMachine> m_checkSignalLevel2;
    CRFGCDspCommand m_calibrateLast40dB;

    // Factory, registry.
    CRFGCGetFactoryDefaultState<CRFGCStateMachine> m_getFactoryDefault2;
    CRFGCWriteDspTableState<CRFGCStateMachine> m_writeFactoryDspTable2;
    CRFGCGetRegistryValueState<CRFGCStateMachine> m_registryValue;
    CRFGCWriteDspTableState<CRFGCStateMachine> m_writeRegistryDspTable;

    // Display.
    CSetQ7HiddenState<CRFGCStateMachine> m_displaySetQ7Hidden;
    CRFGCReadPromState<CRFGCStateMachine> m_readProm;
    CRFGCReadDspTableState<CRFGCStateMachine> m_displayReadDspTable;

    // Restore.
    CRFGCInitializeRestoreState<CRFGCStateMachine> m_initRestore;
    CRFGCRestoreState m_restoreAntenna;
    CRFGCRestoreTap m_restoreRXAntenna;
    CRFGCRestoreTap m_restoreAtu;
    CRFGCRestoreState m_restoreMainAttenuator;
    CRFGCRestoreState m_restoreSubAttenuator;
    CRFGCRestoreTap m_restoreCWTune;
    CRFGCRestoreState m_restoreMainFilterWidth;
    CRFGCRestoreState m_restoreSubFilterWidth;
    CRFGCRestoreState m_restoreMainMode;
    CRFGCRestoreState m_restoreSubMode;
    CRFGCRestoreState m_restoreMainPreamp;
    CRFGCRestoreState m_restoreSubPreamp;
    CRFGCRestoreState m_restoreMainRFGain;
    CRFGCRestoreState m_restoreSubRFGain;
    CRFGCRestoreState m_restoreMainSquelch;
    CRFGCRestoreState m_restoreSubSquelch;
    CRFGCRestoreStep<CRFGCRestoreSubNoiseReductionState<CRFGCStateMachine>> m_restoreSubNoiseReduction;
    CRFGCRestoreStep<CRFGCRestoreSubRXAntennaState<CRFGCStateMachine>> m_restoreSubRXAntenna;
    CRFGCRestoreStep<CRFGCSetTap> m_restoreSetBsetOff;
    CRFGCRestoreTap m_restoreMainNoiseReduction;
    CRFGCRestoreTap m_restoreNotch;
    CRFGCRestoreState m_restoreSubRX;
    CRFGCRestoreTap m_restoreBset;
    CRFGCRestoreState m_restoreAutoInfo;
    CRFGCRestoreStep<CRFGCRestoreQ7State<CRFGCStateMachine>> m_restoreQ7;

private:
    // Where every start goes: the run begun afresh from `run` for `page`
    // (null: the last run's), only when the machine is idle.
    bool StartRun(HWND page, CState<CRFGCStateMachine>& first, SRun run, bool restoreDue);

    CRunPage m_runPage;
};
