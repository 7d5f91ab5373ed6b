// The page of a wizard that started a machine's run: the run's lines
// (WM_APP_PROGRESS_TEXT) and its end (WM_APP_MACHINE_FINISHED, wParam the
// result) go to it. The sheet's current page would not do: while a page is
// being activated, where the wizards start their chains, the sheet has none
// (undocumented, measured under Wine for the first page and later ones).
//
// An end that comes before the start has returned (a port that fails the
// first write) is posted, so that the page handles it after its start, as
// it handles every other end.
#pragma once

#include <windows.h>

#include <string>

#include "WindowMessages.h"

class CRunPage {
public:
    // `start` starts the run (and takes its page); its result.
    template <typename Start>
    bool Starting(Start start)
    {
        m_starting = true;
        const bool started = start();
        m_starting = false;
        return started;
    }
    void Take(HWND page) { m_page = page; }

    void Log(const std::wstring& line) const
    {
        if (m_page)
            SendMessageW(m_page, WM_APP_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    void Finish(HRESULT result) const
    {
        if (!m_page)
            return;
        if (m_starting)
            PostMessageW(m_page, WM_APP_MACHINE_FINISHED, static_cast<WPARAM>(result), 0);
        else
            SendMessageW(m_page, WM_APP_MACHINE_FINISHED, static_cast<WPARAM>(result), 0);
    }

private:
    HWND m_page = nullptr;
    bool m_starting = false;
};
