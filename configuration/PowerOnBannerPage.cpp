#include "PowerOnBannerPage.h"

#include <cwctype>

#include "LogText.h"
#include "TextSinks.h"
#include "resource.h"

CPowerOnBannerPage::CPowerOnBannerPage()
    : CToolPage(IDD_POWER_ON_BANNER, m_machine, L"Configuration.htm#PowerOnBanner")
{
}

CPowerOnBannerPage::~CPowerOnBannerPage()
{
    if (m_font)
        DeleteObject(m_font);
}

bool CPowerOnBannerPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(m_hwnd, IDC_BANNER_TEXT, EM_LIMITTEXT, BANNER_LENGTH, 0);
        if (m_font)
            DeleteObject(m_font);
        m_font = CreateLogFont(m_hwnd);
        SendDlgItemMessageW(m_hwnd, IDC_BANNER_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BANNER_TEXT && HIWORD(wParam) == EN_KILLFOCUS) {
            CommitEdit();
            return true;
        }
        break;
    case WM_APP_BANNER_TEXT:
        SetDlgItemTextW(m_hwnd, IDC_BANNER_TEXT, m_machine.BannerText.m_value[0].c_str());
        return true;
    case WM_APP_MACHINE_FINISHED:
        // The event is the model's: other machines end through it too.
        if (m_machine.IsIdle())
            OnFinished(static_cast<HRESULT>(wParam));
        return true;
    }
    return CToolPage::OnMessage(message, wParam, lParam, result);
}

void CPowerOnBannerPage::OnShow()
{
    m_subscriptions.Add(m_hwnd, m_machine.BannerText);
    m_subscriptions.Add(m_hwnd, GetModel().MachineFinished);
    // Shown again, the edit keeps what the user typed.
    if (!m_readStarted)
        m_readStarted = m_machine.StartRead();
}

void CPowerOnBannerPage::CommitEdit()
{
    std::wstring text = GetWindowString(Item(IDC_BANNER_TEXT));
    while (!text.empty() && std::iswspace(text.back()))
        text.pop_back();
    CObservable<std::wstring>& banner = m_machine.BannerText;
    banner.m_shadow[0] = text;
    if (text != banner.m_value[0])
        PropSheet_Changed(Sheet(), m_hwnd);
    else
        PropSheet_UnChanged(Sheet(), m_hwnd);
}

LRESULT CPowerOnBannerPage::OnNotify(const NMHDR* header)
{
    switch (header->code) {
    case PSN_APPLY: {
        // Enter reaches Save before the edit has lost the focus.
        if (!m_saving || m_machine.IsIdle())
            CommitEdit();
        if (m_saving && !m_machine.IsIdle())
            return PSNRET_INVALID;  // a write is under way already
        CObservable<std::wstring>& banner = m_machine.BannerText;
        if (banner.m_shadow[0] == banner.m_value[0])
            return PSNRET_NOERROR;
        // A busy machine gets the busy code, which ends it and closes the sheet.
        m_saving = true;
        m_machine.StartWrite(banner.m_shadow[0]);
        return PSNRET_INVALID;
    }
    case PSN_QUERYCANCEL:
        if (m_machine.IsIdle())
            return FALSE;
        m_saving = true;
        if (!IsFailure(m_machine.m_result))
            m_machine.m_result = ERROR_CANCELLED;
        return TRUE;
    }
    return 0;
}

void CPowerOnBannerPage::OnFinished(HRESULT result)
{
    const bool cancelled = result == ERROR_CANCELLED;
    if (!m_saving && result == 0)
        return;  // the read has filled the edit
    if (result != 0 && !cancelled)
        ShowErrorCodeBox(Sheet(), static_cast<DWORD>(result), IDS_BANNER_ERROR_CAPTION);
    PostMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void RunPowerOnBannerSheet(HWND owner)
{
    CPowerOnBannerPage page;
    CToolSheet sheet(IDS_BANNER_SHEET_CAPTION, PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP, IDS_SAVE);
    sheet.Run(owner, page);
}
