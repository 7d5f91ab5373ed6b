// Shared set-up of the machine tests: a hidden main window that routes like
// the main frame, a scripted radio behind the model, and a clean model.
#pragma once

#include <gtest/gtest.h>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "RadioResponder.h"
#include "ScriptedPeer.h"

// No radio known yet, no machine active, and nothing left of an earlier
// test's contact.
inline void ResetModelForMachineTest()
{
    CModel& model = GetModel();
    model.ResetDeviceFacts();
    model.DeviceKind.Set(DEVICE_UNKNOWN);
    model.FixedSerialSpeed.Set(0);
    model.Port.Set(L"COM1");
    model.Trace.Set(0);
    model.SetActiveMachine(nullptr);
    model.Contact().m_savedModeReply.clear();
    model.Contact().m_q7Zero = 0;
}

class MachineTest : public testing::Test {
protected:
    MachineTest()
    {
        ResetModelForMachineTest();
        peer.responder = [this](const std::string& command) { return radio(command); };
    }
    ~MachineTest() override { GetModel().SetActiveMachine(nullptr); }

    void SetMcuVersion(unsigned short version) { GetModel().FirmwareVersion.Set(VERSION_MCU, version); }

    CMachineTestWindow window;
    CScriptedPeer peer;
    CRadioResponder radio;
};
