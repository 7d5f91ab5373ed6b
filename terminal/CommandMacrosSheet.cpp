#include "CommandMacrosSheet.h"

#include "Help.h"
#include "TextSinks.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

const wchar_t kHelpTopic[] = L"CommandTester.htm#MacroEditor";

struct FieldRule {
    unsigned limit;
    UINT textId;
    UINT captionId;
};

// In the order a row is checked.
const FieldRule kLabelRule{kMacroLabelLength, IDS_MACRO_LABEL_TOO_LONG, IDS_MACRO_LABEL_LENGTH_CAPTION};
const FieldRule kTextRule{kMacroTextLength, IDS_MACRO_TEXT_TOO_LONG, IDS_MACRO_TEXT_LENGTH_CAPTION};

bool IsStatic(HWND control)
{
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"Static") == 0;
}

}  // namespace

std::optional<SMacroFieldError> FindTooLongMacroField(const std::vector<std::wstring>& labels,
                                                      const std::vector<std::wstring>& texts)
{
    for (size_t row = 0; row < labels.size() && row < texts.size(); ++row) {
        const std::pair<const std::wstring*, const FieldRule*> fields[] = {{&labels[row], &kLabelRule},
                                                                           {&texts[row], &kTextRule}};
        for (const auto& [value, rule] : fields) {
            if (value->size() > rule->limit)
                return SMacroFieldError{rule->textId, rule->captionId, static_cast<unsigned>(row + 1), rule->limit};
        }
    }
    return std::nullopt;
}

CCommandMacrosPage::CCommandMacrosPage(UINT templateId, unsigned firstMacro, CMacroStrings& labels,
                                       CMacroStrings& texts)
    : CPropertyPage(templateId), m_firstMacro(firstMacro), m_labels(labels), m_texts(texts)
{
    m_page.dwFlags |= PSP_HASHELP;
}

bool CCommandMacrosPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        OnShow(wParam != FALSE);
        return false;
    case WM_DESTROY:
        OnShow(false);
        return false;
    case WM_APP_MACRO_CAPTION:
        if (wParam >= m_firstMacro && wParam < m_firstMacro + kRows)
            ShowMacro(LabelEdit(static_cast<unsigned>(wParam - m_firstMacro)), wParam, m_labels);
        return true;
    case WM_APP_MACRO_TEXT:
        if (wParam >= m_firstMacro && wParam < m_firstMacro + kRows)
            ShowMacro(TextEdit(static_cast<unsigned>(wParam - m_firstMacro)), wParam, m_texts);
        return true;
    case WM_HELP:
        ShowHelpTopic(m_hwnd, kHelpTopic);
        result = TRUE;
        return true;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CCommandMacrosPage::OnShow(bool shown)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        return;
    }
    m_subscriptions.Add(m_hwnd, m_labels);
    m_subscriptions.Add(m_hwnd, m_texts);
    if (!m_filled) {
        m_labels.NotifyWindow(m_hwnd);
        m_texts.NotifyWindow(m_hwnd);
        m_filled = true;
    }
}

bool CCommandMacrosPage::OnNotify(const NMHDR& header, LRESULT& result)
{
    switch (header.code) {
    case PSN_APPLY:
        CopyRowsToStrings();
        m_applied = true;
        result = PSNRET_NOERROR;
        return true;
    case PSN_HELP:
        ShowHelpTopic(m_hwnd, kHelpTopic);
        return true;
    }
    return false;
}

HWND CCommandMacrosPage::LabelEdit(unsigned row) const
{
    return Item(IDC_MACRO_LABEL_FIRST + static_cast<int>(m_firstMacro + row));
}

HWND CCommandMacrosPage::TextEdit(unsigned row) const
{
    return Item(IDC_MACRO_TEXT_FIRST + static_cast<int>(m_firstMacro + row));
}

void CCommandMacrosPage::CopyRowsToStrings()
{
    for (unsigned row = 0; row < kRows; ++row) {
        m_labels.Set(m_firstMacro + row, GetWindowString(LabelEdit(row)));
        m_texts.Set(m_firstMacro + row, GetWindowString(TextEdit(row)));
    }
}

void CCommandMacrosPage::ShowMacro(HWND edit, size_t macro, const CMacroStrings& strings)
{
    SetWindowTextW(edit, strings.Get(macro).c_str());
    if (!IsBusy())
        EnableWindow(edit, TRUE);
}

CCommandMacrosPage1::CCommandMacrosPage1(CMacroStrings& labels, CMacroStrings& texts)
    : CCommandMacrosPage(IDD_MACROS_PAGE1, 0, labels, texts),
      m_model(GetModel()),
      m_machine(labels, texts)
{
}

bool CCommandMacrosPage1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        m_machine.m_owner = m_hwnd;
        EnableTransfers();
        result = TRUE;
        return true;
    case WM_APP_CONNECTION_STATUS:
        EnableTransfers();
        return true;
    case WM_APP_MACHINE_FINISHED:
        OnMachineFinished(static_cast<HRESULT>(wParam));
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        // A start refused as busy would leave its mark on the running machine.
        if ((LOWORD(wParam) == IDC_READ_MACROS || LOWORD(wParam) == IDC_WRITE_MACROS) && !m_machine.IsIdle())
            return true;
        if (LOWORD(wParam) == IDC_READ_MACROS)
            OnRead();
        else if (LOWORD(wParam) == IDC_WRITE_MACROS)
            OnWrite();
        else
            break;
        return true;
    case WM_SETCURSOR:
        // The sheet's Cancel is not a child of the page: it keeps its arrow.
        if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            break;
        result = TRUE;
        return true;
    }
    return CCommandMacrosPage::OnMessage(message, wParam, lParam, result);
}

void CCommandMacrosPage1::OnShow(bool shown)
{
    if (!shown) {
        CCommandMacrosPage::OnShow(false);
        if (m_model.ActiveMachine() == &m_machine)
            m_model.SetActiveMachine(nullptr);
        return;
    }
    m_model.SetActiveMachine(&m_machine);
    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_model.ConnectionStatus.NotifyWindow(m_hwnd);
    CCommandMacrosPage::OnShow(true);
    m_subscriptions.Add(m_hwnd, m_model.MachineFinished);
}

bool CCommandMacrosPage1::OnNotify(const NMHDR& header, LRESULT& result)
{
    // While the machine runs the page stays: OK, Enter and a change of page
    // would leave the machine working for a page that is gone.
    const bool running = IsBusy() || !m_machine.IsIdle();
    switch (header.code) {
    case PSN_APPLY:
        if (!running)
            break;
        result = PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_KILLACTIVE:
        result = running ? TRUE : FALSE;
        return true;
    case PSN_QUERYCANCEL:
        result = OnQueryCancel() ? TRUE : FALSE;
        return true;
    }
    return CCommandMacrosPage::OnNotify(header, result);
}

void CCommandMacrosPage1::EnableTransfers()
{
    const BOOL enable = !IsBusy() && m_model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING;
    EnableWindow(Item(IDC_READ_MACROS), enable);
    EnableWindow(Item(IDC_WRITE_MACROS), enable);
}

void CCommandMacrosPage1::OnRead()
{
    StartMachine(false);
}

void CCommandMacrosPage1::OnWrite()
{
    std::vector<std::wstring> labels, texts;
    for (unsigned row = 0; row < kRows; ++row) {
        labels.push_back(GetWindowString(LabelEdit(row)));
        texts.push_back(GetWindowString(TextEdit(row)));
    }
    if (const auto error = FindTooLongMacroField(labels, texts)) {
        ShowErrorBox(m_hwnd, error->captionId, error->textId, error->row, error->limit);
        return;
    }
    CopyRowsToStrings();
    StartMachine(true);
}

void CCommandMacrosPage1::StartMachine(bool write)
{
    m_model.SetActiveMachine(&m_machine);
    m_cancelled = false;
    // Busy before the start: a machine that fails at its first send ends
    // inside Start, and its end must find the page busy to free it again.
    SetBusy(true);
    if (write ? m_machine.StartWrite() : m_machine.StartRead())
        return;
    // A busy machine is still the one the model must feed.
    if (m_machine.IsIdle())
        m_model.SetActiveMachine(nullptr);
    SetBusy(false);
}

void CCommandMacrosPage1::OnMachineFinished(HRESULT hr)
{
    // Only the end of what this page started (or was asked to cancel).
    if (!IsBusy() && !m_cancelled)
        return;
    const bool cancelled = m_cancelled;
    m_cancelled = false;
    SetBusy(false);
    if (!cancelled && hr != 0 && hr != ERROR_CANCELLED)
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(hr), IDS_MACRO_ERROR_CAPTION);
    if (cancelled || hr != 0)
        PropSheet_PressButton(Sheet(), PSBTN_CANCEL);
}

bool CCommandMacrosPage1::OnQueryCancel()
{
    if (m_model.IsIdle())
        return false;
    // The machine ends at its next send; its end closes the editor.
    m_cancelled = true;
    if (!m_machine.IsIdle() && m_machine.m_result == 0)
        m_machine.m_result = ERROR_CANCELLED;
    return true;
}

void CCommandMacrosPage1::SetBusy(bool busy)
{
    // The focus must not stay on a control about to be disabled. The tabs
    // take it: on Cancel (made the default button) Enter would cancel.
    const HWND focus = GetFocus();
    if (busy && focus && IsChild(m_hwnd, focus))
        SendMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(PropSheet_GetTabControl(Sheet())), TRUE);
    if (busy)
        BeginBusy();
    else
        EndBusy();
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsStatic(child))
            EnableWindow(child, !busy);
    }
    EnableTransfers();
}

CCommandMacrosPage2::CCommandMacrosPage2(CMacroStrings& labels, CMacroStrings& texts)
    : CCommandMacrosPage(IDD_MACROS_PAGE2, kRows, labels, texts)
{
}

CCommandMacrosSheet::CCommandMacrosSheet(CMacroStrings& labels, CMacroStrings& texts)
    : CPropertySheet(MAKEINTRESOURCEW(IDS_MACRO_SHEET_TITLE), PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_HASHELP, 0),
      m_page1(labels, texts),
      m_page2(labels, texts)
{
    AddPage(m_page1);
    if (GetModel().AdvancedMode.Get() != 0)
        AddPage(m_page2);
}

bool CCommandMacrosSheet::Run(HWND owner)
{
    DoModal(owner);
    return m_page1.Applied();
}
