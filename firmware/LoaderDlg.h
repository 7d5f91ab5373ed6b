// The modal dialog that runs one firmware load: its log, its progress bar,
// and the closing version check once the radio has been contacted again.
//
// The dialog acts on the end of its own load only: its machine starts once,
// at the first showing; a finished notice counts only while the load is under
// way and the machine is idle (the notice of the contact run that follows a
// load arrives once the loader has handed over).
#pragma once

#include <memory>
#include <string>

#include "Dialog.h"
#include "DialogResize.h"
#include "LoaderStateHost.h"
#include "LogText.h"
#include "RichEditCtrlContext.h"
#include "TextSinks.h"
#include "WaitCursor.h"
#include "resource.h"

// The program's name and version and the system, the first lines of a log.
std::wstring ProgramVersionLine();

template <typename Machine>
class CLoaderDlg : public CDialog {
public:
    explicit CLoaderDlg(std::unique_ptr<Machine> machine)
        : CDialog(IDD_LOADER), m_model(GetModel()), m_machine(std::move(machine))
    {
    }
    ~CLoaderDlg() override
    {
        if (m_logFont)
            DeleteObject(m_logFont);
    }

    Machine& GetMachine() { return *m_machine; }
    HRESULT Result() const { return m_result; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_APP_LOG_TEXT:
            AppendLog(reinterpret_cast<const wchar_t*>(lParam));
            result = 0;
            return true;
        case WM_APP_MACHINE_FINISHED:
            OnMachineFinished(static_cast<HRESULT>(wParam));
            return true;
        case WM_SETCURSOR:
            if (m_wait.OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) {
                result = TRUE;
                return true;
            }
            break;
        case WM_INITDIALOG:
            OnInitDialog();
            result = TRUE;
            return true;
        case WM_SHOWWINDOW:
            OnShowWindow(wParam != FALSE, lParam);
            break;
        case WM_DESTROY:
            m_subscriptions.RemoveAll();
            Unregister();
            m_log.Unsubclass();
            break;
        case WM_CLOSE:
            OnClose();
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                Send(WM_CLOSE);
                return true;
            }
            break;
        }
        if (m_resize.OnMessage(message, wParam, lParam, result))
            return true;
        return CDialog::OnMessage(message, wParam, lParam, result);
    }

private:
    template <typename... Args>
    void AppendLog(TextOrId format, Args... args)
    {
        AppendLogText(m_log.Handle(), FormatText(format, args...));
    }
    template <typename... Args>
    void AppendLogAndStatus(TextOrId format, Args... args)
    {
        const std::wstring text = FormatText(format, args...);
        AppendLogText(m_log.Handle(), text);
        SendStatusText(m_hwnd, text);
    }

    void OnInitDialog()
    {
        m_log.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
        m_logFont = CreateLogFont(m_hwnd);
        m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont), FALSE);
        m_resize.Init(m_hwnd,
                      {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y},
                       {IDC_LOADER_PROGRESS, DLSZ_SIZE_X | DLSZ_MOVE_Y},
                       {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}},
                      true);
        AppendLogAndStatus(ProgramVersionLine());
        AppendLogAndStatus(GetOsVersionText());
        AppendLogAndStatus(m_model.DescribeConnection());
        CenterOn(GetWindow(m_hwnd, GW_OWNER));
    }

    // A minimised owner hides and shows the dialog (lParam non-zero): the
    // load neither stops nor starts again for that.
    void OnShowWindow(bool shown, LPARAM status)
    {
        if (shown) {
            if (m_started)
                return;
            m_started = true;
            m_subscriptions.Add(m_hwnd, m_model.MachineFinished);
            SetWindowTextW(m_hwnd, FormatText(IDS_SENDING_FIRMWARE_TITLE, kDeviceWord).c_str());
            m_wait.BeginBusy();
            StartMachine();
            return;
        }
        if (status != 0 || m_wait.IsBusy())
            return;
        m_subscriptions.RemoveAll();
        Unregister();
    }

    void StartMachine()
    {
        m_model.SetActiveMachine(m_machine.get());
        if (!m_machine->StartLoad(m_hwnd) && m_machine->m_result == E_STATE_MACHINE_BUSY) {
            // No finished notice follows a refused start.
            m_model.SetActiveMachine(nullptr);
            OnMachineFinished(E_STATE_MACHINE_BUSY);
        }
    }

    void Unregister()
    {
        if (m_model.ActiveMachine() == m_machine.get())
            m_model.SetActiveMachine(nullptr);
    }

    void OnMachineFinished(HRESULT result)
    {
        if (!m_wait.IsBusy() || !m_machine->IsIdle())
            return;
        // The loader's own failure stands, whatever the contact run found.
        const HRESULT own = MapResult(m_machine->m_result);
        m_result = own < 0 ? own : MapResult(result);
        SetDlgItemTextW(m_hwnd, IDCANCEL, LoadResString(IDS_CLOSE).c_str());
        m_wait.EndBusy();
        LogRetryStatistics();
        if (m_result >= 0 && own >= 0) {
            m_result = MapResult(m_machine->VerifyVersion());
            if (m_result >= 0) {
                AppendLogAndStatus(IDS_LOAD_COMPLETE, m_machine->m_name);
                if (m_model.Trace.Get() == 0)
                    EndDialog(IDOK);
                else
                    AppendLog(IDS_CLICK_CLOSE);
                return;
            }
        }
        AppendLogAndStatus(IDS_LOAD_ERROR_CODE, static_cast<unsigned>(m_result),
                           FormatErrorText(m_result).c_str());
        AppendLogAndStatus(IDS_CLICK_CLOSE);
    }

    void LogRetryStatistics()
    {
        if (m_machine->m_totalRetries == 0)
            return;
        m_machine->Report(IDS_TOTAL_RETRIES, m_machine->m_totalRetries);
        m_machine->Report(IDS_HIGHEST_RETRIES, m_machine->m_highestRetries);
    }

    // Busy lasts until the contact run after the load has ended too.
    void OnClose()
    {
        if (m_wait.IsBusy()) {
            const std::wstring text = LoadResString(IDS_CLOSE_WHILE_SENDING);
            const std::wstring caption = LoadResString(IDS_CRITICAL_OPERATION);
            if (MessageBoxW(m_hwnd, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) !=
                IDYES)
                return;
            if (m_wait.IsBusy()) {
                // The machine stays where it is; nothing may tick it again.
                if (!m_machine->IsIdle())
                    m_machine->KillTimer();
                EndDialog(IDCANCEL);
                return;
            }
        }
        m_result = MapResult(m_result);
        EndDialog(m_result >= 0 ? IDOK : IDCANCEL);
    }

    CModel& m_model;
    std::unique_ptr<Machine> m_machine;
    CRichEditCtrlContext m_log;
    HFONT m_logFont = nullptr;
    CDialogResize m_resize;
    CWaitCursorE<CLoaderDlg> m_wait;
    CEventSubscriptions m_subscriptions;
    HRESULT m_result = 0;
    bool m_started = false;
};
