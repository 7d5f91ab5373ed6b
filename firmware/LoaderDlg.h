// The modal dialog that runs one firmware load: its log, its progress bar,
// and the closing version check once the radio has been contacted again.
//
// The dialog acts on the end of its own load only (the machine window's
// rule): the notice of the contact run that follows a load arrives once the
// loader has handed over.
#pragma once

#include <memory>
#include <string>

#include "FileVersionInfo.h"
#include "LoaderStateHost.h"
#include "LogText.h"
#include "MachineWindow.h"
#include "RichEditCtrlContext.h"
#include "TextSinks.h"
#include "resource.h"

template <typename Machine>
class CLoaderDlg : public CMachineDialog {
public:
    explicit CLoaderDlg(std::unique_ptr<Machine> machine)
        : CMachineDialog(*machine, MachineRegistration::FromFirstShow, IDD_LOADER),
          m_model(GetModel()),
          m_machine(std::move(machine))
    {
    }

    Machine& GetMachine() { return *m_machine; }
    HRESULT Result() const { return m_result; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message != WM_APP_LOG_TEXT)
            return CMachineDialog::OnMessage(message, wParam, lParam, result);
        AppendLog(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    }

    BOOL OnInitDialog() override
    {
        m_log.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
        m_logFont.reset(CreateLogFont(m_hwnd));
        m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont.get()), FALSE);
        m_resize.Init(m_hwnd,
                      {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y},
                       {IDC_LOADER_PROGRESS, DLSZ_SIZE_X | DLSZ_MOVE_Y},
                       {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}},
                      true);
        AppendLogAndStatus(GetProgramVersionText());
        AppendLogAndStatus(GetOsVersionText());
        AppendLogAndStatus(m_model.DescribeConnection());
        CenterOn(GetWindow(m_hwnd, GW_OWNER));
        return TRUE;
    }

    // A minimised owner hides and shows the dialog: the load neither stops
    // nor starts again for that.
    void OnFirstShow() override
    {
        SetWindowTextW(m_hwnd, FormatText(IDS_SENDING_FIRMWARE_TITLE, kDeviceWord).c_str());
        // The dialog's own machine is new, so never busy: a start that fails
        // has ended it, and its notice reports the failure.
        Run([this] { return m_machine->StartLoad(m_hwnd); });
    }

    void OnDestroy() override
    {
        m_log.Unsubclass();
        CMachineDialog::OnDestroy();
    }

    // Busy lasts until the contact run after the load has ended too.
    SQuestion CloseQuestion() override
    {
        return {IDS_CLOSE_WHILE_SENDING, IDS_CRITICAL_OPERATION, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2};
    }
    // Yes ends the dialog; the machine stays where it is, and sends and
    // arms nothing more, whatever box its handler shows now (the N8's).
    void OnInterrupt() override
    {
        m_machine->GiveUp();
        EndDialog(IDCANCEL);
    }
    void OnCloseIdle() override
    {
        m_result = MapResult(m_result);
        EndDialog(m_result >= 0 ? IDOK : IDCANCEL);
    }

    void OnMachineFinished(HRESULT result) override
    {
        // The loader's own failure stands, whatever the contact run found.
        const HRESULT own = MapResult(m_machine->m_result);
        m_result = own < 0 ? own : MapResult(result);
        SetDlgItemTextW(m_hwnd, IDCANCEL, LoadResString(IDS_CLOSE).c_str());
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
                           FormatFailureText(static_cast<DWORD>(m_result), m_model.LostPort()).c_str());
        AppendLogAndStatus(IDS_CLICK_CLOSE);
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

    void LogRetryStatistics()
    {
        if (m_machine->m_totalRetries == 0)
            return;
        m_machine->Report(IDS_TOTAL_RETRIES, m_machine->m_totalRetries);
        m_machine->Report(IDS_HIGHEST_RETRIES, m_machine->m_highestRetries);
    }

    CModel& m_model;
    std::unique_ptr<Machine> m_machine;
    CRichEditCtrlContext m_log;
    CFontHandle m_logFont;
    HRESULT m_result = 0;
};
