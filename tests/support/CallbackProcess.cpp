#include "CallbackProcess.h"

#include <gtest/gtest.h>

namespace {

// A free port of the loopback, listened on; INVALID_SOCKET when none.
SOCKET ListenOnLoopback(sockaddr_in& address)
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener != INVALID_SOCKET &&
        (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
         getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)) {
        closesocket(listener);
        listener = INVALID_SOCKET;
    }
    return listener;
}

// A connected pair of loopback sockets, the first one inheritable.
bool ConnectedPair(SOCKET& first, SOCKET& second)
{
    sockaddr_in address;
    const SOCKET listener = ListenOnLoopback(address);
    first = listener == INVALID_SOCKET ? INVALID_SOCKET : socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    second = first != INVALID_SOCKET && connect(first, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                 ? accept(listener, nullptr, nullptr)
                 : INVALID_SOCKET;
    closesocket(listener);
    if (second == INVALID_SOCKET) {
        closesocket(first);
        return false;
    }
    SetHandleInformation(reinterpret_cast<HANDLE>(first), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return true;
}

}  // namespace

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET StartCallbackProcess(const std::wstring& program,
                            const std::function<std::wstring(unsigned short port)>& commandLine, DWORD timeoutMs)
{
    if (!StartWinsock()) {
        ADD_FAILURE() << "WSAStartup failed";
        return INVALID_SOCKET;
    }
    sockaddr_in address;
    SOCKET listener = ListenOnLoopback(address);
    if (listener == INVALID_SOCKET) {
        ADD_FAILURE() << "cannot listen on the loopback: " << WSAGetLastError();
        return INVALID_SOCKET;
    }
    std::wstring line = commandLine(ntohs(address.sin_port));
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start a helper process: error " << GetLastError();
        closesocket(listener);
        return INVALID_SOCKET;
    }
    // For a Unix program Wine leaves stale stack values in `process`: closing
    // them could close a handle of ours (this listener, for one).

    SOCKET connection = INVALID_SOCKET;
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
    if (select(0, &ready, nullptr, nullptr, &wait) == 1)
        connection = accept(listener, nullptr, nullptr);
    closesocket(listener);
    if (connection == INVALID_SOCKET)
        ADD_FAILURE() << "a helper process did not call back";
    return connection;
}

std::optional<std::string> RunUnixProgram(const std::wstring& program, std::wstring commandLine, DWORD timeoutMs)
{
    // Wine gives a Unix program no Windows pipe as its output, but a socket
    // it does; once the program and its children have ended, no end of the
    // connection is left on their side.
    SOCKET theirs = INVALID_SOCKET;
    SOCKET ours = INVALID_SOCKET;
    if (!StartWinsock() || !ConnectedPair(theirs, ours)) {
        ADD_FAILURE() << "cannot connect on the loopback: " << WSAGetLastError();
        return std::nullopt;
    }
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = reinterpret_cast<HANDLE>(theirs);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    const DWORD startError = started ? 0 : GetLastError();
    // `process` is not ours to close (see StartCallbackProcess).
    closesocket(theirs);
    if (!started) {
        closesocket(ours);
        ADD_FAILURE() << "cannot start a helper program: error " << startError;
        return std::nullopt;
    }
    setsockopt(ours, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    std::string text;
    char buffer[4096];
    int received;
    while ((received = recv(ours, buffer, sizeof buffer, 0)) > 0)
        text.append(buffer, received);
    closesocket(ours);
    if (received == 0)
        return text;
    ADD_FAILURE() << "a helper program has not ended; it wrote: " << text;
    return std::nullopt;
}
