// Firmware sends from the Firmware page, through the real serial port,
// against the simulated transceiver, its boot loader and its load modes.
#include "ShellFixture.h"

#include "ContactStateMachine.h"
#include "CountOf.h"
#include "FirmwareSendDriver.h"
#include "ControlWords.h"
#include "LoaderFixture.h"
#include "SimulatedTransceiver.h"
#include "TabView.h"
#include "resource.h"

namespace {

constexpr DWORD kLow = CMcuLoaderStateMachine::kImageLow;
constexpr DWORD kHigh = CMcuLoaderStateMachine::kImageHigh;
const wchar_t kDialogCaption[] = L"Sending Q7 Firmware";

class FirmwareSendEndToEndTest : public ShellTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        // The DSP files every send needs; tests that load them write newer ones.
        for (const wchar_t* name : {L"hdsp0240.hex", L"tboot0100.hex", L"dtbl0100.hex"})
            folder.Write(name, "");
        WriteSetting(L"Port", radio.PortName());
        WriteSetting(L"FirmwareFolder", folder.Path());
        WriteSetting(L"ActivePage", 1);
    }

    // The frame open on the Firmware tab and the radio found.
    HWND OpenAtFirmwarePage(FirmwareStatusEnum status = FIRMWARE_STATUS_RUNNING)
    {
        OpenFrame();
        EXPECT_TRUE(
            PumpUntil([&] { return model.Contact().IsIdle() && model.ConnectionStatus.Get() == status; }, 20000));
        return Page(CTabView::TAB_FIRMWARE);
    }

    // The button's click, as the page gets it; returns once the send is over.
    void Click(HWND page, int id)
    {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    Bytes RadioWindow()
    {
        Bytes bytes;
        for (DWORD address = kLow; address < kHigh; address += 4096) {
            const unsigned count = std::min<DWORD>(4096, kHigh - address);
            const auto chunk = ParseHexBytes(radio.Loader("image " + std::to_string(address) + " " +
                                                          std::to_string(count)));
            if (!chunk)
                return {};
            bytes.insert(bytes.end(), chunk->begin(), chunk->end());
        }
        return bytes;
    }

    void WriteWhole(const std::wstring& name, const Bytes& bytes) { WriteWholeFile(folder, name, bytes); }
    void WriteFrontPanel(const std::wstring& name, const Bytes& bytes, std::array<BYTE, 16>& header)
    {
        WriteFrontPanelFile(folder, name, bytes, header);
    }

    // Keeps the dialog's log and closes it once it offers "Close".
    void CloseWhenDone(CBoxWatcher& watcher, std::wstring& dialogLog)
    {
        watcher.OnDialog(kDialogCaption, [&dialogLog](HWND dialog) {
            if (Text(GetDlgItem(dialog, IDCANCEL)) != L"Close")
                return false;
            dialogLog = Text(GetDlgItem(dialog, IDC_RICH_EDIT));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
    }

    // The part of a finished DSP or FPF load that the radio kept.
    Bytes TextLoad(const std::string& prefix, const std::string& part)
    {
        const std::vector<std::string> words = SplitWords(radio.Loader("text-load " + prefix + " " + part));
        if (words.size() != 5 || words[4] == "-")
            return {};
        return ParseHexBytes(words[4]).value_or(Bytes());
    }

    // "PACKETS ACCEPTED DUPLICATES IGNORED FINISHED"
    std::vector<unsigned> Summary()
    {
        std::vector<unsigned> numbers;
        for (const std::string& word : SplitWords(radio.Loader("summary")))
            numbers.push_back(static_cast<unsigned>(std::stoul(word)));
        return numbers;
    }

    static std::wstring Text(HWND window) { return GetWindowString(window); }

    CSimulatedTransceiver radio;
    CTempFolder folder;
};

}  // namespace

TEST_F(FirmwareSendEndToEndTest, SendAllAt9600LoadsEveryProcessorAtTheLoadSpeedAndComesBack)
{
    radio.SetSpeed(9600);
    radio.Loader("refuse 5 4");
    radio.Loader("reset-version 460");
    radio.Loader("text-version 241");
    const McuFile mcu = WriteMcuFile(folder, L"hmcu0460.hex", 2000, 11);
    const Bytes tinyBoot = RandomBytes(150, 31), code = RandomBytes(300, 32), table = RandomBytes(90, 33);
    const Bytes second = RandomBytes(130, 34), panel = RandomBytes(200, 35);
    WriteWhole(L"tboot0100.hex", tinyBoot);
    WriteWhole(L"hdsp0241.hex", code);
    WriteWhole(L"dtbl0100.hex", table);
    WriteWhole(L"haux0241.hex", second);
    std::array<BYTE, 16> record{};
    WriteFrontPanel(L"hfpf0241.hex", panel, record);
    const HWND page = OpenAtFirmwarePage();
    EXPECT_EQ(model.GetPortSpeed(), 9600u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_ALL)));

    radio.ClearLog();
    Click(page, IDC_SEND_ALL);

    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(RadioWindow(), mcu.window);
    EXPECT_EQ(Summary(), (std::vector<unsigned>{2007 + 4, 2007, 0, 0, 1}));
    EXPECT_EQ(TextLoad("LDF2", "data"), panel);
    EXPECT_EQ(TextLoad("LDF2", "record"), Bytes(record.begin(), record.end()));
    EXPECT_EQ(TextLoad("LDD2", "tiny-boot"), tinyBoot);
    Bytes codeAndTable = code;
    codeAndTable.insert(codeAndTable.end(), table.begin(), table.end());
    EXPECT_EQ(TextLoad("LDD2", "data"), codeAndTable);
    Bytes secondAndTable = second;
    secondAndTable.insert(secondAndTable.end(), table.begin(), table.end());
    EXPECT_EQ(TextLoad("LDA2", "data"), secondAndTable);

    // The order, and the speed each part ran at.
    std::vector<std::string> seen;
    for (const SimulatedCommand& entry : radio.Log()) {
        for (const char* mark : {"LDM;", "BR3;", "LDF2;", "LDD2;", "LDA2;", "LDD20000;", "BR1;"}) {
            if (entry.command == mark)
                seen.push_back(entry.command + " " + std::to_string(entry.speed));
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"LDM; 9600", "BR3; 9600", "LDF2; 38400", "LDD20000; 38400",
                                              "LDD2; 38400", "LDD20000; 38400", "LDA2; 38400", "LDD20000; 38400",
                                              "BR1; 38400"}));
    EXPECT_TRUE(PumpUntil([&] { return model.Contact().IsIdle(); }, 20000));
    EXPECT_EQ(model.GetPortSpeed(), 9600u);
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    for (unsigned index : {VERSION_DSP1, VERSION_FPF, VERSION_DSP2})
        EXPECT_EQ(model.FirmwareVersion.Get(index), 241) << index;
    const std::wstring log = FirmwareLog();
    for (const wchar_t* line : {L"Retry 4 succeeded at address x0940", L"MCU firmware load is complete",
                                L"FPF firmware load is complete", L"DSP1 firmware load is complete",
                                L"DSP2 firmware load is complete", L"Elapsed time: "})
        EXPECT_NE(log.find(line), std::wstring::npos) << std::wstring(line);
}

TEST_F(FirmwareSendEndToEndTest, AdvancedModeSendsTheCheckedItemAndAWrongVersionKeepsTheDialogOpen)
{
    WriteSetting(L"AdvancedMode", 1);
    WriteSetting(L"LoadCheckbox", LOAD_DSP2);
    radio.Loader("text-version 250");
    WriteMcuFile(folder, L"hmcu0460.hex", 100, 14);
    WriteWhole(L"tboot0100.hex", RandomBytes(40, 36));
    WriteWhole(L"hdsp0241.hex", RandomBytes(40, 37));
    WriteWhole(L"haux0241.hex", RandomBytes(40, 38));
    WriteWhole(L"dtbl0100.hex", RandomBytes(40, 39));
    const HWND page = OpenAtFirmwarePage();
    EXPECT_EQ(GetWindowString(GetDlgItem(page, IDC_SEND_ALL)), L"Send Checked Items to Q7");

    std::wstring dialogLog;
    CloseWhenDone(boxes, dialogLog);
    radio.ClearLog();
    Click(page, IDC_SEND_ALL);
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u);
    EXPECT_EQ(radio.CountCommand("LDD2;"), 0u);
    EXPECT_EQ(radio.CountCommand("LDA2;"), 1u);
    for (const wchar_t* line : {L"Q7 responded with version 02.50", L"Firmware version verify failed. Reload DSP2 firmware.",
                                L"Error code 0xE2000046", L"Click \"Close\" to close this window"})
        EXPECT_NE(dialogLog.find(line), std::wstring::npos) << std::wstring(line);
}

TEST_F(FirmwareSendEndToEndTest, HideShowAndCloseTheProgramWhileBusy)
{
    radio.SetBootLoader(true);
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 100, 12);
    const HWND page = OpenAtFirmwarePage(FIRMWARE_STATUS_BOOT_LOADER);

    // The newest watcher is the one that answers.
    CBoxWatcher answers({IDNO, IDYES});
    unsigned packetsAtNo = 0, packetsAtYes = 0;
    int step = 0;
    const HWND frame = Frame();
    bool frameAfterNo = false;
    answers.OnDialog(kDialogCaption, [&](HWND dialog) {
        const unsigned packets = Summary()[0];
        if (step == 0 && packets > 50) {
            // The owner minimised and restored: the load neither stops nor starts again.
            SendMessageW(dialog, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
            SendMessageW(dialog, WM_SHOWWINDOW, FALSE, 0);
            SendMessageW(dialog, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
            SendMessageW(dialog, WM_SHOWWINDOW, TRUE, 0);
            step = 1;
        } else if (step == 1 && packets > 150) {
            packetsAtNo = packets;
            // The program closed from outside, as taskkill does, which
            // closes the dialog too: one question, and No keeps the load
            // and the program going.
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            SendMessageW(frame, WM_CLOSE, 0, 0);
            frameAfterNo = IsWindow(frame);
            step = 2;
        } else if (step == 2 && packets > packetsAtNo + 100) {
            packetsAtYes = packets;
            PostMessageW(frame, WM_CLOSE, 0, 0);  // Yes: the dialog ends, then the program
            return true;
        }
        return false;
    });
    radio.ClearLog();
    Click(page, IDC_SEND_ALL);

    EXPECT_TRUE(frameAfterNo);
    ASSERT_EQ(answers.Count(), 2u);
    EXPECT_EQ(answers[0].text, L"Are you sure you wish to close the Utility while sending firmware?");
    EXPECT_EQ(answers[0].caption, L"Critical Operation in Progress");
    EXPECT_GT(packetsAtYes, packetsAtNo + 100);
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u);  // a radio in its boot loader needs none
    EXPECT_EQ(radio.CountCommand("D"), 1u);
    // Nothing ticks the abandoned load on.
    const unsigned after = Summary()[0];
    PumpFor(2500);
    EXPECT_EQ(Summary()[0], after);
    EXPECT_LE(after, packetsAtYes + 2);
    EXPECT_TRUE(model.ActiveMachine() == nullptr);
    EXPECT_FALSE(IsWindow(frame)) << "once the dialog has ended, the program closes";
}

TEST_F(FirmwareSendEndToEndTest, RefusalsThatPutNothingOnTheWire)
{
    CHexImage unreconciled;
    unreconciled.Put(kLow, {0x12, 0x34, 0x56});
    folder.Write(L"hmcu0460.hex", unreconciled.ToHex());
    const HWND page = OpenAtFirmwarePage();

    // A busy machine keeps the port: the send is refused.
    model.Contact().StartAtOpenPort();
    Click(page, IDC_SEND_NEW);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes().back().caption, L"Error");
    EXPECT_EQ(boxes.Boxes().back().text, L"Cannot start a busy state machine");
    ASSERT_TRUE(PumpUntil([&] { return model.Contact().IsIdle(); }, 10000));

    // A file that does not reconcile: the dialog reports it, nothing is sent.
    // While it is up the page is sending: its buttons do nothing.
    std::wstring dialogLog;
    unsigned loaderDialogs = 0, copyDialogs = 0;
    HWND seen = nullptr;
    unsigned short mcuWhileSending = 0;
    boxes.OnDialog(L"Copy Files from Zentrova File Server", [&](HWND copy) {
        ++copyDialogs;
        PostMessageW(copy, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    boxes.OnDialog(kDialogCaption, [&](HWND dialog) {
        if (Text(GetDlgItem(dialog, IDCANCEL)) != L"Close")
            return false;
        if (dialog != seen) {
            seen = dialog;
            ++loaderDialogs;
            mcuWhileSending = model.FirmwareVersion.Get(VERSION_MCU);
            for (int id : {IDC_SEND_ALL, IDC_SEND_NEW, IDC_CHECK_VERSIONS, IDC_COPY_NEW_FILES}) {
                PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
            }
            return false;
        }
        EXPECT_EQ(model.FirmwareVersion.Get(VERSION_MCU), mcuWhileSending);
        EXPECT_TRUE(model.Contact().IsIdle());
        dialogLog = Text(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    radio.ClearLog();
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    Click(page, IDC_SEND_NEW);
    EXPECT_EQ(loaderDialogs, 1u);
    EXPECT_EQ(copyDialogs, 0u);
    EXPECT_EQ(mcuWhileSending, 455u);
    EXPECT_NE(dialogLog.find(L"File does not checksum to zero."), std::wstring::npos);
    EXPECT_NE(dialogLog.find(L"Error code 0xE2000041"), std::wstring::npos);
    EXPECT_TRUE(radio.Commands().empty() || radio.Commands().front() == ";");
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u);
    EXPECT_EQ(radio.CountCommand("D"), 0u);

    // A failed load leaves the radio's state unknown, and the sends with it,
    // until "Check Versions Now" finds the radio again.
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_NEW)));
    Click(page, IDC_CHECK_VERSIONS);
    ASSERT_TRUE(PumpUntil(
        [&] { return model.Contact().IsIdle() && model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING; }, 20000));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_NEW)));
}

TEST_F(FirmwareSendEndToEndTest, AnN8ThatCannotPassThroughMustBeSwitchedOff)
{
    radio.Loader("n8 running 36");
    WriteMcuFile(folder, L"hmcu0460.hex", 100, 13);
    const HWND page = OpenAtFirmwarePage();
    CBoxWatcher answers({IDCANCEL});
    std::wstring dialogLog;
    CloseWhenDone(answers, dialogLog);
    radio.ClearLog();
    Click(page, IDC_SEND_NEW);
    ASSERT_EQ(answers.Count(), 1u);
    EXPECT_EQ(answers[0].text, L"N8 must be switched off to send Q7 firmware");
    EXPECT_NE(dialogLog.find(L"Error code 0xE2000082"), std::wstring::npos);
    EXPECT_EQ(radio.CountCommand("#RVM;"), 1u);
    EXPECT_EQ(radio.CountCommand("#PT;"), 0u);
    EXPECT_EQ(radio.CountCommand("OM;"), 0u);
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u);
}

TEST_F(FirmwareSendEndToEndTest, ReleaseNotesOnlyFromAFolderThatHasThemAndTheSecondReceiversBox)
{
    WriteMcuFile(folder, L"hmcu0460.hex", 100, 14);
    const HWND page = OpenAtFirmwarePage();
    const wchar_t notesCaption[] = L"Firmware Release Notes";

    // Newer firmware but no notes: nothing is shown, not even an error.
    Click(page, IDC_CHECK_VERSIONS);
    PumpPending();
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(FindWindowW(nullptr, notesCaption), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return model.Contact().IsIdle() && model.FirmwareVersion.Get(VERSION_MCU) != 0; },
                          20000));
    folder.Write(L"hfwnotes.rtf", "{\\rtf1 Notes.}");
    Click(page, IDC_CHECK_VERSIONS);
    PumpPending();
    const HWND notes = FindWindowW(nullptr, notesCaption);
    EXPECT_NE(notes, nullptr);
    if (notes)
        SendMessageW(notes, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return model.Contact().IsIdle(); }, 20000));

    // Checking DSP2 while its version is unknown asks first; only OK keeps the tick.
    model.AdvancedMode.Set(1);
    const struct {
        unsigned short installed;
        int answer;
        size_t boxes;
        bool checked;
    } cases[] = {
        {VERSION_UNREAD, IDCANCEL, 1, false}, {VERSION_LOADING, IDOK, 1, true},
        {VERSION_NOT_APPLICABLE, IDOK, 1, true}, {240, IDCANCEL, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.installed);
        model.FirmwareVersion.Set(VERSION_DSP2, c.installed);
        CBoxWatcher answers({c.answer});
        CheckDlgButton(page, IDC_LOAD_DSP2, BST_CHECKED);
        Click(page, IDC_LOAD_DSP2);
        ASSERT_EQ(answers.Count(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(answers[0].text, L"Select only if you have the SV2H Second Receiver Option installed");
            EXPECT_EQ(answers[0].caption, L"Option Required");
            EXPECT_EQ(answers[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_LOAD_DSP2) == BST_CHECKED, c.checked);
        CheckDlgButton(page, IDC_LOAD_DSP2, BST_UNCHECKED);
        Click(page, IDC_LOAD_DSP2);
    }
    model.AdvancedMode.Set(0);
}

namespace {

// The loader dialog's log as it stood when the dialog went: Yes to the close
// question ends it at once.
std::wstring* t_lastLoaderLog = nullptr;

LRESULT CALLBACK KeepLoaderLog(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && GetWindowString(window) == kDialogCaption)
        *t_lastLoaderLog = GetWindowString(GetDlgItem(window, IDC_RICH_EDIT));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// Given up once "LDM;" has put the radio into its boot loader, before the
// download began, the radio is left without complete firmware: the dialog
// and the page say so once each. With the power off and on again, the
// search finds the boot loader waiting.
TEST_F(FirmwareSendEndToEndTest, ALoadGivenUpLeavesTheRadioWaitingInItsBootLoader)
{
    WriteMcuFile(folder, L"hmcu0460.hex", 100, 15);
    const HWND page = OpenAtFirmwarePage();
    const std::wstring advice = L"Q7 has no complete firmware; remove power and send the firmware again";
    CBoxWatcher answers({IDYES});
    answers.OnDialog(kDialogCaption, [&](HWND dialog) {
        if (radio.CountCommand("LDM;") == 0)
            return false;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    std::wstring dialogLog;
    t_lastLoaderLog = &dialogLog;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &KeepLoaderLog, nullptr, GetCurrentThreadId());
    Click(page, IDC_SEND_ALL);
    UnhookWindowsHookEx(hook);
    t_lastLoaderLog = nullptr;
    ASSERT_EQ(answers.Count(), 1u);
    EXPECT_EQ(answers[0].caption, L"Critical Operation in Progress");
    EXPECT_EQ(radio.CountCommand("D"), 0u);
    EXPECT_EQ(CountOf(dialogLog, advice), 1u);
    EXPECT_EQ(CountOf(FirmwareLog(), advice), 1u);

    radio.Loader("power-cycle");
    SelectTab(CTabView::TAB_PORT);
    SendMessageW(Page(CTabView::TAB_PORT), WM_COMMAND, MAKEWPARAM(IDC_TEST_COMMUNICATIONS, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return model.Contact().IsIdle() && answers.Count() == 2; }, 20000));
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_EQ(answers[1].caption, L"Q7 Status");
    EXPECT_EQ(answers[1].text, L"Q7 waiting for firmware load on " + radio.PortName() + L" at 38400 bit/s");
}
