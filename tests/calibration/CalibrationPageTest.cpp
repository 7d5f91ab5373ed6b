// The Calibration tab: which buttons may be pressed for the radio's link,
// kind and firmware, the summary button that stays once a data file was
// found, the tips, and the summary viewer with the file or a box.
#include "ShellFixture.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "TXGainFile.h"
#include "Window.h"
#include "resource.h"

namespace {

// RF gain, TX gain, summary.
constexpr int kRF = 13620;
constexpr int kTX = 13602;
constexpr int kSummary = 13624;
const std::vector<int> kButtons = {kRF, kTX, kSummary};

// A serial number of this test's own, so that its data file is its own.
constexpr unsigned short kSerial = 31337;

class CalibrationPageTest : public ShellTest {
protected:
    ~CalibrationPageTest() override
    {
        if (!path.empty())
            DeleteFileW(path.c_str());
        model.SerialNumber.Set(SERIAL_NUMBER_UNKNOWN);
    }

    HWND ShowPage()
    {
        OpenFrame();
        SelectTab(CTabView::TAB_CALIBRATION);
        model.SerialNumber.Set(kSerial);
        path = GetTXGainFilePath(nullptr);
        DeleteFileW(path.c_str());
        return Page(CTabView::TAB_CALIBRATION);
    }

    // The radio as the contact machine leaves it: facts first, then the status.
    void SetRadio(FirmwareStatusEnum status, ZentrovaDevice kind, unsigned short mcuVersion)
    {
        model.FirmwareVersion.Set(VERSION_MCU, mcuVersion);
        model.DeviceKind.Set(kind);
        model.ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
        model.ConnectionStatus.Set(status);
    }

    void WriteDataFile(const std::string& text)
    {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::vector<int> Enabled(HWND page)
    {
        std::vector<int> enabled;
        for (int id : kButtons) {
            if (IsWindowEnabled(GetDlgItem(page, id)))
                enabled.push_back(id);
        }
        return enabled;
    }

    void Press(HWND page, int id)
    {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    std::wstring path;
};

}  // namespace

TEST_F(CalibrationPageTest, ButtonsFollowTheLinkTheKindTheFirmwareAndAFileOnceFound)
{
    const HWND page = ShowPage();
    // In turn: the data file appears at row 8 and is deleted at row 11.
    struct Row {
        FirmwareStatusEnum status;
        ZentrovaDevice kind;
        unsigned short mcuVersion;
        bool fileExists;
        std::vector<int> enabled;
    } rows[] = {
        {FIRMWARE_STATUS_UNKNOWN, DEVICE_Q7, 455, false, {}},
        {FIRMWARE_STATUS_BOOT_LOADER, DEVICE_Q7, 455, false, {}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 244, false, {}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 245, false, {kTX}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 382, false, {kTX}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 383, false, {kRF, kTX}},
        // A radio whose kind is not known yet counts as a Q7.
        {FIRMWARE_STATUS_RUNNING, DEVICE_UNKNOWN, 383, false, {kRF, kTX}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_MV8, 455, true, {}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 244, true, {}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 245, true, {kTX, kSummary}},
        // Found once, the file counts as there.
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 245, false, {kTX, kSummary}},
        {FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 383, false, {kRF, kTX, kSummary}},
        {FIRMWARE_STATUS_UNKNOWN, DEVICE_Q7, 383, false, {}},
    };
    int number = 1;
    for (const Row& row : rows) {
        if (row.fileExists)
            WriteDataFile("Q7 TX Gain Calibration data\r\n");
        else
            DeleteFileW(path.c_str());
        SetRadio(row.status, row.kind, row.mcuVersion);
        EXPECT_EQ(Enabled(page), row.enabled) << "row " << number++;
    }
}

TEST_F(CalibrationPageTest, EachButtonCarriesItsTip)
{
    const HWND page = ShowPage();
    const HWND tip = FindToolTipOf(page);
    ASSERT_TRUE(tip);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
    EXPECT_EQ(ToolTipText(tip, page, kRF), L"Calibrate RF Gain with a signal generator");
    EXPECT_EQ(ToolTipText(tip, page, kTX), L"Calibrate TX Gain with a dummy load");
    EXPECT_EQ(ToolTipText(tip, page, kSummary), L"Display most recent TX Gain Calibration");
}

// The record as it is; one too long for the viewer from its top (where the
// newest blocks are) as far as 256 KiB of whole lines, with a line that
// names the file; bytes that are no text as '?'.
TEST_F(CalibrationPageTest, TheSummaryShowsTheRadiosFile)
{
    const HWND page = ShowPage();
    const std::string block = "Q7 TX Gain Calibration data written on 2026-12-06 at 16:56:41\r\n"
                              "Q7 Serial Number 31337\r\n\r\n\r\n"
                              "1900 kHz TXGain LP 123\r\n\r\n";
    std::string blocks;
    while (blocks.size() + block.size() <= 256 * 1024)
        blocks += block;
    // The first line of the next block fits, the whole block does not.
    const std::string lastLine = block.substr(0, block.find("\r\n") + 2);
    ASSERT_LE(blocks.size() + lastLine.size(), 256u * 1024);
    ASSERT_GT(blocks.size() + 2 * lastLine.size(), 256u * 1024);
    const char noText[] = "a\0b\x01" "c\td\x7F\x1F\xE9\r\n";
    std::string random(4 << 20, '\0');
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<char>((i * 2654435761u) >> 13);
    const struct {
        const char* what;
        std::string file;
        // Empty: the file as it is.
        std::string shown;
        bool olderInFile;
    } rows[] = {
        {"one block", block, "", false},
        {"blocks up to 256 KiB", blocks, "", false},
        {"more blocks", blocks + lastLine + block, blocks + lastLine, true},
        {"bytes that are no text", std::string(noText, sizeof noText - 1), "a?b?c\td??\xE9\r\n", false},
        {"4 MiB of noise", random, "", true},
    };
    SetRadio(FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 455);
    const std::wstring olderInFile = L"Older calibration data is in the file \"" + path + L"\".";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteDataFile(row.file);
        std::wstring shown;
        CHARRANGE selection{-1, -1};
        boxes.OnDialog(L"TX Gain Calibration Summary", [&](HWND dialog) {
            const HWND viewer = GetDlgItem(dialog, IDC_RICH_EDIT);
            shown = GetWindowString(viewer);
            SendMessageW(viewer, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        Press(page, kSummary);
        EXPECT_EQ(boxes.Count(), 0u);
        const std::string& expected = row.shown.empty() ? row.file : row.shown;
        if (row.file != random) {
            std::wstring text(expected.size(), L'\0');
            MultiByteToWideChar(CP_ACP, 0, expected.data(), static_cast<int>(expected.size()), text.data(),
                                static_cast<int>(text.size()));
            // Too long for a printed difference: where they part.
            const std::wstring want = text + (row.olderInFile ? olderInFile : L"");
            EXPECT_TRUE(shown == want) << "sizes " << shown.size() << " and " << want.size() << ", parting at "
                                       << std::mismatch(shown.begin(), shown.end(), want.begin(), want.end()).first -
                                              shown.begin();
        } else {
            // Each line break of the noise, CR or LF, reads back as both.
            EXPECT_LE(shown.size(), 2 * 256 * 1024 + olderInFile.size());
            EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), olderInFile.size())), olderInFile);
        }
        // Opened for reading: nothing selected, the caret at the start.
        EXPECT_EQ(selection.cpMin, 0);
        EXPECT_EQ(selection.cpMax, 0);
    }
}

TEST_F(CalibrationPageTest, AFileGoneSinceItWasFoundGivesTheBoxAndNoViewer)
{
    const HWND page = ShowPage();
    WriteDataFile("Q7 TX Gain Calibration data\r\n");
    SetRadio(FIRMWARE_STATUS_RUNNING, DEVICE_Q7, 455);
    DeleteFileW(path.c_str());
    bool viewer = false;
    boxes.OnDialog(L"TX Gain Calibration Summary", [&](HWND dialog) {
        viewer = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    Press(page, kSummary);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"TX Gain Calibration file error");
    EXPECT_EQ(boxes[0].text, L"Cannot open TX Gain Calibration summary file \"" + path + L"\"");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_FALSE(viewer);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kSummary)));
}
