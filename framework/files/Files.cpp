#include "Files.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "ErrorText.h"
#include "Folders.h"
#include "TextSinks.h"
#include "resource.h"

CFileRead::~CFileRead()
{
    Close();
}

bool CFileRead::GetFileSize(DWORD& size)
{
    DWORD high = 0;
    const DWORD low = ::GetFileSize(m_handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    if (high != 0) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    size = low;
    return true;
}

bool CFileRead::IsOpen() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

// Not IsOpen: a buffered file is open without a handle.
void CFileRead::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

CFileRead2::CFileRead2(HWND owner, TextOrId caption) : m_owner(owner), m_caption(caption.Text()) {}

bool CFileRead2::ReportFailure(const wchar_t* call)
{
    const DWORD error = LastFailure();
    const std::wstring& path = m_reportedPath.empty() ? m_path : m_reportedPath;
    const std::wstring text =
        FormatText(IDS_WIN32_CALL_FAILED, call, path.c_str(), error, FormatErrorText(error).c_str());
    if (!m_holdReports)
        ShowTracedBox(m_owner, MB_ICONHAND, m_caption.c_str(), text);
    else if (m_heldReport.empty())
        m_heldReport = text;
    SetLastError(error);
    return false;
}

bool CFileRead2::GetFileSize(DWORD& size)
{
    return CFileRead::GetFileSize(size) || ReportFailure(L"GetFileSize");
}

bool CFileRead2::Create(const std::wstring& path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                        DWORD disposition, DWORD flags, HANDLE templateFile)
{
    Close();
    m_path = path;
    m_handle = CreateFileW(path.c_str(), access, share, security, disposition, flags, templateFile);
    return m_handle != INVALID_HANDLE_VALUE || ReportFailure(L"CreateFile");
}

void CFileRead2::Attach(HANDLE handle, const std::wstring& path)
{
    Close();
    m_path = path;
    m_handle = handle;
}

bool CFileRead2::Read(void* buffer, DWORD count, DWORD& read, OVERLAPPED* overlapped)
{
    read = 0;
    return ReadFile(m_handle, buffer, count, &read, overlapped) || ReportFailure(L"ReadFile");
}

bool CFileRead3::Open(const std::wstring& path, DWORD longest, DWORD share)
{
    Discard();
    return Create(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN) &&
           Load(longest, false);
}

bool CFileRead3::Load(DWORD longest, bool cutLonger)
{
    Discard();
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(m_handle, &size) || ReportFailure(L"GetFileSize");
    // Sizes from 4 GB up pass through here too: they are only longer.
    m_cut = ok && static_cast<ULONGLONG>(size.QuadPart) > longest;
    if (m_cut && !cutLonger) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        ok = ReportFailure(L"ReadFile");
    }
    const DWORD count = m_cut ? longest : static_cast<DWORD>(size.QuadPart);
    if (ok) {
        try {
            m_buffer.resize(count);
        } catch (const std::bad_alloc&) {
            ok = false;
        } catch (const std::length_error&) {
            ok = false;
        }
        if (!ok) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            ReportFailure(L"ReadFile");
        }
    }
    for (DWORD done = 0; ok && done < count;) {
        DWORD read = 0;
        ok = CFileRead2::Read(m_buffer.data() + done, count - done, read);
        if (ok && read == 0) {
            // The file shrank while it was read: half a file is no file.
            SetLastError(ERROR_HANDLE_EOF);
            ok = ReportFailure(L"ReadFile");
        }
        done += read;
    }
    const DWORD error = GetLastError();
    Close();
    if (!ok) {
        Discard();
        SetLastError(error);
        return false;
    }
    m_loaded = true;
    return true;
}

void CFileRead3::Discard()
{
    // Given back, not only emptied: a reader that ran out of memory needs it.
    std::vector<BYTE>().swap(m_buffer);
    m_cursor = 0;
    m_loaded = false;
    m_cut = false;
}

bool CFileRead3::GetFileSize(DWORD& size)
{
    size = static_cast<DWORD>(m_buffer.size());
    return true;
}

bool CFileRead3::IsOpen() const
{
    return m_loaded;
}

bool CFileRead3::Read(void* buffer, DWORD count, DWORD& read)
{
    read = 0;
    if (!m_loaded) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    read = static_cast<DWORD>(std::min<size_t>(count, m_buffer.size() - m_cursor));
    if (read)
        std::memcpy(buffer, m_buffer.data() + m_cursor, read);
    m_cursor += read;
    return true;
}

namespace {

constexpr DWORD kNoWriteFault = MAXDWORD;
DWORD g_failNextWriteAfter = kNoWriteFault;
bool g_failNextFlush = false;

// A rename in one folder is not made durable by MOVEFILE_WRITE_THROUGH: only
// a flush first keeps a power cut from leaving neither file.
bool Flush(HANDLE file)
{
    if (!g_failNextFlush)
        return FlushFileBuffers(file) != FALSE;
    g_failNextFlush = false;
    SetLastError(ERROR_IO_DEVICE);
    return false;
}

}  // namespace

void CFileWrite2::FailNextWriteAfter(DWORD bytes)
{
    g_failNextWriteAfter = bytes;
}

void CFileWrite2::FailNextFlush()
{
    g_failNextFlush = true;
}

bool CFileWrite2::Write(const void* buffer, DWORD count)
{
    DWORD written = 0;
    if (g_failNextWriteAfter != kNoWriteFault) {
        const DWORD part = std::min(count, g_failNextWriteAfter);
        g_failNextWriteAfter = kNoWriteFault;
        WriteFile(m_handle, buffer, part, &written, nullptr);
        SetLastError(ERROR_DISK_FULL);
        return ReportFailure(L"WriteFile");
    }
    if (!WriteFile(m_handle, buffer, count, &written, nullptr))
        return ReportFailure(L"WriteFile");
    if (written != count) {
        SetLastError(ERROR_WRITE_FAULT);
        return ReportFailure(L"WriteFile");
    }
    return true;
}

bool CFileWrite2::WriteLine(const std::wstring& text)
{
    return WriteString(text) && WriteString(L"\r\n");
}

bool CFileWrite2::WriteString(const std::wstring& text)
{
    if (text.empty())
        return true;
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    if (size == 0 || !WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr))
        return ReportFailure(L"WideCharToMultiByte");
    return Write(bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool CFileWrite2::Replace(const std::wstring& path, const wchar_t* prefix, const std::function<bool()>& write)
{
    // The temporary file is gone after a failure: the user knows the target.
    ReportAs(path);
    // Wine's MoveFileEx replaces a read-only file where Windows refuses; on
    // both it is the user's to keep.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return ReportFailure(L"CreateFile");
    }
    std::wstring folder = GetParentFolder(path);
    if (folder.empty())
        folder = L".";
    wchar_t temporary[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), prefix, 0, temporary))
        return ReportFailure(L"GetTempFileName");

    bool ok = Create(temporary, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL) &&
              write() && (Flush(m_handle) || ReportFailure(L"FlushFileBuffers"));
    Close();
    if (ok && !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = ReportFailure(L"MoveFileEx");
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary);
        SetLastError(error);
    }
    return ok;
}
