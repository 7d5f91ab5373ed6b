// The Configuration tab: a launcher of the configuration tools, each opened
// modally from its button. The buttons are usable only while the radio is
// connected and running.
#pragma once

#include "LauncherPage.h"

// One row per tool button.
struct SConfigurationTool {
    int buttonId;
    // The string-table id of the button's tool tip; 0 for none.
    UINT toolTipId;
    // Runs the tool modally over the page; null for a tool not built yet,
    // whose button opens nothing.
    void (*open)(HWND page);
    // Whether the button may be pressed at this connection status.
    bool (*usable)(int connectionStatus);
};

class CConfigurationPage : public CLauncherPage<SConfigurationTool> {
public:
    CConfigurationPage();

protected:
    void UpdateButtons() override;
};
