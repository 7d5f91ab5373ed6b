#include "PowerOnBannerPage.h"

#include <cwctype>

#include "LogText.h"
#include "TextSinks.h"
#include "ToolSheet.h"
#include "resource.h"

CPowerOnBannerPage::CPowerOnBannerPage()
    : CMachinePage(m_machine, MachineRegistration::WhileShown, IDD_POWER_ON_BANNER)
{
    m_page.dwFlags |= PSP_HASHELP;
    SetHelpTopic(L"Configuration.htm#PowerOnBanner");
}

bool CPowerOnBannerPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_BANNER_TEXT)
        return CMachinePage::OnMessage(message, wParam, lParam, result);
    SetDlgItemTextW(m_hwnd, IDC_BANNER_TEXT, m_machine.BannerText.Get().c_str());
    return true;
}

BOOL CPowerOnBannerPage::OnInitDialog()
{
    SendDlgItemMessageW(m_hwnd, IDC_BANNER_TEXT, EM_LIMITTEXT, BANNER_LENGTH, 0);
    m_font.reset(CreateLogFont(m_hwnd));
    SendDlgItemMessageW(m_hwnd, IDC_BANNER_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    return TRUE;
}

bool CPowerOnBannerPage::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDC_BANNER_TEXT || code != EN_KILLFOCUS)
        return CMachinePage::OnCommand(id, code, control);
    CommitEdit();
    return true;
}

void CPowerOnBannerPage::OnShown(bool shown)
{
    if (shown)
        m_subscriptions.Add(m_hwnd, m_machine.BannerText);
}

// Shown again, the edit keeps what the user typed.
void CPowerOnBannerPage::OnFirstShow()
{
    Run([this] { return m_machine.StartRead(); });
}

void CPowerOnBannerPage::CommitEdit()
{
    std::wstring text = GetWindowString(Item(IDC_BANNER_TEXT));
    while (!text.empty() && std::iswspace(text.back()))
        text.pop_back();
    CObservable<std::wstring>& banner = m_machine.BannerText;
    banner.Edit(0, text);
    if (text != banner.Get())
        PropSheet_Changed(Sheet(), m_hwnd);
    else
        PropSheet_UnChanged(Sheet(), m_hwnd);
}

LRESULT CPowerOnBannerPage::OnApply(bool)
{
    // Enter reaches Save before the edit has lost the focus.
    if (!m_saving || !IsMachineBusy())
        CommitEdit();
    if (m_saving && IsMachineBusy())
        return PSNRET_INVALID;  // a write is under way already
    CObservable<std::wstring>& banner = m_machine.BannerText;
    if (banner.Edited() == banner.Get())
        return PSNRET_NOERROR;
    // A busy machine gets the busy code, which ends it and closes the sheet.
    m_saving = true;
    Run([this] { return m_machine.StartWrite(m_machine.BannerText.Edited()); });
    return PSNRET_INVALID;
}

bool CPowerOnBannerPage::OnQueryCancel()
{
    return !QueryClose();
}

void CPowerOnBannerPage::OnInterrupt()
{
    m_saving = true;
    HoldCancel();
    CancelRun();
}

void CPowerOnBannerPage::OnMachineFinished(HRESULT result)
{
    if (!m_saving && result == 0)
        return;  // the read has filled the edit
    if (result != 0 && result != ERROR_CANCELLED)
        ShowErrorCodeBox(Sheet(), static_cast<DWORD>(result), IDS_BANNER_ERROR_CAPTION, GetModel().LostPort());
    PostMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void RunPowerOnBannerSheet(HWND owner)
{
    CPowerOnBannerPage page;
    CToolSheet sheet(IDS_BANNER_SHEET_CAPTION, PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP, IDS_SAVE);
    sheet.Run(owner, page);
}
