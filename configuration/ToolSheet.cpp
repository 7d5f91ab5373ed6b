#include "ToolSheet.h"

#include "TextOrId.h"

CToolSheet::CToolSheet(UINT captionId, DWORD flags, UINT okTextId)
    : CPropertySheet(MAKEINTRESOURCEW(captionId), flags, 0), m_okTextId(okTextId)
{
}

INT_PTR CToolSheet::Run(HWND owner, CPropertyPage& page)
{
    m_owner = owner;
    AddPage(page);
    return DoModal(owner);
}

void CToolSheet::OnInitialized()
{
    if (m_okTextId != 0)
        SetDlgItemTextW(m_hwnd, IDOK, LoadResString(m_okTextId).c_str());
}

void CToolSheet::OnShow(bool shown, UINT)
{
    if (shown && !m_centred) {
        m_centred = true;
        CenterOn(m_owner);
    }
}
