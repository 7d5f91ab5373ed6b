// File handles that report every failing Win32 file call in an error box
// naming the call and the path, then return false with the error left as the
// thread's last error.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "NonCopyable.h"
#include "TextOrId.h"

// A bare file handle: closed on destruction, no reports.
class CFileRead : private CNonCopyable {
public:
    virtual ~CFileRead();

    // Sizes from 4 GB up fail with ERROR_FILE_TOO_LARGE.
    virtual bool GetFileSize(DWORD& size);
    virtual bool IsOpen() const;
    void Close();

protected:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// Creates and reads a file; failures are shown to the owner window in a box
// with the given caption.
class CFileRead2 : public CFileRead {
public:
    CFileRead2(HWND owner, TextOrId caption);

    bool GetFileSize(DWORD& size) override;
    const std::wstring& GetPath() const { return m_path; }
    // Failures name this path, not the one opened: a file written beside
    // its target is the target to the user.
    void ReportAs(const std::wstring& path) { m_reportedPath = path; }

    // CreateFileW; a handle still open is closed first.
    bool Create(const std::wstring& path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                DWORD disposition, DWORD flags, HANDLE templateFile = nullptr);
    // Reading at the end of the file succeeds with read == 0.
    bool Read(void* buffer, DWORD count, DWORD& read, OVERLAPPED* overlapped = nullptr);

    // Shows the box for the failed call and its last error; returns false
    // with that error still the thread's last error.
    bool ReportFailure(const wchar_t* call) const;

private:
    HWND m_owner;
    std::wstring m_caption;
    std::wstring m_path;
    std::wstring m_reportedPath;
};

// A whole file read into memory, then read from there.
class CFileRead3 : public CFileRead2 {
public:
    using CFileRead2::CFileRead2;

    // Reads the whole file; the handle is closed again before returning.
    bool Open(const std::wstring& path);
    // The buffered size.
    bool GetFileSize(DWORD& size) override;
    // True once a file has been read, also when it was empty.
    bool IsOpen() const override;
    // Copies from the cursor on; without a file read: ERROR_INVALID_HANDLE.
    bool Read(void* buffer, DWORD count, DWORD& read);
    // The whole file as read.
    const std::vector<BYTE>& Bytes() const { return m_buffer; }

private:
    std::vector<BYTE> m_buffer;
    size_t m_cursor = 0;
    bool m_loaded = false;
};

class CFileWrite2 : public CFileRead2 {
public:
    using CFileRead2::CFileRead2;

    // A short write counts as a failure (ERROR_WRITE_FAULT).
    bool Write(const void* buffer, DWORD count);
    // Tests: the next Write of any file puts only `bytes` of its bytes on
    // disk, then fails as a full disk does (ERROR_DISK_FULL).
    static void FailNextWriteAfter(DWORD bytes);
    // The text, then "\r\n" when the text was written.
    bool WriteLine(const std::wstring& text);
    // The text in the thread's ANSI code page, without terminator.
    bool WriteString(const std::wstring& text);

    // Writes `path` whole or not at all: `write` fills a new file beside it,
    // named from `prefix`, which then replaces `path`. A failure is reported
    // naming `path`, leaves the old file as it was and no other, and returns
    // false with the failing call's error as the last error. A read-only
    // target is refused.
    bool Replace(const std::wstring& path, const wchar_t* prefix, const std::function<bool()>& write);
};
