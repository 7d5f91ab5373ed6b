// A radio in the test process for the loaders: an optional N8 in front, the
// running radio (the scripted responder), its MCU boot loader with the
// download protocol, and the reset after a load, after which the radio runs
// the MCU version the test chose.
#pragma once

#include <string>
#include <vector>

#include "BootLoader.h"
#include "N8Accessory.h"
#include "TextLoadMode.h"
#include "RadioResponder.h"
#include "ScriptedPeer.h"

class CLoaderPeer : public CScriptedPeer {
public:
    enum class State { Running, BootLoader, Resetting };

    CLoaderPeer();

    bool WriteBytes(const void* buffer, DWORD count) override;

    // Commands that reached the radio (packets excluded), "D" included.
    std::vector<std::string> commands;
    size_t CountCommand(const std::string& command) const;

    CN8Accessory n8;
    CMcuBootLoader bootLoader;
    CTextLoadMode textLoad;
    // Lone ";" writes during a DSP or FPF load: resynchronisation polls.
    unsigned textLoadPolls = 0;
    // The DSP or FPF version the radio reports after such a load.
    unsigned textVersionAfterReset = 0;
    CRadioResponder radio;
    State state = State::Running;
    // The boot loader's answer to "I;".
    std::string bootBlock = "Q7A;";
    // Off, the boot loader takes "D" without its echo.
    bool echoesD = true;
    // A write of exactly these bytes fails with this error.
    std::string failingWrite;
    DWORD failingWriteError = ERROR_GEN_FAILURE;
    unsigned versionAfterReset = 455;
    DWORD resetMs = 3000;
    // From the reset's start to the first byte the PC sent after it.
    DWORD quietAfterResetMs = 0;

private:
    std::string RadioByte(BYTE byte);
    std::string RadioCommand(const std::string& command);

    std::string m_command;
    DWORD m_resetEnds = 0;
};
