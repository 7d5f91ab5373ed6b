#include "Wizard97Sheet.h"

#include "LogText.h"

CWizard97Page::CWizard97Page(UINT templateId, WizardPageKind kind) : CPropertyPage(templateId)
{
    m_page.dwFlags |= PSP_HASHELP;
    if (kind == WizardPageKind::Exterior)
        m_page.dwFlags |= PSP_HIDEHEADER;
}

void CWizard97Page::OnShow(bool shown, UINT reason)
{
    CPropertyPage::OnShow(shown, reason);
    // Wine's sheet repaints nothing when a page with a header follows one
    // without (or the other way round): the old picture would stay.
    if (shown)
        RedrawWindow(Sheet(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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

// Wine's sheet draws no header bitmap given by its resource id: both
// pictures go to the sheet loaded, which Windows takes as well.
CWizard97Sheet::CWizard97Sheet(UINT captionId, UINT watermarkId, UINT headerId)
    : CPropertySheet(MAKEINTRESOURCEW(captionId),
                     PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK | PSH_USEHBMHEADER | PSH_USEHBMWATERMARK |
                         PSH_WIZARDCONTEXTHELP | PSH_HASHELP,
                     0),
      m_watermark(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(watermarkId))),
      m_headerBitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(headerId))),
      m_titleFont(CreatePointFont(nullptr, L"Verdana Bold", 12, FW_BOLD)),
      m_bulletFont(CreatePointFont(nullptr, L"Marlett", 8, FW_NORMAL, SYMBOL_CHARSET))
{
    m_header.hbmWatermark = m_watermark;
    m_header.hbmHeader = m_headerBitmap;
}

CWizard97Sheet::~CWizard97Sheet()
{
    DeleteObject(m_watermark);
    DeleteObject(m_headerBitmap);
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
