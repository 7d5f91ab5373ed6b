// A machine that reads or writes one EEPROM range, for the EEPROM tests.
#pragma once

#include <vector>

#include "EepromStates.h"

class CEepromMachine : public CStateHost<CEepromMachine> {
public:
    CEepromMachine() : CStateHost(98) {}
    void Progress(UINT bytes) override { progress.push_back(bytes); }

    CReadPicPromState<CEepromMachine> read{this, L"Read", &m_final, 0, 0, buffer};
    CWritePicPromState<CEepromMachine> write{this, L"Write", &m_final, 0, 0, buffer};

    BYTE buffer[512] = {};
    std::vector<UINT> progress;
};
