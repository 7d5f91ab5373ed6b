// The receivers' DSPs behind the radio's pass-through: "!" at the start of a
// command reaches the main receiver's DSP, "@" the second's. Every two hex
// digits after it are one DSP byte, answered at once with "(hh)"; ";" ends
// the pass-through unanswered.
//
// A pass-through whose first byte is 0x02 is a sync: each of its bytes is
// answered "(00)" (or "(FD)" on request). Otherwise the first byte is the
// command; its first reply is "(00)", its second the command's complement,
// then by command:
//     bd      the third reply is the signal level (signed dBm)
//     bb      from the third reply on, the table's 128 bytes
//     bc      the 128 bytes after the command are stored as the table
//     b8 nn   measure (nn 00..03), compute the table (04 at -73 dBm, 05 at
//             -33 dBm) from the signal; without a signal it is all zero
// Each receiver has a table and a signal generator level (none at start).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDsp {
public:
    using Table = std::array<uint8_t, 128>;

    CDsp();

    struct Output {
        // The characters that made a DSP byte, or the ";" that ended the
        // pass-through; empty while a byte is incomplete.
        std::string piece;
        std::optional<std::string> reply;
    };
    // One character of the line. False when it is not the DSP's: the
    // pass-through starts only with "!" or "@" at the start of a command.
    bool Receive(char character, bool commandStart, Output& output);
    bool Active() const { return m_receiver >= 0; }

    Table& ReceiverTable(unsigned receiver) { return m_tables[receiver & 1]; }
    // dBm at the antenna; nothing for no signal.
    void SetSignal(unsigned receiver, std::optional<int> dBm) { m_signal[receiver & 1] = dBm; }
    std::optional<int> Signal(unsigned receiver) const { return m_signal[receiver & 1]; }

    // Faults: the next `count` sync bytes answered "(FD)" (~0u: for ever);
    // the next `count` commands answered with a wrong complement; the last
    // table byte of a "bb" never answered; an extra "(00)" when the next
    // `count` commands (not syncs) end.
    void AnswerSyncFD(unsigned count) { m_syncFD = count; }
    void WrongComplement(unsigned count) { m_wrongComplement = count; }
    void ShortTable(bool on) { m_shortTable = on; }
    void ExtraAtEnd(unsigned count) { m_extraAtEnd = count; }

    // "dsp-main=HEX dsp-sub=HEX signal-main=DBM|off signal-sub=DBM|off".
    std::string State() const;

private:
    std::optional<std::string> Byte(uint8_t value);
    void End();
    void Compute(unsigned step);

    Table m_tables[2];
    std::optional<int> m_signal[2];
    // The pass-through under way: its receiver (-1: none), the digit
    // waiting for its pair, what it has said so far, and its bytes.
    int m_receiver = -1;
    std::string m_piece;
    std::vector<uint8_t> m_bytes;
    bool m_sync = false;
    bool m_wrong = false;

    unsigned m_syncFD = 0;
    unsigned m_wrongComplement = 0;
    bool m_shortTable = false;
    unsigned m_extraAtEnd = 0;
};
