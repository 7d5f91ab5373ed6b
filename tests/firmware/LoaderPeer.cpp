#include "LoaderPeer.h"

#include <cstdio>

CLoaderPeer::CLoaderPeer()
{
    radio.identity.clear();
}

size_t CLoaderPeer::CountCommand(const std::string& command) const
{
    size_t count = 0;
    for (const std::string& seen : commands)
        count += seen == command;
    return count;
}

bool CLoaderPeer::WriteBytes(const void* buffer, DWORD count)
{
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!failingWrite.empty() && std::string(static_cast<const char*>(buffer), count) == failingWrite) {
        SetLastError(failingWriteError);
        return false;
    }
    std::string replies;
    const BYTE* bytes = static_cast<const BYTE*>(buffer);
    if (count == 1 && bytes[0] == ';' && textLoad.Active())
        ++textLoadPolls;
    for (DWORD i = 0; i < count; ++i) {
        const CN8Accessory::Output out = n8.Receive(bytes[i]);
        replies += out.toPc;
        for (const char byte : out.toRadio)
            replies += RadioByte(static_cast<BYTE>(byte));
    }
    // A notice a byte, as Wine repeats its notice while bytes wait.
    for (const char byte : replies)
        Deliver(std::string(1, byte));
    return true;
}

std::string CLoaderPeer::RadioByte(BYTE byte)
{
    if (state == State::Resetting) {
        if (quietAfterResetMs == 0)
            quietAfterResetMs = GetTickCount() - (m_resetEnds - resetMs);
        if (static_cast<LONG>(GetTickCount() - m_resetEnds) < 0)
            return {};
        state = State::Running;
    }
    if (bootLoader.Downloading()) {
        const std::string reply = bootLoader.Receive(byte, GetTickCount());
        if (bootLoader.Finished()) {
            state = State::Resetting;
            m_resetEnds = GetTickCount() + resetMs;
            radio.mcuVersion = versionAfterReset;
            char version[16];
            snprintf(version, sizeof version, "RVM%02u.%02u;", versionAfterReset / 100, versionAfterReset % 100);
            radio.versions[0] = version;
        }
        return reply;
    }
    if (textLoad.Active()) {
        const std::string reply = textLoad.Receive(byte);
        if (textLoad.Finished()) {
            commands.push_back("LDD20000;");
            state = State::Resetting;
            m_resetEnds = GetTickCount() + resetMs;
            const std::string query = textLoad.Prefix() == "LDF2" ? "RVF" : textLoad.Prefix() == "LDA2" ? "RVA" : "RVD";
            const int index = query == "RVF" ? 1 : query == "RVD" ? 2 : 3;
            char version[16];
            snprintf(version, sizeof version, "%s%02u.%02u;", query.c_str(), textVersionAfterReset / 100,
                     textVersionAfterReset % 100);
            radio.versions[index] = version;
        }
        return reply;
    }
    if (state == State::BootLoader && m_command.empty() && byte == 'D') {
        commands.push_back("D");
        if (!echoesD)
            return {};
        bootLoader.Begin();
        return "D";
    }
    m_command += static_cast<char>(byte);
    if (byte != ';')
        return {};
    const std::string command = m_command;
    m_command.clear();
    commands.push_back(command);
    return RadioCommand(command);
}

std::string CLoaderPeer::RadioCommand(const std::string& command)
{
    if (state == State::BootLoader) {
        if (command == "I;")
            return bootBlock;
        return command == ";" ? "?;" : std::string();
    }
    if (command == "LDM;") {
        state = State::BootLoader;
        return {};
    }
    if (command == "LDD2;" || command == "LDA2;" || command == "LDF2;") {
        textLoad.Begin(command.substr(0, 4));
        return {};
    }
    return speed == radioSpeed ? radio(command) : std::string();
}
