// The TX gain wizard as a user walks it, from the Calibration tab against the
// simulated radio: a 5 W calibration to Finish and its file in the summary
// viewer; a refused start and a Cancel in the middle of a band; a
// technician's run through every level in one step.
#include "ShellFixture.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "ContactStateMachine.h"
#include "ErrorText.h"
#include "FileBytes.h"
#include "Folders.h"
#include "TXGainFile.h"
#include "TXGainRadio.h"
#include "TXGainWizard.h"
#include "Window.h"
#include "WizardDriver.h"
#include "resource.h"

namespace {

// The simulated radio's serial number.
constexpr unsigned short kRadioSerial = 4711;

// The amplifier (P at 4) and the transverter interface (X at 5) missing.
const char kTunerOnly[] = "OM-A--S-TLK-R---;";

CTXGCStateMachine& MachineOf(HWND wizard)
{
    return dynamic_cast<CTXGCSheetQ7&>(*CWindow::FromHandle(wizard)).Machine();
}

// Next, once the page's run (the option-module refresh) has ended.
SWizardStep NextWhenIdle(UINT page)
{
    return {page, [](HWND wizard, HWND) {
                if (!MachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// On a Welcome page: which of its `count` steps are enabled, once the
// option modules have been asked for; then Next (and no Back).
SWizardStep NextAfterReadingSteps(UINT page, int count, std::vector<bool>& enabled)
{
    return {page, [count, &enabled](HWND wizard, HWND welcome) {
                if (!MachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                for (int step = 0; step < count; ++step)
                    enabled.push_back(IsWindowEnabled(GetDlgItem(welcome, IDC_BULLET_FIRST + 2 * step)) != FALSE);
                EXPECT_FALSE(CanPressWizardButton(wizard, kWizardBack));
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// Calibrate, once the page may be left (no run under way).
SWizardStep Calibrate(UINT page)
{
    return {page, [](HWND wizard, HWND calibrate) {
                if (!MachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                    return false;
                ClickButton(calibrate, IDC_TXGC_CALIBRATE);
                return true;
            }};
}

// Next, once the run has ended ("Click Next to continue" shows), with the
// page's log; whether Next could be pressed meanwhile goes to `nextWhileRunning`.
SWizardStep NextWhenRunEnded(UINT page, std::wstring& log, bool& nextWhileRunning)
{
    return {page, [&log, &nextWhileRunning](HWND wizard, HWND calibrate) {
                if (!IsWindowVisible(GetDlgItem(calibrate, IDC_CLICK_NEXT))) {
                    nextWhileRunning = nextWhileRunning || CanPressWizardButton(wizard, kWizardNext);
                    return false;
                }
                if (!CanPressWizardButton(wizard, kWizardNext))
                    return false;
                log = GetWindowString(GetDlgItem(calibrate, IDC_TXGC_LOG));
                PressWizardButton(wizard, PSBTN_NEXT);
                return true;
            }};
}

// Finish, with the outcome the page shows.
SWizardStep FinishOnCompletion(std::wstring& outcome)
{
    return {IDD_TXGC_COMPLETION, [&outcome](HWND wizard, HWND completion) {
                if (!CanPressWizardButton(wizard, kWizardFinish))
                    return false;
                outcome = GetWindowString(GetDlgItem(completion, IDC_TXGC_COMPLETION_LOG));
                PressWizardButton(wizard, PSBTN_FINISH);
                return true;
            }};
}

LOGFONTW FontOf(HWND page, int controlId)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(page, controlId, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

std::wstring WithoutCarriageReturns(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    return text;
}

class TXGainWizardEndToEndTest : public ShellTest {
protected:
    ~TXGainWizardEndToEndTest() override
    {
        if (!dataFile.empty())
            DeleteFileW(dataFile.c_str());
    }

    // The radio found with these option modules, the Calibration tab shown;
    // no data file for it yet.
    void Connect(const char* optionModules = nullptr)
    {
        dataFile = CombinePath(GetTXGainFolder(nullptr), GetTXGainFileName(kRadioSerial));
        DeleteFileW(dataFile.c_str());
        ASSERT_TRUE(radio.Start());
        if (optionModules)
            radio.SetOptionModuleReply(optionModules);
        ASSERT_TRUE(OpenFrameOnRadio(radio.PortName(), CTabView::TAB_CALIBRATION)) << "the radio was not found";
        ASSERT_EQ(GetTXGainFilePath(nullptr), dataFile);
        page = Page(CTabView::TAB_CALIBRATION);
        radio.ClearLog();
    }

    // Opens the wizard from its button and walks it; returns when it has closed.
    void RunWizard(std::vector<SWizardStep> steps)
    {
        CWizardDriver driver(std::move(steps));
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_CALIBRATE_TX_GAIN)));
        ClickButton(page, IDC_CALIBRATE_TX_GAIN);
        EXPECT_TRUE(driver.Done()) << "the wizard closed before its last step";
        pagesShown = driver.Pages();
    }

    // What the steps saw.
    std::wstring log;
    std::wstring completion;
    bool nextWhileRunning = false;
    std::vector<UINT> pagesShown;

    CSimulatedTransceiver radio;
    std::wstring dataFile;
    HWND page = nullptr;
};

}  // namespace

TEST_F(TXGainWizardEndToEndTest, FiveWattsToFinishThenTheSummaryShowsTheFile)
{
    Connect(kTunerOnly);
    const std::wstring summary = SetGains(radio, TXGAIN_LEVEL_5W);
    const RadioState before = radio.State();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_TX_GAIN_SUMMARY)));
    std::vector<bool> welcomeSteps;
    std::wstring dummyLoadText;
    LOGFONTW titleFont{};
    LOGFONTW bulletFont{};
    RunWizard({
        {IDD_TXGC_WELCOME,
         [&](HWND, HWND welcome) {
             titleFont = FontOf(welcome, IDC_WIZARD_TITLE);
             bulletFont = FontOf(welcome, IDC_BULLET_FIRST);
             return true;
         }},
        NextAfterReadingSteps(IDD_TXGC_WELCOME, 6, welcomeSteps),
        {IDD_TXGC_DUMMY_LOAD,
         [&](HWND, HWND dummyLoad) {
             ClickRadioButton(dummyLoad, IDC_TXGC_ANT2);
             dummyLoadText = GetWindowString(GetDlgItem(dummyLoad, IDC_TXGC_DUMMY_LOAD_TEXT));
             return true;
         }},
        NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
        Calibrate(IDD_TXGC_CALIBRATE_5W),
        NextWhenRunEnded(IDD_TXGC_CALIBRATE_5W, log, nextWhileRunning),
        FinishOnCompletion(completion),
    });
    EXPECT_EQ(pagesShown, (std::vector<UINT>{13114, 13110, 13102, 13101}));
    // 5 W and the dummy load's steps; no 50 W, no transverter output.
    EXPECT_EQ(welcomeSteps, (std::vector<bool>{true, true, true, false, false, false}));
    // The sheet's two fonts, 12 and 8 points at the test display's 96 dpi.
    EXPECT_STREQ(titleFont.lfFaceName, L"Verdana Bold");
    EXPECT_EQ(titleFont.lfHeight, -16);
    EXPECT_EQ(titleFont.lfWeight, 700);
    EXPECT_STREQ(bulletFont.lfFaceName, L"Marlett");
    EXPECT_EQ(bulletFont.lfHeight, -11);
    EXPECT_EQ(bulletFont.lfWeight, 400);
    EXPECT_EQ(dummyLoadText, L"Connect a 5-watt (or greater) Dummy Load to ANT 2");
    EXPECT_FALSE(nextWhileRunning);
    EXPECT_NE(log.find(L"Starting 5 watt calibration"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"Calibrating at 52.000 MHz"), std::wstring::npos);
    EXPECT_NE(log.find(L"Elapsed time: "), std::wstring::npos);
    EXPECT_EQ(WithoutCarriageReturns(completion), L"5 watt calibration succeeded\n");
    EXPECT_EQ(boxes.Count(), 0u);

    // The jack chosen is kept, and the run used it.
    DWORD type = 0;
    BYTE antenna = 0;
    DWORD size = sizeof antenna;
    EXPECT_EQ(RegQueryValueExW(model.AppKey().Key(), L"DummyLoadAntenna", nullptr, &type, &antenna, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(antenna, 2);
    EXPECT_EQ(radio.CountCommand("AN2;"), 11u);
    ExpectRestored(before, radio.State());

    const std::string file = ReadFileBytes(dataFile);
    ASSERT_EQ(file.rfind("Q7 TX Gain Calibration data written on ", 0), 0u) << file;
    EXPECT_NE(file.find("\r\nQ7 Serial Number 04711\r\n"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - summary.size() - 2), std::string(summary.begin(), summary.end()) + "\r\n");

    // The first file of this radio: the summary button is there at once.
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_TX_GAIN_SUMMARY)));
    std::wstring shown;
    boxes.OnDialog(L"TX Gain Calibration Summary", [&](HWND viewer) {
        shown = GetWindowString(GetDlgItem(viewer, IDC_RICH_EDIT));
        PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    ClickButton(page, IDC_TX_GAIN_SUMMARY);
    EXPECT_EQ(shown, std::wstring(file.begin(), file.end()));
}

TEST_F(TXGainWizardEndToEndTest, ARefusedStartThenCancelInTheMiddleOfABandRestoresAndCloses)
{
    Connect();
    const RadioState before = radio.State();
    bool calibrateAfterRefusal = false;
    RunWizard({
        NextWhenIdle(IDD_TXGC_WELCOME),
        NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
        // A machine still busy refuses the start: the page says why and is
        // usable again at once.
        {IDD_TXGC_CALIBRATE_5W,
         [&](HWND wizard, HWND calibrate) {
             if (!CanPressWizardButton(wizard, kWizardNext))
                 return false;
             EXPECT_TRUE(MachineOf(wizard).RefreshOptionModules());
             ClickButton(calibrate, IDC_TXGC_CALIBRATE);
             log = GetWindowString(GetDlgItem(calibrate, IDC_TXGC_LOG));
             calibrateAfterRefusal = IsWindowEnabled(GetDlgItem(calibrate, IDC_TXGC_CALIBRATE)) != FALSE;
             return true;
         }},
        Calibrate(IDD_TXGC_CALIBRATE_5W),
        {IDD_TXGC_CALIBRATE_5W,
         [&](HWND wizard, HWND) {
             nextWhileRunning = nextWhileRunning || CanPressWizardButton(wizard, kWizardNext);
             // Band 1 is under way.
             if (radio.CountCommand("SWH16;") < 2)
                 return false;
             PressWizardButton(wizard, PSBTN_CANCEL);
             return true;
         }},
    });
    EXPECT_NE(log.find(FormatErrorText(E_STATE_MACHINE_BUSY)), std::wstring::npos) << log;
    EXPECT_TRUE(calibrateAfterRefusal);
    EXPECT_FALSE(nextWhileRunning);
    EXPECT_EQ(boxes.Count(), 0u);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.CountCommand("SWH16;"), 2u);
    // Cancelled, the wizard still writes what it has: band 0's line.
    const std::string file = ReadFileBytes(dataFile);
    EXPECT_NE(file.find("\r\n1900 kHz TXGain LP "), std::string::npos) << file;
    EXPECT_EQ(file.find("3750 kHz"), std::string::npos);
}

TEST_F(TXGainWizardEndToEndTest, ATechnicianRunsEveryLevelInOneStep)
{
    WriteSetting(L"AdvancedMode", 1);
    WriteSetting(L"TechnicianTXGainCalibration", 1);
    Connect();
    // A power of its own, so that 1 mW's "PC100;" is not a restore.
    radio.Control("set pc 075");
    // No band keys long enough to be measured: each still gets its line.
    for (unsigned band = 0; band < 11; ++band)
        radio.Control("out-of-band " + std::to_string(band) + " 1");
    std::wstring summary;
    for (unsigned level : {TXGAIN_LEVEL_5W, TXGAIN_LEVEL_50W, TXGAIN_LEVEL_1MW})
        summary += SetGains(radio, level);
    std::vector<bool> welcomeSteps;
    RunWizard({
        NextAfterReadingSteps(IDD_TXGC_WELCOME_TECH, 5, welcomeSteps),
        NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
        Calibrate(IDD_TXGC_CALIBRATE_TECH),
        NextWhenRunEnded(IDD_TXGC_CALIBRATE_TECH, log, nextWhileRunning),
        FinishOnCompletion(completion),
    });
    EXPECT_EQ(pagesShown, (std::vector<UINT>{13116, 13110, 13108, 13101}));
    EXPECT_FALSE(nextWhileRunning) << "not between the levels either";
    EXPECT_EQ(welcomeSteps, (std::vector<bool>{true, true, true, true, true}));
    const std::vector<std::string> commands = radio.Commands();
    const size_t at5W = IndexOf(commands, "PC005;");
    const size_t at50W = IndexOf(commands, "PC050;");
    const size_t at1mW = IndexOf(commands, "PC100;");
    EXPECT_LT(at5W, at50W);
    EXPECT_LT(at50W, at1mW);
    EXPECT_LT(at1mW, commands.size());
    EXPECT_EQ(WithoutCarriageReturns(completion), L"5 watt calibration succeeded\n50 watt calibration succeeded\n"
                                                  L"1 milliwatt calibration succeeded\n");
    // One run for the user: one elapsed time.
    size_t elapsed = 0;
    for (size_t at = log.find(L"Elapsed time: "); at != std::wstring::npos; at = log.find(L"Elapsed time: ", at + 1))
        ++elapsed;
    EXPECT_EQ(elapsed, 1u);
    const std::string file = ReadFileBytes(dataFile);
    EXPECT_NE(file.find(std::string(summary.begin(), summary.end()) + "\r\n"), std::string::npos) << file;
}
