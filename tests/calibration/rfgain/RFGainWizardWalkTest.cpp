// The RF gain wizard as a user walks it against the simulated transceiver,
// opened as the Calibration tab opens it (the tab's own road is in
// RFGainWizardEndToEndTest.cpp): a computed calibration of both receivers
// to Finish; a signal too low, retried, ignored, then refused; a Cancel
// during a calibration, clicked twice; a cable pulled while the table is
// stored (before a Cancel, or while one waits), and while the wizard waits
// for the user.
#include "RFGainFixture.h"
#include "RFGainWizardSteps.h"
#include "FileVersionInfo.h"
#include "TextSinks.h"

namespace {

std::vector<uint8_t> Eeprom(CSimulatedTransceiver& radio, unsigned address)
{
    return radio.ReadEeprom(address, 128);
}

// The texts of a page's controls, one to a line.
std::wstring PageTexts(HWND page)
{
    std::wstring texts;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts += GetWindowString(child) + L"\n";
    return texts;
}

// A user's computed run up to the main receiver's Calibrate, then `more`.
std::vector<SWizardStep> CalibrateMainThen(std::vector<SWizardStep> more)
{
    std::vector<SWizardStep> steps = {Next(IDD_RFGC_WELCOME), Next(IDD_RFGC_CHOOSE_SOURCE), Next(IDD_RFGC_SIG_GEN),
                                      Next(IDD_RFGC_MAIN_KNOBS), Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE)};
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

class RFGainWizardTest : public RFGainTest {
protected:
    explicit RFGainWizardTest(std::initializer_list<int> answers = {}) : RFGainTest(answers) {}

    // Opens the wizard as the Calibration tab does and walks it; returns
    // when it has closed.
    void RunWizard(std::vector<SWizardStep> steps)
    {
        CWizardDriver driver(std::move(steps), 60000);
        {
            CRFGCSheet wizard(IDS_RFGC_TITLE);
            wizard.DoModal(nullptr);
        }
        EXPECT_TRUE(driver.Done()) << "the wizard closed before its last step";
        pagesShown = driver.Pages();
        EXPECT_EQ(GetModel().ActiveMachine(), nullptr);
    }

    std::vector<UINT> pagesShown;
};

TEST_F(RFGainWizardTest, AComputedCalibrationOfBothReceiversToFinish)
{
    radio.Control("dsp signal main -73");
    radio.Control("dsp signal sub -60");
    radio.Control("rx set ai=1 notch=1");
    const State before = radio.State();
    std::pair<bool, bool> secondReceiverStep;
    bool onlyUserSources = false;
    std::wstring signalGenerator;
    std::wstring instruction;
    std::wstring mainLog;
    std::wstring subLog;
    RunWizard({
        On(IDD_RFGC_WELCOME, [&](HWND, HWND welcome) { secondReceiverStep = SecondReceiverStep(welcome); }),
        Next(IDD_RFGC_WELCOME),
        On(IDD_RFGC_CHOOSE_SOURCE, [&](HWND, HWND page) {
            const HWND current = GetDlgItem(page, IDC_RFGC_CURRENT);
            onlyUserSources = IsDlgButtonChecked(page, IDC_RFGC_COMPUTED) == BST_CHECKED &&
                              IsShownAndEnabled(page, IDC_RFGC_FACTORY) && !IsWindowVisible(current) &&
                              !IsWindowEnabled(current) && !IsWindowVisible(GetDlgItem(page, IDC_RFGC_REGISTRY));
        }),
        Next(IDD_RFGC_CHOOSE_SOURCE),
        On(IDD_RFGC_SIG_GEN, [&](HWND, HWND page) { signalGenerator = PageTexts(page); }),
        Next(IDD_RFGC_SIG_GEN),
        Next(IDD_RFGC_MAIN_KNOBS),
        On(IDD_RFGC_MAIN_RX, [&](HWND, HWND page) {
            instruction = GetWindowString(GetDlgItem(page, IDC_RFGC_INSTRUCTION));
        }),
        Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
        NextAfterRun(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, mainLog),
        Next(IDD_RFGC_MAIN_SIG_GEN_HIGH),
        // The high level is optional.
        Next(IDD_RFGC_MAIN_RX_HIGH),
        Next(IDD_RFGC_SUB_KNOBS),
        Click(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE),
        NextAfterRun(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE, subLog),
        Next(IDD_RFGC_SUB_SIG_GEN_HIGH),
        Next(IDD_RFGC_SUB_RX_HIGH),
        Finish(),
    });
    EXPECT_EQ(pagesShown, (std::vector<UINT>{12000, 12002, 12004, 12010, 12012, 12014, 12016, 12020, 12022, 12024,
                                             12026, 12030}));
    EXPECT_EQ(secondReceiverStep, std::make_pair(true, true));
    EXPECT_TRUE(onlyUserSources);
    EXPECT_NE(signalGenerator.find(L"Your Q7 has been placed into TX TEST to protect the signal generator from "
                                   L"accidental transmission\nConnect a calibrated source such as an Zentrova GN4, "
                                   L"GN5, GN6 or other signal generator set to -73 dBm (50 \u00B5V) to your Q7 ANT1 "
                                   L"connector\n"),
              std::wstring::npos)
        << signalGenerator;
    EXPECT_EQ(instruction, L"Click \"Calibrate\" to begin RF Gain calibration");
    EXPECT_EQ(boxes.Count(), 0u);

    // Each receiver's computed table, in its DSP and in EEPROM.
    const std::vector<uint8_t> factory(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end());
    EXPECT_NE(Table("main"), factory);
    EXPECT_EQ(Eeprom(radio, 0x4D00), Table("main"));
    EXPECT_NE(Table("sub"), Table("main"));
    EXPECT_EQ(Eeprom(radio, 0x4D80), Table("sub"));
    ExpectRestored(before, radio.State());

    // The log: what ran where, then the run's lines up to its end.
    for (const std::wstring* log : {&mainLog, &subLog}) {
        const std::wstring header = GetProgramVersionText() + L"\n" + GetOsVersionText() + L"\n" +
                                    GetModel().DescribeConnection() + L"\n";
        const std::wstring text = WithNewlines(*log);
        EXPECT_EQ(text.substr(0, header.size()), header) << text;
        EXPECT_EQ(CountOf(text, L"Wait 8 seconds for DSP to compute calibration table"), 1u);
        EXPECT_EQ(text.substr(text.size() - 6), L"\nReady");
    }
}

class RFGainWizardLowSignalTest : public RFGainWizardTest {
protected:
    RFGainWizardLowSignalTest() : RFGainWizardTest({IDRETRY, IDIGNORE, IDABORT}) {}
};

TEST_F(RFGainWizardLowSignalTest, RetryThenIgnoreStoresATableAndAnAbortIsNotToldTwice)
{
    radio.Control("dsp signal main -100");
    const State before = radio.State();
    std::wstring lowLog;
    std::wstring highLog;
    // Retry measures again; Ignore goes on with -100 dBm.
    RunWizard(CalibrateMainThen({
        NextAfterRun(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, lowLog),
        Next(IDD_RFGC_MAIN_SIG_GEN_HIGH),
        // Abort: the box was the failure's only telling.
        Click(IDD_RFGC_MAIN_RX_HIGH, IDC_RFGC_CALIBRATE),
        CancelAfterFailure(IDD_RFGC_MAIN_RX_HIGH, IDC_RFGC_CALIBRATE, boxes, 3, highLog),
    }));
    const std::wstring tooLow = L"Input signal level is too low for RF Gain Calibration";
    ASSERT_EQ(boxes.Count(), 3u);
    for (const SeenBox& box : boxes.Boxes()) {
        EXPECT_EQ(box.caption, L"RF Gain Calibration Error");
        EXPECT_NE(box.text.find(tooLow), std::wstring::npos) << box.text;
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(radio.CountCommand("!bd"), 3u);
    EXPECT_EQ(CountOf(lowLog, L"Received signal level is -100 dBm"), 2u);
    EXPECT_EQ(Eeprom(radio, 0x4D00), Table("main"));
    // The machine's line, and the page's after "Ready".
    EXPECT_EQ(CountOf(highLog, tooLow), 2u) << highLog;
    EXPECT_TRUE(EndsWith(WithNewlines(highLog), L"\nReady\n" + tooLow)) << highLog;
    // Not the high level's computing.
    EXPECT_EQ(radio.CountCommand("!b8"), 5u);
    ExpectRestored(before, radio.State());
}

TEST_F(RFGainWizardTest, CancelDuringACalibrationClickedTwiceRestoresEverythingThenCloses)
{
    radio.Control("dsp signal main -73");
    // Switches the restore has to put back too, besides the set-up's values.
    radio.Control("rx set ai=1 an=2 bset=1 notch=2 sb=1");
    const State before = radio.State();
    bool clickedDuringRestore = false;
    bool greyWhileWaiting = false;
    RunWizard(CalibrateMainThen({
        // The DSP measures.
        When(IDD_RFGC_MAIN_RX, [&](HWND) { return radio.CountCommand("!b8") > 0; },
             [](HWND wizard, HWND) { PressWizardButton(wizard, PSBTN_CANCEL); }),
        // Taken at once, though the chain and the restore are still to end.
        On(IDD_RFGC_MAIN_RX, [&](HWND wizard, HWND) {
            greyWhileWaiting = !MachineOf(wizard).IsIdle() && !CanPressWizardButton(wizard, IDCANCEL);
        }),
        // The calibration has ended; the restore runs.
        When(IDD_RFGC_MAIN_RX,
             [](HWND wizard) { return !MachineOf(wizard).IsIdle() && !MachineOf(wizard).IsRestorePending(); },
             [&](HWND wizard, HWND) {
                 clickedDuringRestore = true;
                 PressWizardButton(wizard, PSBTN_CANCEL);
             }),
    }));
    EXPECT_TRUE(clickedDuringRestore);
    EXPECT_TRUE(greyWhileWaiting);
    EXPECT_EQ(boxes.Count(), 0u);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.CommandMode(), "0");
    EXPECT_EQ(Eeprom(radio, 0x4D00), std::vector<uint8_t>(128, 0xFF));
}

class RFGainCablePulledTest : public RFGainWizardTest {
protected:
    // The factory table stored in the main receiver; once its second EEPROM
    // block is under way, `act`, and the cable pulled. Then `more`.
    template <typename Act>
    void PullDuringTheTable(Act act, std::vector<SWizardStep> more = {})
    {
        radio.IgnoreNext("EW", 100, 1);
        std::vector<SWizardStep> steps = {
            Next(IDD_RFGC_WELCOME), Choose(IDC_RFGC_FACTORY), Next(IDD_RFGC_CHOOSE_SOURCE),
            Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
            When(IDD_RFGC_MAIN_RX, [&](HWND) { return radio.CountCommand("EW") >= 2; },
                 [&](HWND wizard, HWND) {
                     act(wizard);
                     radio.Unplug();
                 })};
        steps.insert(steps.end(), more.begin(), more.end());
        RunWizard(std::move(steps));
    }
    // The port's own box, then the page's: the closed port, the table left
    // incomplete, and what the prepare changed, which no restore can reach.
    std::wstring ExpectTold()
    {
        const std::wstring told = L"Serial port " + radio.PortName() +
                                  L" is closed\nThe RF Gain calibration table stored in EEPROM is incomplete and "
                                  L"must be stored again.\nThese settings were not put back; set them at the radio:\n"
                                  L"Q7 command mode (Q7): Q70";
        EXPECT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(boxes.Boxes().back().text, told);
        return told;
    }
};

// Only Cancel is left, and one Cancel closes the wizard, as nothing can be
// restored.
TEST_F(RFGainCablePulledTest, HalfWayThroughTheTableItIsToldAndOneCancelCloses)
{
    std::wstring log;
    PullDuringTheTable([](HWND) {}, {CancelAfterFailure(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, boxes, 2, log)});
    EXPECT_TRUE(EndsWith(WithNewlines(log), L"\nReady\n" + ExpectTold())) << log;
}

// A Cancel that waits for the EEPROM write hears the failure, tells it,
// and closes.
TEST_F(RFGainCablePulledTest, WhileCancelWaitsForTheTableItIsToldAndTheWizardCloses)
{
    PullDuringTheTable([](HWND wizard) { PressWizardButton(wizard, PSBTN_CANCEL); });
    ExpectTold();
}

// The radio falls silent once the main receiver is set up, and the user
// cancels: the restore stops at its first step that gets no reply, and its
// failure is told in a box that names each setting left changed with the
// value it must get; then the wizard closes.
TEST_F(RFGainWizardTest, ARestoreIntoASilentRadioAfterCancelNamesWhatItLeftAndTheWizardCloses)
{
    DWORD cancelledAt = 0;
    RunWizard({Next(IDD_RFGC_WELCOME), Next(IDD_RFGC_CHOOSE_SOURCE), Next(IDD_RFGC_SIG_GEN),
               Next(IDD_RFGC_MAIN_KNOBS), On(IDD_RFGC_MAIN_RX, [&](HWND wizard, HWND) {
                   radio.SetSilent(true);
                   PressWizardButton(wizard, PSBTN_CANCEL);
                   cancelledAt = GetTickCount();
               })});
    const DWORD cancelToClose = GetTickCount() - cancelledAt;
    radio.SetSilent(false);
    EXPECT_LT(cancelToClose, 15000u);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"RF Gain Calibration Error");
    EXPECT_EQ(boxes[0].text, L"No response to VFO A and Basic Icon (DS)\n"
                             L"These settings were not put back; set them at the radio:\n"
                             L"RX Antenna (SWT25): on\nATU (SWH19): on\nAttenuator (RA): RA01\nCW Tune (SWT40): off\n"
                             L"Filter Bandwidth (BW): BW0240\nMode (MD): MD2\nPreamp (PA): PA1\nRF Gain (RG): RG200\n"
                             L"Squelch (SQ): SQ010\nNoise Reduction (SWT34): on\nQ7 command mode (Q7): Q70");
    // The first step's three queries, then nothing.
    const std::vector<std::string> commands = radio.Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 3, commands.end()),
              (std::vector<std::string>{"DS;", "DS;", "DS;"}));
}

// The Completion page's restore into a silent radio fails and leaves only
// Cancel; the radio answers again, and Cancel tries the restore once more
// before the wizard closes.
TEST_F(RFGainWizardTest, CancelAfterAFailedCompletionRestoreTriesItOnceMore)
{
    const State before = radio.State();
    RunWizard({Next(IDD_RFGC_WELCOME), Choose(IDC_RFGC_FACTORY), Next(IDD_RFGC_CHOOSE_SOURCE),
               Next(IDD_RFGC_MAIN_RX),
               When(IDD_RFGC_SUB_RX, [](HWND wizard) { return CanPressWizardButton(wizard, kWizardNext); },
                    [&](HWND wizard, HWND) {
                        radio.SetSilent(true);
                        PressWizardButton(wizard, PSBTN_NEXT);
                    }),
               When(IDD_RFGC_COMPLETION, [&](HWND wizard) { return MachineOf(wizard).IsIdle() && boxes.Count() > 0; },
                    [&](HWND wizard, HWND) {
                        EXPECT_FALSE(CanPressWizardButton(wizard, kWizardFinish));
                        radio.SetSilent(false);
                        PressWizardButton(wizard, PSBTN_CANCEL);
                    })});
    ASSERT_EQ(boxes.Count(), 1u) << "the second restore put everything back";
    EXPECT_EQ(boxes[0].text, L"No response to VFO A and Basic Icon (DS)\n"
                             L"These settings were not put back; set them at the radio:\n"
                             L"Q7 command mode (Q7): Q70");
    ExpectRestored(before, radio.State());
}

// The cable pulled while the wizard waits for the user: the port still
// counts as open, so Cancel starts the restore, whose first write fails
// before the start has returned. That end is heard and told, and the one
// Cancel closes the wizard.
TEST_F(RFGainWizardTest, ARestoreThatFailsAfterCancelIsToldAndTheWizardCloses)
{
    RunWizard(AtTheGenerator([&](HWND wizard, HWND) {
        radio.Unplug();
        PressWizardButton(wizard, PSBTN_CANCEL);
    }));
    // The port's own box, then the restore's failure and what it left.
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[1].caption, L"RF Gain Calibration Error");
    EXPECT_EQ(boxes[1].text, L"Serial port " + radio.PortName() +
                                 L" is closed\nThese settings were not put back; set them at the radio:\n"
                                 L"Q7 command mode (Q7): Q70");
}

}  // namespace
