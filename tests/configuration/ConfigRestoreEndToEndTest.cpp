// Configuration restore from the Configuration tab against the simulated
// radio: only the saved regions are written, the radio is reset and found
// again; a corrupted file sends nothing.
#include "ConfigEndToEnd.h"
#include "ConfigFixture.h"
#include "resource.h"

using namespace configtest;

namespace {

const wchar_t kRestoreDialog[] = L"Restore Configuration";

class ConfigRestoreEndToEndTest : public ConfigEndToEndTest {
protected:
    void Restore(const std::wstring& path)
    {
        AnswerFileDialog(L"Open", path);
        DriveToolDialog(kRestoreDialog, [](HWND) { return false; });
        radio.ClearLog();
        Press(IDC_RESTORE_CONFIGURATION);
    }
};

}  // namespace

TEST_F(ConfigRestoreEndToEndTest, OnlyTheSavedRegionsAreWrittenThenTheRadioIsResetAndFoundAgain)
{
    Connect();
    const std::vector<uint8_t> pattern{1, 2, 3, 4, 5, 6, 7, 8};
    radio.WriteEeprom(0x00F8, std::vector<uint8_t>(8, 0x33));
    const std::wstring path = folder.Write(L"restore.Q7Config", FileOf({{0x00F8, pattern}, {0x0400, pattern}}));
    Restore(path);
    EXPECT_FALSE(toolFailed);
    EXPECT_EQ(radio.ReadEeprom(0x00F8, 8), (std::vector<uint8_t>{1, 2, 3, 4, 0x33, 0x33, 0x33, 0x33}))
        << "0x00FC on lies outside the saved regions";
    EXPECT_EQ(radio.ReadEeprom(0x0400, 8), std::vector<uint8_t>(8, 0xFF));
    const std::vector<SimulatedCommand> log = radio.Log();
    size_t reset = 0;
    while (reset < log.size() && log[reset].command != "LDD20000;")
        ++reset;
    ASSERT_LT(reset + 1, log.size());
    EXPECT_GE(log[reset + 1].ms - log[reset].ms, 5500) << "the wait after the reset";
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(CTabView::TAB_CONFIGURATION), IDC_RESTORE_CONFIGURATION)));
    EXPECT_EQ(StatusText(), L"Configuration was restored");
}

TEST_F(ConfigRestoreEndToEndTest, ACorruptedFileSendsNoWriteAndNoReset)
{
    Connect();
    std::string file = FileOf({{0x0100, {1, 2, 3}}});
    file[file.find("010203")] = '1';
    const std::wstring path = folder.Write(L"corrupt.Q7Config", file);
    boxes.OnDialog(kRestoreDialog, [](HWND dialog) { return Cancel(dialog); });
    AnswerFileDialog(L"Open", path);
    radio.ClearLog();
    Press(IDC_RESTORE_CONFIGURATION);
    EXPECT_TRUE(radio.Commands().empty());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Restore Configuration Error");
}
