#include "FirmwarePage.h"

#include <richedit.h>

#include "FirmwareDownloadDlg.h"
#include "LogText.h"
#include "Model.h"
#include "TextSinks.h"
#include "TextOrId.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr LPARAM kLogLimit = 2 * 1024 * 1024;

}  // namespace

CFirmwarePage::CFirmwarePage() : CPropertyPage(IDD_FIRMWARE) {}

CFirmwarePage::~CFirmwarePage()
{
    if (m_logFont)
        DeleteObject(m_logFont);
}

bool CFirmwarePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_APP_PAGE_TEXT:
        OnPageText(lParam);
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COPY_NEW_FILES) {
            OnCopyNewFiles();
            return true;
        }
        break;
    case WM_DESTROY:
        m_log.Unsubclass();
        break;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CFirmwarePage::OnInitDialog()
{
    m_log.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_log.Send(EM_EXLIMITTEXT, 0, kLogLimit);
    if (!m_logFont)
        m_logFont = CreateLogFont(m_hwnd);
    m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont), FALSE);
}

void CFirmwarePage::OnPageText(LPARAM text)
{
    const std::wstring line = text ? TextOrId(reinterpret_cast<const wchar_t*>(text)).Text() : std::wstring();
    AppendLogText(m_log.Handle(), FormatTimeStamp() + line);
}

void CFirmwarePage::OnCopyNewFiles()
{
    const std::wstring folder = GetModel().FirmwareFolder.Get();
    CFirmwareFileSet files;
    files.Scan(folder);
    CFtpDlg(folder, files, LoadResString(IDS_FIRMWARE_SERVER)).DoModal(m_hwnd);
    TraceToMainWindow(m_hwnd, IDS_READY);
    // The folder's content changed: the page shows it afresh.
    Send(WM_APP_FIRMWARE_FOLDER);
}
