// The Command Tester tab and the macro editor in the program's frame, against
// the simulated transceiver: typed commands and their replies, and macros
// read from and written to the radio's EEPROM.
#include "ShellFixture.h"

#include <algorithm>

#include "EditorSteps.h"
#include "SimulatedTransceiver.h"
#include "resource.h"

namespace {

using Step = CEditorSteps::Step;

std::vector<uint8_t> Field(const std::string& text, size_t size)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(size, 0xFF);
    return bytes;
}

std::wstring ReadString(const std::wstring& name)
{
    wchar_t value[160] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(GetModel().AppKey().Key(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return value;
}

class CommandTesterTest : public ShellTest {
protected:
    void Connect(bool advanced)
    {
        WriteSetting(L"Port", radio.PortName());
        WriteSetting(L"ActivePage", static_cast<DWORD>(CTabView::TAB_COMMAND_TESTER));
        WriteSetting(L"AdvancedMode", advanced ? 1u : 0u);
        OpenFrame();
        ASSERT_TRUE(PumpUntil([&] { return model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && model.IsIdle(); },
                              20000));
        page = Page(CTabView::TAB_COMMAND_TESTER);
        radio.ClearLog();
    }

    HWND Item(int id) const { return GetDlgItem(page, id); }
    std::wstring Output() const { return GetWindowString(Item(IDC_RICH_EDIT)); }
    bool OutputHas(const std::wstring& part)
    {
        return PumpUntil([&] { return Output().find(part) != std::wstring::npos; }, 5000);
    }
    void Type(const std::wstring& text)
    {
        for (const wchar_t character : text)
            SendMessageW(Item(IDC_COMMAND_EDIT), WM_CHAR, character, 1);
    }
    // The editor runs modally from the tab's button while the steps are taken.
    void EditMacros(std::vector<Step> steps)
    {
        editor.Set(std::move(steps));
        CEditorSteps::Click(page, IDC_EDIT_MACROS);
        EXPECT_TRUE(editor.AllTaken());
    }
    // Waits in a step until the transfer has ended.
    static bool TransferDone(HWND page) { return IsWindowEnabled(GetDlgItem(page, IDC_READ_MACROS)) != FALSE; }
    static Step Click(int id)
    {
        return [id](HWND, HWND page) {
            CEditorSteps::Click(page, id);
            return true;
        };
    }
    // Once the transfer has ended: the page checked, then OK.
    static Step OkWhenDone(std::function<void(HWND page)> check = {})
    {
        return [check](HWND sheet, HWND page) {
            if (!TransferDone(page))
                return false;
            if (check)
                check(page);
            PropSheet_PressButton(sheet, PSBTN_OK);
            return true;
        };
    }

    CSimulatedTransceiver radio;
    CEditorSteps editor{boxes};
    HWND page = nullptr;

    void SetUp() override { ASSERT_TRUE(radio.Start()); }
};

}  // namespace

TEST_F(CommandTesterTest, TypedCommandsReachTheRadioAndItsRepliesTheOutput)
{
    Connect(false);
    Type(L"FA;");
    ASSERT_TRUE(radio.WaitForCommand("FA;", 5000));
    EXPECT_TRUE(OutputHas(L"FA;FA00014060000;"));

    // The DSP answers each of its bytes.
    Type(L"!b800;");
    ASSERT_TRUE(radio.WaitForCommand(";", 5000));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Item(IDC_COMMAND_EDIT)) != FALSE; }, 5000));
    EXPECT_TRUE(OutputHas(L"!b8(00)00(47);"));
    EXPECT_EQ(radio.Commands(), (std::vector<std::string>{"FA;", "!b8", "00", ";"}));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_MACRO_FIRST + 16)));
}

TEST_F(CommandTesterTest, MacrosReadFromTheRadioReachTheButtonsAndTheRegistry)
{
    radio.WriteEeprom(0x7500, Field("VFO A", 8));
    radio.WriteEeprom(0x7508, Field(std::string("FA;\0", 4), 120));
    radio.WriteEeprom(0x7500 + 15 * 128, Field("ABCDEFGH", 8));
    Connect(true);
    EditMacros({
        Click(IDC_READ_MACROS),
        OkWhenDone([](HWND page) { EXPECT_EQ(GetWindowString(CEditorSteps::LabelEdit(page, 0)), L"VFO A"); }),
    });
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(GetWindowString(Item(IDC_MACRO_FIRST)), L"VFO A");
    EXPECT_EQ(GetWindowString(Item(IDC_MACRO_FIRST + 1)), L"MACRO2") << "an erased label gets its default";
    EXPECT_EQ(GetWindowString(Item(IDC_MACRO_FIRST + 15)), L"ABCDEFGH");
    EXPECT_TRUE(IsWindowVisible(Item(IDC_MACRO_FIRST + 16)));
    EXPECT_EQ(ReadString(L"CommandCaption1"), L"VFO A");
    EXPECT_EQ(ReadString(L"CommandText1"), L"FA;");
    EXPECT_EQ(ReadString(L"CommandCaption2"), L"MACRO2");
    EXPECT_EQ(radio.CountCommand("ER"), 48u);

    // The macro as the radio keeps it, fired from its button.
    radio.ClearLog();
    CEditorSteps::Click(page, IDC_MACRO_FIRST);
    EXPECT_TRUE(radio.WaitForCommand("FA;", 5000));
}

TEST_F(CommandTesterTest, OkAndEnterWhileReadingLeaveTheEditorOpenUntilTheReadIsDone)
{
    radio.WriteEeprom(0x7500 + 15 * 128, Field("LAST", 8));
    Connect(false);
    radio.SetReplyDelay(30);  // a read long enough to press OK in
    EditMacros({
        Click(IDC_READ_MACROS),
        [](HWND sheet, HWND page) {
            PropSheet_PressButton(sheet, PSBTN_OK);
            // Enter in a row: the sheet's default button, OK again.
            const HWND edit = CEditorSteps::LabelEdit(page, 3);
            PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
            return true;
        },
        [&](HWND sheet, HWND page) {
            EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page);
            EXPECT_FALSE(TransferDone(page)) << "the read ran too fast to be interrupted";
            EXPECT_FALSE(model.IsIdle());
            return true;
        },
        OkWhenDone(),
    });
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(radio.CountCommand("ER"), 48u) << "the read ran to its end";
    EXPECT_EQ(GetWindowString(Item(IDC_MACRO_FIRST + 15)), L"LAST");
    EXPECT_EQ(ReadString(L"CommandCaption16"), L"LAST");
}

TEST_F(CommandTesterTest, MacrosWrittenToTheRadioChangeOnlyTheirOwnBytes)
{
    Connect(false);
    const std::vector<uint8_t> before = radio.ReadEeprom(0, 0x8400);
    EditMacros({
        [](HWND, HWND page) {
            CEditorSteps::SetRow(page, 0, L" rit on ", L"rt1;");
            CEditorSteps::SetRow(page, 15, L"abcdefgh", std::wstring(120, L'z'));
            CEditorSteps::Click(page, IDC_WRITE_MACROS);
            return true;
        },
        OkWhenDone([](HWND page) { EXPECT_EQ(GetWindowString(CEditorSteps::LabelEdit(page, 0)), L"RIT ON"); }),
    });
    EXPECT_EQ(boxes.Count(), 0u);

    std::vector<uint8_t> expected(0x800, 0xFF);
    const auto put = [&](unsigned address, const std::string& bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + (address - 0x7500));
    };
    put(0x7500, std::string("RIT ON\0", 7));
    put(0x7508, std::string("RT1;\0", 5));
    for (unsigned macro = 1; macro < 15; ++macro) {
        put(0x7500 + 128 * macro, "MACRO" + std::to_string(macro + 1) + std::string(1, '\0'));
        put(0x7508 + 128 * macro, std::string(1, '\0'));
    }
    put(0x7C80, "ABCDEFGH");
    put(0x7C88, std::string(120, 'Z'));
    std::vector<uint8_t> after = radio.ReadEeprom(0, 0x8400);
    ASSERT_EQ(after.size(), 0x8400u);
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 0x7500, after.begin() + 0x7D00), expected);
    // Everything else as it was.
    std::copy(before.begin() + 0x7500, before.begin() + 0x7D00, after.begin() + 0x7500);
    EXPECT_TRUE(after == before);
    EXPECT_EQ(GetWindowString(Item(IDC_MACRO_FIRST)), L"RIT ON");
    EXPECT_EQ(ReadString(L"CommandCaption1"), L"RIT ON");
    EXPECT_EQ(ReadString(L"CommandText16"), std::wstring(120, L'Z'));
}
