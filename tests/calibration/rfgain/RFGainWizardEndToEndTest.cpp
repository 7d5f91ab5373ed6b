// The RF gain wizard from the Calibration tab against the simulated radio,
// in the runs that the registry switches make: an advanced run storing the
// factory table in both receivers and showing the second's beside its
// EEPROM copy, then back from Completion to store it again; a zero table
// refused; a technician's run that walks itself; the main window closed
// under the wizard. Only a Finish on the Completion page, which says so,
// leaves the radio in TX TEST without a box.
#include "ShellFixture.h"

#include "RFGainFixture.h"
#include "RFGainWizardSteps.h"

namespace {

// The factory table's dump, as the display pages show it.
const wchar_t kFactoryDump[] =
    L"20007401 35013702 38023901 39033C03\n"
    L"3A023C03 3B033D04 3E053E06 3D063C08\n"
    L"3F093C0C 3C0D3E0E 3D103F0F 3C0F400E\n"
    L"3F0F3F10 3E143F1A 401F4122 3F273F2D\n"
    L"41333F3E 404A4150 403B3F11 3E024401\n"
    L"3E003F00 41003F00 3F014000 40004001\n"
    L"41033D06 43134120 41243F18 400B4107\n"
    L"42033C04 42014100 EE007451 236D5338\n";

std::wstring HexPairs(size_t count)
{
    std::wstring text;
    for (size_t i = 0; i < count; ++i)
        text += L"5a ";
    return text;
}

class RFGainWizardEndToEndTest : public ShellTest {
protected:
    using State = RFGainTest::State;

    // The radio found with these option modules, the Calibration tab shown.
    void Connect(const char* optionModules = nullptr)
    {
        ASSERT_TRUE(radio.Start());
        if (optionModules)
            radio.SetOptionModuleReply(optionModules);
        ASSERT_TRUE(OpenFrameOnRadio(radio.PortName(), CTabView::TAB_CALIBRATION)) << "the radio was not found";
        page = Page(CTabView::TAB_CALIBRATION);
        radio.ClearLog();
    }

    // Opens the wizard from its button and walks it; returns when it has closed.
    void RunWizard(std::vector<SWizardStep> steps)
    {
        CWizardDriver driver(std::move(steps), 60000);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_CALIBRATE_RF_GAIN)));
        ClickButton(page, IDC_CALIBRATE_RF_GAIN);
        EXPECT_TRUE(driver.Done()) << "the wizard closed before its last step";
        pagesShown = driver.Pages();
        EXPECT_EQ(model.ActiveMachine(), nullptr);
    }

    // The box that tells, over the Calibration tab, that the radio is left in TX TEST.
    void ExpectTXTestNotice(const SeenBox& box)
    {
        EXPECT_EQ(box.caption, L"RF Gain Calibration");
        EXPECT_EQ(box.text, L"Disconnect the signal source before restoring TX TEST to NORM");
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONASTERISK));
        EXPECT_EQ(box.owner, Frame());
    }

    std::vector<uint8_t> Eeprom(unsigned address) { return radio.ReadEeprom(address, 128); }
    std::vector<uint8_t> Table(const char* receiver)
    {
        return *ParseHexBytes(radio.Control(std::string("dsp table ") + receiver));
    }

    CSimulatedTransceiver radio;
    HWND page = nullptr;
    std::vector<UINT> pagesShown;
};

TEST_F(RFGainWizardEndToEndTest, AnAdvancedRunStoresTheFactoryTableShowsItsCopiesAndAfterBackPreparesAgain)
{
    WriteSetting(L"AdvancedRFGainCalibration", 1);
    // One pair short.
    WriteSetting(L"RFGainCalibrationMainRXTable", HexPairs(127));
    Connect();
    const State before = radio.State();
    bool currentOffered = false;
    bool registryOfferedWhenShort = true;
    bool registryOfferedWhenWhole = false;
    std::wstring instruction;
    std::wstring mainLog;
    std::wstring subLog;
    std::wstring displayLog;
    RunWizard({
        Next(IDD_RFGC_WELCOME),
        On(IDD_RFGC_CHOOSE_SOURCE, [&](HWND, HWND shown) {
            currentOffered = IsShownAndEnabled(shown, IDC_RFGC_CURRENT);
            registryOfferedWhenShort = IsWindowVisible(GetDlgItem(shown, IDC_RFGC_REGISTRY)) ||
                                       IsWindowEnabled(GetDlgItem(shown, IDC_RFGC_REGISTRY));
            WriteSetting(L"RFGainCalibrationMainRXTable", HexPairs(128));
        }),
        // Shown again, the page reads the value again.
        Back(IDD_RFGC_CHOOSE_SOURCE),
        Next(IDD_RFGC_WELCOME),
        On(IDD_RFGC_CHOOSE_SOURCE, [&](HWND, HWND shown) {
            registryOfferedWhenWhole = IsShownAndEnabled(shown, IDC_RFGC_REGISTRY);
        }),
        Choose(IDC_RFGC_FACTORY),
        Next(IDD_RFGC_CHOOSE_SOURCE),
        On(IDD_RFGC_MAIN_RX, [&](HWND, HWND shown) {
            instruction = GetWindowString(GetDlgItem(shown, IDC_RFGC_INSTRUCTION));
        }),
        Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
        NextAfterRun(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, mainLog),
        // A stored table leaves out the main receiver's display.
        Click(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE),
        NextAfterRun(IDD_RFGC_SUB_RX, IDC_RFGC_CALIBRATE, subLog),
        Click(IDD_RFGC_SUB_DISPLAY, IDC_RFGC_DISPLAY),
        NextAfterRun(IDD_RFGC_SUB_DISPLAY, IDC_RFGC_DISPLAY, displayLog),
        // After its restore: the radio is prepared again for the next chain.
        Back(IDD_RFGC_COMPLETION),
        Next(IDD_RFGC_CHOOSE_SOURCE),
        Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
        NextAfterRun(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, mainLog),
        Next(IDD_RFGC_SUB_RX),
        Next(IDD_RFGC_SUB_DISPLAY),
        Finish(),
    });
    EXPECT_EQ(pagesShown, (std::vector<UINT>{12000, 12002, 12000, 12002, 12012, 12022, 12028, 12030, 12002, 12012,
                                             12022, 12028, 12030}));
    // Welcome's two, and the one ahead of the store after Completion.
    EXPECT_EQ(radio.CountCommand("MN255;"), 3u);
    EXPECT_TRUE(currentOffered);
    EXPECT_FALSE(registryOfferedWhenShort);
    EXPECT_TRUE(registryOfferedWhenWhole);
    EXPECT_EQ(instruction, L"Click \"Calibrate\" to store factory default data");
    EXPECT_EQ(boxes.Count(), 0u);

    const std::vector<uint8_t> factory(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end());
    for (const char* receiver : {"main", "sub"})
        EXPECT_EQ(Table(receiver), factory) << receiver;
    EXPECT_EQ(Eeprom(0x4D00), factory);
    EXPECT_EQ(Eeprom(0x4D80), factory);
    EXPECT_NE(mainLog.find(L"Write factory default calibration data"), std::wstring::npos) << mainLog;
    EXPECT_NE(subLog.find(L"Write calibration table to EEPROM"), std::wstring::npos) << subLog;
    const std::wstring report =
        std::wstring(L"\nDSP and MCU EEPROM content are identical\n\n") + kFactoryDump + L"\n";
    const std::wstring shown = WithNewlines(displayLog);
    ASSERT_GE(shown.size(), report.size()) << shown;
    EXPECT_EQ(shown.substr(shown.size() - report.size()), report) << shown;
    EXPECT_EQ(CountOf(shown, L"DSP and MCU EEPROM content"), 1u);
    RFGainTest::ExpectRestored(before, radio.State());
}

TEST_F(RFGainWizardEndToEndTest, AZeroTableIsToldOnceInItsBoxAndLogAndLeavesOnlyCancel)
{
    WriteSetting(L"AdvancedRFGainCalibration", 1);
    Connect();
    radio.Control("dsp table main " + std::string(256, '0'));
    const State before = radio.State();
    std::wstring log;
    RunWizard({
        Next(IDD_RFGC_WELCOME),
        Choose(IDC_RFGC_CURRENT),
        Next(IDD_RFGC_CHOOSE_SOURCE),
        Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
        CancelAfterFailure(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE, boxes, 1, log),
    });
    const std::wstring zero = L"RF Gain calibration data is zero.\nNo signal source was detected.\nTurn Q7 power off "
                              L"and back on, supply an appropriate signal source, and perform RF Gain calibration "
                              L"again.";
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"RF Gain Calibration Error");
    EXPECT_EQ(boxes[0].text, zero);
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    ExpectTXTestNotice(boxes[1]);
    EXPECT_EQ(CountOf(WithNewlines(log), zero), 1u) << log;
    EXPECT_EQ(Eeprom(0x4D00), std::vector<uint8_t>(128, 0xFF));
    RFGainTest::ExpectRestored(before, radio.State());
}

TEST_F(RFGainWizardEndToEndTest, ATechnicianRunWalksItselfAndClosesAfterTheRestore)
{
    WriteSetting(L"AdvancedMode", 1);
    WriteSetting(L"TechnicianRFGainCalibration", 1);
    // No second receiver (no S at 6).
    Connect("OM-APX--TLK-R---;");
    radio.Control("dsp signal main -73");
    const State before = radio.State();
    std::pair<bool, bool> secondReceiverStep;
    RunWizard({
        On(IDD_RFGC_WELCOME, [&](HWND, HWND welcome) { secondReceiverStep = SecondReceiverStep(welcome); }),
        // The user still chooses the source and sets the generator high.
        Next(IDD_RFGC_CHOOSE_SOURCE),
        Next(IDD_RFGC_MAIN_SIG_GEN_HIGH),
    });
    // No generator page, no second receiver: Completion after the high level.
    EXPECT_EQ(pagesShown, (std::vector<UINT>{12000, 12002, 12010, 12012, 12014, 12016, 12030}));
    EXPECT_EQ(secondReceiverStep, std::make_pair(false, false));
    // It closed before its Completion text could be read.
    ASSERT_EQ(boxes.Count(), 1u);
    ExpectTXTestNotice(boxes[0]);
    // b800-b804 at -73 dBm, b805 at the high level.
    EXPECT_EQ(radio.CountCommand("!b8"), 6u);
    EXPECT_EQ(radio.CountCommand("@"), 0u);
    EXPECT_EQ(Eeprom(0x4D00), Table("main"));
    RFGainTest::ExpectRestored(before, radio.State());
}

// Cancel pressed while the table goes to EEPROM lets the whole table in,
// and the page's log and the box after the wizard say it is there.
TEST_F(RFGainWizardEndToEndTest, CancelWhileTheTableIsStoredSaysTheNewTableIsStored)
{
    Connect();
    const State before = radio.State();
    // The second block's first send lost: the write takes a while.
    radio.IgnoreNext("EW", 1, 1);
    std::wstring log;
    RunWizard({
        Next(IDD_RFGC_WELCOME),
        Choose(IDC_RFGC_FACTORY),
        Next(IDD_RFGC_CHOOSE_SOURCE),
        Click(IDD_RFGC_MAIN_RX, IDC_RFGC_CALIBRATE),
        When(IDD_RFGC_MAIN_RX, [&](HWND) { return radio.CountCommand("EW") > 0; },
             [](HWND wizard, HWND) { PressWizardButton(wizard, PSBTN_CANCEL); }),
        // The store has ended; the restore runs.
        When(IDD_RFGC_MAIN_RX,
             [](HWND wizard) { return !MachineOf(wizard).IsIdle() && !MachineOf(wizard).IsRestorePending(); },
             [&](HWND, HWND shown) { log = WithNewlines(GetWindowString(GetDlgItem(shown, IDC_RFGC_LOG))); }),
    });
    const std::wstring stored = L"The new RF Gain calibration table was stored in EEPROM.";
    EXPECT_NE(log.find(L"\nReady\n" + stored), std::wstring::npos) << log;
    EXPECT_EQ(CountOf(log, stored), 1u);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, L"Disconnect the signal source before restoring TX TEST to NORM\n" + stored);
    EXPECT_EQ(Eeprom(0x4D00), std::vector<uint8_t>(kFactoryRFGainTable.begin(), kFactoryRFGainTable.end()));
    RFGainTest::ExpectRestored(before, radio.State());
}

// The main window's close goes to the wizard first, which restores the
// radio and closes; the notice then holds the close until it is read.
TEST_F(RFGainWizardEndToEndTest, TheMainWindowClosedUnderTheWizardWaitsForTheTXTestNotice)
{
    Connect();
    RunWizard(AtTheGenerator([&](HWND, HWND) { PostMessageW(Frame(), WM_CLOSE, 0, 0); }));
    ASSERT_EQ(boxes.Count(), 1u);
    ExpectTXTestNotice(boxes[0]);
    EXPECT_EQ(DispatchToQuit(), 1);
    EXPECT_FALSE(IsWindow(Frame()));
}

}  // namespace
