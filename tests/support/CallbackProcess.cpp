#include "CallbackProcess.h"

#include <gtest/gtest.h>

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
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot listen on the loopback: " << WSAGetLastError();
        closesocket(listener);
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
