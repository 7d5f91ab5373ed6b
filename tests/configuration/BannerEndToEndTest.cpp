// Reading and writing the simulated radio's power-on banner through its sheet.
#include "BannerStateMachine.h"
#include "ErrorText.h"
#include "PowerOnBannerPage.h"
#include "ToolEndToEndFixture.h"
#include "resource.h"

namespace {

constexpr unsigned kBanner = 0x83E0;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class BannerEndToEndTest : public ToolEndToEndTest {
protected:
    // Once the read has ended: `edit` is typed into the banner edit, which
    // keeps the focus, and Enter pressed there, `presses` times.
    INT_PTR Run(const wchar_t* edit, int presses = 1)
    {
        CToolSheet sheet(IDS_BANNER_SHEET_CAPTION, PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP, IDS_SAVE);
        return RunSheet(sheet, page, L"Edit Power On Banner", [&](HWND window) {
            if (!page.Machine().IsIdle())
                return false;
            shownText = GetWindowString(GetDlgItem(page.Handle(), IDC_BANNER_TEXT));
            okText = GetWindowString(GetDlgItem(window, IDOK));
            const HWND box = GetDlgItem(page.Handle(), IDC_BANNER_TEXT);
            SetFocus(box);
            if (edit)
                SetWindowTextW(box, edit);
            for (int i = 0; i < presses; ++i)
                SendMessageW(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
            return true;
        });
    }

    CPowerOnBannerPage page;
    std::wstring shownText;
    std::wstring okText;
};

TEST_F(BannerEndToEndTest, EnterSavesTheTypedTextWithoutTrailingBlanksAndASecondSaveMeanwhileIsRefused)
{
    Contact();
    radio.WriteEeprom(kBanner, Bytes(std::string("HELLO") + '\0'));
    Run(L"  CQ DX   ", 2);  // the second Save meets the running write
    EXPECT_EQ(shownText, L"HELLO");
    EXPECT_EQ(okText, L"Save");
    EXPECT_EQ(radio.ReadEeprom(kBanner, 9), Bytes(std::string("  CQ DX") + '\0' + '\xFF'));
    EXPECT_EQ(radio.CountCommand("EW"), 1u);
    EXPECT_EQ(radio.Commands().front(), "ER83E01687;");
    EXPECT_EQ(page.Machine().BannerText.Get(), L"  CQ DX");
    EXPECT_TRUE(boxes.Boxes().empty()) << "the second Save refused, not taken as a start of the busy machine";
}

TEST_F(BannerEndToEndTest, AFullBannerIsWrittenWithoutTerminator)
{
    Contact();
    Run(L"ABCDEFGHIJKLMNOPQRSTUV");
    EXPECT_EQ(radio.ReadEeprom(kBanner, 23), Bytes("ABCDEFGHIJKLMNOPQRSTUV\xFF"));
    EXPECT_EQ(radio.CountCommand("EW83E016"), 1u);
}

TEST_F(BannerEndToEndTest, AnErasedBannerReadsEmptyAndAnUnchangedSaveWritesNothing)
{
    Contact();
    Run(nullptr);
    EXPECT_EQ(shownText, L"");
    EXPECT_EQ(radio.CountCommand("EW"), 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(BannerEndToEndTest, ALostAcknowledgementShowsTheBannerErrorBox)
{
    Contact();
    radio.IgnoreNext("EW", 100);
    page.Machine().m_retryLimit = 2;
    Run(L"HELLO");
    EXPECT_EQ(radio.CountCommand("EW83E00648454C4C4F0023;"), 2u);  // the text and its 0
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Power On Banner Error");
    EXPECT_EQ(boxes[0].text, FormatErrorText(E_NO_RESPONSE_WRITE_EEPROM_BLOCK));
    radio.IgnoreNext("EW", 0);
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    while (times-- > 0)
        all += text;
    return all;
}

// The bytes of a character come from the code pages' published tables.
TEST(BannerBytesTest, AsManyWholeCharactersAsFitIn22Bytes)
{
    const std::string hiragana932 = "\x82\xA0", hiraganaUtf8 = "\xE3\x81\x82";  // U+3042
    const std::wstring smiley = L"\xD83D\xDE00";                                 // U+1F600
    const struct {
        const char* what;
        std::wstring text;
        UINT codePage;
        std::string bytes;
    } cases[] = {
        {"single bytes", L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1252, "ABCDEFGHIJKLMNOPQRSTUV"},
        {"eleven double-byte characters", std::wstring(11, 0x3042), 932, Repeat(hiragana932, 11)},
        {"a double-byte character across byte 22", L"A" + std::wstring(11, 0x3042), 932,
         "A" + Repeat(hiragana932, 10)},
        {"three-byte characters", std::wstring(8, 0x3042), CP_UTF8, Repeat(hiraganaUtf8, 7)},
        {"a surrogate pair that fits", L"ABCDEFGHIJKLMNOPQR" + smiley, CP_UTF8, "ABCDEFGHIJKLMNOPQR\xF0\x9F\x98\x80"},
        {"a surrogate pair that does not", L"ABCDEFGHIJKLMNOPQRS" + smiley, CP_UTF8, "ABCDEFGHIJKLMNOPQRS"},
        {"nothing", L"", 932, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BannerBytes(c.text, c.codePage), c.bytes) << c.what;
}

}  // namespace
