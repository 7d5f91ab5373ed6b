// Editing the simulated radio's CW memories through their dialog.
#include "CWMemoryDlg.h"
#include "ToolEndToEndFixture.h"
#include "resource.h"

namespace {

class CWMemoryEndToEndTest : public ToolEndToEndTest {
protected:
    using ToolEndToEndTest::ToolEndToEndTest;

    // Once the memories have been read, `act` runs with the dialog.
    INT_PTR Run(std::function<void(HWND dialog)> act)
    {
        boxes.OnDialog(L"Edit CW Memories", [&](HWND shown) {
            if (!dialog.Machine().IsIdle() || !IsWindowEnabled(GetDlgItem(shown, IDOK)))
                return false;
            for (int i = 0; i < 8; ++i)
                shownTexts.push_back(GetWindowString(GetDlgItem(shown, IDC_CW_MEMORY_FIRST + i)));
            act(shown);
            return true;
        });
        return dialog.DoModal(window.Handle());
    }

    static size_t CountPrefix(const std::vector<std::string>& commands, const std::string& prefix)
    {
        size_t count = 0;
        for (const std::string& command : commands)
            count += command.compare(0, prefix.size(), prefix) == 0;
        return count;
    }

    CCWMemoryDlg dialog;
    std::vector<std::wstring> shownTexts;
};

TEST_F(CWMemoryEndToEndTest, EnterSavesTheFocusedMemoryAloneInItsOwnPage)
{
    Contact();
    radio.WriteEeprom(0x04F8, {0xCC, 0x1B, 0x15});  // memory 1 of bank 1: "CQ"
    const INT_PTR result = Run([](HWND shown) {
        const HWND edit = GetDlgItem(shown, IDC_CW_MEMORY_FIRST + 2);
        SetFocus(edit);
        SetWindowTextW(edit, L"cq tes");
        SendMessageW(edit, WM_CHAR, L'{', 0);  // no Morse code: dropped
        SendMessageW(edit, EM_SETSEL, 6, 6);
        SendMessageW(edit, WM_CHAR, L't', 0);
        // Enter: Save arrives while the edit still has the focus.
        PostMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(shownTexts.size(), 8u);
    EXPECT_EQ(shownTexts[0], L"CQ");
    EXPECT_EQ(shownTexts[2], L"");
    const std::vector<std::string> commands = radio.Commands();
    EXPECT_EQ(CountPrefix(commands, "EW"), 1u);
    EXPECT_EQ(CountPrefix(commands, "EW06F308"), 1u);
    EXPECT_EQ(radio.ReadEeprom(0x06F3, 8), (std::vector<uint8_t>{0xCC, 0x03, 0x08, 0x02, 0x03, 0x80, 0x1B, 0x15}));
    // Eight memories read, each stopped at its first chunk.
    EXPECT_EQ(CountPrefix(commands, "ER"), 8u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Watches, from Save on, for a memory edit of the dialog that is enabled
// while the machine still writes.
struct EnableWatch {
    HWND dialog = nullptr;
    CCWMemoryStateMachine* machine = nullptr;
    std::vector<int> enabledWhileWriting;
};
EnableWatch* t_enableWatch = nullptr;

LRESULT CALLBACK OnCallWindowProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    EnableWatch* watch = t_enableWatch;
    if (code == HC_ACTION && watch && call->message == WM_ENABLE && call->wParam && watch->dialog &&
        GetParent(call->hwnd) == watch->dialog && !watch->machine->IsIdle()) {
        const int id = GetDlgCtrlID(call->hwnd);
        if (id >= IDC_CW_MEMORY_FIRST && id < IDC_CW_MEMORY_FIRST + 8)
            watch->enabledWhileWriting.push_back(id - IDC_CW_MEMORY_FIRST);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CWMemoryEndToEndTest, NoMemoryEditIsEnabledBeforeTheLastChangedMemoryIsWritten)
{
    Contact();
    EnableWatch watch;
    watch.machine = &dialog.Machine();
    t_enableWatch = &watch;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &OnCallWindowProc, nullptr, GetCurrentThreadId());
    const INT_PTR result = Run([&](HWND shown) {
        for (int memory : {0, 5}) {
            const HWND edit = GetDlgItem(shown, IDC_CW_MEMORY_FIRST + memory);
            SetFocus(edit);
            SetWindowTextW(edit, L"TEST");
        }
        watch.dialog = shown;
        PostMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    UnhookWindowsHookEx(hook);
    t_enableWatch = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(CountPrefix(radio.Commands(), "EW"), 2u);
    EXPECT_TRUE(watch.enabledWhileWriting.empty()) << "memory " << watch.enabledWhileWriting.front();
}

// "No" to the unsaved-changes question.
class CWMemoryCloseEndToEndTest : public CWMemoryEndToEndTest {
protected:
    CWMemoryCloseEndToEndTest() : CWMemoryEndToEndTest({IDNO}) {}
};

TEST_F(CWMemoryCloseEndToEndTest, ClosingWithChangesAsksAndNoLeavesTheRadioAlone)
{
    Contact();
    const INT_PTR result = Run([](HWND shown) {
        const HWND edit = GetDlgItem(shown, IDC_CW_MEMORY_FIRST + 5);
        SetFocus(edit);
        SetWindowTextW(edit, L"TEST");
        PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Unsaved Changes");
    EXPECT_EQ(CountPrefix(radio.Commands(), "EW"), 0u);
}

}  // namespace
