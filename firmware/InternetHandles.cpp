#include "InternetHandles.h"

#include <cstring>

namespace {

constexpr BYTE kEntryMark = 0xFF;

bool IsMarked(const WIN32_FIND_DATAW& entry)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&entry);
    for (size_t i = 0; i < sizeof entry; ++i) {
        if (bytes[i] != kEntryMark)
            return false;
    }
    return true;
}

}  // namespace

InternetApi SystemInternet()
{
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return {&InternetOpenW,       &InternetSetStatusCallbackW, &InternetConnectW, &FtpSetCurrentDirectoryW,
            &FtpFindFirstFileW,   &InternetFindNextFileW,      &FtpGetFileW,      &InternetCloseHandle,
            wine};
}

InternetApi& Internet()
{
    static InternetApi api = SystemInternet();
    return api;
}

void CInternetHandle::Close()
{
    if (m_handle) {
        const HINTERNET handle = m_handle;
        m_handle = nullptr;
        Internet().closeHandle(handle);
    }
}

bool CInternetSession::Open(const std::wstring& agent, DWORD accessType, const wchar_t* proxy, const wchar_t* bypass,
                            DWORD flags)
{
    Close();
    m_handle = Internet().open(agent.c_str(), accessType, proxy, bypass, flags);
    return m_handle != nullptr;
}

bool CInternetSession::SetStatusCallback(INTERNET_STATUS_CALLBACK callback)
{
    return Internet().setStatusCallback(m_handle, callback) != INTERNET_INVALID_STATUS_CALLBACK;
}

bool CInternetSession::GetFtpConnection(CFtpConnection& connection, const std::wstring& server, INTERNET_PORT port,
                                        DWORD_PTR context)
{
    connection.Close();
    connection.m_server = server;
    connection.m_port = port;
    connection.m_context = context;
    connection.m_handle = Internet().connect(m_handle, server.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_FTP,
                                           INTERNET_FLAG_PASSIVE, context);
    return connection.m_handle != nullptr;
}

bool CFtpFileFind::FindFirst(CFtpConnection& connection, DWORD flags, DWORD_PTR context)
{
    Close();
    MarkEntry();
    // No pattern: WinINet under Wine matches nothing with an empty one. It
    // also leaves the last error alone when it queues the request.
    SetLastError(ERROR_SUCCESS);
    m_handle = Internet().findFirstFile(connection.Handle(), nullptr, &m_entry, flags, context);
    return m_handle != nullptr;
}

bool CFtpFileFind::FindNext()
{
    MarkEntry();
    return Internet().findNextFile(m_handle, &m_entry) != FALSE;
}

void CFtpFileFind::MarkEntry()
{
    std::memset(&m_entry, kEntryMark, sizeof m_entry);
    std::memset(&m_seen, kEntryMark, sizeof m_seen);
}

bool CFtpFileFind::FindNextFilled()
{
    if (IsMarked(m_entry))
        return false;
    // The name is written last; two equal looks a tick apart mean the
    // writer is done.
    if (std::memcmp(&m_entry, &m_seen, sizeof m_entry) == 0)
        return true;
    m_seen = m_entry;
    return false;
}

std::wstring CFtpFileFind::FileName() const
{
    return std::wstring(m_entry.cFileName, wcsnlen(m_entry.cFileName, MAX_PATH));
}
