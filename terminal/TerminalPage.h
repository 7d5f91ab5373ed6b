// The Terminal tab: CW, RTTY and PSK text through the radio's keyer. Typed
// text (or a stored memory) goes out in short "KY" pieces paced by the
// "TB;" poll, whose replies also bring what the radio decoded. The page runs
// no state machine: it writes through the model and reads the serial data
// the main frame hands the current page while no machine is busy.
#pragma once

#include <richedit.h>

#include "LogText.h"
#include "Model.h"
#include "Observable.h"
#include "PropertyPage.h"
#include "DialogResize.h"
#include "RichEditCtrlContext.h"
#include "SplitterWindow.h"
#include "TerminalMemoriesDlg.h"
#include "TerminalOptionsDlg.h"
#include "TerminalPoller.h"
#include "TransmitPane.h"

class CTerminalPage : public CPropertyPage, private ITerminalPollerHost {
public:
    using CMemoryArray = CTerminalMemoriesDlg::CMemoryArray;
    static constexpr UINT_PTR kPollTimer = 3;

    CTerminalPage();

    HWND TransmitPane() const { return m_transmitPane.Handle(); }
    HWND ReceivePane() const { return m_receivePane.Handle(); }
    bool IsTransmitting() override { return m_transmitting; }
    bool IsEnabled() const { return m_enabled; }
    LONG SendPosition() const { return m_transmitPane.sendPosition; }
    const CTerminalPoller& Poller() const { return m_poller; }
    CMemoryArray& Captions(unsigned mode);
    CMemoryArray& Texts(unsigned mode);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    void OnDestroy() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    HWND OnQueryInitialFocus() override;
    bool OnTimer(UINT_PTR id) override;

private:
    void CreatePanes();
    void OnTerminalMode();
    void OnCaptionChanged(WPARAM index);
    void OnSerialData();
    void OnTerminalSend();
    LRESULT OnTxKeyFilter(const MSGFILTER& filter);

    void DefaultMemoryCaptions(CMemoryArray& captions);
    void EnableForConnection(bool hidden);
    void Kick();
    void SetTransmit(bool on);
    void ToggleTransmit();
    void StopTransmit() override;
    void ExpandTerminalTokens(size_t index);
    std::wstring TakeUnsentText(size_t count);
    void ClearUnsentText();
    void RemoveSentLines(bool all);
    void FocusTransmitPane();
    void OnEditMemories();
    void OnOptions();
    bool CanWrite();
    bool IsTracing();

    // ITerminalPollerHost
    bool HasUnsentText() override;
    void WriteKeyerCommand(const std::wstring& command) override;
    void ShowReceived(const std::wstring& text) override;
    void ShowEcho(const std::wstring& text) override;
    void ShowReply(const std::wstring& reply) override;
    void SendNextPiece() override;

    CModel& m_model;
    CHorizontalSplitter m_splitter;
    CTransmitPane m_transmitPane;
    CRichEditCtrlContext m_receivePane;
    CHARFORMATW m_normal;
    CHARFORMATW m_sent;
    CHARFORMATW m_echo;
    CHARFORMATW m_trace;
    CFontHandle m_font;
    CTerminalPoller m_poller{*this};

    bool m_enabled = false;
    bool m_transmitting = false;
    CMemoryArray* m_captions;
    CMemoryArray* m_texts;

    CMemoryArray m_cwCaptions{L"CWMemoryCaption%u", WM_APP_CW_MEMORY_CAPTION};
    CMemoryArray m_cwTexts{L"CWMemoryText%u", WM_APP_CW_MEMORY_TEXT};
    CMemoryArray m_pskCaptions{L"PskMemoryCaption%u", WM_APP_PSK_MEMORY_CAPTION};
    CMemoryArray m_pskTexts{L"PskMemoryText%u", WM_APP_PSK_MEMORY_TEXT};
    CMemoryArray m_rttyCaptions{L"RttyMemoryCaption%u", WM_APP_RTTY_MEMORY_CAPTION};
    CMemoryArray m_rttyTexts{L"RttyMemoryText%u", WM_APP_RTTY_MEMORY_TEXT};
    CPersistable<unsigned long> m_activityTimeout{L"TerminalActivityTimeout", 0, 0};
    CPersistable<int> m_fontBold{L"TerminalFontBold", WM_APP_TERMINAL_FONT, 0};
    CPersistable<int> m_fontItalic{L"TerminalFontItalic", WM_APP_TERMINAL_FONT, 0};
    CTerminalFontName m_fontName;
    CPersistable<unsigned long> m_fontSize{L"TerminalFontSize", WM_APP_TERMINAL_FONT, 10};
    CPersistable<unsigned char> m_mode{L"TerminalMode", WM_APP_TERMINAL_MODE, 0};
};
