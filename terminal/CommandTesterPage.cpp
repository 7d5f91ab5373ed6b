#include "CommandTesterPage.h"

#include "CommandMacrosSheet.h"
#include "LogText.h"
#include "TextUtil.h"
#include "ToolTips.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kPaceTimer = 2;
constexpr UINT kPaceMs = 60;
constexpr size_t kReadChunk = 512;
constexpr COLORREF kSentColor = 0x009900;
constexpr COLORREF kReceivedColor = 0x000000;
// Outside advanced mode only macros 1-16 have buttons.
constexpr unsigned kBasicButtonCount = 16;

CHARFORMATW ColorFormat(COLORREF color)
{
    CHARFORMATW format{sizeof format};
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    return format;
}

RECT ChildRect(HWND dialog, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveChild(HWND child, const RECT& rect)
{
    MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

}  // namespace

std::wstring NextPacedPiece(const std::wstring& text, size_t position)
{
    if (position >= text.size())
        return {};
    return text.substr(position, position == 0 ? 3 : 2);
}

std::wstring FormatReceivedBytes(const char* bytes, size_t count)
{
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        const auto character = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
        if (character >= L' ' && character <= L'~')
            text += character;
        else
            text += EscapeNonPrintableChar(character);
    }
    return text;
}

CCommandTesterPage::CCommandTesterPage() : CPropertyPage(IDD_COMMAND_TESTER), m_model(GetModel()) {}

// Enter stays with the edit; the dialog manager would hand it to the
// sheet's hidden default button.
bool CCommandTesterPage::CCommandEdit::OnGetDlgCode(const MSG* key, LRESULT& code)
{
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return true;
}

bool CCommandTesterPage::CCommandEdit::OnKeyDown(UINT key)
{
    if (key != VK_RETURN)
        return false;
    m_page.Send(GetWindowString(m_hwnd), m_hwnd);
    return true;
}

// The Enter character itself would only beep.
bool CCommandTesterPage::CCommandEdit::OnChar(wchar_t character)
{
    return character == L'\r';
}

bool CCommandTesterPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_MACRO_CAPTION:
        if (wParam < kMacroCount)
            SetWindowTextW(Item(IDC_MACRO_FIRST + static_cast<int>(wParam)), Labels.Get(wParam).c_str());
        return true;
    case WM_APP_CONNECTION_STATUS:
        // A lost link ends a paced text: its rest must not go out to a radio
        // found again later.
        if (m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_UNKNOWN)
            EndPacedSend();
        EnableControls();
        return true;
    case WM_APP_SERIAL_DATA:
        OnReceive();
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CCommandTesterPage::OnDestroy()
{
    KillTimer(m_hwnd, kPaceTimer);
    CPropertyPage::OnDestroy();
}

// The main window hands on machine timers too; only ours counts.
bool CCommandTesterPage::OnTimer(UINT_PTR id)
{
    if (id == kPaceTimer)
        SendNextPiece();
    return true;
}

// Without a link the edit is disabled: the sheet picks the output.
HWND CCommandTesterPage::OnQueryInitialFocus()
{
    const HWND edit = Item(IDC_COMMAND_EDIT);
    return IsWindowEnabled(edit) ? edit : nullptr;
}

BOOL CCommandTesterPage::OnInitDialog()
{
    CAppInfoBase& key = m_model.AppKey();
    Labels.Load(key);
    ApplyDefaultLabels();
    Labels.Save(key);
    Texts.Load(key);

    m_commandEdit.SubclassDlgItem(m_hwnd, IDC_COMMAND_EDIT);
    m_output.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_font.reset(CreateLogFont(m_hwnd));
    m_output.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    m_sentFormat = ColorFormat(kSentColor);
    m_receivedFormat = ColorFormat(kReceivedColor);
    LayOut();
    const HWND toolTip = CreateBalloonToolTip(m_hwnd);
    AddToolTip(toolTip, m_hwnd, IDC_CLEAR, IDS_TIP_CLEAR_OUTPUT);
    m_resize.Init(m_hwnd, {{IDC_COMMAND_EDIT, DLSZ_SIZE_X}, {IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}}, false, false);
    SetHelpTopic(L"CommandTester.htm");
    return TRUE;
}

void CCommandTesterPage::LayOut()
{
    if (m_model.AdvancedMode.Get() != 0)
        return;
    // The rows of macros 17-32 go; what lies below them moves up into
    // their room and the output window grows by it.
    const HWND firstHidden = Item(IDC_MACRO_FIRST + kBasicButtonCount);
    const int rise = ChildRect(m_hwnd, Item(IDC_EDIT_MACROS)).top - ChildRect(m_hwnd, firstHidden).top;
    for (unsigned i = kBasicButtonCount; i < kMacroCount; ++i)
        ShowWindow(Item(IDC_MACRO_FIRST + static_cast<int>(i)), SW_HIDE);
    for (const int id : {IDC_EDIT_MACROS, IDC_CLEAR}) {
        RECT rect = ChildRect(m_hwnd, Item(id));
        OffsetRect(&rect, 0, -rise);
        MoveChild(Item(id), rect);
    }
    RECT output = ChildRect(m_hwnd, m_output.Handle());
    output.top -= rise;
    MoveChild(m_output.Handle(), output);
}

void CCommandTesterPage::OnShow(bool shown, UINT)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        return;
    }
    m_subscriptions.Add(m_hwnd, Labels);
    Labels.NotifyWindow(m_hwnd);
    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_model.ConnectionStatus.NotifyWindow(m_hwnd);
    EndPacedSend();
}

bool CCommandTesterPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (id >= IDC_MACRO_FIRST && id <= IDC_MACRO_LAST) {
        if (code != BN_CLICKED)
            return CPropertyPage::OnCommand(id, code, control);
        Send(GetWindowString(Item(IDC_COMMAND_EDIT)) + Texts.Get(id - IDC_MACRO_FIRST), control);
        return true;
    }
    switch (id) {
    case IDC_COMMAND_EDIT:
        if (code != EN_CHANGE)
            return false;
        if (const std::wstring text = GetWindowString(control); !text.empty() && text.back() == L';')
            Send(text, control);
        return true;
    case IDC_EDIT_MACROS:
        if (code != BN_CLICKED)
            return false;
        OnEditMacros();
        return true;
    case IDC_CLEAR:
        if (code != BN_CLICKED)
            return false;
        SetWindowTextW(m_output.Handle(), L"");
        return true;
    }
    return false;
}

void CCommandTesterPage::OnEditMacros()
{
    CCommandMacrosSheet sheet(Labels, Texts);
    if (!sheet.Run(m_hwnd))
        return;
    ApplyDefaultLabels();
    SaveMacros();
}

void CCommandTesterPage::OnReceive()
{
    char buffer[kReadChunk];
    DWORD read = 0;
    bool closing = false;
    while (m_model.ReadPort(buffer, kReadChunk, &read) && read > 0) {
        Append(FormatReceivedBytes(buffer, read), m_receivedFormat);
        closing = closing || memchr(buffer, ')', read) != nullptr;
    }
    // The DSP has taken the last piece: no need to wait for the timer.
    if (closing && !m_pending.empty())
        SendNextPiece();
}

void CCommandTesterPage::ApplyDefaultLabels()
{
    for (unsigned i = 0; i < kMacroCount; ++i) {
        if (Labels.Get(i).empty())
            Labels.Set(i, FormatText(IDS_DEFAULT_MACRO_LABEL, i + 1));
    }
}

void CCommandTesterPage::SaveMacros()
{
    Labels.Save(m_model.AppKey());
    Texts.Save(m_model.AppKey());
}

void CCommandTesterPage::Send(std::wstring text, HWND sender)
{
    if (text.empty() || m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_UNKNOWN)
        return;
    m_lastSender = sender;
    // Its EN_CHANGE comes back here with an empty text.
    SetWindowTextW(Item(IDC_COMMAND_EDIT), L"");
    if (text[0] == L'!' || text[0] == L'@') {
        m_pending = std::move(text);
        m_position = 0;
        EnableControls();
        SendNextPiece();
        return;
    }
    Append(L"\r\n" + text, m_sentFormat);
    m_model.WriteText(text.c_str());
    GiveFocusBack();
}

void CCommandTesterPage::SendNextPiece()
{
    const std::wstring piece = NextPacedPiece(m_pending, m_position);
    if (piece.empty()) {
        EndPacedSend();
        return;
    }
    Append(piece, m_sentFormat);
    m_model.WriteText(piece.c_str());
    m_position += piece.size();
    SetTimer(m_hwnd, kPaceTimer, kPaceMs, nullptr);
}

void CCommandTesterPage::EndPacedSend()
{
    if (m_pending.empty())
        return;
    Append(L"\r\n", m_receivedFormat);
    KillTimer(m_hwnd, kPaceTimer);
    m_pending.clear();
    m_position = 0;
    EnableControls();
    GiveFocusBack();
}

void CCommandTesterPage::EnableControls()
{
    // A paced send keeps every other send out until it ends.
    const BOOL enable = m_model.ConnectionStatus.Get() != FIRMWARE_STATUS_UNKNOWN && m_pending.empty();
    // The read-only output stays usable: what was exchanged can still be
    // read and copied, and the keyboard focus has a place to go.
    const HWND output = m_output.Handle();
    const HWND focus = GetFocus();
    if (!enable && focus && focus != output && IsChild(m_hwnd, focus))
        SendMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(output), TRUE);
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child != output)
            EnableWindow(child, enable);
    }
}

void CCommandTesterPage::GiveFocusBack()
{
    if (m_lastSender && IsWindow(m_lastSender) && IsWindowEnabled(m_lastSender) && IsWindowVisible(m_hwnd))
        SetFocus(m_lastSender);
}

void CCommandTesterPage::Append(const std::wstring& text, const CHARFORMATW& format)
{
    AppendFormattedText(m_output.Handle(), text, format);
}
