// What the transceiver does with one complete command, apart from the wire:
// identification, firmware versions, option modules, command mode, line
// speed and the EEPROM. Faults and timing belong to the simulator around it.
#pragma once

#include "Eeprom.h"
#include "RadioClock.h"
#include "RadioReset.h"
#include "RadioTx.h"
#include "Keyer.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class CRadio {
public:
    // Below this MCU version the radio knows no "OM;".
    static constexpr unsigned kOptionModuleVersion = 245;
    // From this MCU version the EEPROM is reached by blocks, below it by bytes.
    static constexpr unsigned kBlockEepromVersion = 383;

    CRadio();

    // `command` ends with ";". The reply, or nothing when the radio keeps quiet.
    std::optional<std::string> Handle(const std::string& command);

    unsigned Speed() const { return m_speed; }
    // False for a speed the radio cannot run at.
    bool SetSpeed(unsigned bitsPerSecond);

    // `command` is the query without ";" ("RVM", "RVF", "RVD", "RVA", "RVR");
    // the version is major * 100 + minor. False for an unknown query.
    bool SetVersion(const std::string& command, unsigned version);
    unsigned McuVersion() const { return m_versions.at("RVM"); }

    // The reply to "I;"; nothing: a running radio does not answer it.
    void SetIdentifyReply(std::optional<std::string> reply) { m_identifyReply = std::move(reply); }
    // The boot loader answers "I;" and ";" only.
    void SetBootLoader(bool on) { m_bootLoader = on; }
    bool InBootLoader() const { return m_bootLoader; }
    void SetOptionModuleReply(std::optional<std::string> reply) { m_optionModuleReply = std::move(reply); }

    const std::string& CommandMode() const { return m_commandMode; }
    void SetCommandMode(std::string mode) { m_commandMode = std::move(mode); }

    CEeprom& Eeprom() { return m_eeprom; }
    CRadioClock& Clock() { return m_clock; }
    CKeyer& Keyer() { return m_keyer; }
    CRadioTx& Tx() { return m_tx; }
    // The transmitter's control requests, and "state" and "set" of FA and Q7
    // besides its own settings (RadioTx.h); nothing for other requests.
    std::optional<std::string> TxControl(const std::string& request, const std::vector<std::string>& args);

    // A second receiver, a Q7, and long enough for the program to accept.
    static const char* const kDefaultOptionModuleReply;
    // What the boot loader says to "I;" unless told otherwise.
    static const char* const kDefaultBootLoaderReply;

private:
    using Reply = std::optional<std::string>;

    Reply Poll(const std::string& command);
    Reply Identify(const std::string& command);
    Reply Version(const std::string& command);
    Reply OptionModule(const std::string& command);
    Reply BaudRate(const std::string& command);
    Reply Q7Mode(const std::string& command);
    Reply BlockRead(const std::string& command);
    Reply BlockWrite(const std::string& command);
    Reply ByteRead(const std::string& command);
    Reply ByteWrite(const std::string& command);
    Reply ClockCommand(const std::string& command);
    // Older firmware takes switch presses only in the extended command mode.
    bool SwitchesWork() const;
    Reply Reset(const std::string& command);
    Reply Key(const std::string& command) { return m_keyer.Key(command, CKeyer::Clock::now()); }
    Reply TransmitBuffer(const std::string&) { return m_keyer.Poll(CKeyer::Clock::now()); }
    Reply EnterBootLoader(const std::string&) { m_bootLoader = true; return std::nullopt; }
    Reply VfoA(const std::string& command);  // RadioVfo.cpp
    Reply TxCommand(const std::string& command);  // RadioTx.cpp

    struct Route {
        const char* text;
        // The whole command, or only its start.
        bool whole;
        bool inBootLoader;
        Reply (CRadio::*handle)(const std::string&);
    };
    static const Route s_routes[];

    unsigned m_speed = 38400;
    std::map<std::string, unsigned> m_versions;
    std::optional<std::string> m_identifyReply;
    bool m_bootLoader = false;
    std::optional<std::string> m_optionModuleReply;
    std::string m_commandMode = "0";
    CEeprom m_eeprom;
    CRadioClock m_clock;
    CRadioReset m_reset;
    CKeyer m_keyer;
    CRadioTx m_tx;
    std::string m_vfoA = "00014060000";
};
