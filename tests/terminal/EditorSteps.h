// A user at the macro editor, one step at a time: each step runs on a tick
// of the box watcher while the editor takes input, until it returns true;
// then the next step runs.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "BoxWatcher.h"
#include "Window.h"
#include "resource.h"

class CEditorSteps {
public:
    // The sheet and its first page.
    using Step = std::function<bool(HWND sheet, HWND page)>;

    explicit CEditorSteps(CBoxWatcher& boxes)
    {
        boxes.OnDialog(L"Edit Command Tester Macros", [this](HWND sheet) {
            if (m_next < m_steps.size() && m_steps[m_next](sheet, PropSheet_IndexToHwnd(sheet, 0)))
                ++m_next;
            return false;
        });
    }

    void Set(std::vector<Step> steps)
    {
        m_steps = std::move(steps);
        m_next = 0;
    }
    bool AllTaken() const { return m_next == m_steps.size(); }

    static void Click(HWND page, int id)
    {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    static HWND LabelEdit(HWND page, unsigned macro)
    {
        return GetDlgItem(page, IDC_MACRO_LABEL_FIRST + static_cast<int>(macro));
    }
    static void SetRow(HWND page, unsigned macro, const std::wstring& label, const std::wstring& text)
    {
        SetWindowTextW(LabelEdit(page, macro), label.c_str());
        SetWindowTextW(GetDlgItem(page, IDC_MACRO_TEXT_FIRST + static_cast<int>(macro)), text.c_str());
    }

private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
};
