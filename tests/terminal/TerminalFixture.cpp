#include "TerminalFixture.h"

#include <richedit.h>

#include "resource.h"

CHeldKeys::CHeldKeys(std::initializer_list<int> keys)
{
    GetKeyboardState(m_saved);
    BYTE state[256];
    memcpy(state, m_saved, sizeof state);
    for (const int key : keys)
        state[key] |= 0x80;
    SetKeyboardState(state);
}

CHeldKeys::~CHeldKeys()
{
    SetKeyboardState(m_saved);
}

void TerminalPageTest::OpenOnTerminal()
{
    OpenFrame();
    PumpUntil([&] { return model.IsIdle(); }, 2000);
    peer.emplace();
    peer->responder = [this](const std::string& command) -> std::string {
        if (command != "TB;")
            return {};
        const size_t count = std::min<size_t>(decoded.size(), 99);
        char head[8];
        snprintf(head, sizeof head, "TB%u%02u", std::min(waiting, 9u), static_cast<unsigned>(count));
        const std::string reply = head + decoded.substr(0, count) + ";";
        decoded.erase(0, count);
        return reply;
    };
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    SelectTab(CTabView::TAB_TERMINAL);
}

void TerminalPageTest::SetMode(unsigned mode)
{
    Click(IDC_MODE_CW + mode);
}

void TerminalPageTest::Type(const std::wstring& text)
{
    for (const wchar_t c : text)
        SendMessageW(Pane(), WM_CHAR, c, 1);
    PumpPending();
}

void TerminalPageTest::Key(WPARAM key)
{
    SendMessageW(Pane(), WM_KEYDOWN, key, 1);
    SendMessageW(Pane(), WM_KEYUP, key, 0xC0000001);
    PumpPending();
}

void TerminalPageTest::Click(int id)
{
    const HWND page = TerminalPage();
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    PumpPending();
}

std::wstring TerminalPageTest::TransmitText()
{
    return GetWindowString(Pane());
}

std::wstring TerminalPageTest::ReceiveText()
{
    return GetWindowString(Terminal().ReceivePane());
}

std::vector<std::string> TerminalPageTest::KeyedTexts()
{
    std::vector<std::string> texts;
    for (const std::string& command : peer->CommandTexts()) {
        if (command.compare(0, 3, "KY ") == 0)
            texts.push_back(command.substr(3, command.size() - 4));
    }
    return texts;
}

std::string TerminalPageTest::KeyedTogether()
{
    std::string together;
    for (const std::string& text : KeyedTexts())
        together += text;
    return together;
}

bool TerminalPageTest::WaitForKeyed(const std::string& together, DWORD ms)
{
    return PumpUntil([&] { return KeyedTogether() == together; }, ms);
}
