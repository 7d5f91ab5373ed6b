// Configuration save from the Configuration tab against the simulated radio:
// the file holds what the radio's saved regions hold, at each speed;
// cancelling sends nothing or writes nothing. (Byte reads of older firmware
// take 3,124 exchanges, and targets that cannot be replaced need no radio:
// the scripted-radio, file tests and the benchmark cover them.)
#include "ConfigEndToEnd.h"
#include "ConfigFixture.h"
#include "resource.h"

using namespace configtest;

namespace {

const wchar_t kSaveDialog[] = L"Save Configuration";

class ConfigSaveEndToEndTest : public ConfigEndToEndTest {
protected:
    // A pattern in the saved regions and around them.
    void FillRadio()
    {
        std::vector<uint8_t> bytes(0x8400);
        for (unsigned address = 0; address < bytes.size(); ++address)
            bytes[address] = PatternByte(address);
        for (unsigned start : {0x0000u, 0x0300u, 0x6800u, 0x7E00u})
            radio.WriteEeprom(start, std::vector<uint8_t>(bytes.begin() + start, bytes.begin() + start + 0x200));
    }

    // Saves into the file, returning the file's content.
    std::string Save(const std::wstring& path)
    {
        AnswerFileDialog(L"Save As", path);
        radio.ClearLog();
        Press(IDC_SAVE_CONFIGURATION);
        return ReadWholeFile(path);
    }

    void ExpectSavedFile(const std::string& file)
    {
        ASSERT_FALSE(file.empty());
        const std::vector<std::string> lines = SplitLines(file);
        ASSERT_EQ(lines.size(), 56u);
        EXPECT_EQ(lines[5], "Q7 Serial Number = 04711");
        EXPECT_EQ(Mem2Bytes(file), SavedRegions());
        EXPECT_EQ(Sealed(std::vector<std::string>(lines.begin(), lines.end() - 1)), file) << "a valid CRC line";
        EXPECT_EQ(StatusText(), L"Configuration was saved");
    }
};

}  // namespace

TEST_F(ConfigSaveEndToEndTest, TheFileHoldsTheSavedRegionsAt38400EvenWhenTheWindowsAreHiddenMeanwhile)
{
    Connect(38400);
    FillRadio();
    // The owner's popups hidden and shown again while the regions are read.
    int hidden = 0;
    radio.SetReplyDelay(20);
    DriveToolDialog(kSaveDialog, [&](HWND) {
        ShowOwnedPopups(Frame(), FALSE);
        ShowOwnedPopups(Frame(), TRUE);
        ++hidden;
        return true;
    });
    const std::wstring path = folder.File(L"saved.Q7Config");
    ExpectSavedFile(Save(path));
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(fileDialogs, 1) << "a show after the hide asks for no file";
    EXPECT_EQ(Count("ER"), 25u);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_FALSE(toolFailed);

    std::wstring folderSetting(MAX_PATH, L'\0');
    DWORD size = MAX_PATH * sizeof(wchar_t);
    RegGetValueW(model.AppKey().Key(), nullptr, L"ConfigurationFolder", RRF_RT_REG_SZ, nullptr, folderSetting.data(),
                 &size);
    EXPECT_STREQ(folderSetting.c_str(), folder.Path().c_str()) << "the folder of the file is kept";
}

TEST_F(ConfigSaveEndToEndTest, TheFileHoldsTheSavedRegionsAt9600)
{
    Connect(9600);
    FillRadio();
    DriveToolDialog(kSaveDialog, [](HWND) { return false; });
    ExpectSavedFile(Save(folder.File(L"slow.Q7Config")));
    EXPECT_EQ(radio.LineSpeed(), 9600u);
}

TEST_F(ConfigSaveEndToEndTest, CancellingTheFileDialogSendsNothing)
{
    Connect();
    Save(L"");
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_TRUE(radio.Commands().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ConfigSaveEndToEndTest, CancellingTheReadWritesNoFile)
{
    Connect();
    // Slow replies: the Cancel comes while the regions are read.
    radio.SetReplyDelay(50);
    DriveToolDialog(kSaveDialog, [&](HWND dialog) { return Cancel(dialog); });
    const std::wstring path = folder.File(L"cancelled.Q7Config");
    EXPECT_TRUE(Save(path).empty());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_LT(Count("ER"), 25u);
    EXPECT_EQ(boxes.Count(), 0u) << "a cancel is no error";
    EXPECT_EQ(StatusText(), L"Save configuration was cancelled");
}
