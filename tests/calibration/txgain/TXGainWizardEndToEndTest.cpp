// The TX gain wizard as a user walks it, from the Calibration tab against the
// simulated radio: a 5 W calibration to Finish and its file in the summary
// viewer; a refused start and a Cancel in the middle of a band; the main
// window closed there; a technician's run through every level in one step.
#include "ShellFixture.h"

#include <richedit.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ContactStateMachine.h"
#include "ErrorText.h"
#include "FileBytes.h"
#include "Folders.h"
#include "TXGainFile.h"
#include "TXGainRadio.h"
#include "TXGainWizardSteps.h"

namespace {

// The simulated radio's serial number.
constexpr unsigned short kRadioSerial = 4711;

// What an earlier complete calibration left in the radio's file.
const std::string kEarlierRecord =
    "Q7 TX Gain Calibration data written on 2026-01-02 at 03:04:05\r\nQ7 Serial Number 04711\r\n"
    "Q7 MCU version 04.55 on COM12 at 38400 bit/s\r\nv\r\n1900 kHz TXGain LP   7\r\n\r\n";

LOGFONTW FontOf(HWND page, int controlId)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(page, controlId, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The dark pixels a control shows, as its window holds them: how many, and
// the box around them.
struct SInk {
    int pixels = 0;
    int width = 0;
    int height = 0;
};

SInk InkOf(HWND control)
{
    RECT area;
    GetClientRect(control, &area);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, area.right, -area.bottom, 1, 32, BI_RGB};
    void* bits = nullptr;
    const HDC window = GetDC(control);
    const HDC copy = CreateCompatibleDC(window);
    const HBITMAP picture = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(copy, picture);
    BitBlt(copy, 0, 0, area.right, area.bottom, window, 0, 0, SRCCOPY);
    GdiFlush();
    SInk ink;
    RECT box{area.right, area.bottom, -1, -1};
    for (int y = 0; y < area.bottom; ++y) {
        for (int x = 0; x < area.right; ++x) {
            const auto pixel = static_cast<const BYTE*>(bits) + 4 * (y * area.right + x);
            if (pixel[0] + pixel[1] + pixel[2] >= 3 * 128)
                continue;
            ++ink.pixels;
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                   std::max<LONG>(box.bottom, y)};
        }
    }
    ink.width = ink.pixels ? box.right - box.left + 1 : 0;
    ink.height = ink.pixels ? box.bottom - box.top + 1 : 0;
    SelectObject(copy, previous);
    DeleteObject(picture);
    DeleteDC(copy);
    ReleaseDC(control, window);
    return ink;
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

    // On the 5 W page, once TUNE is keyed on the band: the sheet noted, then `act`.
    SWizardStep KeyedOnBand(size_t band, HWND& sheet, std::function<void()> act)
    {
        return {IDD_TXGC_CALIBRATE_5W, [this, band, &sheet, act](HWND wizard, HWND) {
                    if (radio.CountCommand("SWH16;") <= band)
                        return false;
                    sheet = wizard;
                    act();
                    return true;
                }};
    }

    // Walks the wizard to a 5 W run and does `act` once TUNE is keyed on band 1.
    void RunUntilBand1(HWND& sheet, std::function<void()> act)
    {
        RunWizard({
            NextWhenIdle(IDD_TXGC_WELCOME),
            NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
            Calibrate(IDD_TXGC_CALIBRATE_5W),
            KeyedOnBand(1, sheet, std::move(act)),
        });
    }

    // A run cut short in band 1 wrote band 0's line and its failure in front
    // of the earlier record.
    void ExpectCutShortBeforeTheEarlierRecord()
    {
        const std::string file = ReadFileBytes(dataFile);
        ASSERT_GT(file.size(), kEarlierRecord.size()) << file;
        EXPECT_EQ(file.substr(file.size() - kEarlierRecord.size()), kEarlierRecord);
        const std::string block = file.substr(0, file.size() - kEarlierRecord.size());
        EXPECT_NE(block.find("\r\n1900 kHz TXGain LP "), std::string::npos) << block;
        EXPECT_EQ(block.find("3750 kHz"), std::string::npos);
        const std::string cutShort = "\r\n5 watt calibration failed\r\n\r\n";
        EXPECT_EQ(block.substr(block.size() - cutShort.size()), cutShort) << block;
    }

    // A 5 W run whose radio, once band 0 is keyed, hears only `heard` (or
    // nothing); a second later the user cancels, and the wizard's one box,
    // which must come while it is open, is answered. The time from Cancel
    // to the wizard's close.
    DWORD CancelIntoSilence(const std::vector<std::string>& heard)
    {
        Connect();
        HWND sheet = nullptr;
        DWORD silentAt = 0;
        DWORD cancelledAt = 0;
        size_t sendsAtBox = 0;
        bool openAtBox = false;
        bool greyWhileWaiting = false;
        boxes.AddAnswerFor(L"TX Gain Calibration", IDOK, [&] {
            sendsAtBox = radio.Commands().size();
            openAtBox = IsWindowVisible(sheet) != FALSE;
            return true;
        });
        RunWizard({
            NextWhenIdle(IDD_TXGC_WELCOME),
            NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
            Calibrate(IDD_TXGC_CALIBRATE_5W),
            KeyedOnBand(0, sheet,
                        [&] {
                            radio.HearOnly(heard);
                            radio.SetSilent(heard.empty());
                            silentAt = GetTickCount();
                        }),
            {IDD_TXGC_CALIBRATE_5W,
             [&](HWND wizard, HWND) {
                 if (GetTickCount() - silentAt < 1000)
                     return false;
                 PressWizardButton(wizard, PSBTN_CANCEL);
                 cancelledAt = GetTickCount();
                 return true;
             }},
            // Taken at once, though the restore is still to unkey the radio.
            {IDD_TXGC_CALIBRATE_5W,
             [&](HWND wizard, HWND) {
                 greyWhileWaiting = !CanPressWizardButton(wizard, IDCANCEL);
                 return true;
             }},
        });
        const DWORD took = GetTickCount() - cancelledAt;
        radio.SetSilent(false);
        radio.HearOnly({});
        EXPECT_TRUE(greyWhileWaiting);
        EXPECT_EQ(boxes.Count() > 0 ? boxes[0].owner : nullptr, sheet);
        EXPECT_TRUE(openAtBox);
        EXPECT_EQ(sendsAtBox, radio.Commands().size()) << "nothing sent after the box";
        return took;
    }

    // The radio's last commands.
    void ExpectLastSends(const std::vector<std::string>& sends)
    {
        const std::vector<std::string> commands = radio.Commands();
        ASSERT_GE(commands.size(), sends.size());
        EXPECT_EQ(std::vector<std::string>(commands.end() - sends.size(), commands.end()), sends);
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
    SInk bullet;
    RunWizard({
        {IDD_TXGC_WELCOME,
         [&](HWND, HWND welcome) {
             titleFont = FontOf(welcome, IDC_WIZARD_TITLE);
             bulletFont = FontOf(welcome, IDC_BULLET_FIRST);
             UpdateWindow(welcome);
             bullet = InkOf(GetDlgItem(welcome, IDC_BULLET_FIRST));
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
    // Drawn as Marlett's round dot, which FreeType draws from Wine's font at
    // this height 3 pixels across, solid; the letter "h" of a font standing
    // in for it is 5 by 8 and hollow.
    EXPECT_GE(bullet.width, 3);
    EXPECT_LE(bullet.width, 4);
    EXPECT_GE(bullet.height, 3);
    EXPECT_LE(bullet.height, 4);
    EXPECT_GE(3 * bullet.pixels, 2 * bullet.width * bullet.height) << bullet.pixels << " pixels";
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
    ASSERT_TRUE(WriteFileBytes(dataFile, kEarlierRecord));
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
             EXPECT_TRUE(TXGainMachineOf(wizard).RefreshOptionModules(calibrate));
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
    // Cancelled, the wizard still writes what it has.
    ExpectCutShortBeforeTheEarlierRecord();
}

// Another program holds the radio's record open, with no sharing or sharing
// reading only, while the wizard closes after a run: the record stays as it
// was, and the new block is in a file of its own beside it that the box names.
TEST_F(TXGainWizardEndToEndTest, ARecordHeldOpenKeepsTheNewBlockBesideIt)
{
    Connect();
    ASSERT_TRUE(WriteFileBytes(dataFile, kEarlierRecord));
    const std::wstring keptPattern = CombinePath(GetTXGainFolder(nullptr), L"Q7 TXGain SN 04711 *.txt");
    for (DWORD share : {0ul, static_cast<DWORD>(FILE_SHARE_READ)}) {
        SCOPED_TRACE(share);
        radio.ClearLog();
        const HANDLE holder = CreateFileW(dataFile.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        const size_t boxesBefore = boxes.Count();
        HWND sheet = nullptr;
        RunUntilBand1(sheet, [&] { PressWizardButton(sheet, PSBTN_CANCEL); });
        CloseHandle(holder);
        EXPECT_EQ(ReadFileBytes(dataFile), kEarlierRecord);

        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(keptPattern.c_str(), &found);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no block beside the record";
        FindClose(search);
        const std::wstring kept = CombinePath(GetTXGainFolder(nullptr), found.cFileName);
        const std::string block = ReadFileBytes(kept);
        DeleteFileW(kept.c_str());
        EXPECT_EQ(block.rfind("Q7 TX Gain Calibration data written on ", 0), 0u) << block;
        EXPECT_NE(block.find("\r\nQ7 Serial Number 04711\r\n"), std::string::npos);
        EXPECT_NE(block.find("\r\n1900 kHz TXGain LP "), std::string::npos) << block;
        EXPECT_EQ(block.find(kEarlierRecord), std::string::npos);

        ASSERT_EQ(boxes.Count(), boxesBefore + 1);
        EXPECT_EQ(boxes.Boxes().back().caption, L"TX Gain Calibration file error");
        EXPECT_NE(boxes.Boxes().back().text.find(L"\"" + kept + L"\""), std::wstring::npos);
    }
}

// The main window closed while band 1 is keyed: the run is cancelled, the
// radio put back and the record kept before the program ends.
TEST_F(TXGainWizardEndToEndTest, TheMainWindowClosedInTheMiddleOfABandKeepsTheRecordAndThenEnds)
{
    Connect();
    ASSERT_TRUE(WriteFileBytes(dataFile, kEarlierRecord));
    const RadioState before = radio.State();
    HWND sheet = nullptr;
    RunUntilBand1(sheet, [&] { PostMessageW(Frame(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(boxes.Count(), 0u);
    ExpectRestored(before, radio.State());
    EXPECT_EQ(radio.State().at("tx"), "0");
    ExpectCutShortBeforeTheEarlierRecord();
    EXPECT_EQ(DispatchToQuit(), 1);
    EXPECT_FALSE(IsWindow(Frame()));
}

// The cable pulled while band 1 is keyed: the run names the closed port and
// tells the user to unkey the radio and which settings to set by hand, in
// its log and in a box of the wizard, and a second start names the port
// again. The lines done go to the file of the radio the run started with.
TEST_F(TXGainWizardEndToEndTest, CablePulledWhileKeyedIsToldAndFiledUnderTheRadio)
{
    Connect(kTunerOnly);
    std::wstring pulledLog;
    HWND sheet = nullptr;
    RunWizard({
        NextWhenIdle(IDD_TXGC_WELCOME),
        NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
        Calibrate(IDD_TXGC_CALIBRATE_5W),
        KeyedOnBand(1, sheet, [&] { radio.Unplug(); }),
        {IDD_TXGC_CALIBRATE_5W,
         [&](HWND wizard, HWND calibrate) {
             if (!IsWindowVisible(GetDlgItem(calibrate, IDC_CLICK_NEXT)) ||
                 !CanPressWizardButton(wizard, kWizardNext) || !CanPressWizardButton(wizard, kWizardBack))
                 return false;
             pulledLog = GetWindowString(GetDlgItem(calibrate, IDC_TXGC_LOG));
             ClickButton(calibrate, IDC_TXGC_CALIBRATE);
             return true;
         }},
        NextWhenRunEnded(IDD_TXGC_CALIBRATE_5W, log, nextWhileRunning),
        FinishOnCompletion(completion),
    });
    const std::wstring closed = L"Serial port " + radio.PortName() + L" is closed";
    EXPECT_NE(pulledLog.find(closed), std::wstring::npos) << pulledLog;
    EXPECT_NE(pulledLog.find(kMayBeTransmitting), std::wstring::npos);
    size_t closedLines = 0;
    for (size_t at = log.find(closed); at != std::wstring::npos; at = log.find(closed, at + 1))
        ++closedLines;
    EXPECT_EQ(closedLines, 2u) << log;
    EXPECT_EQ(log.find(FormatErrorText(ERROR_INVALID_HANDLE)), std::wstring::npos) << log;
    const auto warning = std::find_if(boxes.Boxes().begin(), boxes.Boxes().end(), [](const SeenBox& box) {
        return box.text.find(kMayBeTransmitting) != std::wstring::npos;
    });
    ASSERT_NE(warning, boxes.Boxes().end());
    EXPECT_EQ(warning->owner, sheet);
    EXPECT_EQ(warning->caption, L"TX Gain Calibration");
    EXPECT_EQ(warning->text, BoxLines({closed, kMayBeTransmitting}, kLeftInABand))
        << "the lost port, not a setting the restore never tried, is why";

    const std::string file = ReadFileBytes(dataFile);
    EXPECT_NE(file.find("\r\nQ7 Serial Number 04711\r\nQ7 MCU version 04.55 on "), std::string::npos) << file;
    EXPECT_NE(file.find("\r\n1900 kHz TXGain LP "), std::string::npos) << file;
}

// The user cancels while band 0 is keyed and the radio has fallen silent, or
// answers only the unkey. The box of the wizard comes once the restore is
// over and says why, that the radio may still transmit, and which settings
// to set by hand; the wizard closes after it.
TEST_F(TXGainWizardEndToEndTest, CancelIntoASilentKeyedRadioWarnsBeforeClosing)
{
    CancelIntoSilence({});
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, BoxLines({NotPutBack(E_NO_RESPONSE_TQ), kMayBeTransmitting}, kLeftInABand));
    // The restore's unkey asked its eight times into the silence.
    std::vector<std::string> unkey = {"RX;"};
    unkey.insert(unkey.end(), 8, "TQ;");
    ExpectLastSends(unkey);
    EXPECT_EQ(radio.State().at("tx"), "1");
}

// A radio that confirms the unkey and then answers nothing else: its first
// entry goes out eight times, the rest not at all, so the Cancel ends soon.
TEST_F(TXGainWizardEndToEndTest, CancelIntoARadioThatAnswersOnlyTheUnkeyEndsSoon)
{
    const DWORD took = CancelIntoSilence({"RX;", "TQ;"});
    EXPECT_LT(took, 15000u);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, BoxLines({NotPutBack(E_NO_RESPONSE_PC)}, kLeftInABand));
    std::vector<std::string> restore = {"TQ;"};
    for (int send = 0; send < 8; ++send)
        restore.insert(restore.end(), {"PC100;", "PC;"});
    ExpectLastSends(restore);
    EXPECT_EQ(radio.State().at("tx"), "0");
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

// A technician's level that succeeds but cannot put a setting back shows
// the same box as a user's run, before the next level starts.
TEST_F(TXGainWizardEndToEndTest, ATechniciansLevelWarnsOfASettingNotPutBackBeforeTheNextStarts)
{
    WriteSetting(L"AdvancedMode", 1);
    WriteSetting(L"TechnicianTXGainCalibration", 1);
    // The amplifier, no tuner: no band reads the tuner's menu value.
    Connect("OM--P-S-TLK-R---;");
    for (unsigned band = 0; band < 11; ++band)
        radio.Control("out-of-band " + std::to_string(band) + " 1");
    // The tune power is changed, and the restore's value of it is lost: its
    // reads are answered with the other.
    radio.Control("set m058 010");
    radio.IgnoreNext("MP010;", 100);
    size_t fiftyWattsAtBox = 1;
    boxes.AddAnswerFor(L"TX Gain Calibration", IDOK, [&] {
        fiftyWattsAtBox = radio.CountCommand("PC050;");
        radio.IgnoreNext("MP010;", 0);
        return true;
    });
    RunWizard({
        NextWhenIdle(IDD_TXGC_WELCOME_TECH),
        NextWhenIdle(IDD_TXGC_DUMMY_LOAD),
        Calibrate(IDD_TXGC_CALIBRATE_TECH),
        {IDD_TXGC_CALIBRATE_TECH,
         [&](HWND wizard, HWND) {
             if (radio.CountCommand("PC050;") == 0)
                 return false;
             PressWizardButton(wizard, PSBTN_CANCEL);
             return true;
         }},
    });
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text,
              BoxLines({NotPutBack(E_NO_RESPONSE_MP), kNotPutBack, L"Menu Parameter (MP) menu 058: MP010"}));
    EXPECT_EQ(fiftyWattsAtBox, 0u) << "the box came after the next level had started";
}
