// A radio in the test process: stands in for the serial port behind the
// model, answers the commands the machine under test writes (through a
// responder the test sets), and wakes the main window the way the listener
// thread does. Each command it sees is recorded with the line speed.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Model.h"

struct PeerCommand {
    DWORD tick;
    std::string text;
    DWORD speed;
};

class CScriptedPeer : public ISerialLink {
public:
    // Installs itself in the model and opens the "port" at 38400 bit/s.
    CScriptedPeer();
    ~CScriptedPeer();

    // Answers each command (text up to and including its ";"); an empty
    // answer sends nothing. Only commands at the radio's speed are answered.
    std::function<std::string(const std::string& command)> responder;
    DWORD radioSpeed = 38400;

    // Bytes arriving from the radio now: one notice to the main window.
    void Deliver(const std::string& bytes);

    const std::vector<PeerCommand>& Commands() const { return m_commands; }
    std::vector<std::string> CommandTexts() const;
    size_t Count(const std::string& command) const;
    size_t Queued() const { return m_received.size(); }

    bool open = true;
    DWORD speed = 38400;
    // A port whose speed cannot be changed.
    bool refuseSpeedChanges = false;
    // Not 0: every write fails with this error.
    DWORD writeError = 0;

    bool IsOpen() override { return open; }
    bool PurgeRx() override;
    bool WriteBytes(const void* buffer, DWORD count) override;
    bool Read(void* buffer, DWORD count, DWORD* read) override;
    DWORD GetSpeed() override { return speed; }
    bool SetSpeed(DWORD baud) override;

private:
    std::string m_pending;
    std::deque<char> m_received;
    std::vector<PeerCommand> m_commands;
};
