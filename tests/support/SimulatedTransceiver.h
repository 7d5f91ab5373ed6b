// A simulated Q7 (the native program q7sim of the test tree) on a COM port of
// this test's Wine prefix, steered over a loopback connection. The simulator
// lives as long as this object, or as long as the test process.
//
//     CSimulatedTransceiver radio;
//     ASSERT_TRUE(radio.Start());
//     radio.SetMcuVersion(382);
//     ... the code under test opens radio.PortName() ...
//     EXPECT_TRUE(radio.WaitForCommand("RVM;", 2000));
//
// The radio answers only while the port runs at its speed (38400 at start).
// It starts as a running Q7 with the second receiver: versions RVM 04.55,
// RVF 01.32, RVD 02.40, RVA 02.40, RVR 01.04, an "OM;" reply that the
// program accepts, command mode "0", no reply to "I;", and an erased EEPROM
// (0xFF) but for the serial number 4711 at 0x83FA, 0x08 at 0x000F and 0 at
// 0x00FB.
// Every request is confirmed by the simulator before the call returns; a
// simulator that fails to confirm fails the test (ADD_FAILURE).
//
// Commands are 8-bit texts with their ";". A pattern that ends with ";"
// matches a whole command, any other pattern the start of one ("ER").
#pragma once

#include <windows.h>

#include "LogEntry.h"
#include "NonCopyable.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// {ms, command, speed, answered, reply}: the time since the simulator
// started, the command with its ";", the bit rate the port ran at when it
// arrived, and the reply as sent (with any burst).
using SimulatedCommand = SLogEntry;

class CSimulatedTransceiver : private CNonCopyable {
public:
    ~CSimulatedTransceiver() { Stop(); }

    // Starts the simulator on the first free COM port from COM10 and lists
    // the port in the registry's serial-port map. With `bench`, it also
    // takes control lines on a loopback port, for the bench script.
    bool Start(bool bench = false);
    // Removes the port from the registry and ends the simulator; its COM port
    // is gone when this returns.
    void Stop();
    bool IsRunning() const;
    // L"COM12"
    const std::wstring& PortName() const { return m_portName; }

    // The radio.
    void SetSpeed(unsigned bitsPerSecond);
    // The radio's speed; "BR0;".."BR3;" change it.
    unsigned Speed();
    // The speed the PC side has set on the port.
    unsigned LineSpeed();
    // `query` is "RVM", "RVF", "RVD", "RVA" or "RVR"; major * 100 + minor.
    void SetVersion(const std::string& query, unsigned version);
    // The MCU version also decides "OM;" (245) and the EEPROM commands (383).
    void SetMcuVersion(unsigned version) { SetVersion("RVM", version); }
    // The reply to "I;"; empty: no reply (a running Q7).
    void SetIdentifyReply(const std::string& reply);
    // The boot loader answers "I;" (with "Q7B;" unless told otherwise) and ";" only.
    void SetBootLoader(bool on);
    // Empty: "OM;" gets no reply.
    void SetOptionModuleReply(const std::string& reply);
    std::string CommandMode();
    void SetCommandMode(const std::string& mode);
    void WriteEeprom(unsigned address, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> ReadEeprom(unsigned address, unsigned count);
    // At 0x83FA, high byte first.
    void SetSerialNumber(unsigned number);
    // The radio's clock, in seconds ahead of UTC (0 at start).
    long long ClockOffset();
    void SetClockOffset(long long seconds);
    // The date menu shows the day before the month (false at start).
    void SetDayFirst(bool dayFirst);

    // Faults.
    // A silent radio hears nothing: no reply, no effect.
    void SetSilent(bool silent);
    // The next `count` commands that start with `prefix` are lost, after
    // `after` more of them have got through.
    void IgnoreNext(const std::string& prefix, unsigned count, unsigned after = 0);
    // `text` arrives just before the reply to the next command of `prefix`.
    void SendStrayBefore(const std::string& prefix, const std::string& text);
    // `text` arrives in place of the reply to the next command of `prefix`.
    void GarbleNextReply(const std::string& prefix, const std::string& text);
    // Only commands that start with one of `prefixes` are heard (none: all).
    void HearOnly(const std::vector<std::string>& prefixes);
    // Every reply from now on, until set to 0.
    void SetReplyDelay(unsigned ms);
    // The next reply: `firstBytes` bytes, a pause, the rest.
    void SplitNextReply(unsigned firstBytes, unsigned pauseMs);
    // The next reply carries `extra` straight after it.
    void AppendToNextReply(const std::string& extra);
    // As a USB adapter pulled out: the line dies under an open port, the COM
    // port disappears, also from the registry. The log stays readable.
    void Unplug();
    // The adapter plugged back in: the same COM port on a new line, listed
    // again, the radio as it was.
    void Plug();

    // The keyer ("KY", "TB;"): text the receiver decodes for the next
    // polls, the time each keyed character takes, and what it has done.
    void QueueDecodedText(const std::string& text);
    void SetKeyerPace(unsigned msPerCharacter);
    struct KeyerState {
        bool transmitting = false;
        unsigned waiting = 0;
        std::string sent;
    };
    KeyerState GetKeyerState();

    // The firmware loaders' side: the N8, the MCU boot loader and its faults
    // ("loader ..." requests of the simulator); the value after "ok".
    std::string Loader(const std::string& request);

    // Any other request of the simulator: "set an 2", the transmitter's
    // ("swr 3 20", RadioTx.h), the receivers' and their DSPs' ("rx ...",
    // "dsp ...", ReceiverRequest.cpp); the value after "ok".
    std::string Control(const std::string& request);
    // "state": every setting of the radio by its name (CRadio::State).
    std::map<std::string, std::string> State();
    // Runs the bench script (scripts/radio.sh) with `action` ("switch norm")
    // against this radio, as the technician does; what the script printed.
    std::string Bench(const std::string& action);

    // What the radio received.
    std::vector<SimulatedCommand> Log();
    // The command texts of the log, in order.
    std::vector<std::string> Commands();
    void ClearLog();
    size_t CountCommand(const std::string& pattern);
    // Both pump this thread's messages while they wait.
    bool WaitForCommand(const std::string& pattern, DWORD timeoutMs);
    bool WaitForCommandCount(const std::string& pattern, size_t count, DWORD timeoutMs);

private:
    // The value after "ok", or nothing (and a test failure).
    std::optional<std::string> Request(const std::string& line);
    std::optional<std::string> ReadLine(DWORD timeoutMs);
    void Disconnect();
    void ListPort();
    void UnlistPort();
    static void DropStaleListings(const std::wstring& prefix);

    // A SOCKET; winsock2.h stays out of this header.
    UINT_PTR m_socket = ~UINT_PTR(0);
    std::string m_received;
    std::wstring m_portName;
    std::wstring m_registryValue;
    // Where the bench script reaches the simulator, "HOST:PORT".
    std::string m_benchAddress;
};
