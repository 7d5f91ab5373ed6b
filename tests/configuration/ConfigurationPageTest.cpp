// The Configuration tab: which tool buttons may be pressed at each connection
// status, and its tool tips.
#include "ShellFixture.h"

#include <commctrl.h>

#include <vector>

#include "ConfigurationPage.h"
#include "resource.h"

namespace {

// Save, restore, crystal filters, CW memories, banner, date and time.
const std::vector<int> kToolButtons = {13504, 13500, 14000, 11000, 13400, 13300};

}  // namespace

class ConfigurationPageTest : public ShellTest {
protected:
    HWND ShowPage()
    {
        OpenFrame();
        SelectTab(CTabView::TAB_CONFIGURATION);
        return Page(CTabView::TAB_CONFIGURATION);
    }

    // The buttons that may be pressed now.
    std::vector<int> EnabledButtons(HWND page)
    {
        std::vector<int> enabled;
        for (int id : kToolButtons) {
            if (IsWindowEnabled(GetDlgItem(page, id)))
                enabled.push_back(id);
        }
        return enabled;
    }
};

TEST_F(ConfigurationPageTest, ToolsArePressableOnlyWhileTheRadioRuns)
{
    const HWND page = ShowPage();
    EXPECT_TRUE(EnabledButtons(page).empty());
    model.ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_TRUE(EnabledButtons(page).empty());
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    EXPECT_EQ(EnabledButtons(page), kToolButtons);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
    EXPECT_TRUE(EnabledButtons(page).empty());

    // Hidden, the page hears nothing; shown again, it catches up at once.
    SelectTab(CTabView::TAB_FIRMWARE);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    EXPECT_TRUE(EnabledButtons(page).empty());
    SelectTab(CTabView::TAB_CONFIGURATION);
    EXPECT_EQ(EnabledButtons(page), kToolButtons);
}

TEST_F(ConfigurationPageTest, SaveRestoreAndDateTimeCarryBalloonTips)
{
    const HWND page = ShowPage();
    const HWND tip = FindToolTipOf(page);
    ASSERT_TRUE(tip);
    EXPECT_TRUE(GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
    EXPECT_EQ(ToolTipText(tip, page, IDC_SAVE_CONFIGURATION), L"Save configuration in a computer file");
    EXPECT_EQ(ToolTipText(tip, page, IDC_RESTORE_CONFIGURATION), L"Restore a previously saved configuration");
    EXPECT_EQ(ToolTipText(tip, page, IDC_SET_DATE_TIME), L"Set Q7 Date and Time from PC Date and Time");
}
