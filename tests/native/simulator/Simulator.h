// The simulated transceiver at work: the radio behind a pseudo-terminal that
// a Wine prefix sees as a COM port, commands cut at ";", both directions paced
// at the line speed, faults on request, a log of everything received, and
// the control channel through which a test steers all of it.
//
// Control requests (one line each; texts escaped as in ControlWords.h; every
// request gets one answer line, "ok [value]" or "error <why>"):
//     ping                    speed [BPS]             line-speed
//     version RVM|RVF|RVD|RVA|RVR N                   identify [TEXT]
//     boot-loader 0|1         option-module [TEXT]    mode [TEXT]
//     eeprom-write ADDR HEX   eeprom-read ADDR COUNT
//     silent 0|1              ignore PREFIX N [K]     delay MS
//     split AT MS             burst TEXT              stray PREFIX TEXT
//     garble PREFIX TEXT      hear-only [PREFIX ...]
//     unplug                  plug
//     log                     clear-log               count PATTERN
//     quit                    keyer ...  (KeyerRequest.cpp)
//     loader ...  (LoaderRequest.cpp)
//     state                   set NAME VALUE          refuse PREFIX N
//     rx ...  dsp ...  say TEXT  (ReceiverRequest.cpp)
//     power on|off
// and the requests of the radio clock (RadioClock.h) and of the transmitter
// (RadioTx.h). "state" answers every setting of the radio as "ok NAME=VALUE
// ..." (CRadio::State), and "set" takes one by its name there; "refuse"
// makes the radio ignore the next N commands of PREFIX that carry a value.
// "ignore" loses N commands after K more have got through; "stray" sends
// TEXT just before the reply to the next command of PREFIX, "garble" sends
// it in place of that reply; "hear-only" loses every command that starts
// with none of the PREFIXes (none: hears all again).
// "power off" is the radio's own switch: nothing of the radio answers, its
// boot loader and load modes included, and every load under way is lost
// (CRadio::SetPower says what stays); an N8 in front keeps running. "power
// on" starts the radio again.
// "speed" and "mode" without a value ask for it; "identify" and
// "option-module" without a text make the radio keep quiet. "unplug" is the
// adapter pulled out: the line dies, the COM port goes (and its listing,
// with --register); "plug" brings them back on a new line, the radio as it
// was. "log" answers "ok N" and N entry lines (LogEntry.h). "quit" answers
// "bye" once the port is gone. The simulator's first line is "hello COMn
// /dev/pts/m", and " HOST:PORT" after it when it also listens for control
// lines (--listen).
#pragma once

#include "CommandLog.h"
#include "ComPortLink.h"
#include "ControlChannel.h"
#include "Faults.h"
#include "PseudoTerminal.h"
#include "Radio.h"
#include "LoaderSide.h"
#include "Transmitter.h"

#include <memory>
#include <string>
#include <vector>

struct SSimulatorSetup {
    // The Wine prefix whose COM port the radio becomes.
    std::string prefix;
    // 0: the first free from 10.
    unsigned com = 0;
    // Also list the port in the prefix's registry.
    bool registerPort = false;
    // "HOST:PORT" of the test; empty: run until a signal ends the simulator.
    std::string control;
    // "HOST:PORT" where more control lines may connect (port 0: any free
    // one); empty: none.
    std::string listen;
    std::string logFile;
};

class CSimulator {
public:
    explicit CSimulator(CRadio& radio);

    // Returns the process exit code.
    int Run(const SSimulatorSetup& setup);

private:
    using Args = std::vector<std::string>;
    struct Request {
        const char* name;
        std::string (CSimulator::*handle)(const Args& args);
    };
    static const Request s_requests[];

    bool Start(const SSimulatorSetup& setup);
    void Announce();
    // False when the channel's peer has gone.
    bool Serve(CControlChannel& channel);
    void AcceptBench();
    void ReadTerminal();
    // `arrived`: when the command's last byte is in (ReadTerminal).
    void OnCommand(const std::string& command, unsigned speed, bool garbled, Clock::time_point arrived);
    void OnRequest(CControlChannel& channel, const std::string& line);
    void Unplug();
    // The command being received is lost either way, and off, the load
    // under way.
    void SetPower(bool on);
    double Milliseconds(Clock::time_point time) const;

    std::string Ping(const Args& args);
    std::string Speed(const Args& args);
    std::string LineSpeed(const Args& args);
    std::string Version(const Args& args);
    std::string Identify(const Args& args);
    std::string BootLoader(const Args& args);
    std::string OptionModule(const Args& args);
    std::string Mode(const Args& args);
    std::string EepromWrite(const Args& args);
    std::string EepromRead(const Args& args);
    std::string Silent(const Args& args);
    std::string Ignore(const Args& args);
    std::string Delay(const Args& args);
    std::string Split(const Args& args);
    std::string Burst(const Args& args);
    std::string Stray(const Args& args);
    std::string Garble(const Args& args);
    std::string HearOnly(const Args& args);
    std::string UnplugRequest(const Args& args);
    std::string Plug(const Args& args);
    std::string Log(const Args& args);
    std::string ClearLog(const Args& args);
    std::string Count(const Args& args);
    std::string Quit(const Args& args);
    std::string KeyerRequest(const Args& args);
    std::string LoaderRequest(const Args& args);
    std::string State(const Args& args);
    std::string Set(const Args& args);
    std::string Refuse(const Args& args);
    std::string ReceiverRequest(const Args& args);
    std::string DspRequest(const Args& args);
    std::string Say(const Args& args);
    std::string Power(const Args& args);
    // The byte went to a DSP through the pass-through.
    bool DspTakes(char byte, unsigned speed, Clock::time_point arrived);
    // The byte went to the N8, the boot loader or a reset, not to the radio.
    bool LoaderTakes(uint8_t byte, unsigned speed, Clock::time_point arrived);
    bool TextLoadTakes(uint8_t byte, unsigned speed, Clock::time_point arrived);

    CRadio& m_radio;
    CFaults m_faults;
    CCommandLog m_log;
    CPseudoTerminal m_terminal;
    CComPortLink m_link;
    CControlChannel m_control;
    CControlListener m_listener;
    std::vector<std::unique_ptr<CControlChannel>> m_bench;
    CTransmitter m_transmitter;
    SLoaderSide m_loader;
    bool m_controlled = false;
    bool m_quit = false;
    const Clock::time_point m_start;
    // The command being received, and whether any of it came at a speed the
    // radio does not run at.
    std::string m_command;
    bool m_garbled = false;
    // When the last byte from the PC so far has fully arrived: the pty hands
    // the PC's bytes over at once, a line at its bit rate.
    Clock::time_point m_lineFree;
};
