// The loader dialog around its machine, against the radio in the test
// process: which end it acts on, and the close question while busy.
#include "LoaderFixture.h"

#include <algorithm>
#include <functional>

#include "BoxWatcher.h"
#include "DspLoaderDlg.h"
#include "MessagePump.h"
#include "McuLoaderDlg.h"
#include "TextOrId.h"
#include "resource.h"

namespace {

const wchar_t kCaption[] = L"Sending Q7 Firmware";

class LoaderDialogTest : public LoaderTest {
protected:
    // Runs `step` on each tick while the dialog is up, until it offers
    // "Close"; then keeps its log and closes it.
    template <typename Dialog>
    INT_PTR Run(Dialog& dialog, CBoxWatcher& watcher, std::function<void(HWND)> step)
    {
        watcher.OnDialog(kCaption, [this, step](HWND window) {
            if (GetWindowString(GetDlgItem(window, IDCANCEL)) != L"Close") {
                step(window);
                return false;
            }
            dialogLog = GetWindowString(GetDlgItem(window, IDC_RICH_EDIT));
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        return dialog.DoModal(window.Handle());
    }

    std::wstring dialogLog;
};

}  // namespace

TEST_F(LoaderDialogTest, TheLoadersOwnFailureStandsAndStrayEndsAreIgnored)
{
    peer.radio.optionModules = "OMAP-FS-------2;";  // an MV9
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 100, 41);
    CBoxWatcher boxes;
    CMcuLoaderDlg dialog(file.path);
    bool strayIgnored = false;
    const INT_PTR ended = Run(dialog, boxes, [&](HWND window) {
        if (!strayIgnored && !dialog.GetMachine().IsIdle()) {
            // The end of some other machine while the load runs.
            GetModel().MachineFinished.SendToListeners(0, 0);
            strayIgnored = IsWindow(window) && GetWindowString(GetDlgItem(window, IDCANCEL)) != L"Close";
        }
    });
    EXPECT_TRUE(strayIgnored);
    EXPECT_EQ(ended, IDCANCEL);
    EXPECT_EQ(dialog.Result(), E_UNEXPECTED_DEVICE);
    EXPECT_NE(dialogLog.find(L"Error code 0xE200004E"), std::wstring::npos);
    // The contact run after it found the MV9 too, but no version was checked.
    EXPECT_EQ(dialogLog.find(L"verif"), std::wstring::npos);
    EXPECT_EQ(peer.CountCommand("LDM;"), 0u);
}

TEST_F(LoaderDialogTest, CloseDuringTheContactRunAfterALoadAsksFirst)
{
    peer.textVersionAfterReset = 240;
    const std::wstring tinyBoot = WriteWholeFile(folder, L"tboot0100.hex", RandomBytes(100, 42));
    const std::wstring code = WriteWholeFile(folder, L"hdsp0240.hex", RandomBytes(100, 43));
    CBoxWatcher boxes({IDNO});
    CDspLoaderDlg dialog(DSP_MAIN, code, tinyBoot, L"");
    bool asked = false;
    const INT_PTR ended = Run(dialog, boxes, [&](HWND window) {
        if (!asked && dialog.GetMachine().IsIdle() && !GetModel().Contact().IsIdle()) {
            asked = true;
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    EXPECT_TRUE(asked);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, L"Are you sure you wish to close the Utility while sending firmware?");
    // No: the contact run ended and the check found the version.
    EXPECT_EQ(ended, IDOK);
    EXPECT_EQ(dialog.Result(), 0);
}

namespace {

// The close question of a test below: asked while the load runs, answered
// "Yes" only once the dialog offers "Close".
struct LateYes {
    HWND dialog = nullptr;
    bool asked = false;
    bool answered = false;
};
LateYes* t_lateYes = nullptr;

BOOL CALLBACK FindLoaderDialog(HWND window, LPARAM)
{
    if (GetWindowString(window) == kCaption)
        t_lateYes->dialog = window;
    return TRUE;
}

BOOL CALLBACK FindLateYesBox(HWND window, LPARAM)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (window != t_lateYes->dialog && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
        GetDlgItem(window, 0xFFFF) && GetWindowString(GetDlgItem(t_lateYes->dialog, IDCANCEL)) == L"Close") {
        t_lateYes->answered = true;
        PostMessageW(window, WM_COMMAND, IDYES, 0);
    }
    return TRUE;
}

void CALLBACK OnLateYesTick(HWND, UINT, UINT_PTR, DWORD)
{
    LateYes& state = *t_lateYes;
    if (!state.dialog)
        EnumThreadWindows(GetCurrentThreadId(), &FindLoaderDialog, 0);
    if (!state.dialog || state.answered)
        return;
    if (!state.asked) {
        state.asked = true;
        PostMessageW(state.dialog, WM_CLOSE, 0, 0);
        return;
    }
    EnumThreadWindows(GetCurrentThreadId(), &FindLateYesBox, 0);
}

}  // namespace

TEST_F(LoaderDialogTest, YesAfterTheLoadHasEndedFollowsTheLoadsResult)
{
    // With Trace on a good load leaves the dialog open, offering "Close".
    GetModel().Trace.Set(1);
    peer.textVersionAfterReset = 240;
    const std::wstring tinyBoot = WriteWholeFile(folder, L"tboot0100.hex", RandomBytes(100, 44));
    const std::wstring code = WriteWholeFile(folder, L"hdsp0240.hex", RandomBytes(100, 45));
    CDspLoaderDlg dialog(DSP_MAIN, code, tinyBoot, L"");
    LateYes state;
    t_lateYes = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, &OnLateYesTick);
    const INT_PTR ended = dialog.DoModal(window.Handle());
    KillTimer(nullptr, timer);
    t_lateYes = nullptr;
    GetModel().Trace.Set(0);
    EXPECT_TRUE(state.answered);
    EXPECT_EQ(ended, IDOK);
    EXPECT_EQ(dialog.Result(), 0);
}

namespace {

HWND g_found = nullptr;

BOOL CALLBACK FindShownLoaderDialog(HWND window, LPARAM)
{
    if (IsWindowVisible(window) && GetWindowString(window) == kCaption)
        g_found = window;
    return TRUE;
}

// The loader dialog while it shows, else null.
HWND ShownLoaderDialog()
{
    g_found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindShownLoaderDialog, 0);
    return g_found;
}

}  // namespace

// Yes to the close question while the N8's box is up: whatever that box
// answers then, nothing more goes to the radio and the loader's timer is gone.
TEST_F(LoaderDialogTest, YesWhileTheN8BoxIsUpLeavesTheRadioAloneWhateverTheBoxAnswers)
{
    peer.n8.Set(CN8Accessory::Mode::BootLoader, 0);
    const std::wstring tinyBoot = WriteWholeFile(folder, L"tboot0100.hex", RandomBytes(100, 46));
    const std::wstring code = WriteWholeFile(folder, L"hdsp0240.hex", RandomBytes(100, 47));
    CBoxWatcher boxes;
    boxes.AddAnswerFor(L"Critical Operation in Progress", IDYES);
    bool closePosted = false;
    boxes.AddAnswerFor(L"N8 detected", IDRETRY, [&] {
        const HWND dialog = ShownLoaderDialog();
        if (!closePosted) {
            closePosted = PostMessageW(dialog, WM_CLOSE, 0, 0) != FALSE;
            return false;
        }
        return dialog == nullptr;  // ended by the Yes
    });
    CDspLoaderDlg dialog(DSP_MAIN, code, tinyBoot, L"");
    EXPECT_EQ(dialog.DoModal(window.Handle()), IDCANCEL);
    const size_t commands = peer.commands.size();
    PumpFor(700);  // longer than the probe's own wait
    EXPECT_EQ(peer.n8.Probes(), 1u) << "Retry probed again";
    EXPECT_EQ(peer.commands.size(), commands);
    EXPECT_FALSE(KillTimer(window.Handle(), TIMER_LOADER)) << "the loader's timer is still armed";
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Critical Operation in Progress");
    EXPECT_EQ(boxes[1].caption, L"N8 detected");
}

// A file gone since the scan ends the load with the positive code 2, which
// must read as the failure it is, even though the radio's version matches
// the file's name.
TEST_F(LoaderDialogTest, AWin32CodeFromTheLoadIsAFailureNotASuccess)
{
    GetModel().FirmwareVersion.Set(VERSION_MCU, 455);
    CBoxWatcher boxes;
    CMcuLoaderDlg dialog(folder.File(L"hmcu0455.hex"));
    const INT_PTR ended = Run(dialog, boxes, [](HWND) {});
    EXPECT_EQ(ended, IDCANCEL);
    EXPECT_EQ(dialog.Result(), static_cast<HRESULT>(0x80070002));
    EXPECT_NE(dialogLog.find(L"Error code 0x80070002: "), std::wstring::npos);
    EXPECT_EQ(dialogLog.find(L"load is complete"), std::wstring::npos);
    EXPECT_TRUE(peer.commands.empty());
}

// The log wraps: its longest lines, the advice after a load cut short among
// them, stay whole within the control's width, with no scroll bar to hide a
// word behind.
TEST_F(LoaderDialogTest, TheLogWrapsItsLongestLinesWithinItsWidth)
{
    CBoxWatcher boxes;
    CMcuLoaderDlg dialog(folder.File(L"hmcu0455.hex"));
    const std::wstring lines[] = {FormatText(IDS_NO_COMPLETE_FIRMWARE, L"Q7"), LoadResString(IDS_RECONCILIATION_ZERO)};
    LONG left = 0, right = 0, width = 0;
    boxes.OnDialog(kCaption, [&](HWND window) {
        if (GetWindowString(GetDlgItem(window, IDCANCEL)) != L"Close")
            return false;
        for (const std::wstring& line : lines)
            SendMessageW(window, WM_APP_LOG_TEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
        const HWND log = GetDlgItem(window, IDC_RICH_EDIT);
        const auto x = [log](int index) {
            POINTL point{};
            SendMessageW(log, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
            return point.x;
        };
        // A character's left edge; the log's font is of fixed pitch.
        const LONG pitch = x(1) - x(0);
        left = right = x(0);
        for (int i = 0, length = GetWindowTextLengthW(log); i < length; ++i) {
            left = std::min(left, x(i));
            right = std::max(right, x(i) + pitch);
        }
        RECT client;
        GetClientRect(log, &client);
        width = client.right;
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    dialog.DoModal(window.Handle());
    ASSERT_GT(width, 0);
    EXPECT_GE(left, 0);
    EXPECT_LE(right, width);
}
