// The program against the simulated transceiver, on the Configuration tab,
// with the file dialogs answered as a user would.
#pragma once

#include "ShellFixture.h"
#include "SimulatedTransceiver.h"
#include "TempFolder.h"

class ConfigEndToEndTest : public ShellTest {
protected:
    // The radio found at this speed and MCU firmware, the Configuration tab shown.
    void Connect(unsigned speed = 38400, unsigned mcuVersion = 455);
    // The next file dialog of this caption gets the path; an empty path cancels it.
    void AnswerFileDialog(const std::wstring& caption, const std::wstring& path);
    // Every file dialog of this caption gets the path given then (a watcher
    // keeps the first handler of a caption).
    void AnswerFileDialogs(const std::wstring& caption, std::function<std::wstring()> path);
    // Presses a tool button; returns when the tool has closed.
    void Press(int buttonId);
    // While the tool dialog is shown: after a failure it is closed (and
    // toolFailed set); otherwise `step` runs on each tick until it returns true.
    void DriveToolDialog(const std::wstring& caption, std::function<bool(HWND dialog)> step);
    // Presses the dialog's Cancel; true.
    static bool Cancel(HWND dialog);
    // The file-name box of a common file dialog, old style or new; null
    // while it is not shown yet.
    static HWND FileNameEdit(HWND dialog);

    // Every byte of the saved regions, in region order.
    std::vector<uint8_t> SavedRegions();
    // The file's MEM2 bytes in file order, read without the program's reader.
    static std::vector<uint8_t> Mem2Bytes(const std::string& file);
    // A sealed file of MEM2 lines for these address runs.
    static std::string FileOf(const std::vector<std::pair<unsigned, std::vector<uint8_t>>>& runs);

    size_t Count(const std::string& pattern) { return radio.CountCommand(pattern); }
    // The last status line that reached the main window.
    std::wstring StatusText() const { return statusTexts.empty() ? std::wstring() : statusTexts.back(); }

    CSimulatedTransceiver radio;
    CTempFolder folder;
    int fileDialogs = 0;
    bool toolFailed = false;
    std::vector<std::wstring> statusTexts;

private:
    static LRESULT CALLBACK RecordStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self);
};
