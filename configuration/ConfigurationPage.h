// The Configuration tab: a launcher of the configuration tools, each opened
// modally from its button. The buttons are usable only while the radio is
// connected and running.
#pragma once

#include "Observable.h"
#include "PropertyPage.h"

class CConfigurationPage : public CPropertyPage {
public:
    // One row per tool button.
    struct Tool {
        int buttonId;
        // The string-table id of the button's tool tip; 0 for none.
        UINT toolTipId;
        // Runs the tool modally over the page; null for a tool not built
        // yet, whose button opens nothing.
        void (*open)(HWND page);
        // Whether the button may be pressed at this connection status.
        bool (*usable)(int connectionStatus);
    };

    CConfigurationPage();

    // The row of a button; null for any other control.
    static const Tool* FindTool(int buttonId);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnConnectionStatus();

    HWND m_toolTip = nullptr;
};
