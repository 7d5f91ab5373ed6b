// The Port page against the simulated transceiver: choosing the port and the
// speed, testing the link, and the status boxes while the page is shown.
#include "ShellFixture.h"

#include <commctrl.h>

#include "ContactStateMachine.h"
#include "SimulatedTransceiver.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

std::wstring SelectedText(HWND combo)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void Choose(HWND page, int comboId, const std::wstring& text)
{
    const HWND combo = GetDlgItem(page, comboId);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(index, CB_ERR) << "no item " << std::string(text.begin(), text.end());
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// For failure messages.
std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

void Click(HWND page, int id)
{
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

}  // namespace

class PortPageTest : public ShellTest {
protected:
    HWND PortPage() { return Page(CTabView::TAB_PORT); }
    HWND Combo(int id) { return GetDlgItem(PortPage(), id); }
    bool WaitForBox(size_t count, DWORD ms = 15000)
    {
        return PumpUntil([&] { return boxes.Count() >= count; }, ms);
    }

    CSimulatedTransceiver radio;
};

TEST_F(PortPageTest, TestCommunicationsFindsTheRadioAndReportsItInTheStatusBox)
{
    ASSERT_TRUE(radio.Start());
    radio.SetSerialNumber(4711);
    OpenFrame();
    EXPECT_EQ(GetWindowString(GetDlgItem(PortPage(), IDC_PORT_LABEL)), L"Serial port connected to Q7:");
    Choose(PortPage(), IDC_PORT_COMBO, radio.PortName());
    ASSERT_TRUE(WaitForBox(1));

    const std::wstring expected = L"Q7 MCU version 04.55 on " + radio.PortName() + L" at 38400 bit/s";
    EXPECT_EQ(boxes[0].caption, L"Q7 Status");
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONASTERISK));
    PumpUntil([&] { return model.Contact().IsIdle(); }, 5000);
    EXPECT_NE(Title().find(L" - S/N 04711 on " + radio.PortName() + L" at 38400 bit/s"), std::wstring::npos)
        << Narrow(Title());

    // Again by the button: the port is closed and the radio found afresh.
    radio.ClearLog();
    Click(PortPage(), IDC_TEST_COMMUNICATIONS);
    ASSERT_TRUE(WaitForBox(2));
    EXPECT_EQ(boxes[1].text, expected);
    EXPECT_GE(radio.CountCommand("RVM;"), 1u);
}

TEST_F(PortPageTest, TestCommunicationsWithoutAPortAsksForOneAndOpensTheList)
{
    OpenFrame();
    Click(PortPage(), IDC_TEST_COMMUNICATIONS);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Select a serial port");
    EXPECT_EQ(boxes[0].text, L"Please choose a serial port on the Port page");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_TRUE(SendMessageW(Combo(IDC_PORT_COMBO), CB_GETDROPPEDSTATE, 0, 0));
    SendMessageW(Combo(IDC_PORT_COMBO), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_FALSE(model.IsPortOpen());
}

TEST_F(PortPageTest, ABootLoaderIsReportedWithAWarning)
{
    ASSERT_TRUE(radio.Start());
    radio.SetBootLoader(true);
    WriteSetting(L"Port", radio.PortName());
    OpenFrame();
    ASSERT_TRUE(WaitForBox(1));
    EXPECT_EQ(boxes[0].text, L"Q7 waiting for firmware load on " + radio.PortName() + L" at 38400 bit/s");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST_F(PortPageTest, WithThePortTabHiddenAConnectionShowsNoBoxButReachesTheFirmwareLog)
{
    ASSERT_TRUE(radio.Start());
    WriteSetting(L"Port", radio.PortName());
    WriteSetting(L"ActivePage", 1);
    OpenFrame();
    ASSERT_EQ(Tabs().GetCurrentIndex(), CTabView::TAB_FIRMWARE);
    ASSERT_TRUE(PumpUntil([&] { return model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING; }, 15000));
    PumpFor(200);
    EXPECT_EQ(boxes.Count(), 0u);
    const std::wstring log = FirmwareLog();
    EXPECT_NE(log.find(L"Opening serial port " + radio.PortName()), std::wstring::npos);
    EXPECT_NE(log.find(L"Q7 MCU version 04.55 on " + radio.PortName()), std::wstring::npos);
}

TEST_F(PortPageTest, ChoosingAnotherPortWhileASearchRunsSearchesTheNewOne)
{
    ASSERT_TRUE(radio.Start());
    CSimulatedTransceiver silent;
    ASSERT_TRUE(silent.Start());
    silent.SetSilent(true);
    WriteSetting(L"Port", silent.PortName());
    OpenFrame();
    ASSERT_TRUE(silent.WaitForCommandCount(";", 6, 5000));
    ASSERT_FALSE(model.Contact().IsIdle());

    // Ticks of the search go to the machine, not to the page.
    CMessageRecorder page(PortPage(), {WM_TIMER});
    SendMessageW(Frame(), WM_TIMER, 99, 0);
    EXPECT_EQ(page.Count(WM_TIMER), 0u);

    Choose(PortPage(), IDC_PORT_COMBO, radio.PortName());
    ASSERT_TRUE(WaitForBox(1));
    EXPECT_EQ(boxes[0].caption, L"Q7 Status");
    EXPECT_EQ(model.Port.Get(), radio.PortName());
}

TEST_F(PortPageTest, ClosePortClosesAndTheSameChoiceAgainDoesNothing)
{
    ASSERT_TRUE(radio.Start());
    WriteSetting(L"Port", radio.PortName());
    OpenFrame();
    ASSERT_TRUE(WaitForBox(1));
    PumpUntil([&] { return model.Contact().IsIdle(); }, 5000);
    ASSERT_TRUE(model.IsPortOpen());

    radio.ClearLog();
    Choose(PortPage(), IDC_PORT_COMBO, radio.PortName());
    PumpFor(300);
    EXPECT_TRUE(radio.Commands().empty()) << "the port already chosen starts nothing";
    EXPECT_EQ(boxes.Count(), 1u);

    Click(PortPage(), IDC_CLOSE_PORT);
    EXPECT_FALSE(model.IsPortOpen());
    EXPECT_NE(Title().find(L" on " + radio.PortName() + L" closed"), std::wstring::npos);
    EXPECT_EQ(boxes.Count(), 1u) << "a closed port reports nothing";
}

TEST_F(PortPageTest, ButtonsCarryTheirTipsAndTestCommunicationsTakesTheFirstFocus)
{
    OpenFrame();
    const HWND page = PortPage();
    const HWND tip = FindToolTipOf(page);
    ASSERT_TRUE(tip) << "no tool tips on the page";
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_TRUE(GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON);
    for (const auto& [id, text] : {std::pair<int, const wchar_t*>{IDC_TEST_COMMUNICATIONS, L"Reopen port and determine speed"},
                                   {IDC_CLOSE_PORT, L"Stop polling and close the serial port"}})
        EXPECT_EQ(ToolTipText(tip, page, id), text);

    NMHDR query{Tabs().Handle(), 0, static_cast<UINT>(PSN_QUERYINITIALFOCUS)};
    EXPECT_TRUE(SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)));
    EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrW(page, DWLP_MSGRESULT)), GetDlgItem(page, IDC_TEST_COMMUNICATIONS));
}

TEST_F(PortPageTest, TheSpeedListShowsTheFixedSpeedAndStoresTheChoice)
{
    WriteSetting(L"FixedSerialSpeed", 57600);
    OpenFrame();
    EXPECT_EQ(SelectedText(Combo(IDC_SPEED_COMBO)), L"AUTO");
    EXPECT_EQ(model.FixedSerialSpeed.Get(), 57600u) << "unchanged until the user chooses";
    EXPECT_EQ(SendMessageW(Combo(IDC_SPEED_COMBO), CB_GETCOUNT, 0, 0), 5);

    Choose(PortPage(), IDC_SPEED_COMBO, L"9600");
    EXPECT_EQ(model.FixedSerialSpeed.Get(), 9600u);
    Choose(PortPage(), IDC_SPEED_COMBO, L"AUTO");
    EXPECT_EQ(model.FixedSerialSpeed.Get(), 0u);
    CloseFrame();

    WriteSetting(L"FixedSerialSpeed", 19200);
    OpenFrame();
    EXPECT_EQ(SelectedText(Combo(IDC_SPEED_COMBO)), L"19200");
}

TEST_F(PortPageTest, OpeningTheListRefreshesItAndKeepsTheChoice)
{
    ports.Add(L"Q7PageTest1", L"COM251");
    ports.Add(L"Q7PageTest2", L"COM2510");
    WriteSetting(L"Port", std::wstring(L"COM251"));
    OpenFrame();
    EXPECT_EQ(SelectedText(Combo(IDC_PORT_COMBO)), L"COM251") << "the exact name, not a longer one";
    ports.Add(L"Q7PageTest3", L"COM252");
    SendMessageW(PortPage(), WM_COMMAND, MAKEWPARAM(IDC_PORT_COMBO, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(Combo(IDC_PORT_COMBO)));
    EXPECT_NE(SendMessageW(Combo(IDC_PORT_COMBO), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(L"COM252")),
              CB_ERR);
    EXPECT_EQ(SelectedText(Combo(IDC_PORT_COMBO)), L"COM251");

    // A port emptied elsewhere (the Port menu) empties the choice.
    model.Port.Set(std::wstring());
    EXPECT_EQ(SelectedText(Combo(IDC_PORT_COMBO)), L"");
}

TEST_F(PortPageTest, TheTitleNamesTheSpeedOfTheSearchAndTheClosedPort)
{
    ASSERT_TRUE(radio.Start());
    radio.SetSilent(true);
    WriteSetting(L"Port", radio.PortName());
    OpenFrame();
    const std::wstring on = L" on " + radio.PortName();
    ASSERT_TRUE(PumpUntil([&] { return Title().find(on + L" at 38400 bit/s") != std::wstring::npos; }, 5000));
    // After five unanswered polls the search goes down a speed.
    ASSERT_TRUE(PumpUntil([&] { return radio.LineSpeed() == 19200; }, 5000));
    PumpFor(50);
    EXPECT_NE(Title().find(on + L" at 19200 bit/s"), std::wstring::npos) << Narrow(Title());

    // No radio ever answered, so no connection status changes on the close.
    Click(PortPage(), IDC_CLOSE_PORT);
    EXPECT_NE(Title().find(on + L" closed"), std::wstring::npos) << Narrow(Title());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PortPageTest, AnotherDevicesBootLoaderGetsOnlyTheUnexpectedDeviceBox)
{
    ASSERT_TRUE(radio.Start());
    radio.SetIdentifyReply("MV9;");
    WriteSetting(L"Port", radio.PortName());
    for (const int tab : {CTabView::TAB_PORT, CTabView::TAB_FIRMWARE}) {
        SCOPED_TRACE(tab);
        WriteSetting(L"ActivePage", static_cast<DWORD>(tab));
        const size_t before = boxes.Count();
        OpenFrame();
        ASSERT_TRUE(WaitForBox(before + 1));
        PumpUntil([&] { return model.Contact().IsIdle(); }, 5000);
        PumpFor(200);
        ASSERT_EQ(boxes.Count(), before + 1);
        EXPECT_EQ(boxes[before].caption, L"Unexpected Device");
        // Nor does the status line call it a Q7.
        EXPECT_EQ(FirmwareLog().find(L"waiting for firmware load"), std::wstring::npos);
        CloseFrame();
    }
}
