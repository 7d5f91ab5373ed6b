#include "Radio.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct SpeedCode {
    const char* command;
    unsigned speed;
};

const SpeedCode kSpeedCodes[] = {
    {"BR0;", 4800},
    {"BR1;", 9600},
    {"BR2;", 19200},
    {"BR3;", 38400},
};

bool StartsWith(const std::string& text, const char* start)
{
    return text.compare(0, std::char_traits<char>::length(start), start) == 0;
}

}  // namespace

// The options where every reader looks: the tuner (3), the amplifier (4), the
// transverter interface (5), the second receiver (6) and the kind (12, 14).
const char* const CRadio::kDefaultOptionModuleReply = "OM-APXS-TLK-R---;";
const char* const CRadio::kDefaultBootLoaderReply = "Q7B;";

// Each command has one owner: the first route that matches. The front
// panel's commands go through Panel below.
const CRadio::Route CRadio::s_routes[] = {
    {";", true, true, &CRadio::Poll},
    {"I;", true, true, &CRadio::Identify},
    {"OM;", true, false, &CRadio::OptionModule},
    {"RV", false, false, &CRadio::Version},
    {"BR", false, false, &CRadio::BaudRate},
    {"Q7", false, false, &CRadio::Q7Mode},
    {"ER", false, false, &CRadio::BlockRead},
    {"EW", false, false, &CRadio::BlockWrite},
    {"LDPR", false, false, &CRadio::ByteRead},
    {"LDPW", false, false, &CRadio::ByteWrite},
    {"LDD20000;", true, false, &CRadio::Reset},
    {"KY", false, false, &CRadio::Key},
    {"TB;", true, false, &CRadio::TransmitBuffer},
    {"LDM;", true, false, &CRadio::EnterBootLoader},
    {"MN", false, false, &CRadio::Panel},
    {"DS;", true, false, &CRadio::Panel},
    {"UP;", true, false, &CRadio::Panel},
    {"DN;", true, false, &CRadio::Panel},
    {"SWT", false, false, &CRadio::Panel},
    {"SWH", false, false, &CRadio::Panel},
    // The values of the transmitter's menus are its own too.
    {"MP", false, false, &CRadio::Transmitter},
    {"TQ;", true, false, &CRadio::Transmitter},
    {"RX;", true, false, &CRadio::Transmitter},
    {"DB", false, false, &CRadio::Transmitter},
    {"IC;", true, false, &CRadio::IconReply},
    // Whatever is left is a plain setting ("FA", "PC", "RA$"...), or unknown.
    {"", false, false, &CRadio::Setting},
};

CRadio::CRadio()
    : m_versions{{"RVM", 455}, {"RVF", 132}, {"RVD", 240}, {"RVA", 240}, {"RVR", 104}},
      m_optionModuleReply(kDefaultOptionModuleReply)
{
}

std::optional<std::string> CRadio::Handle(const std::string& command)
{
    if (!m_poweredOn || m_reset.Deaf() || (!m_bootLoader && Refuses(command)))
        return std::nullopt;
    for (const Route& route : s_routes) {
        if (m_bootLoader && !route.inBootLoader)
            continue;
        if (route.whole ? command == route.text : StartsWith(command, route.text))
            return (this->*route.handle)(command);
    }
    return std::nullopt;
}

bool CRadio::SetSpeed(unsigned bitsPerSecond)
{
    for (const SpeedCode& code : kSpeedCodes) {
        if (code.speed == bitsPerSecond) {
            m_speed = bitsPerSecond;
            return true;
        }
    }
    return false;
}

bool CRadio::SetVersion(const std::string& command, unsigned version)
{
    const auto found = m_versions.find(command);
    if (found == m_versions.end() || version > 9999)
        return false;
    found->second = version;
    return true;
}

CRadio::Reply CRadio::Poll(const std::string&)
{
    return "?;";
}

CRadio::Reply CRadio::Identify(const std::string&)
{
    if (m_bootLoader && !m_identifyReply)
        return kDefaultBootLoaderReply;
    return m_identifyReply;
}

CRadio::Reply CRadio::Version(const std::string& command)
{
    const auto found = m_versions.find(command.substr(0, command.size() - 1));
    if (found == m_versions.end())
        return std::nullopt;
    char reply[32];
    std::snprintf(reply, sizeof reply, "%s%02u.%02u;", found->first.c_str(), found->second / 100, found->second % 100);
    return reply;
}

CRadio::Reply CRadio::OptionModule(const std::string&)
{
    if (McuVersion() < kOptionModuleVersion)
        return std::nullopt;
    return m_optionModuleReply;
}

CRadio::Reply CRadio::BaudRate(const std::string& command)
{
    for (const SpeedCode& code : kSpeedCodes) {
        if (command == code.command)
            m_speed = code.speed;
    }
    return std::nullopt;
}

CRadio::Reply CRadio::Q7Mode(const std::string& command)
{
    if (command == "Q7;")
        return "Q7" + m_commandMode + ";";
    m_commandMode = command.substr(2, command.size() - 3);
    return std::nullopt;
}

CRadio::Reply CRadio::BlockRead(const std::string& command)
{
    if (McuVersion() < kBlockEepromVersion)
        return std::nullopt;
    return m_eeprom.BlockRead(command);
}

CRadio::Reply CRadio::BlockWrite(const std::string& command)
{
    if (McuVersion() < kBlockEepromVersion)
        return std::nullopt;
    return m_eeprom.BlockWrite(command);
}

CRadio::Reply CRadio::ByteRead(const std::string& command)
{
    if (McuVersion() >= kBlockEepromVersion)
        return std::nullopt;
    return m_eeprom.ByteRead(command);
}

CRadio::Reply CRadio::ByteWrite(const std::string& command)
{
    if (McuVersion() < kBlockEepromVersion)
        m_eeprom.ByteWrite(command);
    return std::nullopt;
}

bool CRadio::SwitchesWork() const
{
    return McuVersion() >= CRadioClock::kSwitchEmulationVersion || m_commandMode == "1";
}

// The front panel. "MN" selects a menu: the transmitter and the clock each
// know their own, and a menu of one leaves the other's. Then the first that
// applies takes the command:
//   a TX menu shown      the transmitter: its display and steps (RadioTx.h)
//   a clock menu shown   the clock: its display, field switches and steps
//   TUNE keyed           "DS;" is the SWR display, the transmitter's
//   otherwise            "DS;" is the receiver's display; TUNE "SWH16;" is
//                        the transmitter's switch, the others the receivers'
//                        (Receiver.h); steps do nothing
CRadio::Reply CRadio::Panel(const std::string& command)
{
    const bool switches = SwitchesWork();
    if (StartsWith(command, "MN")) {
        m_tx.SelectMenu(static_cast<unsigned>(std::strtoul(command.c_str() + 2, nullptr, 10)));
        return m_clock.Handle(command, switches);
    }
    if (m_tx.Menu() != 0)
        return Transmitter(command);
    if (m_clock.Menu() != 0)
        return m_clock.Handle(command, switches);
    if (command == "DS;")
        return m_tx.Keyed() ? Transmitter(command) : m_receiver.DisplayReply();
    if (command == "SWH16;")
        return Transmitter(command);
    if (switches && (StartsWith(command, "SWT") || StartsWith(command, "SWH")))
        m_receiver.Tap(command);
    return std::nullopt;
}

CRadio::Reply CRadio::Transmitter(const std::string& command)
{
    return m_tx.Handle(command, {McuVersion(), SwitchesWork()});
}

CRadio::Reply CRadio::Setting(const std::string& command)
{
    Reply reply;
    m_settings.Handle(command, reply);
    return reply;
}

bool CRadio::Refuses(const std::string& command)
{
    for (auto& [prefix, count] : m_refusals) {
        if (count > 0 && StartsWith(command, prefix.c_str()) && command != prefix + ";") {
            --count;
            return true;
        }
    }
    return false;
}

CRadio::Reply CRadio::Reset(const std::string&)
{
    Restart();
    m_reset.Start();
    return std::nullopt;
}

void CRadio::Restart()
{
    m_commandMode = "0";
    Panel("MN255;");
}

void CRadio::SetPower(bool on)
{
    if (on == m_poweredOn)
        return;
    m_poweredOn = on;
    if (on) {
        Restart();
        return;
    }
    m_tx.Unkey();
    m_keyer.Stop(CKeyer::Clock::now());
}

std::string CRadio::State() const
{
    const unsigned menu = m_tx.Menu() != 0 ? m_tx.Menu() : m_clock.Menu();
    return m_settings.State() + " q7=" + m_commandMode + " menu=" + std::to_string(menu) + " " + m_tx.State() +
           " " + m_receiver.State() + " " + m_dsp.State();
}

bool CRadio::Set(const std::string& name, const std::string& value)
{
    if (name == "q7") {
        if (value.empty())
            return false;
        m_commandMode = value;
        return true;
    }
    if (name == "menu") {
        if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos)
            return false;
        Panel("MN" + std::string(3 - value.size(), '0') + value + ";");
        return true;
    }
    return m_settings.Set(name, value) || m_tx.Set(name, value) || m_receiver.Set(name, value);
}
