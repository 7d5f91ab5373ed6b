#include "Wizard97Sheet.h"

#include "LogText.h"

CWizard97Page::CWizard97Page(UINT templateId, WizardPageKind kind) : CPropertyPage(templateId)
{
    m_page.dwFlags |= PSP_HASHELP;
    if (kind == WizardPageKind::Exterior)
        m_page.dwFlags |= PSP_HIDEHEADER;
}

void CWizard97Page::SetWizardButtons(DWORD buttons) const
{
    PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, buttons);
}

void CWizard97Page::PressButton(int button) const
{
    PostMessageW(Sheet(), PSM_PRESSBUTTON, button, 0);
}

void CWizard97Page::UseTitleFont(int controlId) const
{
    SendMessageW(Item(controlId), WM_SETFONT, SendMessageW(Sheet(), CWizard97Sheet::TitleFontMessage(), 0, 0), TRUE);
}

void CWizard97Page::UseBulletFont(int controlId) const
{
    SendMessageW(Item(controlId), WM_SETFONT, SendMessageW(Sheet(), CWizard97Sheet::BulletFontMessage(), 0, 0), TRUE);
}

CWizard97Sheet::CWizard97Sheet(UINT captionId, UINT watermarkId, UINT headerId)
    : CPropertySheet(MAKEINTRESOURCEW(captionId),
                     PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK | PSH_WIZARDCONTEXTHELP | PSH_HASHELP, 0),
      m_titleFont(CreatePointFont(nullptr, L"Verdana Bold", 12, FW_BOLD)),
      m_bulletFont(CreatePointFont(nullptr, L"Marlett", 8, FW_NORMAL, SYMBOL_CHARSET))
{
    m_header.pszbmWatermark = MAKEINTRESOURCEW(watermarkId);
    m_header.pszbmHeader = MAKEINTRESOURCEW(headerId);
}

CWizard97Sheet::~CWizard97Sheet()
{
    DeleteObject(m_titleFont);
    DeleteObject(m_bulletFont);
}

UINT CWizard97Sheet::TitleFontMessage()
{
    static const UINT message =
        RegisterWindowMessageW(L"GetExteriorPageTitleFont_531AF056-B8BE-4c4c-B786-AC608DF0DF12");
    return message;
}

UINT CWizard97Sheet::BulletFontMessage()
{
    static const UINT message = RegisterWindowMessageW(L"GetBulletFont_AD347D08-8F65-45ef-982E-6352E8218AD5");
    return message;
}

bool CWizard97Sheet::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == TitleFontMessage() || message == BulletFontMessage()) {
        result = reinterpret_cast<LRESULT>(message == TitleFontMessage() ? m_titleFont : m_bulletFont);
        return true;
    }
    return CPropertySheet::OnMessage(message, wParam, lParam, result);
}

bool CWizard97Sheet::OnHelp()
{
    const HWND page = GetCurrentPage();
    if (!page || page == m_hwnd)
        return CPropertySheet::OnHelp();
    HELPINFO info{sizeof info, HELPINFO_WINDOW, 0, page, 0, {}};
    GetCursorPos(&info.MousePos);
    SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    return true;
}
