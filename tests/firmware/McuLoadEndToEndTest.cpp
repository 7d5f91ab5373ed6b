// The MCU load from the Firmware page, through the real serial port, against
// the simulated transceiver and its boot loader.
#include "ShellFixture.h"

#include "ContactStateMachine.h"
#include "ControlWords.h"
#include "LoaderFixture.h"
#include "SimulatedTransceiver.h"
#include "TabView.h"
#include "resource.h"

namespace {

constexpr DWORD kLow = CMcuLoaderStateMachine::kImageLow;
constexpr DWORD kHigh = CMcuLoaderStateMachine::kImageHigh;
const wchar_t kDialogCaption[] = L"Sending Q7 Firmware";

class McuLoadEndToEndTest : public ShellTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
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

TEST_F(McuLoadEndToEndTest, FullLoadAt9600WithRefusalsAndAWrongVersionAfterTheReset)
{
    radio.SetSpeed(9600);
    radio.Loader("refuse 5 4");
    radio.Loader("reset-version 461");
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 2000, 11);
    const HWND page = OpenAtFirmwarePage();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_NEW)));

    std::wstring dialogLog, closeText;
    boxes.OnDialog(kDialogCaption, [&](HWND dialog) {
        closeText = Text(GetDlgItem(dialog, IDCANCEL));
        if (closeText != L"Close")
            return false;
        dialogLog = Text(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    radio.ClearLog();
    Click(page, IDC_SEND_NEW);

    EXPECT_EQ(RadioWindow(), file.window);
    EXPECT_EQ(Summary(), (std::vector<unsigned>{2007 + 4, 2007, 0, 0, 1}));
    EXPECT_EQ(radio.CountCommand("LDM;"), 1u);
    EXPECT_EQ(radio.CountCommand("BR"), 0u);  // the boot loader's speed needs no command
    for (const wchar_t* line :
         {L"Retry 4 succeeded at address x0940", L"Total number of retries was 4",
          L"Highest number of retries for any block was 4",
          L"Q7 responded with version 04.61", L"Firmware version verify failed. Reload MCU firmware.",
          L"Error code 0xE2000046: Version number verification failed", L"Click \"Close\" to close this window"}) {
        EXPECT_NE(dialogLog.find(line), std::wstring::npos) << std::wstring(line);
    }
    EXPECT_EQ(model.McuVersion(), 461);
    EXPECT_EQ(model.GetPortSpeed(), 9600u);  // found again after the reset
    EXPECT_NE(FirmwareLog().find(L"Elapsed time: "), std::wstring::npos);
}

TEST_F(McuLoadEndToEndTest, HideShowAndCloseWhileBusy)
{
    radio.SetBootLoader(true);
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 100, 12);
    const HWND page = OpenAtFirmwarePage(FIRMWARE_STATUS_BOOT_LOADER);

    // The newest watcher is the one that answers.
    CBoxWatcher answers({IDNO, IDYES});
    unsigned packetsAtNo = 0, packetsAtYes = 0;
    int step = 0;
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
            SendMessageW(dialog, WM_CLOSE, 0, 0);  // No: the load goes on
            step = 2;
        } else if (step == 2 && packets > packetsAtNo + 100) {
            packetsAtYes = packets;
            PostMessageW(dialog, WM_CLOSE, 0, 0);  // Yes
            return true;
        }
        return false;
    });
    radio.ClearLog();
    Click(page, IDC_SEND_ALL);

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
}

TEST_F(McuLoadEndToEndTest, RefusalsThatPutNothingOnTheWire)
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
    std::wstring dialogLog;
    boxes.OnDialog(kDialogCaption, [&](HWND dialog) {
        if (Text(GetDlgItem(dialog, IDCANCEL)) != L"Close")
            return false;
        dialogLog = Text(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    radio.ClearLog();
    Click(page, IDC_SEND_NEW);
    EXPECT_NE(dialogLog.find(L"File does not checksum to zero."), std::wstring::npos);
    EXPECT_NE(dialogLog.find(L"Error code 0xE2000041"), std::wstring::npos);
    EXPECT_TRUE(radio.Commands().empty() || radio.Commands().front() == ";");
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u);
    EXPECT_EQ(radio.CountCommand("D"), 0u);
}

TEST_F(McuLoadEndToEndTest, AnN8ThatCannotPassThroughMustBeSwitchedOff)
{
    radio.Loader("n8 running 36");
    WriteMcuFile(folder, L"hmcu0460.hex", 100, 13);
    const HWND page = OpenAtFirmwarePage();
    CBoxWatcher answers({IDCANCEL});
    std::wstring dialogLog;
    answers.OnDialog(kDialogCaption, [&](HWND dialog) {
        if (Text(GetDlgItem(dialog, IDCANCEL)) != L"Close")
            return false;
        dialogLog = Text(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
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
