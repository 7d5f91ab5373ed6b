// The N8 panadapter between the PC and the radio, as the loaders meet it: it
// answers the probe ";=" ("N8" running, "n8" from its boot loader), its own
// '#' commands ("#RVM;" its MCU version, "#PT;" pass everything through from
// now on), and passes every other byte to the radio. Plain C++, shared by the
// simulator and the in-process test peers.
#pragma once

#include <cstdint>
#include <string>

class CN8Accessory {
public:
    enum class Mode { Absent, Running, BootLoader };

    struct Output {
        std::string toRadio;
        std::string toPc;
        // A probe or command the N8 took for itself, complete with this byte.
        std::string taken;
    };

    void Set(Mode mode, unsigned version)
    {
        m_mode = mode;
        m_version = version;
        m_passThrough = false;
        m_command.clear();
    }
    Mode GetMode() const { return m_mode; }
    bool PassesThrough() const { return m_mode == Mode::Absent || m_passThrough; }

    Output Receive(uint8_t byte);

    unsigned Probes() const { return m_probes; }

private:
    Mode m_mode = Mode::Absent;
    unsigned m_version = 0;
    bool m_passThrough = false;
    uint8_t m_previous = 0;
    std::string m_command;  // an N8 command being received
    unsigned m_probes = 0;
};
