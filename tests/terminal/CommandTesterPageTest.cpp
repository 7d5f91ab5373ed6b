// The Command Tester page on a scripted radio, in a sheet of its own: what
// goes out for typed text, Enter and macro buttons, the paced sending of DSP
// texts, what is shown, and the page without a link.
#include <richedit.h>

#include "CommandTesterPage.h"
#include "MachineFixture.h"
#include "MessagePump.h"
#include "PropertySheet.h"
#include "Window.h"
#include "resource.h"

namespace {

const wchar_t* const kValueNames[] = {L"CommandCaption%u", L"CommandText%u"};

void ForgetMacroValues()
{
    for (const wchar_t* pattern : kValueNames) {
        for (unsigned i = 1; i <= kMacroCount; ++i)
            RegDeleteValueW(GetModel().AppKey().Key(), FormatText(pattern, i).c_str());
    }
}

class CommandTesterPageTest : public MachineTest {
protected:
    CommandTesterPageTest()
    {
        ForgetMacroValues();
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        peer.responder = [](const std::string& command) { return command == "FA;" ? "FA00014060000;" : ""; };
    }
    ~CommandTesterPageTest() override
    {
        m_sheet.Destroy();
        ForgetMacroValues();
    }

    void Open()
    {
        m_sheet.AddPage(tester);
        ASSERT_TRUE(m_sheet.Create(window.Handle()));
        page = m_sheet.GetCurrentPage();
        ASSERT_TRUE(page);
        ShowWindow(m_sheet.Handle(), SW_SHOW);
        PumpPending();
    }

    HWND Item(int id) const { return GetDlgItem(page, id); }
    void Type(const std::wstring& text)
    {
        for (const wchar_t character : text)
            SendMessageW(Item(IDC_COMMAND_EDIT), WM_CHAR, character, 1);
    }
    // As a key press comes: through the sheet's dialog keys.
    void PressEnter()
    {
        PostMessageW(Item(IDC_COMMAND_EDIT), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(Item(IDC_COMMAND_EDIT), WM_CHAR, L'\r', 1);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (m_sheet.IsDialogMessage(&message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    void Click(int id) { SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id))); }
    // What the radio sent, as the main window hands it on while no machine runs.
    void Receive(const std::string& bytes = {})
    {
        if (!bytes.empty())
            peer.Deliver(bytes);
        SendMessageW(page, WM_APP_SERIAL_DATA, 0, 0);
    }
    // The output without line feeds (the control keeps only carriage returns).
    std::wstring Output() const
    {
        std::wstring text = GetWindowString(Item(IDC_RICH_EDIT));
        text.erase(std::remove(text.begin(), text.end(), L'\n'), text.end());
        return text;
    }
    COLORREF ColorAt(const std::wstring& part) const
    {
        const HWND output = Item(IDC_RICH_EDIT);
        const auto at = static_cast<LONG>(Output().find(part));
        CHARRANGE range{at, at + static_cast<LONG>(part.size())};
        SendMessageW(output, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMATW format{sizeof format};
        SendMessageW(output, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }

    CCommandTesterPage tester;
    HWND page = nullptr;

private:
    CPropertySheet m_sheet{L"Command Tester", PSH_NOAPPLYNOW, 0};
};

}  // namespace

TEST_F(CommandTesterPageTest, TextsGoOutAsTheyStandAndRepliesAreShown)
{
    Open();
    tester.Texts.Set(2, L"A;");

    Type(L"FA;");  // goes at the ";"
    EXPECT_EQ(GetWindowString(Item(IDC_COMMAND_EDIT)), L"");
    Receive();  // the radio's answer
    Type(L"FA");
    PressEnter();  // without ";"
    EXPECT_EQ(GetWindowString(Item(IDC_COMMAND_EDIT)), L"");
    Type(L";");
    Type(L"F");
    Click(IDC_MACRO_FIRST + 2);  // the edit's text, then the macro's

    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"FA;", "FA;", "FA;"}));
    EXPECT_EQ(GetWindowString(Item(IDC_COMMAND_EDIT)), L"");
    EXPECT_EQ(Output(), L"\rFA;FA00014060000;\rFA\r;\rFA;");
    EXPECT_EQ(ColorAt(L"FA;F"), 0x009900u);
    EXPECT_EQ(ColorAt(L"FA00014060000;"), 0u);

    Receive(std::string("\x01\xFE\r", 3));
    EXPECT_EQ(Output().substr(Output().size() - 12), L"\\x01\\xFE\\x0D");
    Click(IDC_CLEAR);
    EXPECT_EQ(Output(), L"");
}

TEST_F(CommandTesterPageTest, DspTextsGoInPiecesByTheTimerOrAtAClosingBracket)
{
    Open();
    tester.Texts.Set(0, L"!0123456;");
    Click(IDC_MACRO_FIRST);
    EXPECT_EQ(Output(), L"!01");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_MACRO_FIRST)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_COMMAND_EDIT)));

    Receive("(FE)");  // the DSP has taken the piece: the next goes at once
    EXPECT_EQ(Output(), L"!01(FE)23");

    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Item(IDC_MACRO_FIRST)); }, 2000));
    EXPECT_EQ(Output(), L"!01(FE)23456;\r");
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"!0123456;"}));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_COMMAND_EDIT)));
}

TEST_F(CommandTesterPageTest, ALinkLostInTheMiddleOfADspTextEndsIt)
{
    Open();
    tester.Texts.Set(0, L"!0123456;");
    Click(IDC_MACRO_FIRST);
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    PumpFor(300);
    EXPECT_EQ(Output(), L"!01\r");
    EXPECT_TRUE(peer.CommandTexts().empty()) << "the rest went out to the radio found again";
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_MACRO_FIRST)));
}

TEST_F(CommandTesterPageTest, WithoutALinkEverythingIsDisabledAndNothingIsSent)
{
    Open();
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
    for (const int id : {IDC_COMMAND_EDIT, IDC_MACRO_FIRST, IDC_MACRO_FIRST + 15, IDC_EDIT_MACROS, IDC_CLEAR})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    SetWindowTextW(Item(IDC_COMMAND_EDIT), L"FA;");
    PressEnter();
    EXPECT_TRUE(peer.CommandTexts().empty());
    EXPECT_EQ(Output(), L"");

    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_MACRO_FIRST)));
}
