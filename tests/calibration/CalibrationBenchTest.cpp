// Both calibrations as a technician does them at the bench of scripts/run.sh:
// the program on the simulated radio, the signal generator, the TX TEST
// switch and the cable worked with the bench script (scripts/radio.sh).
#include "ShellFixture.h"

#include <algorithm>

#include "ControlWords.h"
#include "Folders.h"
#include "RFGainWizardSteps.h"
#include "TXGainFile.h"
#include "TXGainRadio.h"
#include "TXGainWizardSteps.h"

namespace {

using Bytes = std::vector<uint8_t>;

class CalibrationBenchTest : public ShellTest {
protected:
    CalibrationBenchTest() { DeleteFileW(dataFile.c_str()); }
    ~CalibrationBenchTest() override { DeleteFileW(dataFile.c_str()); }

    // Once the page is idle: the bench action, quietly done, then Next.
    SWizardStep AtTheBenchThenNext(UINT page, std::string action)
    {
        return {page, [this, action](HWND wizard, HWND) {
                    if (!MachineOf(wizard).IsIdle() || !CanPressWizardButton(wizard, kWizardNext))
                        return false;
                    EXPECT_EQ(radio.Bench(action), "") << action;
                    PressWizardButton(wizard, PSBTN_NEXT);
                    return true;
                }};
    }

    void RunWizard(int button, std::vector<SWizardStep> steps)
    {
        CWizardDriver driver(std::move(steps), 90000);
        ClickButton(page, button);
        EXPECT_TRUE(driver.Done()) << "the wizard closed before its last step";
    }

    CSimulatedTransceiver radio;
    // The TX gain run's, kept for the radio's serial number.
    const std::wstring dataFile = CombinePath(GetTXGainFolder(nullptr), GetTXGainFileName(4711));
    HWND page = nullptr;
};

}  // namespace

TEST_F(CalibrationBenchTest, RFGainOfBothReceiversThenTXGainOnceTheSwitchIsBackOnNormAndTheCableComesBack)
{
    ASSERT_TRUE(radio.Start(true));
    radio.SetOptionModuleReply(kTunerOnly);
    ASSERT_TRUE(OpenFrameOnRadio(radio.PortName(), CTabView::TAB_CALIBRATION));
    page = Page(CTabView::TAB_CALIBRATION);
    // The script prints the radio's state, a setting a line, after a line
    // on the names.
    std::string lines = radio.Control("state");
    std::replace(lines.begin(), lines.end(), ' ', '\n');
    const std::string printed = radio.Bench("state");
    EXPECT_EQ(printed.substr(0, 2), "# ");
    EXPECT_EQ(printed.substr(printed.find('\n') + 1), lines + "\n");
    const auto atStart = radio.State();
    EXPECT_EQ(atStart.at("tx-test"), "0");
    EXPECT_EQ(atStart.at("signal-main"), "off");

    // The generator as each page asks for it.
    std::wstring logs[4];
    RunWizard(IDC_CALIBRATE_RF_GAIN,
              {
                  Next(IDD_RFGC_WELCOME),
                  Next(IDD_RFGC_CHOOSE_SOURCE),
                  AtTheBenchThenNext(IDD_RFGC_SIG_GEN, "generator main -73"),
                  Next(IDD_RFGC_MAIN_KNOBS),
                  Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
                  NextAfterRun(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, logs[0]),
                  AtTheBenchThenNext(IDD_RFGC_MAIN_SIG_GEN_HIGH, "generator main -33"),
                  Click(IDD_RFGC_MAIN_RX_HIGH, IDC_RFGC_CALIBRATE),
                  NextAfterRun(IDD_RFGC_MAIN_RX_HIGH, IDC_RFGC_CALIBRATE, logs[1]),
                  AtTheBenchThenNext(IDD_RFGC_SUB_KNOBS, "generator sub -73"),
                  Click(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE),
                  NextAfterRun(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE, logs[2]),
                  AtTheBenchThenNext(IDD_RFGC_SUB_SIG_GEN_HIGH, "generator sub -33"),
                  Click(IDD_RFGC_SUB_RX_HIGH, IDC_RFGC_CALIBRATE),
                  NextAfterRun(IDD_RFGC_SUB_RX_HIGH, IDC_RFGC_CALIBRATE, logs[3]),
                  Finish(),
              });
    for (int run = 0; run < 4; ++run) {
        const std::wstring level = run % 2 ? L"-33" : L"-73";
        EXPECT_NE(logs[run].find(L"Received signal level is " + level + L" dBm"), std::wstring::npos) << logs[run];
    }
    EXPECT_EQ(boxes.Count(), 0u);
    const auto afterRFGain = radio.State();
    EXPECT_EQ(radio.ReadEeprom(0x4D00, 128), ParseHexBytes(afterRFGain.at("dsp-main")).value_or(Bytes()));
    EXPECT_EQ(radio.ReadEeprom(0x4D80, 128), ParseHexBytes(afterRFGain.at("dsp-sub")).value_or(Bytes()));
    EXPECT_NE(afterRFGain.at("dsp-main"), atStart.at("dsp-main"));
    EXPECT_NE(afterRFGain.at("dsp-sub"), atStart.at("dsp-sub"));
    EXPECT_EQ(afterRFGain.at("tx-test"), "1") << "the front panel's switch is the technician's to turn back";

    // As the Completion page says: the generator off, then TX TEST to NORM.
    EXPECT_EQ(radio.Bench("generator main off"), "");
    EXPECT_EQ(radio.Bench("generator sub off"), "");
    EXPECT_EQ(radio.Bench("switch norm"), "");
    std::wstring txLog;
    std::wstring outcome;
    bool nextWhileRunning = false;
    RunWizard(IDC_CALIBRATE_TX_GAIN, {
                                         NextWhenIdle(IDD_TXGC_WELCOME),
                                         NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
                                         Calibrate(IDD_TXGC_CALIBRATE_5W),
                                         NextWhenRunEnded(IDD_TXGC_CALIBRATE_5W, txLog, nextWhileRunning),
                                         FinishOnCompletion(outcome),
                                     });
    EXPECT_EQ(WithoutCarriageReturns(outcome), L"5 watt calibration succeeded\n") << txLog;

    // The cable pulled and plugged back in: the port goes and comes back,
    // the radio stays as it was, and the program finds it again.
    const auto beforeUnplug = radio.State();
    EXPECT_EQ(radio.Bench("unplug"), "");
    const std::wstring device = L"\\\\.\\" + radio.PortName();
    const HANDLE gone = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(gone, INVALID_HANDLE_VALUE);
    if (gone != INVALID_HANDLE_VALUE)
        CloseHandle(gone);
    EXPECT_EQ(radio.Bench("plug"), "");
    EXPECT_EQ(radio.State(), beforeUnplug);
    const size_t shown = boxes.Count();
    SelectTab(CTabView::TAB_PORT);
    ClickButton(Page(CTabView::TAB_PORT), IDC_TEST_COMMUNICATIONS);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() > shown; }, 20000));
    EXPECT_EQ(boxes[shown].text, L"Q7 MCU version 04.55 on " + radio.PortName() + L" at 38400 bit/s");
}
