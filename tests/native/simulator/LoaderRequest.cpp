// The firmware loaders' side of the simulator: the byte path through the N8
// and the boot loader, and the control channel's "loader" request:
//     loader n8 none|running VERSION|boot    the N8 in front of the radio
//     loader refuse K N                      'N' to packet K, N times
//     loader silence K                       nothing taken or answered from packet K
//     loader drop K N                        the first N bytes of packet K lost
//     loader prefix K TEXT                   TEXT before packet K's answer
//     loader reset-version V                 the MCU version after a load
//     loader reset-ms MS                     how long the reset keeps the radio silent
//     loader image ADDR COUNT                "ok HEX": the kept image (64-byte blocks)
//     loader summary                         "ok PACKETS ACCEPTED DUPLICATES IGNORED FINISHED"
//     loader power-cycle                     the power removed and restored, as the
//                                            "power" request does (below)
//     loader text-version [PREFIX] V         the DSP or FPF version after such a load;
//                                            with LDD2, LDA2 or LDF2, after that one only
//     loader text-refuse K N | text-silence K | text-drop K N    as above, for DSP and FPF packets
//     loader text-load PREFIX PART           a finished DSP or FPF load (LDD2, LDA2, LDF2):
//                                            "ok ACCEPTED REFUSED DUPLICATES ERASE HEX", PART
//                                            tiny-boot, data or record, "-" for no bytes
// The power cycle forgets every load under way. A radio whose boot loader
// "LDM;" had started holds no complete firmware when the power comes back:
// its boot loader waits for "D" again, answering ";" and "I;" meanwhile.
// Until then a boot loader in a download takes every byte, a contact
// search's polls too, as packet bytes.
// What the N8 takes for itself (";=", "#RVM;", "#PT;") is logged as a command.
// Every MCU packet is logged as the command "packet:AAAAAA" (its address bytes
// as sent, in hex) with its answer as the reply; a DSP or FPF packet as
// "packet:" and its header.
#include "Simulator.h"

#include "ControlWords.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool IsTextLoadPrefix(const std::string& text)
{
    return text == "LDD2" || text == "LDA2" || text == "LDF2";
}

}  // namespace

bool CSimulator::LoaderTakes(uint8_t byte, unsigned speed, Clock::time_point arrived)
{
    SLoaderSide& side = m_loader;
    // "LDM;" has put the radio into its boot loader, which runs at its own speed.
    if (m_radio.InBootLoader() && side.speedBefore == 0) {
        side.speedBefore = m_radio.Speed();
        m_radio.SetSpeed(SLoaderSide::kBootLoaderSpeed);
    }
    if (side.resetEnds) {
        if (arrived < *side.resetEnds)
            return true;
        side.resetEnds.reset();
    }
    const CN8Accessory::Output out = side.n8.Receive(byte);
    if (!out.toPc.empty())
        m_transmitter.Queue(out.toPc, m_radio.Speed(), arrived);
    if (!out.taken.empty())
        m_log.Add({Milliseconds(arrived), out.taken, speed, !out.toPc.empty(), out.toPc});
    if (out.toRadio.empty())
        return true;
    // Switched off, the radio's loaders hear nothing either.
    if (!m_radio.PoweredOn())
        return false;

    CMcuBootLoader& loader = side.bootLoader;
    if (loader.Downloading()) {
        // A byte at another speed arrives as something else.
        const uint8_t received = speed == SLoaderSide::kBootLoaderSpeed ? byte : static_cast<uint8_t>(byte ^ 0x5A);
        const std::string reply = loader.Receive(received, Milliseconds(arrived));
        if (!reply.empty()) {
            const CMcuBootLoader::Packet& packet = loader.Packets().back();
            char command[24];
            std::snprintf(command, sizeof command, "packet:%06X", packet.address);
            m_log.Add({Milliseconds(arrived), command, speed, true, reply});
            m_transmitter.Queue(reply, SLoaderSide::kBootLoaderSpeed, arrived);
        }
        if (loader.Finished()) {
            side.resetEnds = arrived + std::chrono::milliseconds(side.resetMs);
            m_radio.SetBootLoader(false);
            m_radio.SetSpeed(side.speedBefore);
            side.speedBefore = 0;
            if (side.versionAfterReset != 0)
                m_radio.SetVersion("RVM", side.versionAfterReset);
        }
        return true;
    }
    if (side.textLoad.Active())
        return TextLoadTakes(byte, speed, arrived);
    // "LDD2;", "LDA2;", "LDF2;": the running radio takes DSP or FPF packets.
    if (!m_radio.InBootLoader() && byte == ';' && speed == m_radio.Speed() && IsTextLoadPrefix(m_command)) {
        m_log.Add({Milliseconds(arrived), m_command + ";", speed, false, {}});
        side.textLoad.Begin(m_command);
        m_command.clear();
        return true;
    }
    if (m_radio.InBootLoader() && m_command.empty() && byte == 'D') {
        if (speed == SLoaderSide::kBootLoaderSpeed) {
            m_log.Add({Milliseconds(arrived), "D", speed, true, "D"});
            m_transmitter.Queue("D", SLoaderSide::kBootLoaderSpeed, arrived);
            loader.Begin();
        }
        return true;
    }
    return false;
}

bool CSimulator::TextLoadTakes(uint8_t byte, unsigned speed, Clock::time_point arrived)
{
    SLoaderSide& side = m_loader;
    CTextLoadMode& load = side.textLoad;
    const std::string reply = load.Receive(speed == m_radio.Speed() ? byte : static_cast<uint8_t>(byte ^ 0x5A));
    if (load.Finished()) {
        m_log.Add({Milliseconds(arrived), "LDD20000;", speed, false, {}});
        const std::string prefix = load.Prefix();
        side.finishedTextLoads[prefix] = load;
        side.resetEnds = arrived + std::chrono::milliseconds(side.resetMs);
        const auto own = side.textVersions.find(prefix);
        const unsigned version = own != side.textVersions.end() ? own->second : side.textVersionAfterReset;
        if (version != 0)
            m_radio.SetVersion(prefix == "LDF2" ? "RVF" : prefix == "LDA2" ? "RVA" : "RVD", version);
        load = CTextLoadMode{};
        return true;
    }
    if (!reply.empty()) {
        // A refused header is labelled with the last good one.
        const std::string header = load.Headers().empty() ? std::string("?") : load.Headers().back();
        m_log.Add({Milliseconds(arrived), "packet:" + header, speed, true, reply});
        m_transmitter.Queue(reply, m_radio.Speed(), arrived);
    }
    return true;
}

std::string CSimulator::LoaderRequest(const Args& args)
{
    static const std::string kBad = "error bad arguments";
    SLoaderSide& side = m_loader;
    CMcuBootLoader& loader = side.bootLoader;
    unsigned a = 0, b = 0;
    const std::string what = args.empty() ? std::string() : args[0];
    const bool one = args.size() == 2 && ParseNumber(args[1], a);
    const bool two = args.size() == 3 && ParseNumber(args[1], a) && ParseNumber(args[2], b);
    if (what == "n8" && args.size() == 2 && args[1] == "none") {
        side.n8.Set(CN8Accessory::Mode::Absent, 0);
    } else if (what == "n8" && args.size() == 2 && args[1] == "boot") {
        side.n8.Set(CN8Accessory::Mode::BootLoader, 0);
    } else if (what == "n8" && args.size() == 3 && args[1] == "running" && ParseNumber(args[2], a)) {
        side.n8.Set(CN8Accessory::Mode::Running, a);
    } else if (what == "refuse" && two) {
        loader.RefusePacket(a, b);
    } else if (what == "silence" && one) {
        loader.SilenceFrom(a);
    } else if (what == "drop" && two) {
        loader.DropBytes(a, b);
    } else if (what == "prefix" && args.size() == 3 && ParseNumber(args[1], a) && UnescapeText(args[2])) {
        loader.PrefixReply(a, *UnescapeText(args[2]));
    } else if (what == "reset-version" && one) {
        side.versionAfterReset = a;
    } else if (what == "reset-ms" && one) {
        side.resetMs = a;
    } else if (what == "image" && two) {
        std::vector<uint8_t> bytes(b, 0xFF);
        for (unsigned i = 0; i < b; ++i) {
            const auto block = loader.Image().find((a + i) & ~63u);
            if (block != loader.Image().end())
                bytes[i] = block->second[(a + i) & 63u];
        }
        return "ok " + HexBytes(bytes);
    } else if (what == "text-version" && one) {
        side.textVersionAfterReset = a;
    } else if (what == "text-version" && args.size() == 3 && IsTextLoadPrefix(args[1]) && ParseNumber(args[2], a)) {
        side.textVersions[args[1]] = a;
    } else if (what == "text-refuse" && two) {
        side.textLoad.RefusePacket(a, b);
    } else if (what == "text-silence" && one) {
        side.textLoad.SilenceFrom(a);
    } else if (what == "text-drop" && two) {
        side.textLoad.DropBytes(a, b);
    } else if (what == "text-load" && args.size() == 3) {
        // "ok ACCEPTED REFUSED DUPLICATES ERASE HEX" of the finished load with
        // that prefix; the part is tiny-boot, data or record.
        const auto found = side.finishedTextLoads.find(args[1]);
        if (found == side.finishedTextLoads.end())
            return "error no such load";
        const CTextLoadMode& load = found->second;
        const std::vector<uint8_t>& bytes =
            args[2] == "tiny-boot" ? load.TinyBoot() : args[2] == "record" ? load.Record() : load.Data();
        return "ok " + std::to_string(load.Accepted()) + " " + std::to_string(load.Refused()) + " " +
               std::to_string(load.Duplicates()) + " " + std::to_string(load.EraseByte()) + " " +
               (bytes.empty() ? std::string("-") : HexBytes(bytes));
    } else if (what == "power-cycle" && args.size() == 1) {
        SetPower(false);
        SetPower(true);
    } else if (what == "summary" && args.size() == 1) {
        return "ok " + std::to_string(loader.Packets().size()) + " " + std::to_string(loader.Accepted()) + " " +
               std::to_string(loader.Duplicates()) + " " + std::to_string(loader.Ignored()) + " " +
               std::to_string(loader.Finished() ? 1 : 0);
    } else {
        return kBad;
    }
    return "ok";
}
