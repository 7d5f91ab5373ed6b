// The program's one top-level window: menu, accelerators, status bar and
// title around the tab view. It routes the serial listener's notices and the
// machines' timer ticks to the busy machine or the current page, passes
// status text on to the Firmware page, and starts the contact machine at
// start-up and whenever the port changes.
#pragma once

#include "FrameWindow.h"
#include "MessageLoop.h"
#include "Model.h"
#include "Observable.h"
#include "TabView.h"
#include "UpdateUI.h"

class CReleaseInfoDlg;

class CMainFrame : public CFrameWindow, public CMessageFilter {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The frame from resource 10000; null when it cannot be made.
    HWND CreateMainFrame();

    // Accelerators first, then the sheet's dialog keys.
    bool PreTranslateMessage(MSG* message) override;

    CTabView& TabView() { return m_tabView; }
    HMENU PortMenu() const { return m_portMenu; }
    CReleaseInfoDlg* ReleaseNotes() const { return m_releaseNotes; }
    SIZE MinimumTrackSize() const { return m_minimumTrackSize; }
    const CUpdateUI& MenuState() const { return m_updateUI; }

    // Room for the frame around a sheet client area of this size.
    static SIZE ComputeMinimumTrackSize(SIZE sheetClient);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnShow(bool shown, UINT reason) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnClose() override;
    void OnDestroy() override;
    bool OnEndSession(bool ending) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnInitMenuPopup(HMENU menu) override;
    bool OnHelp() override;

private:
    LRESULT RouteToBusyMachineOrPage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPageText(WPARAM wParam, LPARAM lParam);
    void OnStatusText(LPARAM text);
    void OnConnectionStatusChanged();
    void OnPortChanged();
    // A View menu switch flipped; false for any other command.
    bool OnViewSwitch(UINT id);
    void OnViewStatusBar();
    void OnReleaseNotes();
    void OnAppAbout();
    void OnPortMenuCommand(UINT id);

    void UpdateTitle();
    void UpdateConnectionStatus();
    void BuildPortMenu();

    CModel& m_model;
    CTabView m_tabView;
    HMENU m_portMenu = nullptr;
    CReleaseInfoDlg* m_releaseNotes = nullptr;
    CEventSubscriptions m_subscriptions;
    // The speed the title names; 0 while the port is closed.
    DWORD m_titleSpeed = 0;
    bool m_shown = false;
    SIZE m_minimumTrackSize{};
    CUpdateUI m_updateUI;
};
