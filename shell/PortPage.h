// The Port tab: the serial port and speed the radio is reached on, the test
// of the link, and the closing of the port. While the tab is shown every
// change of the connection status is reported in a message box.
#pragma once

#include "Model.h"
#include "Observable.h"
#include "PropertyPage.h"
#include "resource.h"

class CPortPage : public CPropertyPage {
public:
    CPortPage();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    HWND OnQueryInitialFocus() override { return Item(IDC_TEST_COMMUNICATIONS); }

private:
    void OnConnectionStatus();
    void OnPortState();
    void OnTestCommunications();
    void OnPortSelected();
    void OnSpeedSelected();
    void FillPortCombo();
    void FillSpeedCombo();
    void ShowConnectionStatus();

    CModel& m_model;
    HWND m_portCombo = nullptr;
    HWND m_speedCombo = nullptr;
};
