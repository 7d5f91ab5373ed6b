#include "ScriptedPeer.h"

#include "WindowMessages.h"

CScriptedPeer::CScriptedPeer()
{
    GetModel().SetSerialLink(this);
}

CScriptedPeer::~CScriptedPeer()
{
    GetModel().SetSerialLink(nullptr);
}

void CScriptedPeer::Deliver(const std::string& bytes)
{
    if (bytes.empty())
        return;
    m_received.insert(m_received.end(), bytes.begin(), bytes.end());
    PostMessageW(GetModel().MainWindow(), WM_APP_SERIAL_DATA, EV_RXCHAR, 0);
}

std::vector<std::string> CScriptedPeer::CommandTexts() const
{
    std::vector<std::string> texts;
    for (const PeerCommand& command : m_commands)
        texts.push_back(command.text);
    return texts;
}

size_t CScriptedPeer::Count(const std::string& command) const
{
    size_t count = 0;
    for (const PeerCommand& seen : m_commands)
        count += seen.text == command;
    return count;
}

bool CScriptedPeer::PurgeRx()
{
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    m_received.clear();
    return true;
}

bool CScriptedPeer::WriteBytes(const void* buffer, DWORD count)
{
    if (!open || writeError != 0) {
        SetLastError(open ? writeError : ERROR_INVALID_HANDLE);
        return false;
    }
    m_pending.append(static_cast<const char*>(buffer), count);
    std::string replies;
    for (size_t end; (end = m_pending.find(';')) != std::string::npos;) {
        const std::string command = m_pending.substr(0, end + 1);
        m_pending.erase(0, end + 1);
        m_commands.push_back({GetTickCount(), command, speed});
        if (responder && speed == radioSpeed)
            replies += responder(command);
    }
    Deliver(replies);
    return true;
}

bool CScriptedPeer::Read(void* buffer, DWORD count, DWORD* read)
{
    *read = 0;
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    char* out = static_cast<char*>(buffer);
    while (*read < count && !m_received.empty()) {
        out[(*read)++] = m_received.front();
        m_received.pop_front();
    }
    return true;
}

bool CScriptedPeer::SetSpeed(DWORD baud)
{
    if (refuseSpeedChanges)
        return false;
    switch (baud) {
    case 4800:
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
    case 230400:
        speed = baud;
        return true;
    default:
        return false;
    }
}
