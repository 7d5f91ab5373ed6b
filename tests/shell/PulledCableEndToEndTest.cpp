// Every window that talks to the radio can be left, whatever the cable does.
// One table: a window (as its button opens it), the moment the cable is
// pulled (before the window opens; while it is open and idle, then its
// action pressed; in the middle of its run), and how the user leaves it
// (Cancel, or the main window's close). A row must see the window close
// within a generous bound (liveness, not speed: the time each took is
// printed), the program go on (or end, when the main window was closed),
// and the user told of the port: the failures the windows tell name the
// closed port, where only the port's own box speaks it names the port; and
// once the port has gone, no radio claimed on it.
// Between rows the cable goes back in and the radio is found again; one
// program serves the rows until one closes it.
#include "ConfigEndToEnd.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <regex>

#include "BenchFirmware.h"
#include "ContactStateMachine.h"
#include "FirmwarePage.h"
#include "FirmwareSendDriver.h"
#include "WindowMessages.h"
#include "WizardDriver.h"
#include "resource.h"

namespace {

constexpr DWORD kLeaveBoundMs = 20000;
const wchar_t kCritical[] = L"Critical Operation in Progress";

enum class Pull { BeforeOpen, OpenIdle, MidRun };
enum class Leave { Cancel, MainWindow };
// What the user is told of the port: its closed text, or only its name (the
// port's own box, for the windows that tell no failure of their own), or a
// loader's error line: its code with the closed text.
enum class Tells { Closed, PortName, LoaderCode };

class PulledCableTest;
// On each tick while the window shows and takes input, until it returns
// true; `page` is a wizard's current page id, else 0.
using Step = std::function<bool(PulledCableTest&, HWND window, UINT page)>;

struct SWindow {
    const char* name;
    int tab;
    int button;
    // The window the button opens; null: the button's work is on its page.
    const wchar_t* caption;
    // A technician's single loads: the Load boxes checked, in advanced mode.
    DWORD loads = 0;
};

struct SRow {
    const SWindow* window;
    Pull pull;
    // Before the pull: the window brought to where the pull happens (for a
    // pull mid-run, the run under way); null: at once.
    Step setUp;
    // After the pull: the action the user presses; null: none.
    Step act;
    Tells tells;
    Leave leave = Leave::Cancel;
    // A technician's run (AdvancedMode, TechnicianTXGainCalibration).
    bool technician = false;
    // The radio's replies slowed down (ms each), for a pull mid-run.
    unsigned replyDelay = 0;
};

const SWindow kTestCommunications{"Port page: Test Communications", CTabView::TAB_PORT, IDC_TEST_COMMUNICATIONS};
const SWindow kCheckVersions{"Firmware page: Check Versions Now", CTabView::TAB_FIRMWARE, IDC_CHECK_VERSIONS};
const SWindow kSave{"Save Configuration", CTabView::TAB_CONFIGURATION, IDC_SAVE_CONFIGURATION, L"Save Configuration"};
const SWindow kRestore{"Restore Configuration", CTabView::TAB_CONFIGURATION, IDC_RESTORE_CONFIGURATION,
                       L"Restore Configuration"};
const SWindow kCWMemories{"CW Memories", CTabView::TAB_CONFIGURATION, IDC_EDIT_CW_MEMORIES, L"Edit CW Memories"};
const SWindow kFilters{"Crystal Filters", CTabView::TAB_CONFIGURATION, IDC_CONFIGURE_XTAL_FILTERS,
                       L"Crystal Filter Configuration"};
const SWindow kDateTime{"Date and Time", CTabView::TAB_CONFIGURATION, IDC_SET_DATE_TIME, L"Set Date and Time"};
const SWindow kBanner{"Power-On Banner", CTabView::TAB_CONFIGURATION, IDC_EDIT_BANNER, L"Edit Power On Banner"};
const SWindow kMacros{"Command Macros", CTabView::TAB_COMMAND_TESTER, IDC_EDIT_MACROS, L"Edit Command Tester Macros"};
const SWindow kTXGain{"TX gain wizard", CTabView::TAB_CALIBRATION, IDC_CALIBRATE_TX_GAIN, L"TX Gain Calibration"};
const SWindow kRFGain{"RF gain wizard", CTabView::TAB_CALIBRATION, IDC_CALIBRATE_RF_GAIN, L"RF Gain Calibration"};
const wchar_t kLoader[] = L"Sending Q7 Firmware";
// Send All begins with the MCU.
const SWindow kMcuLoad{"Firmware page: Send All, the MCU", CTabView::TAB_FIRMWARE, IDC_SEND_ALL, kLoader};
const SWindow kFrontPanelLoad{"Firmware page: the front panel alone", CTabView::TAB_FIRMWARE, IDC_SEND_ALL, kLoader,
                              LOAD_FPF};
const SWindow kDspLoad{"Firmware page: DSP1 alone", CTabView::TAB_FIRMWARE, IDC_SEND_ALL, kLoader, LOAD_DSP1};

const char* NameOf(Pull pull)
{
    switch (pull) {
    case Pull::BeforeOpen:
        return "pulled before it opened";
    case Pull::OpenIdle:
        return "pulled while open and idle";
    case Pull::MidRun:
        break;
    }
    return "pulled mid-run";
}

BOOL CALLBACK CollectText(HWND window, LPARAM texts)
{
    *reinterpret_cast<std::wstring*>(texts) += GetWindowString(window) + L"\n";
    return TRUE;
}

struct SFind {
    const wchar_t* caption;
    HWND found = nullptr;
};

// A wizard's caption follows its page's title: it is the window with the
// wizard's buttons.
BOOL CALLBACK FindCaption(HWND window, LPARAM context)
{
    auto* find = reinterpret_cast<SFind*>(context);
    const bool wizard = wcsstr(find->caption, L"Calibration") != nullptr;
    if (IsWindowVisible(window) && (wizard ? GetDlgItem(window, kWizardNext) != nullptr
                                           : GetWindowString(window) == find->caption)) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

class PulledCableTest : public ConfigEndToEndTest {
public:
    // Steps the rows share.
    static bool Idle(PulledCableTest& test, HWND, UINT) { return test.model.IsIdle(); }
    // On `page` once nothing runs and `button` (a wizard's) can be pressed: pressed.
    static Step Press(UINT page, int buttonId, int button)
    {
        return [=](PulledCableTest& test, HWND wizard, UINT shown) {
            if (shown != page || !test.model.IsIdle() || !CanPressWizardButton(wizard, buttonId))
                return false;
            PressWizardButton(wizard, button);
            return true;
        };
    }
    // The wizard's steps in turn.
    static Step Walk(std::vector<Step> steps)
    {
        return [steps, next = size_t(0)](PulledCableTest& test, HWND window, UINT page) mutable {
            if (next < steps.size() && steps[next](test, window, page))
                ++next;
            return next == steps.size();
        };
    }
    static Step On(UINT page)
    {
        return [page](PulledCableTest& test, HWND, UINT shown) { return shown == page && test.model.IsIdle(); };
    }
    // A mid-run moment: `count` commands of `pattern` have gone out.
    static Step Sent(const char* pattern, size_t count)
    {
        return [=](PulledCableTest& test, HWND, UINT) { return test.radio.CountCommand(pattern) >= count; };
    }
    // The radio's clock `seconds` off, so that setting it takes steps.
    static Step ClockOff(long long seconds)
    {
        return [seconds](PulledCableTest& test, HWND, UINT) {
            test.radio.SetClockOffset(seconds);
            return true;
        };
    }
    // The current page's log (or the window's own) holds the text.
    static Step LogHas(const wchar_t* text)
    {
        return [text](PulledCableTest&, HWND window, UINT) {
            std::wstring texts;
            EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&texts));
            return texts.find(text) != std::wstring::npos;
        };
    }
    // A load under way: its progress bar at `percent` of its range.
    static Step Loaded(int percent)
    {
        return [percent](PulledCableTest&, HWND window, UINT) {
            const HWND bar = GetDlgItem(window, IDC_LOADER_PROGRESS);
            const LRESULT range = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
            return range > 0 && SendMessageW(bar, PBM_GETPOS, 0, 0) * 100 >= range * percent;
        };
    }
    // The window has ended its run by itself: its Cancel offers "Close".
    static bool OffersClose(PulledCableTest&, HWND window, UINT)
    {
        return GetWindowString(GetDlgItem(window, IDCANCEL)) == LoadResString(IDS_CLOSE);
    }
    // The window's edit `id` given `text`, as typed.
    static Step Type(int id, const wchar_t* text)
    {
        return [=](PulledCableTest&, HWND window, UINT) {
            const HWND owner = ControlOwner(window, id);
            SetDlgItemTextW(owner, id, text);
            SendMessageW(owner, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(owner, id)));
            return true;
        };
    }
    // The window has shown for a while (its first run over, or its polls
    // under way).
    static Step Shown(DWORD ms)
    {
        return [ms, since = DWORD(0)](PulledCableTest&, HWND, UINT) mutable {
            if (since == 0)
                since = GetTickCount();
            return GetTickCount() - since >= ms;
        };
    }
    static Step PressSheet(int button)
    {
        return [button](PulledCableTest&, HWND window, UINT) {
            PressWizardButton(window, button);
            return true;
        };
    }
    static Step Click(int id)
    {
        return [id](PulledCableTest&, HWND window, UINT) {
            ClickButton(ControlOwner(window, id), id);
            return true;
        };
    }
    // A sheet's control is its current page's.
    static HWND ControlOwner(HWND window, int id)
    {
        const auto page = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
        return page && GetDlgItem(page, id) ? page : window;
    }

protected:
    void SetUp() override
    {
        // Each loader has a file to send (and no notes to show).
        ASSERT_TRUE(WriteBenchFirmware(folder.Path()));
        DeleteFileW(folder.File(L"hfwnotes.rtf").c_str());
        WriteSetting(L"FirmwareFolder", folder.Path());
        // A macro the DSP takes a piece at a time, a memory the keyer sends
        // for a while.
        WriteSetting(L"CommandText2", L"!0123456789ABCDEF0123456789ABCDEF;");
        WriteSetting(L"CWMemoryText1", L"[TXON]CQ CQ CQ DE Q7 Q7 Q7 CQ CQ CQ DE Q7 Q7 Q7 K");
        Connect();
        // The signal generator on, for the RF gain calibration's measurement.
        radio.Control("dsp signal main -73");
        // Crystal filters a write may be made from (the sub receiver's, whose
        // transmit rules are not checked): slots of 2.7, 6 and 0.5 kHz.
        radio.WriteEeprom(0x0300, {54, 120, 10, 36, 0, 54, 0, 0, 0, 0});
        radio.WriteEeprom(0x030A, std::vector<uint8_t>(10, 0));
        radio.WriteEeprom(0x0314, {0x05, 0xE1, 0x01, 0x01, 0x02, 0x00, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00});
        radio.WriteEeprom(0x0320, std::vector<uint8_t>(10, 1));

        restoreFile = folder.Write(L"restore.Q7Config", FileOf({{0x0100, std::vector<uint8_t>(64, 0x5A)}}));
        AnswerFileDialogs(L"Save As", [this] { return folder.File(L"saved.Q7Config"); });
        AnswerFileDialogs(L"Open", [this] { return restoreFile; });
    }

    void Run(const std::vector<SRow>& rows)
    {
        for (const SRow& row : rows) {
            SCOPED_TRACE(testing::Message() << row.window->name << ", " << NameOf(row.pull));
            RunRow(row);
            if (HasFatalFailure())
                return;
        }
    }

private:
    void RunRow(const SRow& row)
    {
        m_row = &row;
        m_phase = 0;
        m_opened = false;
        m_pulledAt = m_leftAt = m_lastPress = 0;
        m_cancelUsableWhileWaiting = false;
        m_rowStart = GetTickCount();
        m_seen.clear();
        if (row.technician) {
            model.AdvancedMode.Set(1);
            model.TechnicianTXGainCalibration.Set(1);
        }
        if (row.window->loads) {
            model.AdvancedMode.Set(1);
            FirmwarePage().LoadCheckbox.Set(row.window->loads);
        }
        // Every question before a run is interrupted gets Yes.
        boxes.AddAnswerFor(kCritical, IDYES);
        const size_t boxesBefore = boxes.Count();
        radio.SetReplyDelay(row.replyDelay);
        if (row.pull == Pull::BeforeOpen)
            PullCable();
        t_test = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &PulledCableTest::OnTick);
        const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &PulledCableTest::HearLines, nullptr, GetCurrentThreadId());
        SelectTab(row.window->tab);
        const HWND page = Page(row.window->tab);
        const HWND button = GetDlgItem(page, row.window->button);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(button) != FALSE; }, 5000))
            << "the button that opens it; connection status " << model.ConnectionStatus.Get();
        m_opened = true;
        ClickButton(page, row.window->button);
        if (!row.window->caption) {
            // The page's own work: done once the program knows the port is
            // gone and nothing runs.
            EXPECT_TRUE(
                PumpUntil([&] { return m_phase == 3 && model.IsIdle() && !model.IsLinkOpen(); }, kLeaveBoundMs));
        }
        // A closed port has no radio on it: no page may offer its commands.
        if (!model.IsLinkOpen())
            EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN) << "a radio claimed on a closed port";
        if (!row.window->caption && row.leave == Leave::MainWindow) {
            m_leftAt = GetTickCount();
            SendMessageW(Frame(), WM_CLOSE, 0, 0);
        }
        KillTimer(nullptr, timer);
        UnhookWindowsHookEx(hook);
        t_test = nullptr;
        const DWORD closedAt = GetTickCount();
        ASSERT_NE(m_pulledAt, 0u) << "the cable was never pulled";
        const bool left = m_leftAt != 0;
        const DWORD took = closedAt - (left ? m_leftAt : m_pulledAt);
        printf("leave: %s, %s: %s %lu ms after %s", row.window->name, NameOf(row.pull),
               row.window->caption ? "closed" : "done", took,
               left ? (row.leave == Leave::Cancel ? "Cancel" : "the main window's close") : "the pull");
        if (left)
            printf(", %lu ms after the pull", closedAt - m_pulledAt);
        printf("\n");
        EXPECT_LT(took, kLeaveBoundMs);
        EXPECT_FALSE(m_cancelUsableWhileWaiting) << "Cancel usable while the run it waits for goes on";

        std::wstring told = m_seen;
        for (size_t i = boxesBefore; i < boxes.Count(); ++i)
            told += boxes[i].caption + L": " + boxes[i].text + L"\n";
        const std::wstring closed = L"Serial port " + radio.PortName() + L" is closed";
        // A loader's line names its code too.
        const std::wregex expected(row.tells == Tells::PortName ? radio.PortName()
                                   : row.tells == Tells::Closed ? closed
                                                                : L"Error code 0x[0-9A-F]{8}: " + closed);
        EXPECT_TRUE(std::regex_search(told, expected)) << "told:\n" << told;

        if (row.leave == Leave::MainWindow) {
            EXPECT_EQ(DispatchToQuit(), 1) << "the program did not end";
            EXPECT_FALSE(IsWindow(Frame()));
        } else {
            EXPECT_TRUE(IsWindowEnabled(Frame())) << "the program takes input again";
        }
        model.AdvancedMode.Set(0);
        model.TechnicianTXGainCalibration.Set(0);
        if (row.window->loads && row.leave != Leave::MainWindow)
            FirmwarePage().LoadCheckbox.Set(0);
        PlugBackIn(row.leave == Leave::MainWindow);
    }

    void PullCable()
    {
        radio.Unplug();
        m_pulledAt = GetTickCount();
    }

    void PlugBackIn(bool reopen)
    {
        radio.Plug();
        radio.SetReplyDelay(0);
        // A load cut short leaves the radio deaf or in its boot loader: the
        // power off and on, and its firmware taken as complete again.
        if (m_row->window->tab == CTabView::TAB_FIRMWARE) {
            radio.Control("power off");
            radio.Control("power on");
            radio.SetBootLoader(false);
        }
        if (reopen) {
            ASSERT_TRUE(OpenFrameOnRadio(radio.PortName(), CTabView::TAB_PORT)) << "the radio was not found again";
        } else {
            ClickButton(Page(CTabView::TAB_PORT), IDC_TEST_COMMUNICATIONS);
            ASSERT_TRUE(PumpUntil(
                [&] { return model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && model.Contact().IsIdle(); },
                20000))
                << "the radio was not found again";
        }
        radio.ClearLog();
    }

    // The lines the machines send their windows (a wizard page's log and
    // status are gone with it).
    static LRESULT CALLBACK HearLines(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const bool line = message->message == WM_APP_PROGRESS_TEXT || message->message == WM_APP_LOG_TEXT;
        if (code == HC_ACTION && t_test && line && message->lParam)
            t_test->m_seen += reinterpret_cast<const wchar_t*>(message->lParam) + std::wstring(L"\n");
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    CFirmwarePage& FirmwarePage()
    {
        return *static_cast<CFirmwarePage*>(CWindow::FromHandle(Page(CTabView::TAB_FIRMWARE)));
    }

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (t_test)
            t_test->Tick();
    }

    void Tick()
    {
        const SRow& row = *m_row;
        // A page is open once its button has been pressed; a window, once shown.
        if (!m_opened)
            return;
        HWND window = nullptr;
        if (row.window->caption) {
            SFind find{row.window->caption};
            EnumThreadWindows(GetCurrentThreadId(), &FindCaption, reinterpret_cast<LPARAM>(&find));
            window = find.found;
            // A box (or a file dialog) over it has the user's attention.
            if (!window || !IsWindowEnabled(window))
                return;
        } else {
            window = Page(row.window->tab);
        }
        UINT page = 0;
        if (GetDlgItem(window, kWizardNext)) {
            const auto current = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
            const LRESULT index = SendMessageW(window, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(current), 0);
            page = static_cast<UINT>(SendMessageW(window, PSM_INDEXTOID, index, 0));
        }
        if (GetTickCount() - m_rowStart > 2 * kLeaveBoundMs) {
            // Stuck: the row fails, and the window is ended so the next may run.
            ADD_FAILURE() << "the window never closed; " << boxes.Count() << " boxes, the last: "
                          << (boxes.Count() ? boxes[boxes.Count() - 1].text : std::wstring());
            EndDialog(window, IDCANCEL);
            DestroyWindow(window);
            return;
        }
        switch (m_phase) {
        case 0:
            if (row.pull != Pull::BeforeOpen) {
                if (row.setUp && !row.setUp(*this, window, page))
                    return;
                PullCable();
            }
            m_phase = 1;
            return;
        case 1:
            if (row.act && !row.act(*this, window, page))
                return;
            m_phase = row.window->caption ? 2 : 3;
            return;
        case 2:
            LeaveWindow(window);
            return;
        }
    }

    // Cancel as a user presses it, again if the window is still there a
    // second later with its Cancel usable; or the main window closed once.
    void LeaveWindow(HWND window)
    {
        const DWORD now = GetTickCount();
        if (m_leftAt != 0 && m_row->leave == Leave::MainWindow)
            return;
        if (m_leftAt == 0) {
            m_leftAt = now;
            // What the window shows as the user leaves it (a loader's log).
            EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&m_seen));
        }
        if (m_row->leave == Leave::MainWindow) {
            PostMessageW(Frame(), WM_CLOSE, 0, 0);
            return;
        }
        const HWND cancel = GetDlgItem(window, IDCANCEL);
        // A Cancel that waits for the step in progress greys its button
        // until the run's end, so the user sees it was taken.
        if (m_leftAt != now && !model.IsIdle() && IsWindowEnabled(cancel))
            m_cancelUsableWhileWaiting = true;
        if (!IsWindowEnabled(cancel) || (m_lastPress != 0 && now - m_lastPress < 1000))
            return;
        m_lastPress = now;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    }

    static inline thread_local PulledCableTest* t_test = nullptr;
    const SRow* m_row = nullptr;
    int m_phase = 0;
    bool m_opened = false;
    DWORD m_pulledAt = 0;
    DWORD m_leftAt = 0;
    DWORD m_lastPress = 0;
    DWORD m_rowStart = 0;
    bool m_cancelUsableWhileWaiting = false;
    std::wstring m_seen;
    std::wstring restoreFile;
};

using T = PulledCableTest;

}  // namespace

// The pages' own work: the Port page's search, the Firmware page's check, a
// command typed and a macro paced out in the Command Tester, the Terminal's
// polls in each mode and a memory it transmits.
TEST_F(PulledCableTest, ThePagesWorkEndsAndTellsThePort)
{
    const SWindow commandTester{"Command Tester: a command typed", CTabView::TAB_COMMAND_TESTER, IDC_CLEAR};
    const SWindow pacedMacro{"Command Tester: a DSP macro", CTabView::TAB_COMMAND_TESTER, IDC_MACRO_FIRST + 1};
    const SWindow terminal[] = {{"Terminal, CW", CTabView::TAB_TERMINAL, IDC_MODE_CW},
                                {"Terminal, RTTY", CTabView::TAB_TERMINAL, IDC_MODE_RTTY},
                                {"Terminal, PSK", CTabView::TAB_TERMINAL, IDC_MODE_PSK}};
    const SWindow transmitted{"Terminal, CW: a memory transmitted", CTabView::TAB_TERMINAL, IDC_MEMORY_FIRST};
    const Step polled = T::Sent("TB;", 2);
    Run({
        {&kTestCommunications, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kCheckVersions, Pull::BeforeOpen, nullptr, nullptr, Tells::PortName},
        {&commandTester, Pull::OpenIdle, nullptr, T::Type(IDC_COMMAND_EDIT, L"FA;"), Tells::PortName},
        {&pacedMacro, Pull::MidRun, T::LogHas(L")"), nullptr, Tells::PortName, Leave::Cancel, false, 30},
        {&terminal[0], Pull::OpenIdle, polled, nullptr, Tells::PortName},
        {&transmitted, Pull::MidRun, T::Sent("KY", 2), nullptr, Tells::PortName},
        {&terminal[1], Pull::OpenIdle, polled, nullptr, Tells::PortName},
        {&terminal[2], Pull::OpenIdle, polled, nullptr, Tells::PortName},
        {&kCheckVersions, Pull::BeforeOpen, nullptr, nullptr, Tells::PortName, Leave::MainWindow},
    });
}

// The configuration tools and the macro editor: each reads the radio as it
// opens (Save and Restore once their file is chosen), or on its button.
TEST_F(PulledCableTest, TheToolsCanBeLeft)
{
    const Step idle = &T::Idle;
    const Step read = T::Sent("ER", 2);
    const Step readMacros = T::Walk({T::Click(IDC_READ_MACROS), read});

    Run({
        {&kSave, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kSave, Pull::MidRun, read, nullptr, Tells::PortName, Leave::Cancel, false, 30},
        {&kSave, Pull::MidRun, read, nullptr, Tells::PortName, Leave::MainWindow, false, 30},
        {&kRestore, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kRestore, Pull::MidRun, T::Sent("EW", 1), nullptr, Tells::PortName, Leave::Cancel, false, 30},
        {&kCWMemories, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kCWMemories, Pull::OpenIdle, idle,
         T::Walk({T::Type(IDC_CW_MEMORY_FIRST, L"CQ"), T::Click(IDOK)}), Tells::Closed},
        {&kCWMemories, Pull::MidRun, read, nullptr, Tells::PortName, Leave::Cancel, false, 30},
        {&kFilters, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kFilters, Pull::OpenIdle, idle, T::Click(IDC_FILTER_SUB), Tells::Closed},
        {&kFilters, Pull::MidRun, read, nullptr, Tells::PortName, Leave::Cancel, false, 30},
        {&kFilters, Pull::MidRun,
         T::Walk({idle, T::Click(IDC_FILTER_SUB), idle, T::Type(IDC_FILTER_OFFSET_FIRST + 2, L"-0.2"),
                  T::Click(IDC_FILTER_APPLY), T::Sent("EW", 1)}),
         nullptr,
         Tells::Closed, Leave::Cancel, false, 30},
        {&kDateTime, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kDateTime, Pull::OpenIdle, T::Shown(500), T::PressSheet(PSBTN_APPLYNOW), Tells::Closed},
        {&kDateTime, Pull::MidRun, T::Walk({T::Shown(500), T::ClockOff(600), T::PressSheet(PSBTN_APPLYNOW), T::Sent("SWT", 1)}),
         nullptr, Tells::Closed, Leave::Cancel, false, 30},
        {&kBanner, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kBanner, Pull::OpenIdle, idle, T::Walk({T::Type(IDC_BANNER_TEXT, L"CQ TEST"), T::PressSheet(PSBTN_OK)}),
         Tells::Closed},
        {&kBanner, Pull::MidRun,
         T::Walk({idle, T::Type(IDC_BANNER_TEXT, L"CQ TEST"), T::PressSheet(PSBTN_OK), T::Sent("EW", 1)}), nullptr,
         Tells::PortName, Leave::Cancel, false, 30},
        {&kMacros, Pull::OpenIdle, idle, T::Click(IDC_READ_MACROS), Tells::Closed},
        {&kMacros, Pull::MidRun, readMacros, nullptr, Tells::PortName, Leave::Cancel, false, 30},
    });
}

// The TX gain wizard: its Welcome page asks for the option modules as it is
// shown, first or after Back, and the technician's does the same; a run
// keyed on its first band.
TEST_F(PulledCableTest, TheTXGainWizardCanBeLeft)
{
    const Step welcomeNext = T::Press(IDD_TXGC_WELCOME, kWizardNext, PSBTN_NEXT);
    Run({
        {&kTXGain, Pull::BeforeOpen, nullptr, nullptr, Tells::PortName},
        {&kTXGain, Pull::OpenIdle, T::Walk({welcomeNext, T::On(IDD_TXGC_DUMMY_LOAD)}),
         T::Press(IDD_TXGC_DUMMY_LOAD, kWizardBack, PSBTN_BACK), Tells::PortName},
        {&kTXGain, Pull::MidRun,
         T::Walk({welcomeNext, T::Press(IDD_TXGC_DUMMY_LOAD, kWizardNext, PSBTN_NEXT),
                  T::Walk({T::On(IDD_TXGC_CALIBRATE_5W), T::Click(IDC_TXGC_CALIBRATE)}), T::Sent("SWH16;", 1)}),
         nullptr, Tells::Closed},
        {&kTXGain, Pull::BeforeOpen, nullptr, nullptr, Tells::PortName, Leave::MainWindow},
        {&kTXGain, Pull::BeforeOpen, nullptr, nullptr, Tells::PortName, Leave::Cancel, true},
    });
}

// The RF gain wizard: the pages that run a chain as they are shown (Welcome,
// the main receiver's knobs, Completion), and a calibration during the DSP's
// eight seconds.
TEST_F(PulledCableTest, TheRFGainWizardCanBeLeft)
{
    const Step welcomeNext = T::Press(IDD_RFGC_WELCOME, kWizardNext, PSBTN_NEXT);
    const Step sourceNext = T::Press(IDD_RFGC_CHOOSE_SOURCE, kWizardNext, PSBTN_NEXT);
    const Step factory = [](PulledCableTest&, HWND window, UINT page) {
        if (page != IDD_RFGC_CHOOSE_SOURCE || !GetModel().IsIdle())
            return false;
        const auto shown = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
        ClickRadioButton(shown, IDC_RFGC_FACTORY);
        return true;
    };
    Run({
        {&kRFGain, Pull::BeforeOpen, nullptr, nullptr, Tells::Closed},
        {&kRFGain, Pull::OpenIdle, T::Walk({welcomeNext, sourceNext, T::On(IDD_RFGC_SIG_GEN)}),
         T::Press(IDD_RFGC_SIG_GEN, kWizardNext, PSBTN_NEXT), Tells::Closed},
        {&kRFGain, Pull::OpenIdle,
         T::Walk({welcomeNext, factory, sourceNext, T::Press(IDD_RFGC_MAIN_RX, kWizardNext, PSBTN_NEXT),
                  T::On(IDD_RFGC_SUB_RX)}),
         T::Press(IDD_RFGC_SUB_RX, kWizardNext, PSBTN_NEXT), Tells::Closed},
        {&kRFGain, Pull::MidRun,
         T::Walk({welcomeNext, sourceNext, T::Press(IDD_RFGC_SIG_GEN, kWizardNext, PSBTN_NEXT),
                  T::Press(IDD_RFGC_MAIN_KNOBS, kWizardNext, PSBTN_NEXT),
                  T::Walk({T::On(IDD_RFGC_MAIN_RX), T::Click(IDC_RFGC_CALIBRATE)}), T::LogHas(L"Wait 8 seconds")}),
         nullptr, Tells::PortName},
    });
}

// Each loader as Send All or a technician's single load runs it: pulled
// before the send (the page hears nothing of the port, so it is the road of a
// pull while the page is open and idle too), and in the middle of a load. The
// user waits for the load's end, which names the closed port, and closes.
TEST_F(PulledCableTest, TheFirmwareLoadsEndAndTellThePort)
{
    const Step closeOffered = &T::OffersClose;
    Run({
        {&kMcuLoad, Pull::BeforeOpen, nullptr, closeOffered, Tells::LoaderCode},
        {&kFrontPanelLoad, Pull::MidRun, T::Loaded(10), closeOffered, Tells::LoaderCode},
        {&kDspLoad, Pull::MidRun, T::Loaded(10), closeOffered, Tells::LoaderCode},
        {&kMcuLoad, Pull::MidRun, T::Loaded(10), closeOffered, Tells::LoaderCode},
    });
}
