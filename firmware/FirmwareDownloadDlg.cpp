#include "FirmwareDownloadDlg.h"

#include <richedit.h>
#include <shlwapi.h>

#include "DeviceFacts.h"
#include "ErrorText.h"
#include "Folders.h"
#include "IntelHexReader.h"
#include "LogText.h"
#include "Model.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr DWORD kContextSignature = 0xDCCE192C;
constexpr LPARAM kLogLimit = 2 * 1024 * 1024;

constexpr DWORD kFindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
constexpr DWORD kGetFlags = INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_NEED_FILE | FTP_TRANSFER_TYPE_BINARY;

// A fetched file waits under this suffix until it has been checked: the
// folder scan never takes it for firmware.
const wchar_t kPartialSuffix[] = L".partial";
const wchar_t kNotesName[] = L"hfwnotes.rtf";

enum : UINT_PTR {
    kStartTimer = 1,
    kFindNextTimer = 2,
    kCloseTimer = 3,
};
// How long a find-next may take to write its entry.
constexpr DWORD kFindNextTimeoutMs = 5000;
// How long a shutdown waits for WinINet to let go of the connection and of
// the file a request may still write.
constexpr DWORD kCloseWaitMs = 1500;

bool IsHexFileName(const std::wstring& name)
{
    return _wcsicmp(PathFindExtensionW(name.c_str()), L".hex") == 0;
}

bool IsPartialFileName(const std::wstring& name)
{
    const size_t suffix = wcslen(kPartialSuffix);
    return name.size() > suffix && _wcsicmp(name.c_str() + name.size() - suffix, kPartialSuffix) == 0;
}

HINTERNET HandleAt(const void* info, DWORD length)
{
    return info && length >= sizeof(HINTERNET) ? *static_cast<const HINTERNET*>(info) : nullptr;
}

// Code points that show as nothing, or that hide or reorder what follows
// them: a name holding one could show in the log as another file's name.
// Unicode's Default_Ignorable_Code_Point set, the Arabic letter mark, the
// line and paragraph separators, and the controls.
const struct {
    char32_t first, last;
} kHidingCharacters[] = {
    {0x0000, 0x001F},    // controls
    {0x007F, 0x009F},    // DEL and the C1 controls
    {0x00AD, 0x00AD},    // soft hyphen
    {0x034F, 0x034F},    // combining grapheme joiner
    {0x061C, 0x061C},    // Arabic letter mark
    {0x115F, 0x1160},    // Hangul fillers
    {0x17B4, 0x17B5},    // Khmer inherent vowels
    {0x180B, 0x180F},    // Mongolian variation selectors and vowel separator
    {0x200B, 0x200F},    // zero-width space and joiners, the direction marks
    {0x2028, 0x2029},    // line and paragraph separators
    {0x202A, 0x202E},    // embeddings and overrides of the direction
    {0x2060, 0x206F},    // word joiner, invisible operators, isolates, deprecated formats
    {0x3164, 0x3164},    // Hangul filler
    {0xFE00, 0xFE0F},    // variation selectors
    {0xFEFF, 0xFEFF},    // zero-width no-break space
    {0xFFA0, 0xFFA0},    // halfwidth Hangul filler
    {0xFFF0, 0xFFF8},    // unassigned specials
    {0x1BCA0, 0x1BCA3},  // shorthand format controls
    {0x1D173, 0x1D17A},  // musical beam and phrase controls
    {0xE0000, 0xE0FFF},  // tags and the supplementary variation selectors
};

bool IsHidingCharacter(char32_t c)
{
    for (const auto& range : kHidingCharacters) {
        if (c >= range.first && c <= range.last)
            return true;
    }
    return false;
}

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Calls `each` (first, count, code point) for every code point of the name; a
// lone surrogate comes as itself.
template <typename Each>
void ForEachCodePoint(const std::wstring& name, Each each)
{
    for (size_t i = 0; i < name.size();) {
        if (IsHighSurrogate(name[i]) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
            each(i, 2, 0x10000 + ((char32_t(name[i]) - 0xD800) << 10) + (char32_t(name[i + 1]) - 0xDC00));
            i += 2;
        } else {
            each(i, 1, char32_t(name[i]));
            ++i;
        }
    }
}

bool IsRefusedCodePoint(char32_t c)
{
    return IsHidingCharacter(c) || (c >= 0xD800 && c <= 0xDFFF);
}

bool IsAsciiLetterOrDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

bool IsPlainFileName(const std::wstring& name)
{
    // Every firmware file name starts so; "." and ".." never do.
    if (name.empty() || !IsAsciiLetterOrDigit(name[0]) || name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
        return false;
    bool refused = false;
    ForEachCodePoint(name, [&](size_t, size_t, char32_t c) { refused = refused || IsRefusedCodePoint(c); });
    return !refused;
}

std::wstring VisibleFileName(const std::wstring& name)
{
    std::wstring shown;
    ForEachCodePoint(name, [&](size_t first, size_t count, char32_t c) {
        if (IsRefusedCodePoint(c))
            shown += L'?';
        else
            shown.append(name, first, count);
    });
    return shown;
}

bool LiesDirectlyIn(const std::wstring& path, const std::wstring& folder)
{
    // The folder as the path combiner writes it, through a name that cannot
    // leave it.
    const std::wstring combinedFolder = GetParentFolder(CombinePath(folder, L"0"));
    return !path.empty() && !combinedFolder.empty() &&
           _wcsicmp(GetParentFolder(path).c_str(), combinedFolder.c_str()) == 0;
}

void CFtpDlg::CallbackContext::HoldForWinInet()
{
    ++holders;
    heldByWinInet = true;
}

void CFtpDlg::CallbackContext::NoteConnection(HINTERNET handle)
{
    HINTERNET none = nullptr;
    connection.compare_exchange_strong(none, handle);
}

void CFtpDlg::CallbackContext::WinInetDone()
{
    if (heldByWinInet.exchange(false))
        Release();
}

void CFtpDlg::CallbackContext::Release()
{
    if (--holders == 0) {
        signature = 0;
        delete this;
    }
}

CFtpDlg::CFtpDlg(const std::wstring& folder, CFirmwareFileSet& files, const std::wstring& server)
    : CDialog(IDD_FIRMWARE_DOWNLOAD), m_files(files), m_context(new CallbackContext), m_folder(folder),
      m_server(server)
{
    m_context->signature = kContextSignature;
}

CFtpDlg::~CFtpDlg()
{
    m_context->Release();
}

void CALLBACK CFtpDlg::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD length)
{
    auto* target = reinterpret_cast<CallbackContext*>(context);
    if (IS_INTRESOURCE(target) || target->signature != kContextSignature)
        return;
    const HINTERNET handle = HandleAt(info, length);
    const unsigned state = target->state;
    if (status == INTERNET_STATUS_HANDLE_CREATED && state == kConnecting)
        target->NoteConnection(handle);
    const HWND window = target->window;
    if (window && state != kIdle && state != kClosed) {
        switch (status) {
        case INTERNET_STATUS_CONNECTED_TO_SERVER:
        case INTERNET_STATUS_CLOSING_CONNECTION:
        case INTERNET_STATUS_CONNECTION_CLOSED:
            PostMessageW(window, WM_APP_INET_CONNECTION_STATE, status, 0);
            break;
        case INTERNET_STATUS_HANDLE_CREATED:
            PostMessageW(window, WM_APP_INET_HANDLE_CREATED, 0, reinterpret_cast<LPARAM>(handle));
            break;
        case INTERNET_STATUS_HANDLE_CLOSING:
            PostMessageW(window, WM_APP_INET_HANDLE_CLOSING, status, reinterpret_cast<LPARAM>(handle));
            break;
        case INTERNET_STATUS_REQUEST_COMPLETE:
            if (info && length >= sizeof(INTERNET_ASYNC_RESULT)) {
                const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
                PostMessageW(window, WM_APP_INET_REQUEST_COMPLETE, result->dwError,
                             static_cast<LPARAM>(result->dwResult));
            }
            break;
        }
    }
    // Requests end before it, so nothing more comes with this context.
    if (status == INTERNET_STATUS_HANDLE_CLOSING && handle && handle == target->connection)
        target->WinInetDone();
}

bool CFtpDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_INET_HANDLE_CREATED:
        OnHandleCreated(reinterpret_cast<HINTERNET>(lParam));
        return true;
    case WM_APP_INET_REQUEST_COMPLETE:
        OnRequestComplete(static_cast<DWORD>(wParam), static_cast<DWORD_PTR>(lParam));
        return true;
    case WM_APP_INET_CONNECTION_STATE:
        OnConnectionState(static_cast<DWORD>(wParam));
        return true;
    case WM_APP_INET_HANDLE_CLOSING:
        OnHandleClosing(reinterpret_cast<HINTERNET>(lParam));
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

bool CFtpDlg::OnSetCursor(HWND under, UINT hitTest)
{
    return m_wait.OnSetCursor(under, hitTest);
}

BOOL CFtpDlg::OnInitDialog()
{
    m_context->window = m_hwnd;
    m_log.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_log.Send(EM_EXLIMITTEXT, 0, kLogLimit);
    m_logFont.reset(CreateLogFont(m_hwnd));
    m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont.get()), FALSE);
    m_resize.Init(m_hwnd, {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}}, true);
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    return TRUE;
}

void CFtpDlg::OnShow(bool shown, UINT)
{
    // Once only: hiding and showing the owner shows the dialog again. The
    // connection starts after the first paint, since it may block a while.
    if (shown && !m_started) {
        m_started = true;
        SetTimer(m_hwnd, kStartTimer, 0, nullptr);
    }
}

bool CFtpDlg::OnCancel()
{
    if (GetState() == kIdle)
        return OnClose();
    // While the connection closes, this ends the wait for it.
    m_cancelRequested = true;
    Finish(L"Cancel Button", ERROR_CANCELLED, false);
    return true;
}

bool CFtpDlg::OnClose()
{
    if (GetState() == kIdle)
        EndDialog(EndCode());
    return true;
}

void CFtpDlg::OnDestroy()
{
    for (UINT_PTR timer : {kStartTimer, kFindNextTimer, kCloseTimer})
        KillTimer(m_hwnd, timer);
    // WinINet may still call back; nothing it says reaches a window now.
    SetState(kClosed);
    m_context->window = nullptr;
    m_find.Close();
    m_connection.Close();
    m_session.Close();
    DiscardPartialFile();
    m_log.Unsubclass();
    m_logFont.reset();
    CDialog::OnDestroy();
}

bool CFtpDlg::OnTimer(UINT_PTR id)
{
    if (id == kStartTimer) {
        KillTimer(m_hwnd, kStartTimer);
        Start();
        return true;
    }
    if (id == kCloseTimer) {
        KillTimer(m_hwnd, kCloseTimer);
        if (GetState() == kClosing) {
            Trace(L"FtpDlg::OnTimer connection not closed after %u ms", kCloseWaitMs);
            SetState(kClosed);
            Finish(L"Session Closed", ERROR_SUCCESS, false);
        }
        return true;
    }
    if (id != kFindNextTimer || GetState() != kFindingNext)
        return true;
    if (m_find.FindNextFilled()) {
        KillTimer(m_hwnd, kFindNextTimer);
        // An empty entry is the end of the list.
        OnListingStep(!m_find.FileName().empty(), ERROR_NO_MORE_FILES, L"InternetFindNextFile");
    } else if (GetTickCount() - m_findNextTick > kFindNextTimeoutMs) {
        Finish(L"InternetFindNextFile", ERROR_INTERNET_TIMEOUT, true);
    }
    return true;
}

void CFtpDlg::OnHandleCreated(HINTERNET handle)
{
    if (!handle)
        return;
    // A listing that ends after the connection was closed holds the
    // connection open until its own handle goes.
    if (GetState() == kClosing)
        Internet().closeHandle(handle);
    else if (GetState() == kConnecting && !m_connection.IsOpen())
        AttachConnection(handle);
    else if (GetState() == kFindingFirst && !m_find.IsOpen())
        m_find.Attach(handle);
}

void CFtpDlg::OnRequestComplete(DWORD error, DWORD_PTR result)
{
    if (error != ERROR_SUCCESS && error != ERROR_NO_MORE_FILES)
        Trace(L"FtpDlg::OnInternetStatusRequestComplete error 0x%08X: %s", error, FormatErrorText(error).c_str());
    const HINTERNET handle = reinterpret_cast<HINTERNET>(result);
    switch (GetState()) {
    case kConnecting:
        if (!result) {
            Finish(L"InternetConnect", error, true);
            return;
        }
        AttachConnection(handle);
        Navigate();
        return;
    case kNavigating:
        if (result)
            OnNavigated();
        else
            Finish(L"FtpSetCurrentDirectory", error, true);
        return;
    case kFindingFirst:
        if (result && !m_find.IsOpen())
            m_find.Attach(handle);
        OnListingStep(result != 0, error, L"FtpFindFile");
        return;
    case kFindingNext:
        KillTimer(m_hwnd, kFindNextTimer);
        OnListingStep(result != 0, error, L"InternetFindNextFile");
        return;
    case kGettingFile:
        if (result) {
            OnFileCopied();
        } else {
            DiscardPartialFile();
            Finish(L"FtpGetFile", error, true);
        }
        return;
    case kClosing:
        // A transfer that was running when the connection closed is over.
        DiscardPartialFile();
        return;
    default:
        Trace(L"FtpDlg::OnInternetStatusRequestComplete unexpected state %u", static_cast<unsigned>(GetState()));
    }
}

void CFtpDlg::OnListingStep(bool found, DWORD error, const wchar_t* call)
{
    if (found)
        OnEntry();
    else if (error == ERROR_NO_MORE_FILES)
        OnDirectoryRead();
    else
        Finish(call, error, true);
}

void CFtpDlg::OnConnectionState(DWORD status)
{
    if (status == INTERNET_STATUS_CONNECTED_TO_SERVER)
        Log(IDS_FTP_CONNECTED);
}

// Only the connection's closing ends a shutdown: its socket's
// CONNECTION_CLOSED can come while a request still holds the file.
void CFtpDlg::OnHandleClosing(HINTERNET handle)
{
    if (GetState() != kClosing || handle != m_closingConnection)
        return;
    SetState(kClosed);
    Finish(L"Session Closed", ERROR_SUCCESS, false);
}

void CFtpDlg::Start()
{
    m_wait.BeginBusy();
    DiscardLeftovers();
    m_index = -1;
    m_find.Close();
    m_connection.Close();
    if (!m_session.Open(FormatText(IDS_FTP_AGENT, kDeviceWord), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                        INTERNET_FLAG_ASYNC)) {
        Finish(L"Internet Session Open", GetLastError(), true);
        return;
    }
    if (!m_session.SetStatusCallback(&CFtpDlg::StatusCallback)) {
        Finish(L"Enable Status Callback", GetLastError(), true);
        return;
    }
    Log(IDS_FTP_OPEN_CONNECTION, m_server.c_str());
    SetState(kConnecting);
    m_context->HoldForWinInet();
    if (m_session.GetFtpConnection(m_connection, m_server, INTERNET_DEFAULT_FTP_PORT,
                                   reinterpret_cast<DWORD_PTR>(m_context))) {
        AttachConnection(m_connection.Handle());
        Navigate();
        return;
    }
    const DWORD error = GetLastError();
    // Refused before any handle was made: WinINet keeps nothing of ours.
    if (error != ERROR_IO_PENDING && !m_context->connection)
        m_context->WinInetDone();
    OnCallFailed(L"InternetConnect", error);
}

void CFtpDlg::DiscardLeftovers()
{
    if (m_folder.empty())
        return;
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW(CombinePath(m_folder, std::wstring(L"*") + kPartialSuffix).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPartialFileName(name) &&
            DeleteFileW(CombinePath(m_folder, name).c_str()))
            Trace(L"FtpDlg::DiscardLeftovers deleted %s", name.c_str());
    } while (::FindNextFileW(find, &entry));
    FindClose(find);
}

void CFtpDlg::AttachConnection(HINTERNET handle)
{
    if (!m_connection.IsOpen())
        m_connection.Attach(handle);
    m_context->NoteConnection(handle);
}

void CFtpDlg::Navigate()
{
    const std::wstring directory = FormatText(L"%s/firmware", kDeviceWord);
    Trace(IDS_FTP_NAVIGATE, directory.c_str());
    SetState(kNavigating);
    if (!Internet().setCurrentDirectory(m_connection.Handle(), directory.c_str()))
        OnCallFailed(L"FtpSetCurrentDirectory", GetLastError());
    else if (!Internet().successIsQueued)
        OnNavigated();
}

void CFtpDlg::OnNavigated()
{
    if (!Cancelled(L"Directory Navigation Complete"))
        FindFirstFile();
}

void CFtpDlg::FindFirstFile()
{
    SetState(kFindingFirst);
    if (m_find.FindFirst(m_connection, kFindFlags, reinterpret_cast<DWORD_PTR>(m_context))) {
        OnEntry();
        return;
    }
    // Wine queues the listing and leaves no error.
    const DWORD error = GetLastError();
    if (error != ERROR_SUCCESS)
        OnCallFailed(L"FtpFindFile", error);
}

void CFtpDlg::FindNextFile()
{
    SetState(kFindingNext);
    if (m_find.FindNext()) {
        // Done, as Windows documents it; Wine writes the entry later.
        if (!Internet().successIsQueued) {
            OnEntry();
            return;
        }
        m_findNextTick = GetTickCount();
        SetTimer(m_hwnd, kFindNextTimer, USER_TIMER_MINIMUM, nullptr);
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_NO_MORE_FILES)
        OnDirectoryRead();
    else
        OnCallFailed(L"InternetFindNextFile", error);
}

void CFtpDlg::OnEntry()
{
    if (Cancelled(L"File Find Complete"))
        return;
    if (!m_find.IsDirectory()) {
        const std::wstring name = m_find.FileName();
        if (IsPlainFileName(name) && m_files.AddFile(CombinePath(m_folder, name))) {
            m_copyList.push_back(name);
            Trace(IDS_FTP_FOUND, name.c_str());
        } else {
            Trace(IDS_FTP_SKIPPED, VisibleFileName(name).c_str());
        }
    }
    FindNextFile();
}

void CFtpDlg::OnDirectoryRead()
{
    KillTimer(m_hwnd, kFindNextTimer);
    if (Cancelled(L"Directory Read Complete"))
        return;
    m_find.Close();
    // The notes alone are no news.
    if (m_copyList.size() == 1 && _wcsicmp(m_copyList[0].c_str(), kNotesName) == 0) {
        Trace(IDS_FTP_SKIPPED, m_copyList[0].c_str());
        m_copyList.clear();
    }
    if (m_copyList.empty()) {
        Finish(L"All Copy Complete", ERROR_SUCCESS, false);
        return;
    }
    Log(IDS_FTP_COPYING_TO, m_folder.c_str());
    m_index = -1;
    CopyNextFile();
}

void CFtpDlg::CopyNextFile()
{
    if (Cancelled(L"File Copy"))
        return;
    if (++m_index >= static_cast<int>(m_copyList.size())) {
        Log(IDS_FTP_COPIED_FILES, m_copied, m_folder.c_str());
        Finish(L"All Copy Complete", m_copyError, false);
        return;
    }
    const std::wstring& name = m_copyList[m_index];
    const std::wstring path = CombinePath(m_folder, name);
    if (m_folder.empty() || path.empty() || path.size() + wcslen(kPartialSuffix) >= MAX_PATH) {
        NotTaken(name, ERROR_FILENAME_EXCED_RANGE);
        CopyNextFile();
        return;
    }
    if (!LiesDirectlyIn(path, m_folder)) {
        NotTaken(name, ERROR_INVALID_NAME);
        CopyNextFile();
        return;
    }
    // Windows refuses to replace it and Wine does not: either way it is the
    // user's to keep, and the user is told which file it is.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        LogFileFailure(L"MoveFileEx", path, ERROR_ACCESS_DENIED);
        NotTaken(name, ERROR_ACCESS_DENIED);
        CopyNextFile();
        return;
    }
    m_partialPath = path + kPartialSuffix;
    SetState(kGettingFile);
    if (!Internet().getFile(m_connection.Handle(), name.c_str(), m_partialPath.c_str(), FALSE, FILE_ATTRIBUTE_NORMAL,
                            kGetFlags, reinterpret_cast<DWORD_PTR>(m_context)))
        OnCallFailed(L"FtpGetFile", GetLastError());
    else if (!Internet().successIsQueued)
        OnFileCopied();
}

void CFtpDlg::OnFileCopied()
{
    const std::wstring& name = m_copyList[m_index];
    DWORD error = ERROR_SUCCESS;
    DWORD line = 0;
    bool taken = !IsHexFileName(name) || CIntelHexReader().ValidateFile(m_partialPath, line);
    if (taken) {
        Log(IDS_FTP_FILE_VERIFIED, name.c_str());
    } else {
        error = GetLastError();
        Log(IDS_FTP_VERIFY_FAILED, name.c_str());
        Log(IDS_HEX_LOAD_FAILED, line, error, FormatErrorText(error).c_str());
    }
    const std::wstring path = CombinePath(m_folder, name);
    if (taken && !MoveFileExW(m_partialPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = GetLastError();
        LogFileFailure(L"MoveFileEx", path, error);
        taken = false;
    }
    if (taken) {
        m_partialPath.clear();
        ++m_copied;
        Log(IDS_FTP_COPIED_FILE, name.c_str());
    } else {
        DiscardPartialFile();
        NotTaken(name, error ? error : ERROR_INVALID_DATA);
    }
    if (!Cancelled(L"File Copy Complete"))
        CopyNextFile();
}

void CFtpDlg::NotTaken(const std::wstring& name, DWORD error)
{
    Log(IDS_FTP_UNABLE_TO_COPY, name.c_str());
    if (!m_copyError)
        m_copyError = error;
}

void CFtpDlg::LogFileFailure(const wchar_t* call, const std::wstring& path, DWORD error)
{
    Log(IDS_WIN32_CALL_FAILED, call, path.c_str(), error, FormatErrorText(error).c_str());
}

void CFtpDlg::OnCallFailed(const wchar_t* operation, DWORD error)
{
    if (error == ERROR_IO_PENDING)
        return;
    const bool listing = GetState() == kFindingFirst || GetState() == kFindingNext;
    if (listing && error == ERROR_NO_MORE_FILES) {
        OnDirectoryRead();
        return;
    }
    if (listing && error == ERROR_FILE_NOT_FOUND) {
        Log(IDS_FTP_COMPLETED_WITH_ERROR, operation, error, FormatErrorText(error).c_str());
        OnDirectoryRead();
        return;
    }
    Finish(operation, error, true);
}

bool CFtpDlg::Cancelled(const wchar_t* operation)
{
    if (!m_cancelRequested)
        return false;
    Finish(operation, ERROR_CANCELLED, false);
    return true;
}

void CFtpDlg::Finish(const wchar_t* operation, DWORD error, bool forced)
{
    KillTimer(m_hwnd, kFindNextTimer);
    // A forced end is a failure even when the call left no error.
    if (forced && error == ERROR_SUCCESS)
        error = ERROR_INTERNET_INTERNAL_ERROR;
    // The first failure stands; later steps of the shutdown report 0.
    if (error != ERROR_SUCCESS && m_result != ERROR_CANCELLED)
        m_result = error;
    if (forced || error != ERROR_SUCCESS) {
        Trace(L"FtpDlg::Finish %s State %u dwErrorCode 0x%08X fForceError %u", operation,
              static_cast<unsigned>(GetState()), error, forced ? 1u : 0u);
        Log(IDS_FTP_COMPLETED_WITH_ERROR, operation, error, FormatErrorText(error).c_str());
    }
    m_find.Close();
    if (m_connection.IsOpen()) {
        // Its HANDLE_CLOSING, or the end of the wait, finishes again.
        SetState(kClosing);
        m_closingConnection = m_connection.Handle();
        m_connection.Close();
        SetTimer(m_hwnd, kCloseTimer, kCloseWaitMs, nullptr);
        return;
    }
    KillTimer(m_hwnd, kCloseTimer);
    DiscardPartialFile();
    m_session.Close();
    m_wait.EndBusy();
    SetState(kIdle);
    if (m_result == ERROR_CANCELLED || (m_result == ERROR_SUCCESS && !Tracing())) {
        EndDialog(EndCode());
        return;
    }
    SetDlgItemTextW(m_hwnd, IDCANCEL, LoadResString(IDS_CLOSE).c_str());
    Log(IDS_CLICK_CLOSE);
}

void CFtpDlg::DiscardPartialFile()
{
    if (!m_partialPath.empty() && (DeleteFileW(m_partialPath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND))
        m_partialPath.clear();
}

bool CFtpDlg::Tracing() const
{
    return GetModel().Trace.Get() != 0;
}

void CFtpDlg::Log(const std::wstring& text)
{
    AppendLogText(m_log.Handle(), text);
}

INT_PTR CFtpDlg::EndCode() const
{
    if (m_result == ERROR_SUCCESS)
        return IDOK;
    return m_result == ERROR_CANCELLED ? IDCANCEL : kFailed;
}
