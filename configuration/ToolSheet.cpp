#include "ToolSheet.h"

#include "Help.h"
#include "Model.h"
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

bool CToolSheet::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SHOWWINDOW && wParam && !m_centred) {
        m_centred = true;
        CenterOn(m_owner);
    }
    return CPropertySheet::OnMessage(message, wParam, lParam, result);
}

CToolPage::CToolPage(UINT templateId, IStateMachine& machine, const wchar_t* helpTopic)
    : CPropertyPage(templateId), m_machine(machine), m_helpTopic(helpTopic)
{
    m_page.dwFlags |= PSP_HASHELP;
}

CToolPage::~CToolPage()
{
    if (GetModel().ActiveMachine() == &m_machine)
        GetModel().SetActiveMachine(nullptr);
}

bool CToolPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam) {
            GetModel().SetActiveMachine(&m_machine);
            OnShow();
        } else {
            Hide();
        }
        return true;
    case WM_DESTROY:
        Hide();
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != m_hwnd && header->hwndFrom != Sheet())
            break;
        if (header->code == PSN_HELP)
            ShowHelpTopic(m_hwnd, m_helpTopic);
        result = header->code == PSN_HELP ? 0 : OnNotify(header);
        return true;
    }
    case WM_HELP:
        ShowHelpTopic(m_hwnd, m_helpTopic);
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CToolPage::Hide()
{
    OnHide();
    m_subscriptions.RemoveAll();
    if (GetModel().ActiveMachine() == &m_machine)
        GetModel().SetActiveMachine(nullptr);
}
