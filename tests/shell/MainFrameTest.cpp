// The main frame: start tab, title, status and message routing, menus,
// settings and placement kept at exit, and the way the program ends.
#include "CountingMachine.h"
#include "ShellFixture.h"

#include <commctrl.h>

#include <functional>

#include "AboutDlg.h"
#include "PropertySheet.h"
#include "StateMachineInterface.h"
#include "TextOrId.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

#define Q7_STR2(x) L## #x
#define Q7_STR(x) Q7_STR2(x)
const std::wstring kVersionTitle = L"Zentrova Q7 Utility Version " Q7_STR(Q7_VERSION_MAJOR) L"." Q7_STR(
    Q7_VERSION_MINOR) L"." Q7_STR(Q7_VERSION_BUILD) L"." Q7_STR(Q7_VERSION_REVISION);

// A port the system lists but that cannot be opened.
const wchar_t kListedPort[] = L"COM207";


bool IsChecked(HMENU menu, UINT id)
{
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

std::wstring MenuText(HMENU menu, UINT position)
{
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

std::wstring StatusBarText(HWND frame)
{
    const HWND bar = GetDlgItem(frame, ID_VIEW_STATUS_BAR);
    wchar_t text[256] = {};
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

class StartTabTest : public ShellTest {
protected:
    int StartTab(const std::wstring& port, DWORD activePage)
    {
        ports.Add(L"Q7ShellTest", kListedPort);
        WriteSetting(L"Port", port);
        WriteSetting(L"ActivePage", activePage);
        OpenFrame();
        const int tab = Tabs().GetCurrentIndex();
        CloseFrame();
        return tab;
    }
};

TEST_F(StartTabTest, TheSavedPageOpensOnlyWithAPortAndAValidIndex)
{
    EXPECT_EQ(StartTab(kListedPort, 3), 3);
    EXPECT_EQ(StartTab(L"", 3), 0);
    EXPECT_EQ(StartTab(kListedPort, 6), 0);
    EXPECT_EQ(StartTab(kListedPort, static_cast<DWORD>(-1)), 0);
}

TEST_F(StartTabTest, APortNoLongerListedIsForgottenAndThePortPageOpens)
{
    EXPECT_EQ(StartTab(L"COM208", 2), 0);
    EXPECT_EQ(model.Port.Get(), L"");
}

TEST_F(ShellTest, TheTabViewHasSixPagesNoButtonsAndNoCaption)
{
    OpenFrame();
    const HWND sheet = Tabs().Handle();
    EXPECT_EQ(Tabs().GetTabCount(), 6);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(sheet, GWL_STYLE));
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_POPUP);
    for (int id : {IDOK, IDCANCEL, 0x3021, IDHELP}) {
        if (HWND button = GetDlgItem(sheet, id)) {
            EXPECT_FALSE(IsWindowVisible(button)) << id;
            EXPECT_FALSE(IsWindowEnabled(button)) << id;
        }
    }
    const wchar_t* names[] = {L"Port", L"Firmware", L"Configuration", L"Calibration", L"Command Tester", L"Terminal"};
    for (int i = 0; i < 6; ++i) {
        wchar_t text[32] = {};
        TCITEMW item{TCIF_TEXT};
        item.pszText = text;
        item.cchTextMax = 32;
        SendMessageW(Tabs().GetTabControl(), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, names[i]);
    }
}

TEST_F(ShellTest, ResizingTheFrameStretchesTheTabsAndMovesThePageIntoThem)
{
    OpenFrame();
    RECT frame;
    GetWindowRect(Frame(), &frame);
    RECT tabBefore;
    GetWindowRect(Tabs().GetTabControl(), &tabBefore);
    SetWindowPos(Frame(), nullptr, 0, 0, frame.right - frame.left + 120, frame.bottom - frame.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT tabAfter;
    GetWindowRect(Tabs().GetTabControl(), &tabAfter);
    EXPECT_EQ(tabAfter.right - tabAfter.left, tabBefore.right - tabBefore.left + 120);
    EXPECT_EQ(tabAfter.bottom - tabAfter.top, tabBefore.bottom - tabBefore.top + 60);

    RECT display;
    GetClientRect(Tabs().GetTabControl(), &display);
    SendMessageW(Tabs().GetTabControl(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    MapWindowPoints(Tabs().GetTabControl(), nullptr, reinterpret_cast<POINT*>(&display), 2);
    RECT page;
    GetWindowRect(Tabs().GetCurrentPage(), &page);
    EXPECT_TRUE(EqualRect(&page, &display));
}

TEST_F(ShellTest, EscapeInAPageLeavesTheTabsStanding)
{
    OpenFrame();
    const HWND button = GetDlgItem(Page(CTabView::TAB_PORT), IDC_TEST_COMMUNICATIONS);
    MSG escape{button, WM_KEYDOWN, VK_ESCAPE, 0};
    CMessageLoop::Current()->PreTranslateMessage(&escape);
    PumpPending();
    EXPECT_TRUE(IsWindow(Tabs().Handle()));
    EXPECT_EQ(Tabs().GetCurrentPage(), Page(CTabView::TAB_PORT));
}

TEST_F(ShellTest, TheTitleShowsVersionSerialNumberAndPort)
{
    ports.Add(L"Q7ShellTest", kListedPort);
    OpenFrame();
    EXPECT_EQ(Title(), kVersionTitle);
    model.SerialNumber.Set(123);
    EXPECT_EQ(Title(), kVersionTitle + L" - S/N 00123");
    model.SerialNumber.Set(SERIAL_NUMBER_UNKNOWN);
    EXPECT_EQ(Title(), kVersionTitle);
    model.Port.Set(kListedPort);
    EXPECT_EQ(Title(), kVersionTitle + L" on COM207 closed");
}

TEST_F(ShellTest, StatusTextReachesTheFirmwareLogOnlyWhileItsTabIsCurrent)
{
    OpenFrame();
    SelectTab(CTabView::TAB_TERMINAL);
    SendMessageW(Frame(), WM_APP_STATUS_TEXT, 0, reinterpret_cast<LPARAM>(L"dropped text"));
    SelectTab(CTabView::TAB_FIRMWARE);
    SendMessageW(Frame(), WM_APP_STATUS_TEXT, 0, reinterpret_cast<LPARAM>(L"kept text"));
    SendMessageW(Frame(), WM_APP_STATUS_TEXT, 0, IDS_CHOOSE_PORT);

    const std::wstring log = FirmwareLog();
    EXPECT_EQ(log.find(L"dropped text"), std::wstring::npos);
    ASSERT_NE(log.find(L"kept text"), std::wstring::npos);
    EXPECT_NE(log.find(LoadResString(IDS_CHOOSE_PORT)), std::wstring::npos);
    // Each line starts with the time: "hh:mm:ss ".
    const size_t line = log.find(L"kept text") - 9;
    EXPECT_EQ(log[line + 2], L':');
    EXPECT_EQ(log[line + 5], L':');
    EXPECT_EQ(StatusBarText(Frame()), L"Ready");
}

TEST_F(ShellTest, VerboseTextNeedsVerboseLoggingAndAFinishedMachineLogsReady)
{
    OpenFrame();
    SelectTab(CTabView::TAB_FIRMWARE);
    SendMessageW(Frame(), WM_APP_VERBOSE_TEXT, 0, reinterpret_cast<LPARAM>(L"quiet detail"));
    model.VerboseLogging.Set(1);
    SendMessageW(Frame(), WM_APP_VERBOSE_TEXT, 0, reinterpret_cast<LPARAM>(L"loud detail"));
    const size_t readyBefore = FirmwareLog().rfind(L"Ready");
    model.MachineFinished.SendToListeners(0, 0);

    const std::wstring log = FirmwareLog();
    EXPECT_EQ(log.find(L"quiet detail"), std::wstring::npos);
    EXPECT_NE(log.find(L"loud detail"), std::wstring::npos);
    EXPECT_NE(log.rfind(L"Ready"), readyBefore);
}

TEST_F(ShellTest, TimerTicksAndSerialNoticesGoToTheBusyMachineElseToTheCurrentPage)
{
    OpenFrame();
    SelectTab(CTabView::TAB_TERMINAL);
    CMessageRecorder terminal(Page(CTabView::TAB_TERMINAL), {WM_TIMER, WM_APP_SERIAL_DATA});
    CMessageRecorder port(Page(CTabView::TAB_PORT), {WM_TIMER, WM_APP_SERIAL_DATA});

    SendMessageW(Frame(), WM_TIMER, 77, 0);
    SendMessageW(Frame(), WM_APP_SERIAL_DATA, 0, EV_RXCHAR);
    EXPECT_EQ(terminal.Count(WM_TIMER), 1u);
    EXPECT_EQ(terminal.Count(WM_APP_SERIAL_DATA), 1u);

    CCountingMachine machine;
    model.SetActiveMachine(&machine);
    SendMessageW(Frame(), WM_TIMER, 77, 0);
    SendMessageW(Frame(), WM_APP_SERIAL_DATA, 0, EV_RXCHAR);
    model.SetActiveMachine(nullptr);
    EXPECT_EQ(machine.ticks, 1);
    EXPECT_EQ(machine.received, 1);
    EXPECT_EQ(terminal.Count(WM_TIMER), 1u);
    EXPECT_EQ(terminal.Count(WM_APP_SERIAL_DATA), 1u);

    SelectTab(CTabView::TAB_PORT);
    SendMessageW(Frame(), WM_APP_SERIAL_DATA, 0, EV_RXCHAR);
    EXPECT_EQ(terminal.Count(WM_APP_SERIAL_DATA), 1u);
    EXPECT_EQ(port.Count(WM_APP_SERIAL_DATA), 1u);
}

TEST_F(ShellTest, ViewTogglesCheckTheirItemsAndAreSavedAtExit)
{
    WriteSetting(L"Trace", 1);
    OpenFrame();
    HMENU view = OpenMenu(1);
    EXPECT_TRUE(IsChecked(view, ID_VIEW_TRACE));
    EXPECT_TRUE(IsChecked(view, ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(IsChecked(view, ID_VIEW_ADVANCED_MODE));

    for (UINT id : {ID_VIEW_ACCESSIBILITY, ID_VIEW_ADVANCED_MODE, ID_VIEW_TRACE, ID_VIEW_VERBOSE_LOGGING,
                    ID_VIEW_STATUS_BAR})
        SendMessageW(Frame(), WM_COMMAND, id, 0);
    view = OpenMenu(1);
    EXPECT_TRUE(IsChecked(view, ID_VIEW_ACCESSIBILITY));
    EXPECT_TRUE(IsChecked(view, ID_VIEW_ADVANCED_MODE));
    EXPECT_FALSE(IsChecked(view, ID_VIEW_TRACE));
    EXPECT_TRUE(IsChecked(view, ID_VIEW_VERBOSE_LOGGING));
    EXPECT_FALSE(IsChecked(view, ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Frame(), ID_VIEW_STATUS_BAR)));
    EXPECT_EQ(ReadDwordSetting(L"AdvancedMode"), std::nullopt) << "settings are written at exit";

    EXPECT_EQ(CloseFrame(), 1);
    EXPECT_EQ(ReadDwordSetting(L"Accessibility"), 1u);
    EXPECT_EQ(ReadDwordSetting(L"AdvancedMode"), 1u);
    EXPECT_EQ(ReadDwordSetting(L"Trace"), 0u);
    EXPECT_EQ(ReadDwordSetting(L"VerboseLogging"), 1u);
}

TEST_F(ShellTest, HelpMenuTextsNameTheDevice)
{
    OpenFrame();
    const HMENU help = OpenMenu(2);
    EXPECT_EQ(MenuText(help, 0), L"Q7 Utility &Help");
    EXPECT_EQ(MenuText(help, 1), L"Q7 Firmware &Release Notes");
    EXPECT_EQ(MenuText(help, 3), L"&About Q7 Utility");
}

TEST_F(ShellTest, AHighlightedMenuItemShowsItsPromptUntilTheMenuCloses)
{
    OpenFrame();
    SendMessageW(Frame(), WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_STRING), reinterpret_cast<LPARAM>(GetMenu(Frame())));
    EXPECT_EQ(StatusBarText(Frame()), L"Close the program");
    SendMessageW(Frame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(StatusBarText(Frame()), L"Ready");
}

TEST_F(ShellTest, FileExitEndsTheProgramWithCodeOneAndKeepsTheCurrentTab)
{
    OpenFrame();
    SelectTab(CTabView::TAB_CONFIGURATION);
    SendMessageW(Frame(), WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(DispatchToQuit(), 1);
    EXPECT_FALSE(IsWindow(Frame()));
    EXPECT_EQ(ReadDwordSetting(L"ActivePage"), static_cast<DWORD>(CTabView::TAB_CONFIGURATION));
}

namespace {

// The program's modal runs over the main window, owned by a page as the
// loaders and the banner, date and time and macro sheets are.
struct ModalRoad {
    const char* name;
    const wchar_t* caption;
    std::function<void(HWND owner)> run;
};

const ModalRoad kModalRoads[] = {
    {"dialog", L"About Zentrova Q7 Utility", [](HWND owner) { CAboutDlg().DoModal(owner); }},
    {"sheet", L"Modal Test Sheet",
     [](HWND owner) {
         CPropertySheet sheet(L"Modal Test Sheet", PSH_NOAPPLYNOW, 0);
         CPropertyPage page(IDD_POWER_ON_BANNER);
         sheet.AddPage(page);
         sheet.DoModal(owner);
     }},
};

}  // namespace

TEST_F(ShellTest, UnderAModalDialogOrSheetTheMainWindowTakesNoInputWhateverBoxComesAndGoes)
{
    OpenFrame();
    const HWND page = Page(CTabView::TAB_CONFIGURATION);
    for (const ModalRoad& road : kModalRoads) {
        SCOPED_TRACE(road.name);
        int step = 0;
        bool enabledUnderTheRun = true;
        bool enabledAfterTheBox = true;
        bool activeAfterTheBox = false;
        boxes.OnDialog(road.caption, [&](HWND window) {
            if (step == 0) {
                step = 1;
                enabledUnderTheRun = IsWindowEnabled(Frame());
                // A box of the main window comes and goes, as a serial error's does.
                MessageBoxW(Frame(), L"failed", L"COM Port Error", MB_OK);
                step = 2;
            } else if (step == 2) {
                enabledAfterTheBox = IsWindowEnabled(Frame());
                activeAfterTheBox = GetActiveWindow() == window;
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                step = 3;
                return true;
            }
            return false;
        });
        road.run(page);
        EXPECT_EQ(step, 3);
        EXPECT_FALSE(enabledUnderTheRun);
        EXPECT_FALSE(enabledAfterTheBox);
        EXPECT_TRUE(activeAfterTheBox) << "keys go to the dialog again";
        EXPECT_TRUE(IsWindowEnabled(Frame()));
        // What the run left posted must not disable the frame under the next.
        PumpPending();
    }
}

TEST_F(ShellTest, ClosingTheMainWindowUnderADialogGoesToTheDialogFirst)
{
    OpenFrame();
    boxes.OnDialog(L"About Zentrova Q7 Utility", [&](HWND) {
        PostMessageW(Frame(), WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_EQ(CAboutDlg().DoModal(Page(CTabView::TAB_PORT)), 1) << "ended by its own close";
    EXPECT_TRUE(IsWindow(Frame()));
    // The dialog has ended: now the program closes.
    EXPECT_EQ(DispatchToQuit(), 1);
    EXPECT_FALSE(IsWindow(Frame()));
}

TEST_F(ShellTest, ThePlacementIsSavedAndRestoredAndAGapGivesTheDefault)
{
    // Without a saved placement the frame starts at its minimum size.
    const SIZE minimum = OpenFrame().MinimumTrackSize();
    ASSERT_GT(minimum.cx, 0);
    RECT first;
    GetWindowRect(Frame(), &first);
    EXPECT_EQ(first.right - first.left, minimum.cx);
    EXPECT_EQ(first.bottom - first.top, minimum.cy);
    MINMAXINFO limits{};
    SendMessageW(Frame(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, minimum.cx);
    EXPECT_EQ(limits.ptMinTrackSize.y, minimum.cy);
    SetWindowPos(Frame(), nullptr, 30, 40, minimum.cx + 50, minimum.cy + 20, SWP_NOZORDER);
    CloseFrame();

    OpenFrame();
    RECT again;
    GetWindowRect(Frame(), &again);
    EXPECT_EQ(again.left, 30);
    EXPECT_EQ(again.top, 40);
    EXPECT_EQ(again.right - again.left, minimum.cx + 50);
    EXPECT_EQ(again.bottom - again.top, minimum.cy + 20);
    CloseFrame();

    HKEY window;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (AppKeyPath() + L"\\Window").c_str(), 0, KEY_SET_VALUE, &window),
              ERROR_SUCCESS);
    RegDeleteValueW(window, L"top");
    RegCloseKey(window);
    OpenFrame();
    RECT fresh;
    GetWindowRect(Frame(), &fresh);
    EXPECT_EQ(fresh.right - fresh.left, minimum.cx);
    EXPECT_EQ(fresh.bottom - fresh.top, minimum.cy);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(Frame(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_NEAR((fresh.left + fresh.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    EXPECT_NEAR((fresh.top + fresh.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

TEST(MinimumTrackSizeTest, TheFrameLeavesRoomAroundTheSheet)
{
    const SIZE size = CMainFrame::ComputeMinimumTrackSize({400, 300});
    EXPECT_EQ(size.cx, 420);
    EXPECT_EQ(size.cy, 327);
}
