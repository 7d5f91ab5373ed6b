// Shared set-up of the shell tests: a clean model and settings key, serial
// ports listed for the test, the main frame made and closed as the program
// does it, and a watcher that answers every box.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BoxWatcher.h"
#include "MainFrame.h"
#include "MessageLoop.h"
#include "MessagePump.h"
#include "NonCopyable.h"

// Entries of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM for the length of a test.
class CSerialCommEntries : private CNonCopyable {
public:
    ~CSerialCommEntries();

    void Add(const std::wstring& name, const std::wstring& port);
    // Any type and raw bytes, for the values the list must pass over.
    void AddRaw(const std::wstring& name, DWORD type, const void* data, DWORD size);

private:
    std::vector<std::wstring> m_names;
};

// Records chosen messages that reach a window, in front of its own procedure.
class CMessageRecorder : private CNonCopyable {
public:
    CMessageRecorder(HWND window, std::initializer_list<UINT> messages);
    ~CMessageRecorder();

    size_t Count(UINT message) const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    WNDPROC m_previous;
    std::vector<UINT> m_wanted;
    std::map<UINT, size_t> m_counts;
};

class ShellTest : public testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    // Program settings as the frame will load them.
    void WriteSetting(const wchar_t* name, const std::wstring& value);
    void WriteSetting(const wchar_t* name, DWORD value);
    std::optional<DWORD> ReadDwordSetting(const wchar_t* name);

    // Makes and shows the frame as the program's Run does.
    CMainFrame& OpenFrame();
    // The frame made on a radio's port and this tab, as the user left them;
    // true once the radio has been found running its firmware.
    bool OpenFrameOnRadio(const std::wstring& port, int tab);
    // Closes it as the user does; the code its quit message carries.
    int CloseFrame();
    // Dispatches what is queued up to the quit message; its code, or -1.
    static int DispatchToQuit();

    HWND Frame() const { return m_frame ? m_frame->Handle() : nullptr; }
    CTabView& Tabs() { return m_frame->TabView(); }
    // The page's dialog, made by showing its tab first when need be.
    HWND Page(int tab);
    void SelectTab(int tab);
    std::wstring Title() const;
    std::wstring FirmwareLog();
    // The popup of the menu bar at `position`, brought up to date as for display.
    HMENU OpenMenu(int position);

    CModel& model;
    CBoxWatcher boxes;
    CSerialCommEntries ports;

private:
    std::unique_ptr<CMessageLoop> m_loop;
    std::unique_ptr<CMainFrame> m_frame;
};

// The tool-tip window of this thread whose first tool belongs to `owner`.
HWND FindToolTipOf(HWND owner);
// The text of the tool-tip for control `id` of `owner`.
std::wstring ToolTipText(HWND toolTip, HWND owner, int id);
