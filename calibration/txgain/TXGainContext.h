// What the TX gain wizard's pages share: the machine and the dummy load's
// antenna jack. The machine is the model's active machine for as long as the
// wizard exists, so that replies and ticks reach it whichever page runs it.
#pragma once

#include <memory>

#include "Observable.h"
#include "TXGainStateMachine.h"

class CTXGCContext {
public:
    // Registers the machine and loads the antenna, 1 unless the antenna
    // tuner is installed and the stored jack is 2.
    CTXGCContext();
    ~CTXGCContext();
    CTXGCContext(const CTXGCContext&) = delete;
    CTXGCContext& operator=(const CTXGCContext&) = delete;

    CTXGCStateMachine& Machine() { return *m_machine; }
    // Leaves the model's active machine, if it is still this one.
    void Unregister();

    unsigned char Antenna() const { return DummyLoadAntenna.Get(); }
    // 1 or 2, stored at once.
    void SetAntenna(unsigned char antenna);

    CPersistable<unsigned char> DummyLoadAntenna{L"DummyLoadAntenna", 0, 1};

private:
    std::unique_ptr<CTXGCStateMachine> m_machine;
};
