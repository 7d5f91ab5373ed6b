#include <winsock2.h>
#include <ws2tcpip.h>

#include "SimulatedTransceiver.h"

#include "CallbackProcess.h"

#include "ControlWords.h"
#include "MessagePump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Generous: a loaded machine starts processes slowly.
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kRequestTimeoutMs = 5000;
constexpr DWORD kStopTimeoutMs = 5000;

const wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// What the registry's serial-port map calls a simulator's port, before its number.
const std::wstring kListingPrefix = L"\\Device\\Q7Sim";

// A Unix path as Wine sees it: Z: is the root.
std::wstring WindowsPath(const std::wstring& unixPath)
{
    std::wstring path = L"Z:" + unixPath;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

unsigned ToNumber(const std::optional<std::string>& text)
{
    return text ? static_cast<unsigned>(std::strtoul(text->c_str(), nullptr, 10)) : 0;
}

}  // namespace

bool CSimulatedTransceiver::Start(bool bench)
{
    Stop();
    wchar_t prefix[MAX_PATH];
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) {
        ADD_FAILURE() << "WINEPREFIX is not set";
        return false;
    }
    // The simulator connects back to us, so it dies with the test.
    const std::wstring program = WindowsPath(Widen(Q7SIM_PATH));
    m_socket = StartCallbackProcess(
        program,
        [&](unsigned short port) {
            return L"\"" + program + L"\" --control 127.0.0.1:" + std::to_wstring(port) + L" --prefix \"" + prefix +
                   L"\"" + (bench ? L" --listen 127.0.0.1:0" : L"");
        },
        kStartTimeoutMs);
    if (m_socket == INVALID_SOCKET)
        return false;
    const BOOL on = TRUE;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);

    // "hello COMn /dev/pts/m", and where the bench reaches it.
    const auto hello = ReadLine(kStartTimeoutMs);
    const auto words = hello ? SplitWords(*hello) : std::vector<std::string>();
    if (words.size() != (bench ? 4u : 3u) || words[0] != "hello") {
        ADD_FAILURE() << "the simulator did not say hello: " << hello.value_or("(nothing)");
        Disconnect();
        return false;
    }
    m_portName = Widen(words[1]);
    m_benchAddress = bench ? words[3] : std::string();

    DropStaleListings(prefix);
    ListPort();
    return true;
}

void CSimulatedTransceiver::ListPort()
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    m_registryValue = kListingPrefix + m_portName.substr(3);
    RegSetValueExW(key, m_registryValue.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(m_portName.c_str()),
                   static_cast<DWORD>((m_portName.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void CSimulatedTransceiver::UnlistPort()
{
    HKEY key;
    if (!m_registryValue.empty() &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, m_registryValue.c_str());
        RegCloseKey(key);
    }
    m_registryValue.clear();
}

void CSimulatedTransceiver::DropStaleListings(const std::wstring& prefix)
{
    // A simulator removes its COM port link when it ends, even when its test
    // died without a word; a listing without its link is left from such a test.
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::wstring> stale;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring value(name, length);
        if (value.compare(0, kListingPrefix.size(), kListingPrefix) != 0)
            continue;
        const std::wstring link = WindowsPath(prefix + L"/dosdevices/com" + value.substr(kListingPrefix.size()));
        // Wine's GetFileAttributesW fails on a terminal; a search finds it.
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(link.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            stale.push_back(value);
        else
            FindClose(search);
    }
    for (const std::wstring& value : stale)
        RegDeleteValueW(key, value.c_str());
    RegCloseKey(key);
}

void CSimulatedTransceiver::Stop()
{
    UnlistPort();
    if (IsRunning()) {
        // "bye" comes once the port is gone.
        const std::string quit = "quit\n";
        send(m_socket, quit.data(), static_cast<int>(quit.size()), 0);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kStopTimeoutMs) {
            const auto line = ReadLine(kStopTimeoutMs);
            if (!line || *line == "bye")
                break;
        }
    }
    Disconnect();
    m_portName.clear();
}

bool CSimulatedTransceiver::IsRunning() const
{
    return m_socket != INVALID_SOCKET;
}

void CSimulatedTransceiver::Disconnect()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_received.clear();
}

std::optional<std::string> CSimulatedTransceiver::ReadLine(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const size_t end = m_received.find('\n');
        if (end != std::string::npos) {
            std::string line = m_received.substr(0, end);
            m_received.erase(0, end + 1);
            return line;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return std::nullopt;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(m_socket, &ready);
        const DWORD left = timeoutMs - elapsed;
        timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1)
            return std::nullopt;
        char buffer[4096];
        const int received = recv(m_socket, buffer, sizeof buffer, 0);
        if (received <= 0)
            return std::nullopt;
        m_received.append(buffer, received);
    }
}

std::optional<std::string> CSimulatedTransceiver::Request(const std::string& line)
{
    if (!IsRunning()) {
        ADD_FAILURE() << "simulator not running for \"" << line << "\"";
        return std::nullopt;
    }
    const std::string text = line + "\n";
    const auto answer =
        send(m_socket, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size())
            ? ReadLine(kRequestTimeoutMs)
            : std::nullopt;
    if (answer && *answer == "ok")
        return std::string();
    if (answer && answer->compare(0, 3, "ok ") == 0)
        return answer->substr(3);
    ADD_FAILURE() << "simulator request \"" << line << "\": " << answer.value_or("no answer");
    if (!answer)
        Disconnect();
    return std::nullopt;
}

void CSimulatedTransceiver::SetSpeed(unsigned bitsPerSecond)
{
    Request("speed " + std::to_string(bitsPerSecond));
}

unsigned CSimulatedTransceiver::Speed()
{
    return ToNumber(Request("speed"));
}

unsigned CSimulatedTransceiver::LineSpeed()
{
    return ToNumber(Request("line-speed"));
}

void CSimulatedTransceiver::SetVersion(const std::string& query, unsigned version)
{
    Request("version " + query + " " + std::to_string(version));
}

void CSimulatedTransceiver::SetIdentifyReply(const std::string& reply)
{
    Request(reply.empty() ? "identify" : "identify " + EscapeText(reply));
}

void CSimulatedTransceiver::SetBootLoader(bool on)
{
    Request(on ? "boot-loader 1" : "boot-loader 0");
}

void CSimulatedTransceiver::SetOptionModuleReply(const std::string& reply)
{
    Request(reply.empty() ? "option-module" : "option-module " + EscapeText(reply));
}

std::string CSimulatedTransceiver::CommandMode()
{
    return UnescapeText(Request("mode").value_or(std::string())).value_or(std::string());
}

void CSimulatedTransceiver::SetCommandMode(const std::string& mode)
{
    Request("mode " + EscapeText(mode));
}

long long CSimulatedTransceiver::ClockOffset()
{
    return std::stoll(Request("clock").value_or("0"));
}

void CSimulatedTransceiver::SetClockOffset(long long seconds)
{
    Request("clock " + std::to_string(seconds));
}

void CSimulatedTransceiver::SetDayFirst(bool dayFirst)
{
    Request(dayFirst ? "date-order E" : "date-order U");
}

void CSimulatedTransceiver::WriteEeprom(unsigned address, const std::vector<uint8_t>& bytes)
{
    Request("eeprom-write " + std::to_string(address) + " " + HexBytes(bytes));
}

std::vector<uint8_t> CSimulatedTransceiver::ReadEeprom(unsigned address, unsigned count)
{
    const auto hex = Request("eeprom-read " + std::to_string(address) + " " + std::to_string(count));
    return ParseHexBytes(hex.value_or(std::string())).value_or(std::vector<uint8_t>());
}

void CSimulatedTransceiver::SetSerialNumber(unsigned number)
{
    WriteEeprom(0x83FA, {static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)});
}

void CSimulatedTransceiver::SetSilent(bool silent)
{
    Request(silent ? "silent 1" : "silent 0");
}

void CSimulatedTransceiver::IgnoreNext(const std::string& prefix, unsigned count, unsigned after)
{
    Request("ignore " + EscapeText(prefix) + " " + std::to_string(count) + " " + std::to_string(after));
}

void CSimulatedTransceiver::SendStrayBefore(const std::string& prefix, const std::string& text)
{
    Request("stray " + EscapeText(prefix) + " " + EscapeText(text));
}

void CSimulatedTransceiver::GarbleNextReply(const std::string& prefix, const std::string& text)
{
    Request("garble " + EscapeText(prefix) + " " + EscapeText(text));
}

void CSimulatedTransceiver::HearOnly(const std::vector<std::string>& prefixes)
{
    std::string request = "hear-only";
    for (const std::string& prefix : prefixes)
        request += " " + EscapeText(prefix);
    Request(request);
}

void CSimulatedTransceiver::SetReplyDelay(unsigned ms)
{
    Request("delay " + std::to_string(ms));
}

void CSimulatedTransceiver::SplitNextReply(unsigned firstBytes, unsigned pauseMs)
{
    Request("split " + std::to_string(firstBytes) + " " + std::to_string(pauseMs));
}

void CSimulatedTransceiver::AppendToNextReply(const std::string& extra)
{
    Request("burst " + EscapeText(extra));
}

void CSimulatedTransceiver::QueueDecodedText(const std::string& text)
{
    Request("keyer receive " + EscapeText(text));
}

void CSimulatedTransceiver::SetKeyerPace(unsigned msPerCharacter)
{
    Request("keyer pace " + std::to_string(msPerCharacter));
}

CSimulatedTransceiver::KeyerState CSimulatedTransceiver::GetKeyerState()
{
    const std::vector<std::string> words = SplitWords(Request("keyer state").value_or(std::string()));
    KeyerState state;
    if (words.size() == 3) {
        state.transmitting = words[0] == "1";
        state.waiting = static_cast<unsigned>(std::stoul(words[1]));
        state.sent = UnescapeText(words[2]).value_or(std::string());
    }
    return state;
}

std::string CSimulatedTransceiver::Loader(const std::string& request)
{
    return Request("loader " + request).value_or(std::string());
}

std::string CSimulatedTransceiver::Control(const std::string& request)
{
    return Request(request).value_or(std::string());
}

std::map<std::string, std::string> CSimulatedTransceiver::State()
{
    std::map<std::string, std::string> state;
    for (const std::string& word : SplitWords(Request("state").value_or(std::string()))) {
        const size_t equals = word.find('=');
        if (equals != std::string::npos)
            state[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return state;
}

std::string CSimulatedTransceiver::Bench(const std::string& action)
{
    const std::wstring script = WindowsPath(Widen(Q7_BENCH_SCRIPT));
    return RunUnixProgram(script,
                          L"\"" + script + L"\" --control " + Widen(m_benchAddress) + L" " + Widen(action),
                          kStartTimeoutMs)
        .value_or(std::string());
}

void CSimulatedTransceiver::Unplug()
{
    Request("unplug");
    UnlistPort();
}

void CSimulatedTransceiver::Plug()
{
    Request("plug");
    ListPort();
}

std::vector<SimulatedCommand> CSimulatedTransceiver::Log()
{
    std::vector<SimulatedCommand> entries;
    const unsigned count = ToNumber(Request("log"));
    for (unsigned i = 0; i < count; ++i) {
        const auto line = ReadLine(kRequestTimeoutMs);
        const auto entry = line ? ParseLogEntry(*line) : std::nullopt;
        if (!entry) {
            ADD_FAILURE() << "bad log line from the simulator: " << line.value_or("(nothing)");
            break;
        }
        entries.push_back(*entry);
    }
    return entries;
}

std::vector<std::string> CSimulatedTransceiver::Commands()
{
    std::vector<std::string> commands;
    for (const SimulatedCommand& entry : Log())
        commands.push_back(entry.command);
    return commands;
}

void CSimulatedTransceiver::ClearLog()
{
    Request("clear-log");
}

size_t CSimulatedTransceiver::CountCommand(const std::string& pattern)
{
    return ToNumber(Request("count " + EscapeText(pattern)));
}

bool CSimulatedTransceiver::WaitForCommand(const std::string& pattern, DWORD timeoutMs)
{
    return WaitForCommandCount(pattern, 1, timeoutMs);
}

bool CSimulatedTransceiver::WaitForCommandCount(const std::string& pattern, size_t count, DWORD timeoutMs)
{
    return PumpUntil([&] { return !IsRunning() || CountCommand(pattern) >= count; }, timeoutMs) && IsRunning();
}
