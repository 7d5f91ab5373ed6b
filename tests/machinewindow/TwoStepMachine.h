// A small machine for the tests of the windows that run machines: it asks
// "A;" and then "B;", each waiting for any reply. The first reply may show a
// box, with the machine's timer ticking meanwhile.
#pragma once

#include <algorithm>

#include "CommandStates.h"

class CTwoStepMachine : public CStateHost<CTwoStepMachine> {
public:
    class CAskState : public CCommandDelayState<CTwoStepMachine> {
    public:
        using CCommandDelayState::CCommandDelayState;
        void OnResponse() override
        {
            CTwoStepMachine& machine = *m_host;
            ++machine.replies;
            machine.deepest = std::max(machine.deepest, ++machine.depth);
            const bool box = machine.boxOnFirstReply && machine.replies == 1;
            if (box) {
                machine.ArmTimer(10);
                MessageBoxW(nullptr, L"Signal", L"Level", MB_OK);
            }
            --machine.depth;
            // After the box the state waits on: its next send would purge.
            if (!box) {
                machine.KillTimer();
                GoNext();
            }
        }
        void OnTimeout() override { ++m_host->ticks; }
    };

    static constexpr UINT_PTR kTimerId = 99;

    CTwoStepMachine() : CStateHost(kTimerId) {}
    bool StartRun() { return Start(m_askA); }

    bool boxOnFirstReply = false;
    int replies = 0;
    int ticks = 0;
    int depth = 0;
    int deepest = 0;

    CAskState m_askB{this, L"AskB", &m_final, L"B;", 60000};
    CAskState m_askA{this, L"AskA", &m_askB, L"A;", 60000};
};
