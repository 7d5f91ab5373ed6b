// The macro editor on a scripted radio: what the sheet refuses while its
// machine runs, how a cancelled or failed transfer closes it, the checks
// before a write, and what OK keeps.
#include <algorithm>
#include <functional>

#include "CommandMacrosSheet.h"
#include "EditorSteps.h"
#include "MachineFixture.h"
#include "Window.h"
#include "resource.h"

namespace {

using Step = CEditorSteps::Step;
constexpr auto Click = &CEditorSteps::Click;
constexpr auto LabelEdit = &CEditorSteps::LabelEdit;
constexpr auto SetRow = &CEditorSteps::SetRow;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

int TabCount(HWND sheet)
{
    return TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet));
}

class MacroEditorTest : public MachineTest {
protected:
    MacroEditorTest()
    {
        SetMcuVersion(455);
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        GetModel().AdvancedMode.Set(1);
        for (unsigned i = 0; i < kMacroCount; ++i)
            labels.Set(i, L"M" + std::to_wstring(i + 1));
    }
    ~MacroEditorTest() override { GetModel().AdvancedMode.Set(0); }

    // Runs the editor modally while the steps are taken in turn; what the
    // editor returned (true for OK).
    bool RunEditor(std::vector<Step> steps, unsigned retryLimit = 8)
    {
        m_steps.Set(std::move(steps));
        CCommandMacrosSheet sheet(labels, texts);
        sheet.Page1().Machine().m_retryLimit = retryLimit;
        const bool ok = sheet.Run(window.Handle());
        EXPECT_TRUE(m_steps.AllTaken()) << "the editor closed before the last step";
        EXPECT_EQ(GetModel().ActiveMachine(), nullptr);
        return ok;
    }

    size_t BlockReads() const
    {
        const auto commands = peer.CommandTexts();
        return static_cast<size_t>(
            std::count_if(commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("ER", 0) == 0; }));
    }

    CMacroStrings labels{WM_APP_MACRO_CAPTION};
    CMacroStrings texts{WM_APP_MACRO_TEXT};
    CBoxWatcher boxes;

private:
    CEditorSteps m_steps{boxes};
};

}  // namespace

TEST_F(MacroEditorTest, WhileReadingOkAndAPageChangeAreRefusedAndCancelClosesWithoutABox)
{
    // The third block gets no answer: the machine waits out its timeout.
    const std::string third = Narrow(FormatErCommand(0x7548, 56));
    radio.silentCommands.insert(third);
    const bool ok = RunEditor({
        [&](HWND sheet, HWND page) {
            EXPECT_EQ(TabCount(sheet), 2);
            Click(page, IDC_READ_MACROS);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_READ_MACROS)));
            EXPECT_FALSE(IsWindowEnabled(LabelEdit(page, 0)));
            Click(page, IDC_WRITE_MACROS);  // as a click that slipped through
            EXPECT_NE(GetModel().ActiveMachine(), nullptr);
            EXPECT_FALSE(GetModel().IsIdle());
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_READ_MACROS)));
            return true;
        },
        [&](HWND sheet, HWND) {
            if (peer.Count(third) == 0)
                return false;
            PropSheet_PressButton(sheet, PSBTN_OK);
            PropSheet_SetCurSel(sheet, nullptr, 1);
            return true;
        },
        [&](HWND sheet, HWND page) {
            EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page);
            EXPECT_EQ(peer.Count(third), 1u);
            EXPECT_FALSE(IsWindowEnabled(LabelEdit(page, 0))) << "a row read stays disabled until the end";
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
            return true;
        },
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(window.Result(), static_cast<HRESULT>(ERROR_CANCELLED));
    EXPECT_EQ(BlockReads(), 3u) << "nothing is sent after the cancel";
    EXPECT_EQ(labels.Get(0), L"") << "what was read stays";
    EXPECT_EQ(labels.Get(1), L"M2");
}

TEST_F(MacroEditorTest, AFailedReadShowsTheMacroEditorBoxAndClosesTheEditor)
{
    radio.silentCommands.insert(Narrow(FormatErCommand(0x7500, 8)));
    const bool ok = RunEditor({[&](HWND, HWND page) {
                                   Click(page, IDC_READ_MACROS);
                                   return true;
                               }},
                              1);
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Macro Editor Error");
    EXPECT_EQ(boxes[0].text, L"No response to Read EEPROM block");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(labels.Get(0), L"M1");
}

TEST_F(MacroEditorTest, TooLongFieldsAreRefusedInRowOrderAndNothingIsWritten)
{
    const bool ok = RunEditor({
        [&](HWND, HWND page) {
            SetRow(page, 2, L"ABCDEFGHI", L"x;");
            SetRow(page, 1, L"ok", std::wstring(121, L'T'));
            Click(page, IDC_WRITE_MACROS);
            return true;
        },
        [&](HWND, HWND page) {
            SetRow(page, 1, L"ok", L"fa;");
            Click(page, IDC_WRITE_MACROS);
            return true;
        },
        [&](HWND sheet, HWND) {
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
            return true;
        },
    });
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Macro Commands Length Error");
    EXPECT_EQ(boxes[0].text, L"Macro Commands 2 must be no longer than 120 characters");
    EXPECT_EQ(boxes[1].caption, L"Macro Label Length Error");
    EXPECT_EQ(boxes[1].text, L"Macro Label 3 must be no longer than 8 characters");
    EXPECT_TRUE(peer.CommandTexts().empty());
    EXPECT_EQ(labels.Get(2), L"M3");
}

TEST_F(MacroEditorTest, OkKeepsWhatWasTypedOnBothPages)
{
    const bool ok = RunEditor({
        [&](HWND sheet, HWND page) {
            SetRow(page, 0, L"typed", L"t;");
            PropSheet_SetCurSel(sheet, nullptr, 1);
            return true;
        },
        [&](HWND sheet, HWND page) {
            const HWND second = PropSheet_IndexToHwnd(sheet, 1);
            EXPECT_EQ(GetWindowString(LabelEdit(second, 16)), L"M17");
            SetRow(second, 16, L"second", L"s;");
            PropSheet_SetCurSel(sheet, nullptr, 0);
            EXPECT_EQ(GetWindowString(LabelEdit(page, 0)), L"typed") << "showing the page again keeps the typing";
            PropSheet_PressButton(sheet, PSBTN_OK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(labels.Get(0), L"typed");
    EXPECT_EQ(texts.Get(0), L"t;");
    EXPECT_EQ(labels.Get(16), L"second");
    EXPECT_EQ(texts.Get(16), L"s;");
    EXPECT_TRUE(peer.CommandTexts().empty());
}

// A user types no more than the radio holds, on either page: what OK keeps
// the Command Tester reads back at its next start.
TEST_F(MacroEditorTest, TheEditsTakeNoMoreThanTheRadioHolds)
{
    const auto paste = [](HWND page, int id, size_t length) {
        SendMessageW(GetDlgItem(page, id), EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(std::wstring(length, L'W').c_str()));
    };
    const bool ok = RunEditor({
        [&](HWND sheet, HWND page) {
            paste(page, IDC_MACRO_LABEL_FIRST + 1, 20);
            paste(page, IDC_MACRO_TEXT_FIRST + 1, 300);
            PropSheet_SetCurSel(sheet, nullptr, 1);
            return true;
        },
        [&](HWND sheet, HWND) {
            const HWND second = PropSheet_IndexToHwnd(sheet, 1);
            paste(second, IDC_MACRO_LABEL_FIRST + 31, 20);
            paste(second, IDC_MACRO_TEXT_FIRST + 31, 300);
            PropSheet_PressButton(sheet, PSBTN_OK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(labels.Get(1).size(), 8u) << "\"M2\" and what fits";
    EXPECT_EQ(texts.Get(1).size(), 120u);
    EXPECT_EQ(labels.Get(31).size(), 8u);
    EXPECT_EQ(texts.Get(31).size(), 120u);
}

TEST_F(MacroEditorTest, OutsideAdvancedModeOnlyTheFirstPageAndTransfersOnlyWithARunningRadio)
{
    GetModel().AdvancedMode.Set(0);
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    const bool ok = RunEditor({[&](HWND sheet, HWND page) {
        EXPECT_EQ(TabCount(sheet), 1);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_READ_MACROS)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WRITE_MACROS)));
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_READ_MACROS)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WRITE_MACROS)));
        PropSheet_PressButton(sheet, PSBTN_OK);
        return true;
    }});
    EXPECT_TRUE(ok);
    EXPECT_EQ(labels.Get(16), L"M17");
}

TEST_F(MacroEditorTest, AReadThatFailsAtItsFirstSendDoesNotLeaveTheEditorBusy)
{
    peer.open = false;  // the line went away under the open port
    const bool ok = RunEditor({[&](HWND, HWND page) {
        Click(page, IDC_READ_MACROS);
        return true;
    }});
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Macro Editor Error");
    EXPECT_EQ(window.Result(), static_cast<HRESULT>(ERROR_INVALID_HANDLE));
}
