#include "ControlChannel.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool ParseAddress(const std::string& address, sockaddr_in& socketAddress, std::string& error)
{
    const size_t colon = address.rfind(':');
    socketAddress = {};
    socketAddress.sin_family = AF_INET;
    if (colon == std::string::npos ||
        inet_pton(AF_INET, address.substr(0, colon).c_str(), &socketAddress.sin_addr) != 1) {
        error = "bad control address " + address;
        return false;
    }
    socketAddress.sin_port = htons(static_cast<uint16_t>(std::atoi(address.c_str() + colon + 1)));
    return true;
}

}  // namespace

CSocketOwner::~CSocketOwner()
{
    if (m_socket >= 0)
        close(m_socket);
}

bool CControlChannel::Connect(const std::string& address, std::string& error)
{
    sockaddr_in peer;
    if (!ParseAddress(address, peer, error))
        return false;
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0 || connect(m_socket, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        error = "control connection to " + address + ": " + std::strerror(errno);
        return false;
    }
    const int on = 1;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

bool CControlChannel::Receive(std::vector<std::string>& lines)
{
    char buffer[4096];
    const ssize_t received = recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR))
        return false;
    if (received > 0)
        m_pending.append(buffer, received);
    for (size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
        std::string line = m_pending.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        m_pending.erase(0, end + 1);
    }
    return true;
}

bool CControlChannel::Send(const std::string& line)
{
    const std::string text = line + "\n";
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t n = send(m_socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool CControlListener::Listen(const std::string& address, std::string& error)
{
    sockaddr_in local;
    if (!ParseAddress(address, local, error))
        return false;
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    socklen_t length = sizeof local;
    if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(m_socket, 4) != 0 || getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        error = "control listener on " + address + ": " + std::strerror(errno);
        return false;
    }
    m_address = address.substr(0, address.rfind(':')) + ":" + std::to_string(ntohs(local.sin_port));
    return true;
}

int CControlListener::Accept()
{
    return accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
}
