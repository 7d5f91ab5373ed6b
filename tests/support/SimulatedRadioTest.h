// The base of the tests that run machines against the simulated transceiver:
// the radio on its COM port, a main window that routes like the frame, and
// the contact machine that finds the radio.
#pragma once

#include <gtest/gtest.h>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"

class SimulatedRadioTest : public testing::Test {
protected:
    // The radio started; a test may change it before it calls Contact.
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

    // Finds the radio afresh (after a firmware version change, say); the
    // radio's log is empty afterwards.
    void Contact()
    {
        window.ResetFinished();
        ASSERT_TRUE(GetModel().Contact().StartAtOpenPort());
        ASSERT_TRUE(window.WaitForFinish(30000));
        ASSERT_EQ(window.Result(), 0);
        radio.ClearLog();
    }

    CSimulatedTransceiver radio;
    CMachineTestWindow window;
};
