// Helper processes of the tests (Unix programs run through Wine) that
// connect back to the test over the loopback, so that they end with it.
#pragma once

#include <winsock2.h>

#include <functional>
#include <optional>
#include <string>

// Winsock for the process; never cleaned up, since Wine's last WSACleanup
// closes handles that by then belong to other objects.
bool StartWinsock();

// Listens on a free loopback port, starts the program with the command
// line made for that port and accepts its call. INVALID_SOCKET (after a test
// failure) when any step fails.
SOCKET StartCallbackProcess(const std::wstring& program,
                            const std::function<std::wstring(unsigned short port)>& commandLine, DWORD timeoutMs);

// Runs a Unix program to its end: what it wrote to its standard output and
// error, or nothing (after a test failure) when it could not start or has
// written nothing for `timeoutMs` and not ended.
std::optional<std::string> RunUnixProgram(const std::wstring& program, std::wstring commandLine, DWORD timeoutMs);
