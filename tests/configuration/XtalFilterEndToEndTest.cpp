// Configuring the simulated radio's crystal filters through their dialog.
#include "ToolEndToEndFixture.h"
#include "XtalFilterDlg.h"
#include "resource.h"

namespace {

class XtalFilterEndToEndTest : public ToolEndToEndTest {
protected:
    void SetUp() override
    {
        ToolEndToEndTest::SetUp();
        // Main: 2.7, 6.0, 0.5, 1.8 kHz and an empty slot; sub: 2.7 kHz alone.
        radio.WriteEeprom(0x0300, {54, 120, 10, 36, 0, 54, 0, 0, 0, 0});
        radio.WriteEeprom(0x030A, std::vector<uint8_t>(10, 0));
        radio.WriteEeprom(0x0314, {0x05, 0xE1, 0x01, 0x01, 0x02, 0x00, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00});
        radio.WriteEeprom(0x0320, std::vector<uint8_t>(10, 1));
        radio.WriteEeprom(0x0026, {0});
        radio.WriteEeprom(0x002D, {0});
        radio.WriteEeprom(0x005C, {1});
    }

    // `steps` run in turn, each once the machine is idle and the controls
    // usable (or, when `whileBusy`, once a write runs).
    struct Step {
        bool whileBusy;
        std::function<void(HWND dialog)> act;
    };
    INT_PTR Run(std::vector<Step> steps)
    {
        size_t next = 0;
        boxes.OnDialog(L"Crystal Filter Configuration", [&](HWND shown) {
            const bool idle = dialog.Machine().IsIdle() && IsWindowEnabled(GetDlgItem(shown, IDOK));
            if (next < steps.size() && (steps[next].whileBusy ? !dialog.Machine().IsIdle() : idle))
                steps[next++].act(shown);
            return next == steps.size();
        });
        return dialog.DoModal(window.Handle());
    }
    static void Type(HWND dialog, int id, const wchar_t* text)
    {
        const HWND edit = GetDlgItem(dialog, id);
        SetFocus(edit);
        SetWindowTextW(edit, text);
    }
    size_t CountAfter(const std::vector<std::string>& commands, size_t from, const std::string& prefix)
    {
        size_t count = 0;
        for (size_t i = from; i < commands.size(); ++i)
            count += commands[i].compare(0, prefix.size(), prefix) == 0;
        return count;
    }
    static size_t IndexOf(const std::vector<std::string>& commands, const std::string& command)
    {
        return static_cast<size_t>(std::find(commands.begin(), commands.end(), command) - commands.begin());
    }

    CXtalFilterDlg dialog;
};

TEST_F(XtalFilterEndToEndTest, EnterWritesTheOneChangedOffsetGroupThenRestartsTheRadio)
{
    Contact();
    std::wstring shownWidth;
    const INT_PTR result = Run({{false, [&](HWND shown) {
                                     shownWidth = GetWindowString(GetDlgItem(shown, IDC_FILTER_BANDWIDTH_FIRST + 1));
                                     Type(shown, IDC_FILTER_OFFSET_FIRST + 2, L"-0.2");
                                     // Enter: OK arrives while the edit still has the focus.
                                     PostMessageW(shown, WM_COMMAND, IDOK, 0);
                                 }}});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shownWidth, L"6.00");
    const std::vector<std::string> commands = radio.Commands();
    EXPECT_EQ(CountAfter(commands, 0, "EW"), 1u);
    EXPECT_EQ(CountAfter(commands, 0, "EW030A05"), 1u);
    EXPECT_EQ(radio.ReadEeprom(0x030C, 1), std::vector<uint8_t>{0xEC});
    const size_t reset = IndexOf(commands, "LDD20000;");
    ASSERT_LT(reset, commands.size());
    EXPECT_EQ(CountAfter(commands, reset, ";"), commands.size() - reset - 1);  // then only the speed search
    EXPECT_GT(commands.size(), reset + 1);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(XtalFilterEndToEndTest, TheSubReceiverHidesTransmitAndClosingMidWriteLetsTheRestartFinish)
{
    Contact();
    bool transmitHidden = false;
    std::wstring snapped;
    size_t afterSubRead = 0;
    const INT_PTR result = Run({
        {false, [](HWND shown) { SendDlgItemMessageW(shown, IDC_FILTER_SUB, BM_CLICK, 0, 0); }},
        {false,
         [&](HWND shown) {
             transmitHidden = !IsWindowVisible(GetDlgItem(shown, IDC_FILTER_TX_CW_FIRST));
             afterSubRead = radio.Commands().size();
             // 12.8 kHz is the 13 kHz filter once the edit is left; then back to empty.
             Type(shown, IDC_FILTER_BANDWIDTH_FIRST + 2, L"12.8");
             SetFocus(GetDlgItem(shown, IDC_FILTER_BANDWIDTH_FIRST + 3));
             snapped = GetWindowString(GetDlgItem(shown, IDC_FILTER_BANDWIDTH_FIRST + 2));
             Type(shown, IDC_FILTER_BANDWIDTH_FIRST + 2, L"0");
             Type(shown, IDC_FILTER_BANDWIDTH_FIRST + 1, L"2.8");
             PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDC_FILTER_APPLY, BN_CLICKED), 0);
         }},
        {true, [](HWND shown) { PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(transmitHidden);
    EXPECT_EQ(snapped, L"13.00");
    const std::vector<std::string> commands = radio.Commands();
    // The sub receiver's read and write never reach the transmit bytes.
    EXPECT_EQ(CountAfter(commands, 0, "ER00"), 3u);  // the main receiver's first read only
    EXPECT_EQ(CountAfter(commands, 0, "EW"), 1u);
    EXPECT_EQ(CountAfter(commands, afterSubRead, "EW030505"), 1u);
    EXPECT_EQ(radio.ReadEeprom(0x0306, 1), std::vector<uint8_t>{56});
    EXPECT_LT(IndexOf(commands, "LDD20000;"), commands.size());
    EXPECT_EQ(commands.back(), ";");
    EXPECT_TRUE(boxes.Boxes().empty());  // no unsaved-changes question while writing
}

// The cable pulled between two changed groups, the offset written and the
// gain's write lost: the box tells the cause, then that the filters are
// partly written, and the dialog closes.
TEST_F(XtalFilterEndToEndTest, ACablePulledBetweenTwoChangedGroupsSaysTheFiltersArePartlyWritten)
{
    Contact();
    radio.IgnoreNext("EW0320", 100);
    bool applied = false;
    bool pulled = false;
    boxes.OnDialog(L"Crystal Filter Configuration", [&](HWND shown) {
        if (!applied && dialog.Machine().IsIdle() && IsWindowEnabled(GetDlgItem(shown, IDOK))) {
            Type(shown, IDC_FILTER_GAIN_FIRST, L"3");
            Type(shown, IDC_FILTER_OFFSET_FIRST + 2, L"-0.2");
            PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDC_FILTER_APPLY, BN_CLICKED), 0);
            applied = true;
        } else if (applied && !pulled && radio.CountCommand("EW0320") > 0) {
            radio.Unplug();
            pulled = true;
        }
        return pulled;
    });
    EXPECT_EQ(dialog.DoModal(window.Handle()), IDCANCEL);
    EXPECT_EQ(radio.ReadEeprom(0x030C, 1), std::vector<uint8_t>{0xEC}) << "the offset written";
    EXPECT_EQ(radio.ReadEeprom(0x0320, 1), std::vector<uint8_t>{1}) << "the gain not";
    ASSERT_GE(boxes.Count(), 1u);
    const SeenBox& told = boxes.Boxes().back();
    EXPECT_EQ(told.caption, L"Crystal Filter Configuration Error");
    const std::wstring partly = L"\nThe Q7 crystal filters are only partly written: open Crystal Filter "
                                L"Configuration again, check the filters and apply them.";
    ASSERT_GT(told.text.size(), partly.size()) << told.text;
    EXPECT_EQ(told.text.substr(told.text.size() - partly.size()), partly) << told.text;
}

}  // namespace
