// The Terminal tab in the main frame with a radio in the test process: its
// keyer sends everything at once unless told to hold characters back, and
// hands over the text a test queues.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ScriptedPeer.h"
#include "ShellFixture.h"
#include "TerminalPage.h"

// Keys the page sees as held (GetKeyState) while this lives.
class CHeldKeys {
public:
    explicit CHeldKeys(std::initializer_list<int> keys);
    ~CHeldKeys();

private:
    BYTE m_saved[256];
};

class TerminalPageTest : public ShellTest {
protected:
    // The frame on the Terminal tab with a running radio behind the port.
    void OpenOnTerminal();
    void SetMode(unsigned mode);

    HWND TerminalPage() { return Page(CTabView::TAB_TERMINAL); }
    CTerminalPage& Terminal() { return *static_cast<CTerminalPage*>(CWindow::FromHandle(TerminalPage())); }
    HWND Pane() { return Terminal().TransmitPane(); }

    void Type(const std::wstring& text);
    void Key(WPARAM key);
    void Click(int id);
    std::wstring TransmitText();
    std::wstring ReceiveText();
    // The KY commands so far, without "KY " and ";".
    std::vector<std::string> KeyedTexts();
    std::string KeyedTogether();
    bool WaitForKeyed(const std::string& together, DWORD ms = 3000);

    std::optional<CScriptedPeer> peer;
    // Characters the radio reports as still waiting.
    unsigned waiting = 0;
    std::string decoded;
};
