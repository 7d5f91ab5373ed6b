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
    SetHelpTopic(kHelpTopic);
}

bool CCommandMacrosPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_MACRO_CAPTION:
        if (wParam >= m_firstMacro && wParam < m_firstMacro + kRows)
            ShowMacro(LabelEdit(static_cast<unsigned>(wParam - m_firstMacro)), wParam, m_labels);
        return true;
    case WM_APP_MACRO_TEXT:
        if (wParam >= m_firstMacro && wParam < m_firstMacro + kRows)
            ShowMacro(TextEdit(static_cast<unsigned>(wParam - m_firstMacro)), wParam, m_texts);
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

// What the edits take is what the radio holds, and what the Command Tester
// takes back from the registry.
BOOL CCommandMacrosPage::OnInitDialog()
{
    for (unsigned row = 0; row < kRows; ++row) {
        SendMessageW(LabelEdit(row), EM_LIMITTEXT, kMacroLabelLength, 0);
        SendMessageW(TextEdit(row), EM_LIMITTEXT, kMacroTextLength, 0);
    }
    return TRUE;
}

void CCommandMacrosPage::OnShow(bool shown, UINT reason)
{
    CPropertyPage::OnShow(shown, reason);
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

LRESULT CCommandMacrosPage::OnApply(bool)
{
    CopyRowsToStrings();
    m_applied = true;
    return PSNRET_NOERROR;
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
    : CMachineWindow(m_machine, MachineRegistration::WhileShown, IDD_MACROS_PAGE1, 0, labels, texts),
      m_model(GetModel()),
      m_machine(labels, texts)
{
}

bool CCommandMacrosPage1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_CONNECTION_STATUS)
        return CMachineWindow::OnMessage(message, wParam, lParam, result);
    EnableTransfers();
    return true;
}

BOOL CCommandMacrosPage1::OnInitDialog()
{
    EnableTransfers();
    return CMachineWindow::OnInitDialog();
}

bool CCommandMacrosPage1::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED || (id != IDC_READ_MACROS && id != IDC_WRITE_MACROS))
        return CMachineWindow::OnCommand(id, code, control);
    // A start refused as busy would leave its mark on the running machine.
    if (IsMachineBusy())
        return true;
    if (id == IDC_READ_MACROS)
        OnRead();
    else
        OnWrite();
    return true;
}

void CCommandMacrosPage1::OnShown(bool shown)
{
    if (!shown)
        return;
    m_subscriptions.Add(m_hwnd, m_model.ConnectionStatus);
    m_model.ConnectionStatus.NotifyWindow(m_hwnd);
}

// While the machine runs the page stays: OK, Enter and a change of page
// would leave the machine working for a page that is gone.
LRESULT CCommandMacrosPage1::OnApply(bool closing)
{
    if (IsRunning() || IsMachineBusy())
        return PSNRET_INVALID_NOCHANGEPAGE;
    return CMachineWindow::OnApply(closing);
}

bool CCommandMacrosPage1::OnKillActive()
{
    return IsRunning() || IsMachineBusy();
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
    m_cancelled = false;
    // Busy before the start: a machine that fails at its first send ends
    // inside Start, and its end must find the page busy to free it again.
    const bool started = Run([this, write] {
        SetBusy(true);
        return write ? m_machine.StartWrite() : m_machine.StartRead();
    });
    if (!started)
        SetBusy(false);
}

void CCommandMacrosPage1::OnMachineFinished(HRESULT hr)
{
    const bool cancelled = m_cancelled;
    m_cancelled = false;
    SetBusy(false);
    if (!cancelled && hr != 0 && hr != ERROR_CANCELLED)
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(hr), IDS_MACRO_ERROR_CAPTION, GetModel().LostPort());
    if (cancelled || hr != 0)
        PropSheet_PressButton(Sheet(), PSBTN_CANCEL);
}

// While any machine runs the editor stays; it closes when that ends.
bool CCommandMacrosPage1::OnQueryCancel()
{
    if (m_model.IsIdle())
        return false;
    m_cancelled = true;
    HoldCancel();
    CancelRun();
    AwaitEnd();
    return true;
}

void CCommandMacrosPage1::SetBusy(bool busy)
{
    // The focus must not stay on a control about to be disabled. The tabs
    // take it: on Cancel (made the default button) Enter would cancel.
    const HWND focus = GetFocus();
    if (busy && focus && IsChild(m_hwnd, focus))
        SendMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(PropSheet_GetTabControl(Sheet())), TRUE);
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
