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
    // From now on a failure shows no box: its text is kept (the first one
    // only) for a box of the caller's, which has more to tell.
    void HoldReports() { m_holdReports = true; }
    const std::wstring& HeldReport() const { return m_heldReport; }

    // CreateFileW; a handle still open is closed first.
    bool Create(const std::wstring& path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                DWORD disposition, DWORD flags, HANDLE templateFile = nullptr);
    // Takes over a handle the caller opened (and reported on) itself.
    void Attach(HANDLE handle, const std::wstring& path);
    // Reading at the end of the file succeeds with read == 0.
    bool Read(void* buffer, DWORD count, DWORD& read, OVERLAPPED* overlapped = nullptr);

    // Shows the box for the failed call and its last error; returns false
    // with that error still the thread's last error.
    bool ReportFailure(const wchar_t* call);

private:
    HWND m_owner;
    std::wstring m_caption;
    std::wstring m_path;
    std::wstring m_reportedPath;
    bool m_holdReports = false;
    std::wstring m_heldReport;
};

// A whole file read into memory, then read from there. Every reader names
// the most it takes: a longer file is refused (ERROR_FILE_TOO_LARGE, told
// as a failed "ReadFile") before anything is allocated.
class CFileRead3 : public CFileRead2 {
public:
    using CFileRead2::CFileRead2;

    // Reads the whole file; the handle is closed again before returning.
    bool Open(const std::wstring& path, DWORD longest, DWORD share = FILE_SHARE_READ);
    // The same from the attached handle. With `cutLonger` a longer file is
    // not refused: its first `longest` bytes are read, and IsCut tells.
    bool Load(DWORD longest, bool cutLonger = false);
    bool IsCut() const { return m_cut; }
    // The buffered size.
    bool GetFileSize(DWORD& size) override;
    // True once a file has been read, also when it was empty.
    bool IsOpen() const override;
    // Copies from the cursor on; without a file read: ERROR_INVALID_HANDLE.
    bool Read(void* buffer, DWORD count, DWORD& read);
    // The whole file as read.
    const std::vector<BYTE>& Bytes() const { return m_buffer; }

private:
    void Discard();

    std::vector<BYTE> m_buffer;
    size_t m_cursor = 0;
    bool m_loaded = false;
    bool m_cut = false;
};

class CFileWrite2 : public CFileRead2 {
public:
    using CFileRead2::CFileRead2;

    // A short write counts as a failure (ERROR_WRITE_FAULT).
    bool Write(const void* buffer, DWORD count);
    // Tests: the next Write of any file puts only `bytes` of its bytes on
    // disk, then fails as a full disk does (ERROR_DISK_FULL).
    static void FailNextWriteAfter(DWORD bytes);
    // Tests: the next flush of a file written whole fails (ERROR_IO_DEVICE).
    static void FailNextFlush();
    // The text, then "\r\n" when the text was written.
    bool WriteLine(const std::wstring& text);
    // The text in the thread's ANSI code page, without terminator.
    bool WriteString(const std::wstring& text);

    // Writes `path` whole or not at all: `write` fills a new file beside it,
    // named from `prefix`, which is flushed to the disk and then replaces
    // `path`. A failure is reported
    // naming `path`, leaves the old file as it was and no other, and returns
    // false with the failing call's error as the last error. A read-only
    // target is refused.
    bool Replace(const std::wstring& path, const wchar_t* prefix, const std::function<bool()>& write);
};
