#include "FakeInternet.h"

#include <gtest/gtest.h>

namespace {

CFakeInternet* g_fake = nullptr;

const HINTERNET kSession = reinterpret_cast<HINTERNET>(0x5E550);
const HINTERNET kFind = reinterpret_cast<HINTERNET>(0xF1D0);

HINTERNET ConnectionHandle(size_t index)
{
    return reinterpret_cast<HINTERNET>(0xC0000 + 0x10 * index);
}

}  // namespace

CFakeInternet::CFakeInternet() : m_saved(Internet())
{
    g_fake = this;
    Internet() = {&Open,          &SetStatusCallback, &Connect, &SetCurrentDirectory,
                  &FindFirstFile, &FindNextFile,      &GetFile, &CloseHandle,
                  false};
}

CFakeInternet::~CFakeInternet()
{
    for (Request& request : m_pending) {
        if (request.file != INVALID_HANDLE_VALUE)
            ::CloseHandle(request.file);
    }
    Internet() = m_saved;
    g_fake = nullptr;
}

void CFakeInternet::Serve(const std::string& name, const std::string& content)
{
    m_files.emplace_back(name, content);
}

void CFakeInternet::Complete(DWORD_PTR result, DWORD error)
{
    ASSERT_FALSE(m_pending.empty()) << "no request waits";
    Request request = std::move(m_pending.front());
    m_pending.pop_front();
    if (request.file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (result)
            WriteFile(request.file, request.rest.data(), static_cast<DWORD>(request.rest.size()), &written, nullptr);
        ::CloseHandle(request.file);
    }
    const INTERNET_ASYNC_RESULT completion{result, error};
    Send(request.connection, INTERNET_STATUS_REQUEST_COMPLETE, &completion, sizeof completion);
    CloseIfLetGo(request.connection);
}

HINTERNET WINAPI CFakeInternet::Open(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD)
{
    return kSession;
}

INTERNET_STATUS_CALLBACK WINAPI CFakeInternet::SetStatusCallback(HINTERNET, INTERNET_STATUS_CALLBACK callback)
{
    g_fake->m_callback = callback;
    return nullptr;
}

HINTERNET WINAPI CFakeInternet::Connect(HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD, DWORD,
                                        DWORD_PTR context)
{
    CFakeInternet& fake = *g_fake;
    const size_t index = fake.m_connections.size();
    fake.m_connections.push_back({ConnectionHandle(index), context});
    if (fake.m_answers[kConnect].mode == kFail) {
        fake.m_connections.back().gone = true;
        SetLastError(fake.m_answers[kConnect].error);
        return nullptr;
    }
    const INTERNET_ASYNC_RESULT created{reinterpret_cast<DWORD_PTR>(ConnectionHandle(index)), ERROR_SUCCESS};
    fake.Send(index, INTERNET_STATUS_HANDLE_CREATED, &created, sizeof created);
    return fake.Answered(kConnect, index) ? ConnectionHandle(index) : nullptr;
}

BOOL WINAPI CFakeInternet::SetCurrentDirectory(HINTERNET connection, LPCWSTR)
{
    return g_fake->Answered(kSetDirectory, g_fake->ConnectionOf(connection));
}

HINTERNET WINAPI CFakeInternet::FindFirstFile(HINTERNET connection, LPCWSTR, LPWIN32_FIND_DATAW entry, DWORD,
                                              DWORD_PTR)
{
    CFakeInternet& fake = *g_fake;
    if (!fake.Answered(kFindFirst, fake.ConnectionOf(connection)))
        return nullptr;
    fake.m_listed = 0;
    return fake.FillEntry(*entry) ? kFind : nullptr;
}

BOOL WINAPI CFakeInternet::FindNextFile(HINTERNET, LPVOID entry)
{
    return g_fake->FillEntry(*static_cast<WIN32_FIND_DATAW*>(entry));
}

BOOL WINAPI CFakeInternet::GetFile(HINTERNET connection, LPCWSTR remote, LPCWSTR local, BOOL, DWORD, DWORD,
                                   DWORD_PTR)
{
    CFakeInternet& fake = *g_fake;
    const std::wstring wanted = remote;
    std::string content;
    for (const auto& [name, text] : fake.m_files) {
        if (std::wstring(name.begin(), name.end()) == wanted)
            content = text;
    }
    const size_t index = fake.ConnectionOf(connection);
    const Mode mode = fake.m_answers[kGetFile].mode;
    if (mode == kFail)
        return fake.Answered(kGetFile, index);
    const HANDLE file = CreateFileW(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "the fake cannot write the fetched file";
        return FALSE;
    }
    // A pending transfer has written half of it.
    const size_t now = mode == kPending ? content.size() / 2 : content.size();
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(now), &written, nullptr);
    if (fake.Answered(kGetFile, index)) {
        ::CloseHandle(file);
        return TRUE;
    }
    fake.m_pending.back().file = file;
    fake.m_pending.back().rest = content.substr(now);
    return FALSE;
}

BOOL WINAPI CFakeInternet::CloseHandle(HINTERNET handle)
{
    CFakeInternet& fake = *g_fake;
    if (handle == kSession || handle == kFind)
        return TRUE;
    const size_t index = fake.ConnectionOf(handle);
    if (index >= fake.m_connections.size() || fake.m_connections[index].closed)
        return TRUE;
    fake.m_connections[index].closed = true;
    // Its socket goes at once, whatever still runs on it.
    fake.Send(index, INTERNET_STATUS_CLOSING_CONNECTION, nullptr, 0);
    fake.Send(index, INTERNET_STATUS_CONNECTION_CLOSED, nullptr, 0);
    fake.CloseIfLetGo(index);
    return TRUE;
}

bool CFakeInternet::Answered(Call call, size_t connection)
{
    const Answer answer = m_answers[call];
    if (answer.mode == kAtOnce)
        return true;
    if (answer.mode == kPending)
        m_pending.push_back({connection});
    SetLastError(answer.mode == kPending ? ERROR_IO_PENDING : answer.error);
    return false;
}

size_t CFakeInternet::ConnectionOf(HINTERNET handle) const
{
    for (size_t i = 0; i < m_connections.size(); ++i) {
        if (m_connections[i].handle == handle)
            return i;
    }
    return m_connections.size();
}

bool CFakeInternet::FillEntry(WIN32_FIND_DATAW& entry)
{
    if (m_listed >= m_files.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    const auto& [name, content] = m_files[m_listed++];
    entry = {};
    entry.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    entry.nFileSizeLow = static_cast<DWORD>(content.size());
    const std::wstring wide(name.begin(), name.end());
    wcsncpy(entry.cFileName, wide.c_str(), MAX_PATH - 1);
    return true;
}

void CFakeInternet::Send(size_t connection, DWORD status, const void* info, DWORD length)
{
    if (m_callback && connection < m_connections.size())
        m_callback(m_connections[connection].handle, m_connections[connection].context, status,
                   const_cast<void*>(info), length);
}

void CFakeInternet::CloseIfLetGo(size_t connection)
{
    if (!m_connections[connection].closed || m_connections[connection].gone)
        return;
    for (const Request& request : m_pending) {
        if (request.connection == connection)
            return;
    }
    m_connections[connection].gone = true;
    HINTERNET handle = m_connections[connection].handle;
    Send(connection, INTERNET_STATUS_HANDLE_CLOSING, &handle, sizeof handle);
}
