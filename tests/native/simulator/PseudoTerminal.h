// The radio's end of the cable: a raw pseudo-terminal whose slave side the
// Wine prefix opens as a COM port. The simulator keeps the slave open too,
// so the master never sees a hang-up while the program closes and reopens
// the port.
#pragma once

#include <string>

class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal() { Close(); }
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // False with `error` set when no terminal could be had.
    bool Open(std::string& error);
    // Both ends closed: the program's handle is left on a dead line.
    void Close();

    bool IsOpen() const { return m_master >= 0; }
    // The master, non-blocking; -1 when closed.
    int Fd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }
    // The bit rate the program has set on its side; 0 when unknown.
    unsigned LineSpeed() const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
