// The Command Tester tab: raw commands typed or fired from 32 macro buttons
// go to the radio exactly as written, and what the radio sends back while no
// machine runs is shown. Texts starting with '!' or '@' (for the DSP) go out
// a few characters at a time.
#pragma once

#include <richedit.h>

#include <string>

#include "CommandMacroStateMachine.h"
#include "DialogResize.h"
#include "LogText.h"
#include "Model.h"
#include "PropertyPage.h"
#include "RichEditCtrlContext.h"

// The piece of a paced text that follows `position`: the first three
// characters, then two at a time; empty at the end.
std::wstring NextPacedPiece(const std::wstring& text, size_t position);
// Received bytes as shown: printable ones as they are, others as "\xNN".
std::wstring FormatReceivedBytes(const char* bytes, size_t count);

class CCommandTesterPage : public CPropertyPage {
public:
    CCommandTesterPage();

    // Shared with the macro editor, which takes no longer ones; saved by
    // this page.
    CPersistable<std::wstring, kMacroCount> Labels{L"CommandCaption%u", WM_APP_MACRO_CAPTION, L"",
                                                   kMacroLabelLength};
    CPersistable<std::wstring, kMacroCount> Texts{L"CommandText%u", WM_APP_MACRO_TEXT, L"", kMacroTextLength};

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    void OnDestroy() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    HWND OnQueryInitialFocus() override;

private:
    // The command edit passes Enter to the page instead of to the sheet.
    class CCommandEdit : public CWindow {
    public:
        explicit CCommandEdit(CCommandTesterPage& page) : m_page(page) {}

    protected:
        bool OnGetDlgCode(const MSG* key, LRESULT& code) override;
        bool OnKeyDown(UINT key) override;
        bool OnChar(wchar_t character) override;

    private:
        CCommandTesterPage& m_page;
    };

    void LayOut();
    void OnEditMacros();
    void OnReceive();
    void ApplyDefaultLabels();
    void SaveMacros();

    // `text` is a copy: emptying the edit must not change it.
    void Send(std::wstring text, HWND sender);
    void SendNextPiece();
    void EndPacedSend();
    void EnableControls();
    void GiveFocusBack();
    void Append(const std::wstring& text, const CHARFORMATW& format);

    CModel& m_model;
    CCommandEdit m_commandEdit{*this};
    CRichEditCtrlContext m_output;
    CFontHandle m_font;
    CHARFORMATW m_sentFormat{};
    CHARFORMATW m_receivedFormat{};
    std::wstring m_pending;
    size_t m_position = 0;
    HWND m_lastSender = nullptr;
};
