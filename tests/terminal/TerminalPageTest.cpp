// The Terminal tab in the frame against a radio in the test process: what
// typing, the keys and the buttons send, how sent text looks and is kept,
// and the memories and options dialogs.
#include "TerminalFixture.h"

#include <richedit.h>

#include <utility>

#include "CountingMachine.h"
#include "TerminalModeFilter.h"
#include "TerminalOptionsDlg.h"
#include "resource.h"

namespace {

CHARFORMATW FormatAt(HWND pane, LONG from, LONG to)
{
    CHARRANGE range{from, to};
    SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATW format{sizeof format};
    SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

std::wstring ButtonText(HWND page, int id)
{
    return GetWindowString(GetDlgItem(page, id));
}

void WriteBinarySetting(const wchar_t* name, BYTE value)
{
    RegSetValueExW(GetModel().AppKey().Key(), name, 0, REG_BINARY, &value, 1);
}

}  // namespace

TEST_F(TerminalPageTest, TypedTextGoesOutGreyAndProtectedAndBackspaceCannotTakeItBack)
{
    OpenOnTerminal();
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_TRANSMIT), L"Transmit");
    Type(L"CQ");
    PumpFor(300);
    EXPECT_TRUE(KeyedTexts().empty()) << "nothing goes out before transmit";

    Click(IDC_TRANSMIT);
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_TRANSMIT), L"Stop");
    ASSERT_TRUE(WaitForKeyed("CQ"));
    Type(L";");
    ASSERT_TRUE(WaitForKeyed("CQ,")) << "CW sends ';' as ','";
    EXPECT_EQ(Terminal().SendPosition(), 3);

    const CHARFORMATW sent = FormatAt(Pane(), 0, 3);
    EXPECT_EQ(sent.crTextColor, RGB(0x7F, 0x7F, 0x7F));
    EXPECT_TRUE(sent.dwEffects & CFE_PROTECTED);
    CHARRANGE end{3, 3};
    SendMessageW(Pane(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    Key(VK_BACK);
    Type(L"\b");
    EXPECT_EQ(TransmitText(), L"CQ;") << "sent text is protected";
    {
        CHeldKeys shift{VK_SHIFT};
        Key(VK_BACK);
    }
    EXPECT_EQ(TransmitText(), L"CQ;");

    Type(L"K");
    ASSERT_TRUE(WaitForKeyed("CQ,K"));
    EXPECT_EQ(FormatAt(Pane(), 3, 4).crTextColor, RGB(0x7F, 0x7F, 0x7F)) << "typed after sent text, then sent";
    EXPECT_TRUE(PumpUntil([&] { return ReceiveText() == L"CQ,K"; }, 2000)) << "the echo is what went out";
}

// Windows asks the page (EN_PROTECTED) before any change to protected text;
// Wine never does, so the notices are made here. The answer is the pane's
// own rule: a change at or after the send position, or a new font, goes.
TEST_F(TerminalPageTest, TheProtectedTextQuestionIsAnsweredWithThePanesOwnRule)
{
    OpenOnTerminal();
    auto& pane = *static_cast<CTransmitPane*>(CWindow::FromHandle(Pane()));
    pane.sendPosition = 3;
    CHARFORMATW font{sizeof font};
    font.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_FACE;
    CHARFORMATW grey{sizeof grey};
    grey.dwMask = CFM_COLOR | CFM_PROTECTED;
    const struct {
        const char* change;
        UINT message;
        WPARAM wParam;
        const CHARFORMATW* format;
        CHARRANGE range;
        bool internalEdit;
        bool allowed;
    } rows[] = {
        {"typed at the send position", WM_CHAR, L'K', nullptr, {3, 3}, false, true},
        {"typed into sent text", WM_CHAR, L'K', nullptr, {1, 1}, false, false},
        {"Delete of sent text", WM_KEYDOWN, VK_DELETE, nullptr, {2, 3}, false, false},
        {"Backspace at the send position", WM_KEYDOWN, VK_BACK, nullptr, {3, 3}, false, false},
        {"Backspace after it", WM_KEYDOWN, VK_BACK, nullptr, {4, 4}, false, true},
        {"a paste over sent text", EM_REPLACESEL, 0, nullptr, {0, 3}, false, false},
        {"the page's own edit", EM_REPLACESEL, 0, nullptr, {0, 3}, true, true},
        {"a new font for all text", EM_SETCHARFORMAT, SCF_ALL, &font, {0, 5}, false, true},
        {"sent text made grey again", EM_SETCHARFORMAT, SCF_SELECTION, &grey, {0, 3}, false, false},
        {"unsent text made grey", EM_SETCHARFORMAT, SCF_SELECTION, &grey, {3, 5}, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        pane.internalEdit = row.internalEdit;
        ENPROTECTED notice{{Pane(), static_cast<UINT_PTR>(GetDlgCtrlID(Pane())), EN_PROTECTED}, row.message,
                           row.wParam, reinterpret_cast<LPARAM>(row.format), row.range};
        const LRESULT refused =
            SendMessageW(TerminalPage(), WM_NOTIFY, notice.nmhdr.idFrom, reinterpret_cast<LPARAM>(&notice));
        EXPECT_EQ(refused == 0, row.allowed);
    }
    pane.internalEdit = false;
}

TEST_F(TerminalPageTest, CtrlDigitSendsAMemoryWithItsTokensAndEscEndsTransmission)
{
    OpenOnTerminal();
    SetMode(TERMINAL_MODE_RTTY);
    Terminal().Texts(TERMINAL_MODE_RTTY).Set(0, L"[TXON]RYRY[CRLF]");
    Terminal().Texts(TERMINAL_MODE_RTTY).Set(9, L"TEN");
    {
        CHeldKeys ctrl{VK_CONTROL};
        Key('1');
    }
    EXPECT_TRUE(Terminal().IsTransmitting());
    ASSERT_TRUE(WaitForKeyed("RYRY\r\n"));
    EXPECT_EQ(KeyedTexts().front(), "RYRY") << "at most four characters a piece";
    {
        CHeldKeys ctrl{VK_CONTROL};
        Key('0');
    }
    EXPECT_NE(TransmitText().find(L"TEN"), std::wstring::npos) << "Ctrl+0 is memory 10";

    peer.reset();
    peer.emplace();
    waiting = 0;
    Key(VK_ESCAPE);
    EXPECT_FALSE(Terminal().IsTransmitting());
    EXPECT_EQ(peer->CommandTexts(), std::vector<std::string>{"KY \x04;"});
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_TRANSMIT), L"Transmit");
}

TEST_F(TerminalPageTest, CtrlTTogglesAndCtrlWClearsWhatIsNotSent)
{
    OpenOnTerminal();
    {
        CHeldKeys ctrl{VK_CONTROL};
        Key('T');
    }
    ASSERT_TRUE(Terminal().IsTransmitting());
    Type(L"AB");
    ASSERT_TRUE(WaitForKeyed("AB"));
    {
        CHeldKeys ctrl{VK_CONTROL};
        Key('T');
    }
    ASSERT_FALSE(Terminal().IsTransmitting());
    Type(L"CD");
    {
        CHeldKeys ctrl{VK_CONTROL};
        Key('W');
    }
    EXPECT_EQ(TransmitText(), L"") << "unsent text gone, and sent lines too while not transmitting";
    EXPECT_EQ(Terminal().SendPosition(), 0);
}

TEST_F(TerminalPageTest, FocusComingBackLeavesTheCaretWhereItWas)
{
    OpenOnTerminal();
    Type(L"CQ CQ");
    // As when the window is activated again: the dialog manager gives the pane the focus.
    SendMessageW(Tabs().Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(TerminalPage(), IDC_TRANSMIT)), TRUE);
    SendMessageW(Tabs().Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Pane()), TRUE);
    CHARRANGE selection{};
    SendMessageW(Pane(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 5);
    EXPECT_EQ(selection.cpMax, 5) << "nothing selected, so the text still goes out up to the caret";
}

TEST_F(TerminalPageTest, EnterDropsTheFirstSentLine)
{
    OpenOnTerminal();
    Click(IDC_TRANSMIT);
    Type(L"AB");
    ASSERT_TRUE(WaitForKeyed("AB"));
    Key(VK_RETURN);
    EXPECT_EQ(TransmitText(), L"AB\r\n") << "no line sent yet: nothing removed";
    Type(L"CD");
    ASSERT_TRUE(WaitForKeyed("AB CD")) << "a line break is a blank in CW";
    Key(VK_RETURN);
    EXPECT_EQ(TransmitText(), L"CD\r\n");
    EXPECT_TRUE(WaitForKeyed("AB CD ")) << "the new line break goes out too";
    EXPECT_EQ(Terminal().SendPosition(), 3);
}

TEST_F(TerminalPageTest, DecodedTextIsShownAndPollingStopsWithTheConnection)
{
    OpenOnTerminal();
    decoded = "CQ DE Q7; K";
    ASSERT_TRUE(PumpUntil([&] { return ReceiveText() == L"CQ DE Q7; K"; }, 3000)) << "a ';' inside the text too";
    EXPECT_TRUE(IsWindowEnabled(Pane()));

    Click(IDC_CLEAR);
    EXPECT_EQ(ReceiveText(), L"");

    model.ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_FALSE(Terminal().IsEnabled());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(TerminalPage(), IDC_TRANSMIT)));
    PumpFor(150);
    peer.reset();
    peer.emplace();
    PumpFor(600);
    EXPECT_EQ(peer->Count("TB;"), 0u) << "no polls to a boot loader";

    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    EXPECT_TRUE(PumpUntil([&] { return peer->Count("TB;") > 0; }, 2000));
    SelectTab(CTabView::TAB_PORT);
    peer.reset();
    peer.emplace();
    PumpFor(600);
    EXPECT_EQ(peer->Count("TB;"), 0u) << "no polls from a hidden page";
}

TEST_F(TerminalPageTest, TwoRepliesInOneBurstAreBothTakenAtTheirNotice)
{
    OpenOnTerminal();
    // The second reply comes on the heels of the first, and then the radio
    // falls silent: no later notice would bring it.
    bool burst = true;
    peer->responder = [&](const std::string& command) -> std::string {
        return command == "TB;" && std::exchange(burst, false) ? "TB003CQ ;TB002DE;" : "";
    };
    EXPECT_TRUE(PumpUntil([&] { return ReceiveText() == L"CQ DE"; }, 2000)) << ReceiveText();
}

TEST_F(TerminalPageTest, TextHeldBackWhileAMachineHasThePortGoesOutWhenItEnds)
{
    OpenOnTerminal();
    CCountingMachine machine;
    model.SetActiveMachine(&machine);
    Click(IDC_TRANSMIT);
    Type(L"QRL?");
    PumpFor(400);
    EXPECT_TRUE(KeyedTexts().empty());
    EXPECT_EQ(peer->Count("TB;"), 0u);
    machine.idle = true;
    EXPECT_TRUE(WaitForKeyed("QRL?", 1000));
    model.SetActiveMachine(nullptr);
}

TEST_F(TerminalPageTest, UnknownModeFromTheRegistryStartsInCwAndPanesHoldMoreThan64K)
{
    WriteBinarySetting(L"TerminalMode", 7);
    WriteSetting(L"TerminalFontName", std::wstring(40, L'F'));
    OpenOnTerminal();
    EXPECT_EQ(IsDlgButtonChecked(TerminalPage(), IDC_MODE_CW), BST_CHECKED);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(TerminalPage(), IDC_PROSIGNS)));
    SetMode(TERMINAL_MODE_PSK);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(TerminalPage(), IDC_PROSIGNS)));
    for (HWND pane : {Terminal().TransmitPane(), Terminal().ReceivePane()})
        EXPECT_GT(SendMessageW(pane, EM_GETLIMITTEXT, 0, 0), 0x10000);
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_MEMORY_FIRST + 15), L"Memory 16");

    CloseFrame();
    BYTE mode = 0xFF;
    DWORD size = 1;
    RegQueryValueExW(model.AppKey().Key(), L"TerminalMode", nullptr, nullptr, &mode, &size);
    EXPECT_EQ(mode, TERMINAL_MODE_PSK) << "saved at exit";
}

TEST_F(TerminalPageTest, PanesGrowWithTheWindowAndTheMemoryButtonsFollowTheBottom)
{
    OpenOnTerminal();
    const auto heightOf = [](HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        return rect.bottom - rect.top;
    };
    const auto topOf = [](HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        return rect.top;
    };
    const HWND splitter = GetDlgItem(TerminalPage(), IDC_PLACEHOLDER);
    const HWND button = GetDlgItem(TerminalPage(), IDC_MEMORY_FIRST);
    const int splitterHeight = heightOf(splitter), buttonTop = topOf(button), paneHeight = heightOf(Pane());
    RECT frame;
    GetWindowRect(Frame(), &frame);
    SetWindowPos(Frame(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + 200,
                 SWP_NOMOVE | SWP_NOZORDER);
    PumpPending();
    EXPECT_GE(heightOf(splitter), splitterHeight + 150);
    EXPECT_GE(topOf(button), buttonTop + 150);
    EXPECT_GT(heightOf(Pane()), paneHeight) << "the transmit pane keeps its share";
    EXPECT_GT(heightOf(Terminal().ReceivePane()), 3 * heightOf(Pane()));
}

TEST_F(TerminalPageTest, TraceShowsCommandsAndRepliesInRedOnlyWithTheAdvancedBit)
{
    OpenOnTerminal();
    model.Trace.Set(1);
    model.AdvancedMode.Set(1);
    Click(IDC_TRANSMIT);
    Type(L"E");
    ASSERT_TRUE(WaitForKeyed("E"));
    PumpFor(300);
    EXPECT_EQ(ReceiveText().find(L"KY"), std::wstring::npos) << "Trace alone is not enough";

    model.AdvancedMode.Set(0x81);
    Click(IDC_TRANSMIT);
    Click(IDC_TRANSMIT);
    Type(L"_");
    ASSERT_TRUE(WaitForKeyed("E_"));
    ASSERT_TRUE(PumpUntil([&] { return ReceiveText().find(L"TB000;") != std::wstring::npos; }, 2000));
    const std::wstring text = ReceiveText();
    const size_t command = text.find(L"KY _;");
    ASSERT_NE(command, std::wstring::npos);
    EXPECT_EQ(FormatAt(Terminal().ReceivePane(), static_cast<LONG>(command), static_cast<LONG>(command) + 5).crTextColor,
              RGB(0xFF, 0, 0));
    model.Trace.Set(0);
    model.AdvancedMode.Set(0);
}

TEST_F(TerminalPageTest, MemoriesDialogShowsTheModesTextsKeepsEditsAcrossAHideAndSavesAtOnce)
{
    OpenOnTerminal();
    SetMode(TERMINAL_MODE_RTTY);
    Terminal().Texts(TERMINAL_MODE_RTTY).Set(2, L"RTTY three");
    std::wstring title, shownText;
    boxes.OnDialog(L"Edit RTTY Memories", [&](HWND dialog) {
        title = GetWindowString(dialog);
        shownText = GetWindowString(GetDlgItem(dialog, IDC_MEMORY_TEXT_FIRST + 2));
        SetDlgItemTextW(dialog, IDC_MEMORY_LABEL_FIRST + 0, L" CQ ");
        SetDlgItemTextW(dialog, IDC_MEMORY_LABEL_FIRST + 1, L"");
        SetDlgItemTextW(dialog, IDC_MEMORY_TEXT_FIRST + 0, L"[TXON]CQ[TXOFF]");
        // Windows hides and shows it again when the main window is minimised and restored.
        SendMessageW(dialog, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
        SendMessageW(dialog, WM_SHOWWINDOW, FALSE, 0);
        SendMessageW(dialog, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
        SendMessageW(dialog, WM_SHOWWINDOW, TRUE, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
    });
    Click(IDC_EDIT_MEMORIES);
    EXPECT_EQ(title, L"Edit RTTY Memories");
    EXPECT_EQ(shownText, L"RTTY three");
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_MEMORY_FIRST), L" CQ ") << "as typed, at once";
    EXPECT_EQ(ButtonText(TerminalPage(), IDC_MEMORY_FIRST + 1), L"");

    HKEY key = model.AppKey().Key();
    wchar_t value[64] = {};
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, L"RttyMemoryCaption1", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L" CQ ");
    // Empty until the page is made again: not written at all when it was never there.
    value[0] = L'\0';
    size = sizeof value;
    RegQueryValueExW(key, L"RttyMemoryCaption2", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    EXPECT_STREQ(value, L"");
    size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, L"RttyMemoryText1", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"[TXON]CQ[TXOFF]");
    EXPECT_EQ(Terminal().Captions(TERMINAL_MODE_CW).Get(0), L"Memory 1") << "other modes untouched";
}

TEST_F(TerminalPageTest, OptionsDialogStoresTheTimeoutAsANumberOfAtMostFiveDigits)
{
    OpenOnTerminal();
    struct {
        const wchar_t* typed;
        DWORD stored;
    } cases[] = {{L"1234567", 12345}, {L"abc", 0}, {L"", 0}, {L"99999", 99999}};
    size_t next = 0;
    boxes.OnDialog(L"Terminal Options", [&](HWND dialog) {
        const HWND edit = GetDlgItem(dialog, IDC_IDLE_TIMEOUT);
        SetWindowTextW(edit, L"");
        for (const wchar_t* c = cases[next].typed; *c; ++c)
            SendMessageW(edit, WM_CHAR, *c, 1);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return false;
    });
    for (next = 0; next < std::size(cases); ++next) {
        Click(IDC_TERMINAL_OPTIONS);
        const std::wstring typed = cases[next].typed;
        EXPECT_EQ(ReadDwordSetting(L"TerminalActivityTimeout"), std::optional<DWORD>(cases[next].stored))
            << std::string(typed.begin(), typed.end());
    }
}

TEST_F(TerminalPageTest, AChosenFontIsStoredRoundedAndWithoutUnderline)
{
    OpenOnTerminal();
    CPersistable<unsigned long> timeout{L"TerminalActivityTimeout", 0, 0};
    CPersistable<int> bold{L"TerminalFontBold", 0, 0}, italic{L"TerminalFontItalic", 0, 0};
    CTerminalFontName name;
    CPersistable<unsigned long> size{L"TerminalFontSize", 0, 10};
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    CTerminalOptionsDlg dialog(timeout, {bold, italic, name, size}, format);

    LOGFONTW font{};
    font.lfWeight = FW_BOLD;
    font.lfUnderline = TRUE;
    wcscpy(font.lfFaceName, L"Lucida Console");
    CHOOSEFONTW choice{sizeof choice};
    choice.lpLogFont = &font;
    choice.iPointSize = 115;
    dialog.ApplyChosenFont(choice);
    EXPECT_EQ(ReadDwordSetting(L"TerminalFontSize"), std::optional<DWORD>(12));
    EXPECT_EQ(ReadDwordSetting(L"TerminalFontBold"), std::optional<DWORD>(1));
    EXPECT_EQ(italic.Get(), 0);
    EXPECT_STREQ(format.szFaceName, L"Lucida Console");
    EXPECT_EQ(format.yHeight, 230);
    EXPECT_EQ(format.dwEffects, static_cast<DWORD>(CFE_BOLD)) << "no underline";
}
