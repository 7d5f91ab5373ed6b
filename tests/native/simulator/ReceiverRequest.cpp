// The receivers and their DSPs on the control channel, and the byte path of
// the DSP pass-through:
//     rx set NAME=VALUE ...       settings by their names in "state", as
//                                 "set" takes them one at a time
//     rx stuck LETTERS [VALUE]    "BW" answers VALUE whatever it is set to;
//                                 without a value it takes sets again
//     rx tune DIGITS              VFO A turned by hand; with auto information
//                                 on, the radio reports "FA<digits>;"
//     dsp signal main|sub DBM|off the signal generator at the antenna
//     dsp table main|sub [HEX]    the DSP's table ("ok HEX" without HEX)
//     dsp fd N|forever            the next N sync bytes answered "(FD)"
//     dsp complement N            the next N commands' complement wrong
//     dsp short 0|1               a table read's last byte never answered
//     dsp extra N                 "(00)" when the next N commands end
//     say TEXT                    TEXT sent now, as the radio would
// Each DSP byte is logged as a command: its characters with the "!" or "@"
// that began the pass-through, and its "(hh)"; the closing ";" too.
#include "Simulator.h"

#include "ControlWords.h"

#include <cstdlib>

namespace {

const char kBadArguments[] = "error bad arguments";

bool Receiver(const std::string& text, unsigned& receiver)
{
    receiver = text == "sub" ? 1 : 0;
    return text == "main" || text == "sub";
}

}  // namespace

bool CSimulator::DspTakes(char byte, unsigned speed, Clock::time_point arrived)
{
    // A silent or switched-off radio's DSP hears nothing either: the bytes go
    // the way of every command it does not hear.
    CDsp::Output out;
    if (m_faults.IsSilent() || !m_radio.PoweredOn() || !m_radio.Dsp().Receive(byte, m_command.empty(), out))
        return false;
    if (out.piece.empty())
        return true;
    // The piece's last byte has just come in, at the line's pace.
    SLogEntry entry{Milliseconds(arrived), out.piece, speed, false, {}};
    if (out.reply && speed == m_radio.Speed() && !m_faults.Loses(out.piece)) {
        entry.answered = true;
        entry.reply = *out.reply;
        m_transmitter.Queue(entry.reply, m_radio.Speed(), arrived);
    }
    m_log.Add(std::move(entry));
    return true;
}

std::string CSimulator::ReceiverRequest(const Args& args)
{
    CRadioSettings& settings = m_radio.Settings();
    if (args.size() >= 2 && args[0] == "set") {
        for (size_t i = 1; i < args.size(); ++i) {
            const size_t equals = args[i].find('=');
            if (equals == std::string::npos || !m_radio.Set(args[i].substr(0, equals), args[i].substr(equals + 1)))
                return "error cannot set " + args[i];
        }
        return "ok";
    }
    if (args.size() == 3 && args[0] == "stuck")
        return settings.SetStuck(args[1], args[2]) ? "ok" : kBadArguments;
    if (args.size() == 2 && args[0] == "stuck")
        return settings.ClearStuck(args[1]) ? "ok" : kBadArguments;
    if (args.size() == 2 && args[0] == "tune") {
        if (!settings.Set("FA", args[1]))
            return kBadArguments;
        if (settings.Get("AI") != "0")
            m_transmitter.Queue("FA" + args[1] + ";", m_radio.Speed(), Clock::now());
        return "ok";
    }
    return kBadArguments;
}

std::string CSimulator::DspRequest(const Args& args)
{
    CDsp& dsp = m_radio.Dsp();
    unsigned receiver = 0;
    unsigned count = 0;
    if (args.size() == 3 && args[0] == "signal" && Receiver(args[1], receiver)) {
        if (args[2] == "off") {
            dsp.SetSignal(receiver, std::nullopt);
            return "ok";
        }
        char* end = nullptr;
        const long dBm = std::strtol(args[2].c_str(), &end, 10);
        if (args[2].empty() || *end != '\0' || dBm < -128 || dBm > 127)
            return kBadArguments;
        dsp.SetSignal(receiver, static_cast<int>(dBm));
        return "ok";
    }
    if (args.size() == 2 && args[0] == "table" && Receiver(args[1], receiver)) {
        const CDsp::Table& table = dsp.ReceiverTable(receiver);
        return "ok " + HexBytes(std::vector<uint8_t>(table.begin(), table.end()));
    }
    if (args.size() == 3 && args[0] == "table" && Receiver(args[1], receiver)) {
        const auto bytes = ParseHexBytes(args[2]);
        if (!bytes || bytes->size() != CDsp::Table().size())
            return kBadArguments;
        std::copy(bytes->begin(), bytes->end(), dsp.ReceiverTable(receiver).begin());
        return "ok";
    }
    if (args.size() == 2 && args[0] == "fd" && (args[1] == "forever" || ParseNumber(args[1], count))) {
        dsp.AnswerSyncFD(args[1] == "forever" ? ~0u : count);
        return "ok";
    }
    if (args.size() == 2 && args[0] == "complement" && ParseNumber(args[1], count)) {
        dsp.WrongComplement(count);
        return "ok";
    }
    if (args.size() == 2 && args[0] == "short" && ParseNumber(args[1], count)) {
        dsp.ShortTable(count != 0);
        return "ok";
    }
    if (args.size() == 2 && args[0] == "extra" && ParseNumber(args[1], count)) {
        dsp.ExtraAtEnd(count);
        return "ok";
    }
    return kBadArguments;
}

std::string CSimulator::Say(const Args& args)
{
    const auto text = args.size() == 1 ? UnescapeText(args[0]) : std::nullopt;
    if (!text)
        return kBadArguments;
    m_transmitter.Queue(*text, m_radio.Speed(), Clock::now());
    return "ok";
}
