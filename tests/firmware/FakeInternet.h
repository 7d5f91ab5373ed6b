// WinINet as Windows documents its asynchronous mode, put in the download's
// call table for as long as the object lives, with a folder's worth of files
// to list and fetch:
// - a call answered at once returns TRUE (or a handle) and sends no
//   completion;
// - a pending call fails with ERROR_IO_PENDING and completes when the test
//   says so; a pending get-file holds its file open meanwhile, as WinINet
//   holds it;
// - closing a connection sends CONNECTION_CLOSED at once, and its
//   HANDLE_CLOSING only after its pending requests have completed.
// Callbacks come inside the calls, on the dialog's thread, except those of
// Complete, which come wherever the test calls it.
//
//     CFakeInternet internet;
//     internet.Serve("hmcu0470.hex", text);
//     internet.SetAnswer(CFakeInternet::kSetDirectory, {CFakeInternet::kPending});
//     ... once the request waits: internet.Complete(0, 0);
#pragma once

#include <windows.h>
#include <wininet.h>

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "InternetHandles.h"
#include "NonCopyable.h"

class CFakeInternet : private CNonCopyable {
public:
    enum Call { kConnect, kSetDirectory, kFindFirst, kGetFile };
    enum Mode { kAtOnce, kPending, kFail };
    struct Answer {
        Mode mode = kAtOnce;
        DWORD error = ERROR_SUCCESS;  // of kFail
    };

    CFakeInternet();
    ~CFakeInternet();

    // Listed in the order served.
    void Serve(const std::string& name, const std::string& content);
    void SetAnswer(Call call, Answer answer) { m_answers[call] = answer; }

    size_t PendingCount() const { return m_pending.size(); }
    // Ends the oldest pending request as WinINet would, with its result and
    // error; a get-file lets go of its file first, whole when it succeeds.
    void Complete(DWORD_PTR result, DWORD error);

private:
    struct Connection {
        HINTERNET handle;
        DWORD_PTR context;
        bool closed = false;
        bool gone = false;  // its HANDLE_CLOSING sent
    };
    struct Request {
        size_t connection;
        HANDLE file = INVALID_HANDLE_VALUE;
        std::string rest;  // what a get-file still has to write
    };

    static HINTERNET WINAPI Open(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
    static INTERNET_STATUS_CALLBACK WINAPI SetStatusCallback(HINTERNET, INTERNET_STATUS_CALLBACK callback);
    static HINTERNET WINAPI Connect(HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD, DWORD,
                                    DWORD_PTR context);
    static BOOL WINAPI SetCurrentDirectory(HINTERNET connection, LPCWSTR);
    static HINTERNET WINAPI FindFirstFile(HINTERNET connection, LPCWSTR, LPWIN32_FIND_DATAW entry, DWORD, DWORD_PTR);
    static BOOL WINAPI FindNextFile(HINTERNET find, LPVOID entry);
    static BOOL WINAPI GetFile(HINTERNET connection, LPCWSTR remote, LPCWSTR local, BOOL, DWORD, DWORD, DWORD_PTR);
    static BOOL WINAPI CloseHandle(HINTERNET handle);

    // False, with the answer's error, unless the call goes ahead at once.
    bool Answered(Call call, size_t connection);
    size_t ConnectionOf(HINTERNET handle) const;
    bool FillEntry(WIN32_FIND_DATAW& entry);
    void Send(size_t connection, DWORD status, const void* info, DWORD length);
    void CloseIfLetGo(size_t connection);

    InternetApi m_saved;
    std::map<Call, Answer> m_answers;
    std::vector<std::pair<std::string, std::string>> m_files;
    INTERNET_STATUS_CALLBACK m_callback = nullptr;
    std::vector<Connection> m_connections;
    std::deque<Request> m_pending;
    size_t m_listed = 0;
};
