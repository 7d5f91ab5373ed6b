#include "Simulator.h"

#include "ControlWords.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {

// Longest command kept; a line that never sends ";" must not grow without end.
constexpr size_t kMaxCommand = 4096;
constexpr unsigned kStrayGapMs = 30;

volatile sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int signal)
{
    g_stopSignal = signal;
}

std::string Ok(const std::string& value = {})
{
    return value.empty() ? "ok" : "ok " + value;
}

std::string Error(const std::string& why)
{
    return "error " + why;
}

const char kBadArguments[] = "error bad arguments";

// "0" or "1", into a setter.
template <typename Target>
std::string SetFlag(const std::vector<std::string>& args, Target& target, void (Target::*set)(bool))
{
    unsigned on = 0;
    if (args.size() != 1 || !ParseNumber(args[0], on))
        return kBadArguments;
    (target.*set)(on != 0);
    return Ok();
}

// PREFIX TEXT, both escaped, into a fault's setter.
std::string SetPrefixedText(const std::vector<std::string>& args, CFaults& faults,
                            void (CFaults::*set)(std::string, std::string))
{
    const auto prefix = args.size() == 2 ? UnescapeText(args[0]) : std::nullopt;
    const auto text = args.size() == 2 ? UnescapeText(args[1]) : std::nullopt;
    if (!prefix || !text)
        return kBadArguments;
    (faults.*set)(*prefix, *text);
    return Ok();
}

// A reply text, or none when the request has no argument.
std::string SetReply(const std::vector<std::string>& args, CRadio& radio,
                     void (CRadio::*set)(std::optional<std::string>))
{
    std::optional<std::string> reply;
    if (!args.empty()) {
        reply = UnescapeText(args[0]);
        if (args.size() != 1 || !reply)
            return kBadArguments;
    }
    (radio.*set)(reply);
    return Ok();
}

}  // namespace

const CSimulator::Request CSimulator::s_requests[] = {
    {"ping", &CSimulator::Ping},
    {"speed", &CSimulator::Speed},
    {"line-speed", &CSimulator::LineSpeed},
    {"version", &CSimulator::Version},
    {"identify", &CSimulator::Identify},
    {"boot-loader", &CSimulator::BootLoader},
    {"option-module", &CSimulator::OptionModule},
    {"mode", &CSimulator::Mode},
    {"eeprom-write", &CSimulator::EepromWrite},
    {"eeprom-read", &CSimulator::EepromRead},
    {"silent", &CSimulator::Silent},
    {"ignore", &CSimulator::Ignore},
    {"delay", &CSimulator::Delay},
    {"split", &CSimulator::Split},
    {"burst", &CSimulator::Burst},
    {"stray", &CSimulator::Stray},
    {"garble", &CSimulator::Garble},
    {"hear-only", &CSimulator::HearOnly},
    {"unplug", &CSimulator::UnplugRequest},
    {"plug", &CSimulator::Plug},
    {"log", &CSimulator::Log},
    {"clear-log", &CSimulator::ClearLog},
    {"count", &CSimulator::Count},
    {"quit", &CSimulator::Quit},
    {"keyer", &CSimulator::KeyerRequest},
    {"loader", &CSimulator::LoaderRequest},
    {"state", &CSimulator::State},
    {"set", &CSimulator::Set},
    {"refuse", &CSimulator::Refuse},
    {"rx", &CSimulator::ReceiverRequest},
    {"dsp", &CSimulator::DspRequest},
    {"say", &CSimulator::Say},
    {"power", &CSimulator::Power},
};

CSimulator::CSimulator(CRadio& radio) : m_radio(radio), m_start(Clock::now())
{
}

int CSimulator::Run(const SSimulatorSetup& setup)
{
    // Signals are let through only while the loop waits, so none is lost.
    sigset_t stopSignals;
    sigset_t waiting;
    sigemptyset(&stopSignals);
    for (const int signal : {SIGINT, SIGTERM})
        sigaddset(&stopSignals, signal);
    sigprocmask(SIG_BLOCK, &stopSignals, &waiting);
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    for (const int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
    // The line is this session's terminal: closing it (an unplug) hangs it up.
    signal(SIGHUP, SIG_IGN);

    if (!Start(setup))
        return 1;

    // What each descriptor is, by its place: the terminal, the test's line,
    // the listener, then the bench's lines.
    std::vector<pollfd> fds;
    while (!m_quit && !g_stopSignal) {
        const auto next = m_transmitter.Pump(Clock::now());
        fds.clear();
        fds.push_back({m_terminal.Fd(), POLLIN, 0});
        fds.push_back({m_controlled ? m_control.Fd() : -1, POLLIN, 0});
        fds.push_back({m_listener.Fd(), POLLIN, 0});
        for (const auto& bench : m_bench)
            fds.push_back({bench->Fd(), POLLIN, 0});
        timespec timeout{};
        if (next) {
            const auto wait = std::max(*next - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        }
        if (ppoll(fds.data(), fds.size(), next ? &timeout : nullptr, &waiting) <= 0)
            continue;
        if (fds[0].revents && m_terminal.Fd() == fds[0].fd)
            ReadTerminal();
        if (fds[1].revents && !Serve(m_control))
            m_quit = true;
        if (fds[2].revents)
            AcceptBench();
        // A bench line that has closed goes; from the last, so that the
        // places of those still to serve stay as they were.
        for (size_t i = fds.size(); i-- > 3;) {
            if (fds[i].revents && !Serve(*m_bench[i - 3]))
                m_bench.erase(m_bench.begin() + static_cast<std::ptrdiff_t>(i - 3));
        }
    }

    m_terminal.Close();
    m_link.Release();
    if (m_controlled)
        m_control.Send("bye");
    return 0;
}

bool CSimulator::Start(const SSimulatorSetup& setup)
{
    std::string error;
    if (!setup.logFile.empty() && !m_log.SetFile(setup.logFile))
        error = "cannot write " + setup.logFile;
    else if (setup.prefix.empty())
        error = "no Wine prefix (--prefix or WINEPREFIX)";
    else if (m_terminal.Open(error) && m_link.Claim(setup.prefix, setup.com, m_terminal.SlavePath(), error)) {
        if (setup.registerPort && !m_link.Register())
            error = "cannot list " + m_link.Name() + " in the registry";
        if (error.empty() && !setup.listen.empty())
            m_listener.Listen(setup.listen, error);
        if (error.empty() && !setup.control.empty())
            m_controlled = m_control.Connect(setup.control, error);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "q7sim: %s\n", error.c_str());
        return false;
    }
    m_transmitter.SetFd(m_terminal.Fd());
    Announce();
    return true;
}

void CSimulator::Announce()
{
    const std::string listening = m_listener.IsOpen() ? " " + m_listener.Address() : std::string();
    if (m_controlled) {
        m_control.Send("hello " + m_link.Name() + " " + m_terminal.SlavePath() + listening);
        return;
    }
    if (m_listener.IsOpen())
        std::fprintf(stderr, "q7sim: control on %s\n", m_listener.Address().c_str());
    std::fprintf(stderr, "q7sim: %s is %s, radio at %u bit/s\n", m_link.Name().c_str(), m_terminal.SlavePath().c_str(),
                 m_radio.Speed());
}

bool CSimulator::Serve(CControlChannel& channel)
{
    std::vector<std::string> lines;
    const bool connected = channel.Receive(lines);
    for (const std::string& line : lines)
        OnRequest(channel, line);
    return connected;
}

void CSimulator::AcceptBench()
{
    const int socket = m_listener.Accept();
    if (socket >= 0)
        m_bench.push_back(std::make_unique<CControlChannel>(socket));
}

void CSimulator::ReadTerminal()
{
    char buffer[4096];
    for (;;) {
        const ssize_t received = read(m_terminal.Fd(), buffer, sizeof buffer);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && errno == EAGAIN)
            return;
        if (received <= 0) {
            // The line broke under us; waiting on it again would only spin.
            Unplug();
            return;
        }
        const unsigned speed = m_terminal.LineSpeed();
        const Clock::time_point now = Clock::now();
        const auto byteTime = std::chrono::nanoseconds(speed ? 10 * 1000000000ll / speed : 0);
        for (ssize_t i = 0; i < received; ++i) {
            // Each byte is taken in when its last bit would be.
            m_lineFree = std::max(m_lineFree, now) + byteTime;
            if (LoaderTakes(static_cast<uint8_t>(buffer[i]), speed, m_lineFree) || DspTakes(buffer[i], speed, m_lineFree))
                continue;
            // Checked byte by byte: a speed command changes what the next byte is.
            m_garbled = m_garbled || speed != m_radio.Speed();
            if (m_command.size() < kMaxCommand)
                m_command += buffer[i];
            if (buffer[i] == ';')
                OnCommand(std::exchange(m_command, std::string()), speed, std::exchange(m_garbled, false), m_lineFree);
        }
    }
}

void CSimulator::OnCommand(const std::string& command, unsigned speed, bool garbled, Clock::time_point arrived)
{
    SLogEntry entry{Milliseconds(arrived), command, speed, false, {}};
    if (!garbled && !m_faults.Loses(command)) {
        if (const auto reply = m_radio.Handle(command)) {
            entry.answered = true;
            entry.reply = m_faults.TakeGarble(command).value_or(*reply) + m_faults.TakeBurst();
            const auto earliest = arrived + std::chrono::milliseconds(m_faults.ReplyDelayMs());
            // A stray text comes first, far enough ahead to be read on its own.
            Clock::duration gap = Clock::duration::zero();
            if (const auto stray = m_faults.TakeStray(command)) {
                m_transmitter.Queue(*stray, m_radio.Speed(), earliest);
                gap = std::chrono::milliseconds(kStrayGapMs);
            }
            const auto split = m_faults.TakeSplit();
            if (split && split->at < entry.reply.size()) {
                m_transmitter.Queue(entry.reply.substr(0, split->at), m_radio.Speed(), earliest, gap);
                m_transmitter.Queue(entry.reply.substr(split->at), m_radio.Speed(), arrived,
                                    std::chrono::milliseconds(split->pauseMs));
            } else {
                m_transmitter.Queue(entry.reply, m_radio.Speed(), earliest, gap);
            }
        }
    }
    m_log.Add(std::move(entry));
}

void CSimulator::OnRequest(CControlChannel& channel, const std::string& line)
{
    const Args words = SplitWords(line);
    const Args args(words.begin() + 1, words.end());
    for (const Request& request : s_requests) {
        if (words[0] == request.name) {
            const std::string answer = (this->*request.handle)(args);
            if (!answer.empty())
                channel.Send(answer);
            return;
        }
    }
    if (const auto answer = m_radio.Clock().Control(words[0], args))
        channel.Send(*answer);
    else if (const auto answer = m_radio.Tx().Control(words[0], args))
        channel.Send(*answer);
    else
        channel.Send(Error("unknown request " + words[0]));
}

void CSimulator::Unplug()
{
    m_transmitter.SetFd(-1);
    m_terminal.Close();
    m_link.Unplug();
}

void CSimulator::SetPower(bool on)
{
    // What was on its way in when the power went, or came while it was off.
    m_command.clear();
    m_garbled = false;
    if (!on) {
        m_loader.bootLoader.PowerOff();
        m_loader.textLoad = CTextLoadMode{};
        m_loader.resetEnds.reset();
    }
    m_radio.SetPower(on);
}

double CSimulator::Milliseconds(Clock::time_point time) const
{
    return std::chrono::duration<double, std::milli>(time - m_start).count();
}

std::string CSimulator::Ping(const Args&)
{
    return Ok();
}

std::string CSimulator::Speed(const Args& args)
{
    unsigned speed = 0;
    if (args.empty())
        return Ok(std::to_string(m_radio.Speed()));
    if (args.size() != 1 || !ParseNumber(args[0], speed) || !m_radio.SetSpeed(speed))
        return kBadArguments;
    return Ok();
}

std::string CSimulator::LineSpeed(const Args&)
{
    return Ok(std::to_string(m_terminal.LineSpeed()));
}

std::string CSimulator::Version(const Args& args)
{
    unsigned version = 0;
    if (args.size() != 2 || !ParseNumber(args[1], version) || !m_radio.SetVersion(args[0], version))
        return kBadArguments;
    return Ok();
}

std::string CSimulator::Identify(const Args& args)
{
    return SetReply(args, m_radio, &CRadio::SetIdentifyReply);
}

std::string CSimulator::BootLoader(const Args& args)
{
    return SetFlag(args, m_radio, &CRadio::SetBootLoader);
}

std::string CSimulator::OptionModule(const Args& args)
{
    return SetReply(args, m_radio, &CRadio::SetOptionModuleReply);
}

std::string CSimulator::Mode(const Args& args)
{
    if (args.empty())
        return Ok(EscapeText(m_radio.CommandMode()));
    const auto text = UnescapeText(args[0]);
    if (args.size() != 1 || !text)
        return kBadArguments;
    m_radio.SetCommandMode(*text);
    return Ok();
}

std::string CSimulator::State(const Args& args)
{
    return args.empty() ? Ok(m_radio.State()) : kBadArguments;
}

std::string CSimulator::Set(const Args& args)
{
    return args.size() == 2 && m_radio.Set(args[0], args[1]) ? Ok() : kBadArguments;
}

std::string CSimulator::Refuse(const Args& args)
{
    unsigned count = 0;
    const auto prefix = args.size() == 2 ? UnescapeText(args[0]) : std::nullopt;
    if (!prefix || prefix->empty() || !ParseNumber(args[1], count))
        return kBadArguments;
    m_radio.Refuse(*prefix, count);
    return Ok();
}

std::string CSimulator::EepromWrite(const Args& args)
{
    unsigned address = 0;
    const auto bytes = args.size() == 2 ? ParseHexBytes(args[1]) : std::nullopt;
    if (!bytes || !ParseNumber(args[0], address))
        return kBadArguments;
    return m_radio.Eeprom().Write(address, *bytes) ? Ok() : Error("beyond the EEPROM");
}

std::string CSimulator::EepromRead(const Args& args)
{
    unsigned address = 0;
    unsigned count = 0;
    if (args.size() != 2 || !ParseNumber(args[0], address) || !ParseNumber(args[1], count))
        return kBadArguments;
    if (address > CEeprom::kSize || count > CEeprom::kSize - address)
        return Error("beyond the EEPROM");
    return Ok(HexBytes(m_radio.Eeprom().Read(address, count)));
}

std::string CSimulator::Silent(const Args& args)
{
    return SetFlag(args, m_faults, &CFaults::SetSilent);
}

std::string CSimulator::Ignore(const Args& args)
{
    unsigned count = 0;
    unsigned after = 0;
    const auto prefix = args.empty() ? std::nullopt : UnescapeText(args[0]);
    if (args.size() < 2 || args.size() > 3 || !prefix || !ParseNumber(args[1], count) ||
        (args.size() == 3 && !ParseNumber(args[2], after)))
        return kBadArguments;
    m_faults.IgnoreNext(*prefix, count, after);
    return Ok();
}

std::string CSimulator::Stray(const Args& args)
{
    return SetPrefixedText(args, m_faults, &CFaults::SendStrayBefore);
}

std::string CSimulator::Garble(const Args& args)
{
    return SetPrefixedText(args, m_faults, &CFaults::GarbleNextReply);
}

std::string CSimulator::HearOnly(const Args& args)
{
    std::vector<std::string> prefixes;
    for (const std::string& arg : args) {
        const auto prefix = UnescapeText(arg);
        if (!prefix || prefix->empty())
            return kBadArguments;
        prefixes.push_back(*prefix);
    }
    m_faults.HearOnly(std::move(prefixes));
    return Ok();
}

std::string CSimulator::Delay(const Args& args)
{
    unsigned ms = 0;
    if (args.size() != 1 || !ParseNumber(args[0], ms))
        return kBadArguments;
    m_faults.SetReplyDelay(ms);
    return Ok();
}

std::string CSimulator::Split(const Args& args)
{
    unsigned at = 0;
    unsigned ms = 0;
    if (args.size() != 2 || !ParseNumber(args[0], at) || !ParseNumber(args[1], ms) || at == 0)
        return kBadArguments;
    m_faults.SplitNextReply({at, ms});
    return Ok();
}

std::string CSimulator::Burst(const Args& args)
{
    const auto text = args.size() == 1 ? UnescapeText(args[0]) : std::nullopt;
    if (!text)
        return kBadArguments;
    m_faults.AppendToNextReply(*text);
    return Ok();
}

std::string CSimulator::UnplugRequest(const Args&)
{
    Unplug();
    return Ok();
}

std::string CSimulator::Plug(const Args&)
{
    if (m_terminal.IsOpen())
        return Error("the cable is in");
    std::string error;
    if (!m_terminal.Open(error))
        return Error(error);
    if (!m_link.Plug(m_terminal.SlavePath())) {
        m_terminal.Close();
        return Error("cannot make " + m_link.Name());
    }
    m_transmitter.SetFd(m_terminal.Fd());
    return Ok();
}

std::string CSimulator::Power(const Args& args)
{
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return kBadArguments;
    SetPower(args[0] == "on");
    return Ok();
}

std::string CSimulator::Log(const Args&)
{
    std::string answer = Ok(std::to_string(m_log.Entries().size()));
    for (const SLogEntry& entry : m_log.Entries())
        answer += "\n" + FormatLogEntry(entry);
    return answer;
}

std::string CSimulator::ClearLog(const Args&)
{
    m_log.Clear();
    return Ok();
}

std::string CSimulator::Count(const Args& args)
{
    const auto pattern = args.size() == 1 ? UnescapeText(args[0]) : std::nullopt;
    if (!pattern)
        return kBadArguments;
    return Ok(std::to_string(m_log.Count(*pattern)));
}

std::string CSimulator::Quit(const Args&)
{
    m_quit = true;
    // "bye" follows once the port is gone (Run).
    return {};
}
