// A tab page of buttons that each open a tool modally over the page. One
// table drives it: a row names the button, its tool tip (0 for none), what
// it opens (null for a tool that opens nothing yet), and, in the row type
// of each page, what the page enables the button by:
//
//     struct Tool { int buttonId; UINT toolTipId; void (*open)(HWND page); bool (*usable)(int status); };
//     class CMyPage : public CLauncherPage<Tool> {
//         CMyPage() : CLauncherPage(IDD_MY_PAGE, kTools, TTS_BALLOON) {}
//         void UpdateButtons() override;      // by the rows' `usable`
//     };
//
// While shown, the page follows the radio's connection status; it enables
// its buttons after every change, when shown again, and after each tool.
#pragma once

#include "Model.h"
#include "PropertyPage.h"
#include "ToolTips.h"

template <class Tool>
class CLauncherPage : public CPropertyPage {
protected:
    template <size_t N>
    CLauncherPage(UINT templateId, const Tool (&tools)[N], DWORD toolTipStyle)
        : CPropertyPage(templateId), m_tools(tools), m_toolCount(N), m_toolTipStyle(toolTipStyle)
    {
    }

    virtual void UpdateButtons() = 0;

    // The row of a button; null for any other control.
    const Tool* FindTool(int buttonId) const
    {
        for (const Tool* tool = m_tools; tool != m_tools + m_toolCount; ++tool) {
            if (tool->buttonId == buttonId)
                return tool;
        }
        return nullptr;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message != WM_APP_CONNECTION_STATUS)
            return CPropertyPage::OnMessage(message, wParam, lParam, result);
        UpdateButtons();
        return true;
    }
    BOOL OnInitDialog() override
    {
        const HWND toolTip = CreateToolTip(m_hwnd, m_toolTipStyle);
        for (const Tool* tool = m_tools; tool != m_tools + m_toolCount; ++tool) {
            if (tool->toolTipId)
                AddToolTip(toolTip, m_hwnd, tool->buttonId, tool->toolTipId);
        }
        return TRUE;
    }
    void OnShow(bool shown, UINT) override
    {
        m_subscriptions.RemoveAll();
        if (!shown)
            return;
        CModel& model = GetModel();
        m_subscriptions.Add(m_hwnd, model.ConnectionStatus);
        model.ConnectionStatus.NotifyWindow(m_hwnd);
    }
    bool OnCommand(UINT id, UINT code, HWND control) override
    {
        const Tool* tool = FindTool(static_cast<int>(id));
        if (!tool || code != BN_CLICKED)
            return CPropertyPage::OnCommand(id, code, control);
        if (tool->open)
            tool->open(m_hwnd);
        // A tool may have changed what the buttons depend on (a file written, say).
        UpdateButtons();
        return true;
    }

private:
    const Tool* m_tools;
    size_t m_toolCount;
    DWORD m_toolTipStyle;
};
