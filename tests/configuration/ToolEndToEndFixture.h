// Shared set-up of the configuration tools' end-to-end tests: the simulated
// transceiver found by the contact machine, a main window that routes like
// the frame, and a watcher that answers boxes and drives the tool's sheet.
#pragma once

#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"
#include "ToolSheet.h"

class ToolEndToEndTest : public testing::Test {
protected:
    // The answers the boxes get, in turn (else OK, Cancel or No).
    explicit ToolEndToEndTest(std::initializer_list<int> answers = {}) : boxes(answers) {}

    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        CModel& model = GetModel();
        model.ClosePort();
        model.FixedSerialSpeed.Set(0);
        model.Port.Set(radio.PortName());
        model.SetActiveMachine(nullptr);
    }
    void TearDown() override
    {
        GetModel().SetActiveMachine(nullptr);
        GetModel().ClosePort();
    }

    // Finds the radio afresh (after a firmware version change, say).
    void Contact()
    {
        window.ResetFinished();
        ASSERT_TRUE(GetModel().Contact().StartAtOpenPort());
        ASSERT_TRUE(window.WaitForFinish(30000));
        ASSERT_EQ(window.Result(), 0);
        radio.ClearLog();
    }

    // Runs a one-page tool sheet over the main window; `drive` is called on
    // each tick while the sheet is shown, until it returns true.
    INT_PTR RunSheet(CToolSheet& sheet, CPropertyPage& page, const std::wstring& caption,
                     std::function<bool(HWND sheet)> drive)
    {
        boxes.OnDialog(caption, std::move(drive));
        return sheet.Run(window.Handle(), page);
    }

    CSimulatedTransceiver radio;
    CMachineTestWindow window;
    CBoxWatcher boxes;
};
