// "Copy New Files from Zentrova": a modal dialog that fetches, over
// anonymous passive FTP, every file of the server's "Q7/firmware" directory
// that is newer than what the local firmware folder holds, and checks each
// Intel hex file before it takes its place in the folder.
//
// WinINet runs asynchronously; its status callback runs on WinINet's threads
// and only posts messages here. All the work happens on the dialog's thread.
// Cancel closes the connection and ends the dialog once WinINet has let go
// of it, or after a short wait: WinINet ends a running request first, which
// under Wine means the whole transfer, however slow. A file it still holds
// then is deleted when the dialog next runs.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "Dialog.h"
#include "DialogResize.h"
#include "FirmwareFileSet.h"
#include "InternetHandles.h"
#include "LogText.h"
#include "RichEditCtrlContext.h"
#include "TextOrId.h"
#include "WaitCursor.h"

// A listed name that stays in the folder, that the folder can hold, and that
// shows as what it is: it starts with a letter or digit and holds no
// character that shows as nothing or could hide or reorder what follows it.
bool IsPlainFileName(const std::wstring& name);
// The name as the log shows it: '?' for each such character.
std::wstring VisibleFileName(const std::wstring& name);
// Whether the combined path names a file of the folder itself, not of
// another folder.
bool LiesDirectlyIn(const std::wstring& path, const std::wstring& folder);

class CFtpDlg : public CDialog {
public:
    // The dialog's end values beside IDOK and IDCANCEL.
    static constexpr INT_PTR kFailed = 3;

    // `files` holds the folder's scan and learns every file taken; `server`
    // is the FTP server's host name.
    CFtpDlg(const std::wstring& folder, CFirmwareFileSet& files, const std::wstring& server);
    ~CFtpDlg() override;

    // IDOK, IDCANCEL after a cancel, kFailed after a failure.
    INT_PTR DoModal(HWND owner) { return CDialog::DoModal(owner); }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    bool OnCancel() override;
    bool OnClose() override;
    void OnDestroy() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnSetCursor(HWND under, UINT hitTest) override;

private:
    enum State : unsigned {
        kIdle,
        kConnecting,
        kNavigating,
        kFindingFirst,
        kFindingNext,
        kGettingFile,
        kClosing,
        kClosed,
    };

    // What the status callback may look at. WinINet calls back with it until
    // the connection's final HANDLE_CLOSING, which may come after the dialog
    // is gone: the dialog and WinINet each hold it, and the last to let go
    // deletes it.
    struct CallbackContext {
        std::atomic<HWND> window{nullptr};
        std::atomic<unsigned> state{kIdle};
        DWORD signature = 0;
        // The connection, whose closing is WinINet's last call with this.
        std::atomic<HINTERNET> connection{nullptr};
        std::atomic<unsigned> holders{1};
        std::atomic<bool> heldByWinInet{false};

        // From the connection's start to its final closing, or to its
        // refusal when no handle was made.
        void HoldForWinInet();
        void NoteConnection(HINTERNET handle);
        void WinInetDone();
        void Release();
    };

    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                        DWORD length);

    void OnHandleCreated(HINTERNET handle);
    void OnRequestComplete(DWORD error, DWORD_PTR result);
    void OnConnectionState(DWORD status);
    void OnHandleClosing(HINTERNET handle);

    void Start();
    // Removes what an earlier run had to leave behind.
    void DiscardLeftovers();
    void AttachConnection(HINTERNET handle);
    void Navigate();
    void OnNavigated();
    void FindFirstFile();
    void FindNextFile();
    // A listing's step: an entry found, the end of the list, or a failure of `call`.
    void OnListingStep(bool found, DWORD error, const wchar_t* call);
    void OnEntry();
    void OnDirectoryRead();
    void CopyNextFile();
    void OnFileCopied();
    // Logs that a listed file was not taken, and keeps the first reason.
    void NotTaken(const std::wstring& name, DWORD error);
    void LogFileFailure(const wchar_t* call, const std::wstring& path, DWORD error);
    // A call that did not start: 997 (and 0, which Wine gives for a queued
    // find) means it ends later; 2 and 18 end a listing; anything else is
    // its failure.
    void OnCallFailed(const wchar_t* operation, DWORD error);
    // True (after finishing) when the user has cancelled.
    bool Cancelled(const wchar_t* operation);
    void Finish(const wchar_t* operation, DWORD error, bool forced);
    // Removes a fetched file that has not taken its final name, unless
    // WinINet still holds it: the next run removes it then.
    void DiscardPartialFile();

    void SetState(State state) { m_context->state = state; }
    State GetState() const { return static_cast<State>(m_context->state.load()); }
    bool Tracing() const;
    void Log(const std::wstring& text);
    template <typename... Args>
    void Log(TextOrId format, Args... args) { Log(FormatText(format, args...)); }
    template <typename... Args>
    void Trace(TextOrId format, Args... args)
    {
        if (Tracing())
            Log(FormatText(format, args...));
    }
    INT_PTR EndCode() const;

    CWaitCursorE m_wait;
    DWORD m_result = 0;
    bool m_cancelRequested = false;
    CFirmwareFileSet& m_files;
    CallbackContext* m_context;
    int m_index = -1;
    CFtpConnection m_connection;
    CFtpFileFind m_find;
    CInternetSession m_session;
    std::vector<std::wstring> m_copyList;
    CRichEditCtrlContext m_log;
    std::wstring m_folder;

    std::wstring m_server;
    bool m_started = false;
    // The connection handle whose closing ends the shutdown.
    HINTERNET m_closingConnection = nullptr;
    // A file being fetched or checked, under its temporary name.
    std::wstring m_partialPath;
    unsigned m_copied = 0;
    DWORD m_findNextTick = 0;
    // The first file that could not be taken, for the end of the copy.
    DWORD m_copyError = 0;
    CFontHandle m_logFont;
};
