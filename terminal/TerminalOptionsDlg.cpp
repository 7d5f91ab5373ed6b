#include "TerminalOptionsDlg.h"

#include <cwchar>

#include "Model.h"
#include "resource.h"

namespace {

const int kTwipsPerPoint = 20;

// Sets and saves at once; the registry keeps up with every choice.
template <typename T>
void Store(CPersistable<T>& setting, const T& value)
{
    setting.Set(value);
    setting.Save(GetModel().AppKey());
}

}  // namespace

CTerminalOptionsDlg::CTerminalOptionsDlg(CPersistable<unsigned long>& activityTimeout,
                                         const STerminalFontSettings& font, CHARFORMAT2W& format)
    : CDialog(IDD_TERMINAL_OPTIONS), m_activityTimeout(activityTimeout), m_font(font), m_format(format)
{
    SetHelpTopic(L"Terminal.htm#Options");
}

bool CTerminalOptionsDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDC_TERMINAL_FONT)
        return CDialog::OnCommand(id, code, control);
    OnFont();
    return true;
}

BOOL CTerminalOptionsDlg::OnInitDialog()
{
    SendDlgItemMessageW(m_hwnd, IDC_IDLE_TIMEOUT, EM_LIMITTEXT, kTimeoutDigits, 0);
    SetDlgItemInt(m_hwnd, IDC_IDLE_TIMEOUT, static_cast<UINT>(m_activityTimeout.Get()), TRUE);
    return TRUE;
}

// The Save button: the font was stored when it was chosen.
bool CTerminalOptionsDlg::OnOK()
{
    BOOL number = FALSE;
    const UINT timeout = GetDlgItemInt(m_hwnd, IDC_IDLE_TIMEOUT, &number, FALSE);
    Store(m_activityTimeout, static_cast<unsigned long>(number ? timeout : 0));
    EndDialog(IDOK);
    return true;
}

bool CTerminalOptionsDlg::OnCancel()
{
    EndDialog(IDCANCEL);
    return true;
}

void CTerminalOptionsDlg::OnFont()
{
    LOGFONTW font{};
    const HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(m_format.yHeight, GetDeviceCaps(screen, LOGPIXELSY), 72 * kTwipsPerPoint);
    ReleaseDC(nullptr, screen);
    font.lfWeight = (m_format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (m_format.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(font.lfFaceName, m_format.szFaceName, LF_FACESIZE - 1);

    CHOOSEFONTW choice{sizeof choice};
    choice.hwndOwner = m_hwnd;
    choice.lpLogFont = &font;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (ChooseFontW(&choice))
        ApplyChosenFont(choice);
}

void CTerminalOptionsDlg::ApplyChosenFont(const CHOOSEFONTW& choice)
{
    const LOGFONTW& font = *choice.lpLogFont;
    Store(m_font.bold, font.lfWeight == FW_BOLD ? 1 : 0);
    Store(m_font.italic, font.lfItalic ? 1 : 0);
    Store(m_font.name, std::wstring(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE)));
    Store(m_font.size, static_cast<unsigned long>((choice.iPointSize + 5) / 10));

    wcsncpy(m_format.szFaceName, font.lfFaceName, LF_FACESIZE - 1);
    m_format.szFaceName[LF_FACESIZE - 1] = L'\0';
    m_format.yHeight = choice.iPointSize * 2;
    m_format.dwEffects = (font.lfWeight == FW_BOLD ? CFE_BOLD : 0) | (font.lfItalic ? CFE_ITALIC : 0);
}
