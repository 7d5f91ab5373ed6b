#include "TerminalPage.h"

#include <algorithm>

#include "LogText.h"
#include "TerminalModeFilter.h"
#include "TerminalOptionsDlg.h"
#include "TextSinks.h"
#include "TextUtil.h"
#include "ToolTips.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                         ES_AUTOHSCROLL;
// EM_EXLIMITTEXT 0 means the 64K default, not "unlimited".
constexpr LPARAM kPaneTextLimit = 0x7FFFFFFE;
const int kReceivePanePercent = 80;
// Trace lines need the Trace setting and this bit of AdvancedMode.
const unsigned long kAdvancedTerminalTrace = 0x80;
// What the options dialog changes.
const DWORD kFontMask = CTransmitPane::kFontMask;
const DWORD kFontEffects = CFE_BOLD | CFE_ITALIC;
// A size from the registry beyond reason must not overflow the font height.
const unsigned long kLargestFontPoints = 1000;

CHARFORMATW MakeFormat(COLORREF colour, bool isProtected)
{
    CHARFORMATW format{sizeof format};
    format.dwMask = CFM_COLOR | CFM_PROTECTED;
    format.crTextColor = colour;
    format.dwEffects = isProtected ? CFE_PROTECTED : 0;
    return format;
}

CHARRANGE GetSelection(HWND pane)
{
    CHARRANGE selection{};
    SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection;
}

void SetSelection(HWND pane, LONG from, LONG to)
{
    CHARRANGE selection{from, to};
    SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

// Paragraph breaks come back as a lone "\r", one character as in the positions.
std::wstring TextRange(HWND pane, LONG from, LONG to)
{
    if (to <= from)
        return {};
    std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
    TEXTRANGEW range{{from, to}, text.data()};
    text.resize(static_cast<size_t>(SendMessageW(pane, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
    return text;
}

bool IsKeyDown(int key)
{
    return GetKeyState(key) < 0;
}

}  // namespace

CTerminalPage::CTerminalPage()
    : CPropertyPage(IDD_TERMINAL),
      m_model(GetModel()),
      m_normal(MakeFormat(RGB(0, 0, 0), false)),
      m_sent(MakeFormat(RGB(0x7F, 0x7F, 0x7F), true)),
      m_echo(MakeFormat(RGB(0, 0x99, 0), false)),
      m_trace(MakeFormat(RGB(0xFF, 0, 0), false)),
      m_captions(&m_cwCaptions),
      m_texts(&m_cwTexts)
{
    SetHelpTopic(L"Terminal.htm");
}

CTerminalPage::CMemoryArray& CTerminalPage::Captions(unsigned mode)
{
    return mode == TERMINAL_MODE_RTTY ? m_rttyCaptions : mode == TERMINAL_MODE_PSK ? m_pskCaptions : m_cwCaptions;
}

CTerminalPage::CMemoryArray& CTerminalPage::Texts(unsigned mode)
{
    return mode == TERMINAL_MODE_RTTY ? m_rttyTexts : mode == TERMINAL_MODE_PSK ? m_pskTexts : m_cwTexts;
}

bool CTerminalPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_SERIAL_DATA:
        OnSerialData();
        return true;
    case WM_APP_TERMINAL_SEND:
        OnTerminalSend();
        return true;
    case WM_APP_CONNECTION_STATUS:
        EnableForConnection(false);
        return true;
    case WM_APP_TERMINAL_MODE:
        OnTerminalMode();
        return true;
    case WM_APP_CW_MEMORY_CAPTION:
    case WM_APP_PSK_MEMORY_CAPTION:
    case WM_APP_RTTY_MEMORY_CAPTION:
        OnCaptionChanged(wParam);
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

BOOL CTerminalPage::OnInitDialog()
{
    CAppInfoBase& key = m_model.AppKey();
    for (unsigned mode : {TERMINAL_MODE_CW, TERMINAL_MODE_PSK, TERMINAL_MODE_RTTY}) {
        Captions(mode).Load(key);
        DefaultMemoryCaptions(Captions(mode));
        Texts(mode).Load(key);
    }
    m_fontBold.Load(key);
    m_fontItalic.Load(key);
    m_fontName.Load(key);
    m_fontSize.Load(key);
    m_activityTimeout.Load(key);
    m_poller.SetActivityTimeout(m_activityTimeout.Get());
    m_mode.Load(key);
    // A mode this program does not know is taken as CW (and saved so at exit).
    if (m_mode.Get() > TERMINAL_MODE_PSK)
        m_mode.Set(TERMINAL_MODE_CW);

    CreatePanes();
    const HWND toolTip = CreateBalloonToolTip(m_hwnd);
    AddToolTip(toolTip, m_hwnd, IDC_TRANSMIT, IDS_TIP_TRANSMIT);
    AddToolTip(toolTip, m_hwnd, IDC_EDIT_MEMORIES, IDS_TIP_EDIT_MEMORIES);
    AddToolTip(toolTip, m_hwnd, IDC_CLEAR, IDS_TIP_CLEAR_OUTPUT);
    AddToolTip(toolTip, m_hwnd, IDC_TERMINAL_OPTIONS, IDS_TIP_TERMINAL_OPTIONS);

    std::vector<ResizeRule> rules{{IDC_PLACEHOLDER, DLSZ_SIZE_X | DLSZ_SIZE_Y}};
    for (int id = IDC_MEMORY_FIRST; id <= IDC_MEMORY_LAST; ++id)
        rules.push_back({id, DLSZ_MOVE_Y});
    m_resize.Init(m_hwnd, rules, false, false);

    m_transmitPane.sendPosition = 0;
    SetTransmit(false);
    return TRUE;
}

void CTerminalPage::CreatePanes()
{
    const HWND placeholder = Item(IDC_PLACEHOLDER);
    RECT rect{};
    GetWindowRect(placeholder, &rect);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    DestroyWindow(placeholder);
    // WS_EX_CONTROLPARENT lets the dialog's Tab reach the panes inside.
    m_splitter.CreateSplitter(m_hwnd, rect, IDC_PLACEHOLDER,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY | WS_EX_CONTROLPARENT);
    const RECT none{};
    m_receivePane.CreateControl(m_splitter.Handle(), none, kPaneStyle | ES_READONLY, 0, IDC_RECEIVE_PANE);
    m_transmitPane.CreateControl(m_splitter.Handle(), none, kPaneStyle | WS_TABSTOP | ES_WANTRETURN, 0,
                                 IDC_TRANSMIT_PANE);
    m_splitter.SetPanes(m_receivePane.Handle(), m_transmitPane.Handle(), kReceivePanePercent);

    LOGFONTW font{};
    const HDC dc = GetDC(m_hwnd);
    const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(m_hwnd, dc);
    font.lfHeight = -static_cast<int>(std::min(m_fontSize.Get(), kLargestFontPoints) * pixelsPerInch / 72);
    font.lfWeight = m_fontBold.Get() ? FW_BOLD : 0;
    font.lfItalic = m_fontItalic.Get() ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    // A longer name from the registry is cut, not copied past the field.
    m_fontName.Get().copy(font.lfFaceName, LF_FACESIZE - 1);
    m_font.reset(CreateFontIndirectW(&font));
    for (CRichEditCtrlContext* pane : std::initializer_list<CRichEditCtrlContext*>{&m_receivePane, &m_transmitPane}) {
        pane->Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
        pane->Send(EM_EXLIMITTEXT, 0, kPaneTextLimit);
    }
    const LRESULT mask = m_transmitPane.Send(EM_GETEVENTMASK);
    m_transmitPane.Send(EM_SETEVENTMASK, 0, mask | ENM_KEYEVENTS | ENM_PROTECTED);
    m_transmitPane.Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&m_normal));
}

void CTerminalPage::DefaultMemoryCaptions(CMemoryArray& captions)
{
    for (size_t i = 0; i < captions.Count(); ++i) {
        if (captions.Get(i).empty())
            captions.Set(i, FormatText(IDS_MEMORY_CAPTION, static_cast<unsigned>(i + 1)));
    }
}

void CTerminalPage::OnShow(bool shown, UINT)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        KillTimer(m_hwnd, kPollTimer);
        EnableForConnection(true);
        return;
    }
    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_model.ConnectionStatus.NotifyWindow(m_hwnd);
    for (unsigned mode : {TERMINAL_MODE_CW, TERMINAL_MODE_PSK, TERMINAL_MODE_RTTY})
        m_subscriptions.Add(m_hwnd, Captions(mode));
    m_subscriptions.Add(m_hwnd, m_mode);
    m_mode.NotifyWindow(m_hwnd);
    m_poller.Restart();
    SetTimer(m_hwnd, kPollTimer, m_poller.PollInterval(), nullptr);
    EnableForConnection(false);
}

void CTerminalPage::OnDestroy()
{
    KillTimer(m_hwnd, kPollTimer);
    m_mode.Save(m_model.AppKey());
    CPropertyPage::OnDestroy();
}

bool CTerminalPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED)
        return CPropertyPage::OnCommand(id, code, control);
    switch (id) {
    case IDC_TRANSMIT: {
        ToggleTransmit();
        FocusTransmitPane();
        const LONG end = GetSelection(TransmitPane()).cpMax;
        SetSelection(TransmitPane(), end, end);
        return true;
    }
    case IDC_EDIT_MEMORIES:
        OnEditMemories();
        FocusTransmitPane();
        return true;
    case IDC_CLEAR:
        SetWindowTextW(ReceivePane(), L"");
        ClearUnsentText();
        FocusTransmitPane();
        return true;
    case IDC_MODE_CW:
    case IDC_MODE_RTTY:
    case IDC_MODE_PSK:
        m_mode.Set(static_cast<unsigned char>(id - IDC_MODE_CW));
        return true;
    case IDC_TERMINAL_OPTIONS:
        OnOptions();
        return true;
    }
    if (id >= IDC_MEMORY_FIRST && id <= IDC_MEMORY_LAST) {
        ExpandTerminalTokens(id - IDC_MEMORY_FIRST);
        FocusTransmitPane();
        return true;
    }
    return CPropertyPage::OnCommand(id, code, control);
}

// A disabled pane cannot take the focus; the sheet then finds its own.
HWND CTerminalPage::OnQueryInitialFocus()
{
    return m_enabled ? TransmitPane() : nullptr;
}

bool CTerminalPage::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != TransmitPane())
        return CPropertyPage::OnNotify(header, result);
    switch (header.code) {
    case EN_PROTECTED:
        result = m_transmitPane.AllowsProtectedChange(reinterpret_cast<const ENPROTECTED&>(header)) ? 0 : 1;
        return true;
    case EN_MSGFILTER:
        result = OnTxKeyFilter(reinterpret_cast<const MSGFILTER&>(header));
        return true;
    }
    return false;
}

bool CTerminalPage::OnTimer(UINT_PTR id)
{
    if (id == kPollTimer) {
        if (m_poller.OnPollTick() && m_enabled && m_model.IsIdle())
            m_model.WriteText(CTerminalPoller::kPollCommand);
        // Text held back while a machine had the port goes out now.
        if (m_transmitting && m_poller.Pending().empty())
            OnTerminalSend();
    }
    SetTimer(m_hwnd, kPollTimer, m_poller.PollInterval(), nullptr);
    return true;
}

void CTerminalPage::OnTerminalMode()
{
    const unsigned mode = m_mode.Get() <= TERMINAL_MODE_PSK ? m_mode.Get() : 0u;
    CheckRadioButton(m_hwnd, IDC_MODE_CW, IDC_MODE_PSK, IDC_MODE_CW + mode);
    m_captions = &Captions(mode);
    m_texts = &Texts(mode);
    m_poller.SetMode(mode);
    m_captions->NotifyWindow(m_hwnd);
    ShowWindow(Item(IDC_PROSIGNS), mode == TERMINAL_MODE_CW ? SW_SHOWNA : SW_HIDE);
}

void CTerminalPage::OnCaptionChanged(WPARAM index)
{
    if (index < m_captions->Count())
        SetDlgItemTextW(m_hwnd, static_cast<int>(IDC_MEMORY_FIRST + index), m_captions->Get(index).c_str());
}

void CTerminalPage::OnSerialData()
{
    // Every reply the notice brought: bytes after a terminator get no notice
    // of their own, and the page never purges. A "TB" reply cut short by a
    // ";" in its text is read on.
    for (;;) {
        BYTE byte = 0;
        DWORD read = 0;
        if (!m_model.ReadPort(&byte, 1, &read) || read == 0)
            return;
        m_poller.OnReplyByte(byte);
    }
}

void CTerminalPage::OnTerminalSend()
{
    if (!m_transmitting || !CanWrite())
        return;
    const size_t room = m_poller.SendRoom();
    if (room == 0)
        return;
    const std::wstring text = FilterForMode(TakeUnsentText(room), m_poller.Mode());
    if (!text.empty())
        m_poller.SendKeyerText(text);
}

LRESULT CTerminalPage::OnTxKeyFilter(const MSGFILTER& filter)
{
    m_poller.NoteKeyEvent();
    if (filter.msg == WM_KEYDOWN) {
        const bool ctrl = IsKeyDown(VK_CONTROL);
        const bool shift = IsKeyDown(VK_SHIFT);
        const bool alt = IsKeyDown(VK_MENU);
        const WPARAM key = filter.wParam;
        if (ctrl && !shift && !alt) {
            if (key >= '1' && key <= '9') {
                ExpandTerminalTokens(key - '1');
                return 1;
            }
            switch (key) {
            case '0':
                ExpandTerminalTokens(9);
                return 1;
            case 'T':
                ToggleTransmit();
                return 1;
            case 'W':
                ClearUnsentText();
                return 1;
            // The pane's own formatting keys would change sent text.
            case VK_PRIOR:
            case VK_NEXT:
            case 'E':
            case 'J':
            case 'L':
            case 'R':
            case VK_OEM_PLUS:
                return 1;
            }
        } else if (ctrl && shift && !alt) {
            if (key == VK_LEFT || key == VK_RIGHT || key == 'L' || key == VK_OEM_PLUS)
                return 1;
        } else if (!ctrl && shift && !alt) {
            if (key == VK_BACK)
                return 1;
            if (key == VK_TAB) {
                PostMessageW(m_hwnd, WM_NEXTDLGCTL, TRUE, FALSE);
                return 1;
            }
        } else if (!ctrl && !shift && !alt) {
            switch (key) {
            case VK_TAB:
                PostMessageW(m_hwnd, WM_NEXTDLGCTL, FALSE, FALSE);
                return 1;
            case VK_CLEAR:
                ClearUnsentText();
                return 1;
            case VK_ESCAPE:
                if (m_transmitting)
                    StopTransmit();
                return 1;
            case VK_RETURN:
                RemoveSentLines(false);
                break;
            }
        } else if (!ctrl && alt && key == 'X') {
            return 1;
        }
    }
    Kick();
    return 0;
}

void CTerminalPage::EnableForConnection(bool hidden)
{
    m_enabled = !hidden && m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING;
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EnableWindow(child, m_enabled);
    if (!m_enabled) {
        StopTransmit();
        return;
    }
    FocusTransmitPane();
    Kick();
}

void CTerminalPage::Kick()
{
    if (!m_transmitting)
        TraceToMainWindow(m_hwnd, IDS_PRESS_CTRL_T);
    else
        PostMessageW(m_hwnd, WM_APP_TERMINAL_SEND, 0, 0);
}

void CTerminalPage::SetTransmit(bool on)
{
    m_transmitting = on && m_enabled;
    SetDlgItemTextW(m_hwnd, IDC_TRANSMIT, LoadResString(m_transmitting ? IDS_STOP_TRANSMIT : IDS_TRANSMIT).c_str());
    Kick();
}

void CTerminalPage::ToggleTransmit()
{
    if (m_transmitting)
        StopTransmit();
    else
        SetTransmit(true);
}

void CTerminalPage::StopTransmit()
{
    m_poller.SetStopWhenDone(false);
    if (!m_transmitting)
        return;
    if (m_poller.WantsEndOfTransmission())
        m_poller.SendEndOfTransmission();
    SetTransmit(false);
    TraceToMainWindow(m_hwnd, IDS_READY);
}

void CTerminalPage::ExpandTerminalTokens(size_t index)
{
    if (index >= m_texts->Count())
        return;
    const STerminalTokens tokens = StripTerminalTokens(m_texts->Get(index));
    if (tokens.stopWhenDone)
        m_poller.SetStopWhenDone(true);
    AppendFormattedText(TransmitPane(), tokens.text, m_normal);
    if (tokens.startTransmit)
        SetTransmit(true);
    Kick();
}

std::wstring CTerminalPage::TakeUnsentText(size_t count)
{
    CTransmitPane& pane = m_transmitPane;
    const CHARRANGE selection = GetSelection(pane.Handle());
    const LONG caret = selection.cpMin;
    if (caret <= pane.sendPosition)
        return {};
    const LONG end = pane.sendPosition + static_cast<LONG>(std::min<size_t>(count, caret - pane.sendPosition));
    const std::wstring text = TextRange(pane.Handle(), pane.sendPosition, end);
    pane.internalEdit = true;
    SetSelection(pane.Handle(), pane.sendPosition, end);
    pane.Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&m_sent));
    pane.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    // What is typed next must not take on the sent format.
    if (selection.cpMin == selection.cpMax)
        pane.Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&m_normal));
    // Undo must not take the protection off sent text.
    pane.Send(EM_EMPTYUNDOBUFFER);
    pane.internalEdit = false;
    pane.sendPosition = end;
    return text;
}

void CTerminalPage::ClearUnsentText()
{
    SetSelection(TransmitPane(), m_transmitPane.sendPosition, -1);
    m_transmitPane.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    if (!m_transmitting)
        RemoveSentLines(true);
}

void CTerminalPage::RemoveSentLines(bool all)
{
    CTransmitPane& pane = m_transmitPane;
    LONG end = pane.sendPosition;
    if (!all) {
        const size_t lineEnd = TextRange(pane.Handle(), 0, pane.sendPosition).find(L'\r');
        if (lineEnd == std::wstring::npos)
            return;
        end = static_cast<LONG>(lineEnd) + 1;
    }
    if (end == 0)
        return;
    CHARRANGE selection = GetSelection(pane.Handle());
    pane.internalEdit = true;
    SetSelection(pane.Handle(), 0, end);
    pane.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    pane.internalEdit = false;
    pane.sendPosition -= end;
    selection.cpMin = std::max(selection.cpMin - end, 0L);
    selection.cpMax = std::max(selection.cpMax - end, 0L);
    pane.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

void CTerminalPage::FocusTransmitPane()
{
    SetFocus(TransmitPane());
}

void CTerminalPage::OnEditMemories()
{
    CTerminalMemoriesDlg dialog(m_poller.Mode(), *m_captions, *m_texts);
    dialog.DoModal(m_hwnd);
}

void CTerminalPage::OnOptions()
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    m_receivePane.Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    format.dwMask &= kFontMask;
    CTerminalOptionsDlg dialog(m_activityTimeout, {m_fontBold, m_fontItalic, m_fontName, m_fontSize}, format);
    const INT_PTR answer = dialog.DoModal(m_hwnd);
    m_poller.SetActivityTimeout(m_activityTimeout.Get());
    if (answer != IDOK)
        return;
    format.dwMask &= kFontMask;
    format.dwEffects &= kFontEffects;
    m_receivePane.Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    m_transmitPane.Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

bool CTerminalPage::CanWrite()
{
    return m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && m_model.IsIdle();
}

bool CTerminalPage::IsTracing()
{
    return (m_model.AdvancedMode.Get() & kAdvancedTerminalTrace) && m_model.Trace.Get() != 0;
}

bool CTerminalPage::HasUnsentText()
{
    return GetSelection(TransmitPane()).cpMin > m_transmitPane.sendPosition;
}

void CTerminalPage::WriteKeyerCommand(const std::wstring& command)
{
    if (IsTracing())
        AppendFormattedText(ReceivePane(), EscapeNonPrintable(command), m_trace);
    SendStatusText(m_hwnd, command);
    if (CanWrite())
        m_model.WriteText(command.c_str());
}

void CTerminalPage::ShowReceived(const std::wstring& text)
{
    AppendFormattedText(ReceivePane(), text, m_normal);
}

void CTerminalPage::ShowEcho(const std::wstring& text)
{
    AppendFormattedText(ReceivePane(), text, m_echo);
}

void CTerminalPage::ShowReply(const std::wstring& reply)
{
    if (IsTracing())
        AppendFormattedText(ReceivePane(), reply, m_trace);
}

void CTerminalPage::SendNextPiece()
{
    SendMessageW(m_hwnd, WM_APP_TERMINAL_SEND, 0, 0);
}
