// The Terminal tab against the simulated transceiver: what its keyer
// receives and transmits, and what the page shows of the radio's replies.
#include <gtest/gtest.h>

#include <richedit.h>

#include "ShellFixture.h"
#include "SimulatedTransceiver.h"
#include "TerminalModeFilter.h"
#include "TerminalPage.h"
#include "resource.h"

namespace {

class TerminalEndToEndTest : public ShellTest {
protected:
    // The program started on the Terminal tab with the radio found.
    void Open(unsigned mode)
    {
        ASSERT_TRUE(radio.Start());
        radio.SetKeyerPace(10);
        WriteSetting(L"Port", radio.PortName());
        WriteSetting(L"ActivePage", CTabView::TAB_TERMINAL);
        const BYTE binaryMode = static_cast<BYTE>(mode);
        RegSetValueExW(model.AppKey().Key(), L"TerminalMode", 0, REG_BINARY, &binaryMode, 1);
        OpenFrame();
        ASSERT_TRUE(PumpUntil([&] { return Terminal().IsEnabled() && model.IsIdle(); }, 15000));
    }

    CTerminalPage& Terminal()
    {
        return *static_cast<CTerminalPage*>(CWindow::FromHandle(Page(CTabView::TAB_TERMINAL)));
    }

    void Type(const std::wstring& text)
    {
        for (const wchar_t c : text)
            SendMessageW(Terminal().TransmitPane(), WM_CHAR, c, 1);
    }

    void Click(int id)
    {
        const HWND page = Page(CTabView::TAB_TERMINAL);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    // The texts of the "KY" commands so far.
    std::vector<std::string> Keyed()
    {
        std::vector<std::string> texts;
        for (const std::string& command : radio.Commands()) {
            if (command.compare(0, 3, "KY ") == 0)
                texts.push_back(command.substr(3, command.size() - 4));
        }
        return texts;
    }

    bool WaitForSent(const std::string& sent, DWORD ms = 5000)
    {
        return PumpUntil([&] { return radio.GetKeyerState().sent == sent; }, ms);
    }

    std::string Dump()
    {
        std::string all;
        CHARRANGE selection{};
        SendMessageW(Terminal().TransmitPane(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        const std::wstring text = GetWindowString(Terminal().TransmitPane());
        all += "tx " + std::to_string(Terminal().IsTransmitting()) + " enabled " + std::to_string(Terminal().IsEnabled()) +
               " sel " + std::to_string(selection.cpMin) + "-" + std::to_string(selection.cpMax) + " sent " +
               std::to_string(Terminal().SendPosition()) + " mode " + std::to_string(Terminal().Poller().Mode()) +
               " text '" + std::string(text.begin(), text.end()) + "' idle " + std::to_string(model.IsIdle()) +
               " status " + std::to_string(model.ConnectionStatus.Get()) + "\n";
        for (const SimulatedCommand& c : radio.Log()) {
            char line[64];
            snprintf(line, sizeof line, "%.0f ", c.ms);
            all += line;
            for (char ch : c.command + " -> " + c.reply + "\n")
                all += (ch >= 32 || ch == '\n') ? std::string(1, ch) : "\\x" + std::to_string(ch);
        }
        return all;
    }

    CSimulatedTransceiver radio;
};

TEST_F(TerminalEndToEndTest, RttyMemoryStartsTransmitSendsItsLineAndStopsOnceTheRadioHasSentIt)
{
    WriteSetting(L"RttyMemoryText1", L"[TXON]CQ CQ[CRLF][TXOFF]");
    WriteSetting(L"TerminalActivityTimeout", 60000);
    Open(TERMINAL_MODE_RTTY);
    radio.ClearLog();
    Click(IDC_MEMORY_FIRST);
    ASSERT_TRUE(PumpUntil([&] { return !Keyed().empty() && Keyed().back() == "\x04"; }, 5000)) << Dump();

    const std::vector<std::string> keyed = Keyed();
    std::string together;
    for (size_t i = 0; i + 1 < keyed.size(); ++i) {
        std::string piece = keyed[i];
        together += piece;
        if (const size_t crlf = piece.find("\r\n"); crlf != std::string::npos)
            piece.erase(crlf, 1);
        EXPECT_LE(piece.size(), 4u) << "piece " << i;
    }
    EXPECT_EQ(together, "CQ CQ\r\n");
    const auto state = radio.GetKeyerState();
    EXPECT_EQ(state.sent, "CQ CQ\r\n") << "the end of transmission came after the last character";
    EXPECT_FALSE(state.transmitting);
    EXPECT_FALSE(Terminal().IsTransmitting());
    EXPECT_TRUE(PumpUntil([&] { return GetWindowString(Terminal().ReceivePane()) == L"CQ CQ\r\n"; }, 2000))
        << "the echo";
}

TEST_F(TerminalEndToEndTest, AnUnknownModeIsCwWhichSendsASemicolonAsACommaAndShowsDecodedText)
{
    Open(7);
    EXPECT_EQ(IsDlgButtonChecked(Page(CTabView::TAB_TERMINAL), IDC_MODE_CW), BST_CHECKED) << "an unknown mode is CW";
    Click(IDC_TRANSMIT);
    Type(L"CQ;_");
    ASSERT_TRUE(WaitForSent("CQ,_"));
    EXPECT_TRUE(PumpUntil([&] { return GetWindowString(Terminal().ReceivePane()) == L"CQ,AA"; }, 3000))
        << "the prosign echoes as its letters";
    radio.QueueDecodedText("TNX; 73");
    EXPECT_TRUE(PumpUntil([&] { return GetWindowString(Terminal().ReceivePane()) == L"CQ,AATNX; 73"; }, 3000));
    EXPECT_TRUE(Terminal().IsTransmitting()) << "CW transmit never ends by itself";
}

TEST_F(TerminalEndToEndTest, PskGoesOutInPiecesOfEight)
{
    Open(TERMINAL_MODE_PSK);
    radio.SetKeyerPace(40);
    Type(L"abcdefghijklmnopqrst");
    radio.ClearLog();
    Click(IDC_TRANSMIT);
    ASSERT_TRUE(WaitForSent("abcdefghijklmnopqrst", 8000)) << Dump();
    const std::vector<std::string> keyed = Keyed();
    ASSERT_FALSE(keyed.empty());
    EXPECT_EQ(keyed.front(), "abcdefgh");
    for (const std::string& piece : keyed)
        EXPECT_LE(piece.size(), 8u);
}

}  // namespace
