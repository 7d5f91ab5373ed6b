// What the transceiver does with one complete command, apart from the wire:
// identification, firmware versions, option modules, command mode, line
// speed and the EEPROM itself; the rest through its parts, the plain
// settings, the clock, the keyer, the transmitter, the receivers and their
// DSPs. The route table and the front panel's dispatch (Radio.cpp) name the
// one part that takes each command. Faults of the line and timing belong
// to the simulator around it (Faults.h); a part's own faults (a refused or
// stuck setting, a transmitter that never keys, a DSP's wrong replies) to
// the part.
#pragma once

#include "Dsp.h"
#include "Eeprom.h"
#include "Keyer.h"
#include "RadioClock.h"
#include "RadioReset.h"
#include "RadioSettings.h"
#include "RadioTx.h"
#include "Receiver.h"

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

    // The front panel's power switch. Off, the radio hears nothing and stops
    // transmitting; on, it starts afresh as after a reset, with its
    // settings, EEPROM, switches and boot loader as they were.
    void SetPower(bool on);
    bool PoweredOn() const { return m_poweredOn; }

    const std::string& CommandMode() const { return m_commandMode; }
    void SetCommandMode(std::string mode) { m_commandMode = std::move(mode); }

    CEeprom& Eeprom() { return m_eeprom; }
    CRadioClock& Clock() { return m_clock; }
    CKeyer& Keyer() { return m_keyer; }
    CRadioTx& Tx() { return m_tx; }
    CReceiver& Receiver() { return m_receiver; }
    CDsp& Dsp() { return m_dsp; }
    CRadioSettings& Settings() { return m_settings; }

    // Every setting of the radio as "name=value" words: the plain settings
    // (RadioSettings.h), the command mode q7, the transmitter's or the
    // clock's menu shown (menu, 0 for none), the transmitter's (RadioTx.h),
    // the receivers' switches (Receiver.h) and the DSPs' tables and signals
    // (Dsp.h).
    std::string State() const;
    // One of them by its name in State(), but for the DSPs'; false for an
    // unknown name or a value not taken.
    bool Set(const std::string& name, const std::string& value);
    // Fault: the next `count` commands that start with `prefix` and carry a
    // value are ignored; its query is still answered.
    void Refuse(const std::string& prefix, unsigned count) { m_refusals[prefix] = count; }

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
    // Older firmware takes switch presses only in the extended command mode.
    bool SwitchesWork() const;
    Reply Reset(const std::string& command);
    // What a restart forgets: the command mode and the menu shown.
    void Restart();
    Reply Key(const std::string& command) { return m_keyer.Key(command, CKeyer::Clock::now()); }
    Reply TransmitBuffer(const std::string&) { return m_keyer.Poll(CKeyer::Clock::now()); }
    Reply EnterBootLoader(const std::string&) { m_bootLoader = true; return std::nullopt; }
    Reply Panel(const std::string& command);
    Reply Transmitter(const std::string& command);
    Reply IconReply(const std::string&) { return m_receiver.IconReply(); }
    Reply Setting(const std::string& command);
    bool Refuses(const std::string& command);

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
    bool m_poweredOn = true;
    std::optional<std::string> m_optionModuleReply;
    std::string m_commandMode = "0";
    CEeprom m_eeprom;
    CRadioClock m_clock;
    CRadioReset m_reset;
    CKeyer m_keyer;
    // Before the parts that read and change it.
    CRadioSettings m_settings;
    CRadioTx m_tx{m_settings};
    CReceiver m_receiver{m_settings};
    CDsp m_dsp;
    std::map<std::string, unsigned> m_refusals;
};
