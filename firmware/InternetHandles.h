// Owners of the WinINet handles of an asynchronous FTP session: each closes
// its handle when it goes. In asynchronous mode most requests end later in
// the session's status callback; the calls here only start them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "NonCopyable.h"

// The WinINet calls of the firmware download, in one table, so that a test
// can play the side of WinINet that the machine it runs on does not show.
struct InternetApi {
    decltype(&InternetOpenW) open;
    decltype(&InternetSetStatusCallbackW) setStatusCallback;
    decltype(&InternetConnectW) connect;
    decltype(&FtpSetCurrentDirectoryW) setCurrentDirectory;
    decltype(&FtpFindFirstFileW) findFirstFile;
    decltype(&InternetFindNextFileW) findNextFile;
    decltype(&FtpGetFileW) getFile;
    decltype(&InternetCloseHandle) closeHandle;
    // A request that returned TRUE still ends with a completion. Windows
    // documents TRUE as done, with no completion to follow; Wine's WinINet
    // returns TRUE for a request it has only queued.
    bool successIsQueued;
};

// The table in use: the system's WinINet unless a test has put its own.
InternetApi& Internet();
// The system's, with `successIsQueued` true under Wine.
InternetApi SystemInternet();

class CInternetHandle : private CNonCopyable {
public:
    ~CInternetHandle() { Close(); }

    HINTERNET Handle() const { return m_handle; }
    bool IsOpen() const { return m_handle != nullptr; }
    void Attach(HINTERNET handle) { m_handle = handle; }
    void Close();

protected:
    HINTERNET m_handle = nullptr;
};

class CFtpConnection;

class CInternetSession : public CInternetHandle {
public:
    bool Open(const std::wstring& agent, DWORD accessType, const wchar_t* proxy, const wchar_t* bypass, DWORD flags);
    bool SetStatusCallback(INTERNET_STATUS_CALLBACK callback);
    // Anonymous and passive. False with the last error when the call fails;
    // the handle may arrive at once or later (HANDLE_CREATED).
    bool GetFtpConnection(CFtpConnection& connection, const std::wstring& server, INTERNET_PORT port,
                          DWORD_PTR context);
};

class CInternetConnection : public CInternetHandle {
public:
    const std::wstring& Server() const { return m_server; }
    INTERNET_PORT Port() const { return m_port; }
    DWORD_PTR Context() const { return m_context; }

protected:
    friend class CInternetSession;

    std::wstring m_server;
    INTERNET_PORT m_port = 0;
    DWORD_PTR m_context = 0;
};

class CFtpConnection : public CInternetConnection {};

// A directory listing. The entry lives here, in one place, for as long as
// the find: WinINet may fill it on its own thread after a call returned.
class CFtpFileFind : public CInternetHandle {
public:
    // All names of the current directory.
    bool FindFirst(CFtpConnection& connection, DWORD flags, DWORD_PTR context);
    bool FindNext();
    // Marks the entry so that FindNextFilled can tell when it was written.
    void MarkEntry();
    // WinINet under Wine answers an asynchronous find-next at once and
    // writes the entry later from its own thread, without a completion and
    // without a word at the end of the list (it writes an empty entry).
    // True once the entry no longer holds the mark and has stayed the same
    // since the previous call.
    bool FindNextFilled();

    const WIN32_FIND_DATAW& Entry() const { return m_entry; }
    std::wstring FileName() const;
    bool IsDirectory() const { return (m_entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

private:
    WIN32_FIND_DATAW m_entry{};
    WIN32_FIND_DATAW m_seen{};
};
