#include <winsock2.h>

#include "FtpServer.h"

#include "CallbackProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kRequestTimeoutMs = 5000;

const wchar_t kPython[] = L"Z:\\usr\\bin\\python3";

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

std::string UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(proc));
    char* unixPath = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!unixPath)
        return {};
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool CFtpServer::Start(const std::wstring& root)
{
    Stop();
    const std::string unixRoot = UnixPath(root);
    if (unixRoot.empty()) {
        ADD_FAILURE() << "no Unix path for the server's folder";
        return false;
    }
    // The script's path is a Unix path, which python3 takes as it is.
    m_socket = StartCallbackProcess(
        kPython,
        [](unsigned short port) {
            return std::wstring(L"\"") + kPython + L"\" \"" + Widen(Q7_FTP_SERVER_SCRIPT) + L"\" --control 127.0.0.1:" +
                   std::to_wstring(port);
        },
        kStartTimeoutMs);
    if (m_socket == INVALID_SOCKET)
        return false;
    const std::string request = "root " + unixRoot + "\n";
    send(m_socket, request.data(), static_cast<int>(request.size()), 0);
    std::string line;
    if (!ReadLine(line, kStartTimeoutMs) || line.compare(0, 5, "ready") != 0) {
        ADD_FAILURE() << "the FTP server did not start: " << line;
        Stop();
        return false;
    }
    return true;
}

void CFtpServer::Stop()
{
    if (m_socket == INVALID_SOCKET)
        return;
    const std::string quit = "quit\n";
    send(m_socket, quit.data(), static_cast<int>(quit.size()), 0);
    // The connection ends with the process, and the listening socket with it.
    std::string line;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kRequestTimeoutMs && ReadLine(line, kRequestTimeoutMs)) {
    }
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_pending.clear();
}

bool CFtpServer::Throttle(unsigned bytesPerSecond)
{
    return Request("throttle " + std::to_string(bytesPerSecond));
}

bool CFtpServer::Stall(unsigned bytes)
{
    return Request("stall " + std::to_string(bytes));
}

bool CFtpServer::ListExtraName(const std::string& name)
{
    return Request("extra " + name);
}

bool CFtpServer::ClearExtraNames()
{
    return Request("clear");
}

unsigned CFtpServer::Now()
{
    return Request("time") ? m_events.back().ms : 0;
}

bool CFtpServer::Request(const std::string& line)
{
    const std::string request = line + "\n";
    if (m_socket == INVALID_SOCKET || send(m_socket, request.data(), static_cast<int>(request.size()), 0) <= 0)
        return false;
    std::string reply;
    while (ReadLine(reply, kRequestTimeoutMs)) {
        AddEvent(reply);
        if (m_events.back().what == "ok")
            return true;
    }
    ADD_FAILURE() << "the FTP server did not answer " << line;
    return false;
}

bool CFtpServer::ReadLine(std::string& line, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (m_socket == INVALID_SOCKET || elapsed > timeoutMs)
            return false;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(m_socket, &ready);
        const DWORD left = timeoutMs - elapsed;
        timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1)
            return false;
        char buffer[512];
        const int got = recv(m_socket, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        m_pending.append(buffer, got);
    }
}

void CFtpServer::Poll()
{
    std::string line;
    while (ReadLine(line, 0))
        AddEvent(line);
}

void CFtpServer::AddEvent(const std::string& line)
{
    // "what [name] @ms"
    Event event{};
    const size_t at = line.rfind(" @");
    const std::string head = line.substr(0, at);
    if (at != std::string::npos)
        event.ms = static_cast<unsigned>(std::strtoul(line.c_str() + at + 2, nullptr, 10));
    const size_t space = head.find(' ');
    event.what = head.substr(0, space);
    if (space != std::string::npos)
        event.name = head.substr(space + 1);
    m_events.push_back(event);
}

std::set<std::string> CFtpServer::Retrieved() const
{
    std::set<std::string> names;
    for (const Event& event : m_events) {
        if (event.what == "retr")
            names.insert(event.name);
    }
    return names;
}

bool CFtpServer::Saw(const std::string& what, const std::string& name) const
{
    for (const Event& event : m_events) {
        if (event.what == what && (name.empty() || event.name == name))
            return true;
    }
    return false;
}
