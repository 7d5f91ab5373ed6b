// What the TX gain wizard's pages share: the machine and the dummy load's
// antenna jack.
#pragma once

#include <memory>

#include "Observable.h"
#include "TXGainStateMachine.h"

class CTXGCContext {
public:
    // Loads the antenna, 1 unless the antenna tuner is installed and the
    // stored jack is 2.
    CTXGCContext();

    CTXGCStateMachine& Machine() { return *m_machine; }

    unsigned char Antenna() const { return DummyLoadAntenna.Get(); }
    // 1 or 2, stored at once.
    void SetAntenna(unsigned char antenna);

    CPersistable<unsigned char> DummyLoadAntenna{L"DummyLoadAntenna", 0, 1};

private:
    std::unique_ptr<CTXGCStateMachine> m_machine;
};
