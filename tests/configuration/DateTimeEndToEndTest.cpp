// Setting the simulated radio's clock through the date and time sheet.
#include "DateTimePage.h"
#include "ErrorText.h"
#include "MessagePump.h"
#include "ToolEndToEndFixture.h"
#include "resource.h"

namespace {

// One day, 3 h 20 min 53 s ahead of UTC.
constexpr long long kRadioOffset = 86400 + 3 * 3600 + 20 * 60 + 53;

long long SecondsOf(const SYSTEMTIME& time)
{
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return static_cast<long long>((ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}).QuadPart / 10000000);
}

// How far local time is ahead of UTC.
long long LocalOffset()
{
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    return SecondsOf(local) - SecondsOf(utc);
}

class DateTimeEndToEndTest : public ToolEndToEndTest {
protected:
    // Chooses UTC or local time, then presses `button` once the page polls
    // the radio's time.
    INT_PTR Run(int zoneButton, int button = PSBTN_OK)
    {
        CToolSheet sheet(IDS_DATE_TIME_CAPTION, 0);
        bool zoneChosen = false;
        return RunSheet(sheet, page, L"Set Date and Time", [&](HWND window) {
            const HWND shown = PropSheet_GetCurrentPageHwnd(window);
            if (!zoneChosen) {
                zoneChosen = true;
                SendDlgItemMessageW(shown, zoneButton, BM_CLICK, 0, 0);
            }
            if (page.Phase() != 3)
                return false;
            PostMessageW(window, PSM_PRESSBUTTON, button, 0);
            return true;
        });
    }

    // The first command that starts with `prefix`, or the end.
    static size_t IndexOf(const std::vector<std::string>& commands, const std::string& prefix)
    {
        for (size_t i = 0; i < commands.size(); ++i) {
            if (commands[i].compare(0, prefix.size(), prefix) == 0)
                return i;
        }
        return commands.size();
    }

    CDateTimePage page;
};

TEST_F(DateTimeEndToEndTest, SetsTheRadioToUtcAndLeavesTheMenu)
{
    Contact();
    radio.SetClockOffset(kRadioOffset);
    Run(IDC_DATE_TIME_UTC);
    EXPECT_LE(std::llabs(radio.ClockOffset()), 1);
    const std::vector<std::string> commands = radio.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "MN255;");
    EXPECT_EQ(radio.CountCommand("Q7"), 0u);  // switch emulation needs no mode from MCU 346
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DateTimeEndToEndTest, SetsTheRadioToLocalTimeWithTheDayFirst)
{
    const long long local = LocalOffset();
    ASSERT_NE(local, 0) << "the test's time zone is not pinned";
    Contact();
    radio.SetDayFirst(true);
    radio.SetClockOffset(-kRadioOffset);
    Run(IDC_DATE_TIME_LOCAL);
    EXPECT_LE(std::llabs(radio.ClockOffset() - local), 1);
    EXPECT_EQ(page.Machine().m_dateOrder, 1);
    EXPECT_EQ(page.Machine().DateTimeUtc.Get(), 0);
}

TEST_F(DateTimeEndToEndTest, OldFirmwareSwitchesToTheExtendedModeAroundTheSwitches)
{
    radio.SetMcuVersion(340);
    Contact();
    radio.SetClockOffset(30);
    Run(IDC_DATE_TIME_UTC);
    EXPECT_LE(std::llabs(radio.ClockOffset()), 1);
    const std::vector<std::string> commands = radio.Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_LT(IndexOf(commands, "Q71;"), IndexOf(commands, "SWT"));
    ASSERT_LT(IndexOf(commands, "Q71;") + 1, commands.size());
    EXPECT_EQ(commands[IndexOf(commands, "Q71;") + 1], "Q7;");
    EXPECT_EQ(std::vector<std::string>(commands.end() - 3, commands.end()),
              (std::vector<std::string>{"Q70;", "Q7;", "MN255;"}));
    EXPECT_EQ(radio.CommandMode(), "0");
}

TEST_F(DateTimeEndToEndTest, CancelWhilePollingLeavesTheMenuAndSetsNothing)
{
    Contact();
    radio.SetClockOffset(600);
    Run(IDC_DATE_TIME_UTC, PSBTN_CANCEL);
    EXPECT_EQ(radio.CountCommand("SWT"), 0u);
    EXPECT_EQ(radio.Commands().back(), "MN255;");
    EXPECT_EQ(radio.ClockOffset(), 600);
}

// A failed pass puts the radio back as Cancel does (its menu left, below
// MCU 346 its command mode) before the box tells the failure.
TEST_F(DateTimeEndToEndTest, FailuresRestoreTheRadioThenShowTheirTextAndCloseTheSheet)
{
    struct Case {
        unsigned mcu;
        const char* lost;
        const char* resent;
        size_t sends;
        HRESULT code;
        // The radio's last commands when the box shows.
        std::vector<std::string> restore;
    } const cases[] = {
        {455, "DS;", "DS;", 8, E_NO_RESPONSE_DS, {"DS;", "MN255;"}},
        // The radio keeps answering "Q70;", which the restore puts back.
        {340, "Q71;", "Q7;", 8 + 1, E_NO_RESPONSE_Q7, {"Q70;", "Q7;", "MN255;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        radio.SetMcuVersion(c.mcu);
        Contact();
        radio.IgnoreNext(c.lost, 100);
        const size_t before = boxes.Count();
        std::vector<std::string> atBox;
        boxes.AddAnswer(IDOK, [&] {
            if (atBox.empty())
                atBox = radio.Commands();
            return true;
        });
        CDateTimePage failing;
        CToolSheet sheet(IDS_DATE_TIME_CAPTION, 0);
        sheet.Run(window.Handle(), failing);  // returns only once the sheet has closed
        EXPECT_EQ(radio.CountCommand(c.resent), c.sends);
        ASSERT_EQ(boxes.Count(), before + 1);
        EXPECT_EQ(boxes[before].caption, L"Set Date and Time");
        EXPECT_EQ(boxes[before].text, FormatErrorText(c.code));
        ASSERT_GE(atBox.size(), c.restore.size());
        EXPECT_EQ(std::vector<std::string>(atBox.end() - static_cast<long>(c.restore.size()), atBox.end()), c.restore);
        EXPECT_EQ(radio.CommandMode(), "0");
        radio.IgnoreNext(c.lost, 0);
    }
}

}  // namespace
