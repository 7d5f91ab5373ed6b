#include "Radio.h"

#include <cstdio>

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
    {"MN", false, false, &CRadio::ClockCommand},
    {"DS;", true, false, &CRadio::ClockCommand},
    {"SWT", false, false, &CRadio::ClockCommand},
    {"UP;", true, false, &CRadio::ClockCommand},
    {"DN;", true, false, &CRadio::ClockCommand},
    {"LDD20000;", true, false, &CRadio::Reset},
    {"KY", false, false, &CRadio::Key},
    {"TB;", true, false, &CRadio::TransmitBuffer},
    {"LDM;", true, false, &CRadio::EnterBootLoader},
    {"FA", false, false, &CRadio::VfoA},
    // Whatever is left may be the transmitter's.
    {"", false, false, &CRadio::TxCommand},
};

CRadio::CRadio()
    : m_versions{{"RVM", 455}, {"RVF", 132}, {"RVD", 240}, {"RVA", 240}, {"RVR", 104}},
      m_optionModuleReply(kDefaultOptionModuleReply)
{
}

std::optional<std::string> CRadio::Handle(const std::string& command)
{
    if (m_reset.Deaf())
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

CRadio::Reply CRadio::ClockCommand(const std::string& command)
{
    // The transmitter's menus and displays come first.
    bool taken = false;
    const Reply reply = m_tx.Handle(command, {m_vfoA, McuVersion(), SwitchesWork()}, taken);
    if (taken)
        return reply;
    return m_clock.Handle(command, SwitchesWork());
}

bool CRadio::SwitchesWork() const
{
    return McuVersion() >= CRadioClock::kSwitchEmulationVersion || m_commandMode == "1";
}

CRadio::Reply CRadio::Reset(const std::string&)
{
    m_commandMode = "0";
    m_clock.Handle("MN255;", false);
    m_reset.Start();
    return std::nullopt;
}
