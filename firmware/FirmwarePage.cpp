#include "FirmwarePage.h"

#include <richedit.h>
#include <shlobj.h>

#include "ContactStateMachine.h"
#include "LogText.h"
#include "DspLoaderDlg.h"
#include "FirmwareDownloadDlg.h"
#include "FpfLoaderDlg.h"
#include "McuLoaderDlg.h"
#include "TextSinks.h"
#include "ToolTips.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

constexpr LPARAM kLogLimit = 2 * 1024 * 1024;
// What the folder setting takes back from the registry.
constexpr int kFolderLimit = kLongestPath;

// The Load column: box, LoadCheckbox bit, firmware kind.
struct LoadBox {
    int id;
    DWORD bit;
    FirmwareFileKind kind;
    UINT tip;
};
const LoadBox kLoadBoxes[] = {
    {IDC_LOAD_MCU, LOAD_MCU, kFirmwareMcu, IDS_TIP_LOAD_MCU},
    {IDC_LOAD_DSP1, LOAD_DSP1, kFirmwareDsp1, IDS_TIP_LOAD_DSP1},
    {IDC_LOAD_FPF, LOAD_FPF, kFirmwareFpf, IDS_TIP_LOAD_FPF},
    {IDC_LOAD_DSP2, LOAD_DSP2, kFirmwareDsp2, IDS_TIP_LOAD_DSP2},
};

// Installed-version texts by version index; 0 where no text shows it.
const int kInstalledText[VERSION_COUNT] = {IDC_INSTALLED_MCU, IDC_INSTALLED_DSP1, IDC_INSTALLED_FPF,
                                           IDC_INSTALLED_DSP2, 0, 0, IDC_INSTALLED_DVR, 0};

const LoadBox* FindBox(int id)
{
    for (const LoadBox& box : kLoadBoxes) {
        if (box.id == id)
            return &box;
    }
    return nullptr;
}

std::wstring FileVersionText(WORD version)
{
    return FormatText(L"%02u.%02u", version / 100u, version % 100u);
}

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

int CALLBACK OnBrowseEvent(HWND window, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// Each loader as a modal dialog owned by the page.
class CPageSendDriver : public CFirmwareSendDriver {
public:
    CPageSendDriver(const SendContext& context, HWND page) : CFirmwareSendDriver(context), m_page(page) {}

protected:
    bool HasLoader(FirmwareFileKind) override { return true; }
    bool RunLoader(const LoadRequest& request) override
    {
        switch (request.kind) {
        case kFirmwareMcu:
            return CMcuLoaderDlg(request.path, request.companion).DoModal(m_page) == IDOK;
        case kFirmwareFpf:
            return CFpfLoaderDlg(request.path).DoModal(m_page) == IDOK;
        case kFirmwareDsp1:
        case kFirmwareDsp2:
            return CDspLoaderDlg(request.kind == kFirmwareDsp1 ? DSP_MAIN : DSP_SECOND, request.path,
                                 request.tinyBoot, request.dataTable)
                       .DoModal(m_page) == IDOK;
        default:
            return false;
        }
    }

private:
    HWND m_page;
};

}  // namespace

// Without this the dialog manager would take Enter for the hidden OK button.
bool CFolderEdit::OnGetDlgCode(const MSG* key, LRESULT& code)
{
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return true;
}

bool CFolderEdit::OnKeyDown(UINT key)
{
    if (key != VK_RETURN)
        return false;
    SendMessageW(GetParent(m_hwnd), WM_NEXTDLGCTL, 0, FALSE);
    return true;
}

CFirmwarePage::CFirmwarePage() : CPropertyPage(IDD_FIRMWARE), m_model(GetModel())
{
    SetHelpTopic(L"Firmware.htm");
}

bool CFirmwarePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_PAGE_TEXT:
        OnPageText(lParam);
        return true;
    case WM_APP_ADVANCED_MODE:
        UpdateLoadColumn();
        return true;
    case WM_APP_FIRMWARE_FOLDER:
        // The edit that made the change keeps its text, and with it its selection.
        if (GetWindowString(Item(IDC_FIRMWARE_FOLDER)) != m_model.FirmwareFolder.Get())
            SetDlgItemTextW(m_hwnd, IDC_FIRMWARE_FOLDER, m_model.FirmwareFolder.Get().c_str());
        Refresh();
        return true;
    case WM_APP_CONNECTION_STATUS:
        EnableBoxes();
        EnableButtons();
        CheckReleaseNotes();
        return true;
    case WM_APP_FIRMWARE_VERSION:
        OnInstalledVersion(static_cast<unsigned>(wParam));
        return true;
    case WM_APP_LOAD_CHECKBOX:
        OnLoadCheckbox();
        return true;
    }
    return CPropertyPage::OnMessage(message, wParam, lParam, result);
}

void CFirmwarePage::OnDestroy()
{
    LoadCheckbox.Save(m_model.AppKey());
    m_log.Unsubclass();
    CPropertyPage::OnDestroy();
}

BOOL CFirmwarePage::OnInitDialog()
{
    m_log.SubclassDlgItem(m_hwnd, IDC_RICH_EDIT);
    m_log.Send(EM_EXLIMITTEXT, 0, kLogLimit);
    if (!m_logFont)
        m_logFont.reset(CreateLogFont(m_hwnd));
    m_log.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_logFont.get()), FALSE);
    m_folderEdit.SubclassDlgItem(m_hwnd, IDC_FIRMWARE_FOLDER);
    m_folderEdit.Send(EM_LIMITTEXT, kFolderLimit);
    ReplaceInWindowText(Item(IDC_INSTALLED_LABEL), L"??", kDeviceWord);

    const HWND toolTip = CreateBalloonToolTip(m_hwnd);
    const struct {
        int id;
        UINT text;
        bool withDevice;
    } tips[] = {
        {IDC_DEFAULT_FOLDER, IDS_TIP_DEFAULT_FOLDER, true}, {IDC_BROWSE_FOLDER, IDS_TIP_BROWSE_FOLDER, false},
        {IDC_COPY_NEW_FILES, IDS_TIP_COPY_NEW_FILES, false}, {IDC_CHECK_VERSIONS, IDS_TIP_CHECK_VERSIONS, true},
    };
    for (const auto& tip : tips) {
        if (!tip.withDevice) {
            AddToolTip(toolTip, m_hwnd, tip.id, tip.text);
            continue;
        }
        const std::wstring text = FormatText(tip.text, kDeviceWord);
        TOOLINFOW info{sizeof info, TTF_IDISHWND | TTF_SUBCLASS, m_hwnd, reinterpret_cast<UINT_PTR>(Item(tip.id))};
        info.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    for (const LoadBox& box : kLoadBoxes)
        AddToolTip(toolTip, m_hwnd, box.id, box.tip);

    OnPageText(reinterpret_cast<LPARAM>(GetProgramVersionText().c_str()));
    OnPageText(reinterpret_cast<LPARAM>(GetOsVersionText().c_str()));
    LoadCheckbox.Load(m_model.AppKey());
    SetFocus(Item(IDC_CHECK_VERSIONS));
    return TRUE;
}

void CFirmwarePage::OnShow(bool shown, UINT)
{
    if (!shown) {
        m_subscriptions.RemoveAll();
        return;
    }
    m_subscribing = true;
    CEventSource* sources[] = {&m_model.AdvancedMode, &m_model.FirmwareFolder, &m_model.ConnectionStatus,
                               &m_model.FirmwareVersion, &LoadCheckbox};
    for (CEventSource* source : sources) {
        m_subscriptions.Add(m_hwnd, *source);
        source->NotifyWindow(m_hwnd);
    }
    m_subscribing = false;
    Refresh();
}

bool CFirmwarePage::OnCommand(UINT id, UINT code, HWND control)
{
    if (FindBox(id)) {
        if (code == BN_CLICKED)
            OnBoxClicked(id);
        return true;
    }
    switch (id) {
    case IDC_LOAD_DATA_TABLES:
        if (code == BN_CLICKED) {
            const bool checked = IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED;
            LoadCheckbox.Set(checked ? LoadCheckbox.Get() | LOAD_DATA_TABLES : LoadCheckbox.Get() & ~LOAD_DATA_TABLES);
        }
        return true;
    case IDC_FIRMWARE_FOLDER:
        if (code == EN_KILLFOCUS)
            OnFolderEdited();
        return true;
    case IDC_BROWSE_FOLDER:
        OnBrowse();
        return true;
    case IDC_DEFAULT_FOLDER:
        SetFolder(m_model.GetDefaultFirmwareFolder());
        return true;
    case IDC_CHECK_VERSIONS:
        if (!m_sending)
            OnCheckVersionsNow();
        return true;
    case IDC_COPY_NEW_FILES:
        if (!m_sending)
            OnCopyNewFiles();
        return true;
    case IDC_SEND_ALL:
        OnSend(SendMode::CheckedOrAll);
        return true;
    case IDC_SEND_NEW:
        OnSend(SendMode::NewOnly);
        return true;
    }
    return CPropertyPage::OnCommand(id, code, control);
}

void CFirmwarePage::OnPageText(LPARAM text)
{
    const std::wstring line = text ? TextOrId(reinterpret_cast<const wchar_t*>(text)).Text() : std::wstring();
    AppendLogText(m_log.Handle(), FormatTimeStamp() + line);
}

void CFirmwarePage::OnInstalledVersion(unsigned index)
{
    if (index >= VERSION_COUNT || kInstalledText[index] == 0)
        return;
    const HWND text = Item(kInstalledText[index]);
    SetWindowTextW(text, m_model.FormatVersion(index).c_str());
    if (index == VERSION_DSP2)
        EnableWindow(text, m_model.SecondReceiver == SUBRX_INSTALLED);
    EnableBoxes();
    EnableButtons();
}

void CFirmwarePage::OnLoadCheckbox()
{
    for (const LoadBox& box : kLoadBoxes)
        CheckDlgButton(m_hwnd, box.id, (LoadCheckbox.Get() & box.bit) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hwnd, IDC_LOAD_DATA_TABLES, (LoadCheckbox.Get() & LOAD_DATA_TABLES) ? BST_CHECKED : BST_UNCHECKED);
    EnableButtons();
}

void CFirmwarePage::OnBoxClicked(UINT id)
{
    const LoadBox& box = *FindBox(id);
    bool checked = IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED;
    const unsigned short dsp2 = m_model.FirmwareVersion.Get(VERSION_DSP2);
    if (box.bit == LOAD_DSP2 && checked &&
        (dsp2 == VERSION_UNREAD || dsp2 == VERSION_LOADING || dsp2 == VERSION_NOT_APPLICABLE)) {
        const std::wstring text = LoadResString(IDS_SECOND_RECEIVER_REQUIRED);
        const std::wstring caption = LoadResString(IDS_OPTION_REQUIRED_CAPTION);
        if (MessageBoxW(m_hwnd, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
            CheckDlgButton(m_hwnd, id, BST_UNCHECKED);
            checked = false;
        }
    }
    LoadCheckbox.Set(checked ? LoadCheckbox.Get() | box.bit : LoadCheckbox.Get() & ~box.bit);
}

void CFirmwarePage::OnFolderEdited()
{
    wchar_t text[kFolderLimit + 1] = {};
    GetDlgItemTextW(m_hwnd, IDC_FIRMWARE_FOLDER, text, kFolderLimit + 1);
    SetFolder(Trimmed(text));
}

void CFirmwarePage::SetFolder(const std::wstring& folder)
{
    if (folder != m_model.FirmwareFolder.Get())
        m_model.FirmwareFolder.Set(folder);
}

void CFirmwarePage::OnBrowse()
{
    const std::wstring title = FormatText(IDS_SELECT_FIRMWARE_FOLDER, kDeviceWord);
    const std::wstring current = m_model.FirmwareFolder.Get();
    BROWSEINFOW info{};
    info.hwndOwner = m_hwnd;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &OnBrowseEvent;
    info.lParam = reinterpret_cast<LPARAM>(current.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
        return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path))
        SetFolder(path);
    CoTaskMemFree(chosen);
}

void CFirmwarePage::OnCopyNewFiles()
{
    const std::wstring folder = m_model.FirmwareFolder.Get();
    m_files.Scan(folder);
    CFtpDlg(folder, m_files, LoadResString(IDS_FIRMWARE_SERVER)).DoModal(m_hwnd);
    TraceToMainWindow(m_hwnd, IDS_READY);
    // The folder's content changed.
    Refresh();
}

void CFirmwarePage::OnCheckVersionsNow()
{
    Refresh();
    // Set notifies only the versions that were known.
    for (unsigned i = 0; i < VERSION_COUNT; ++i)
        m_model.FirmwareVersion.Set(i, VERSION_UNREAD);
    CContactStateMachine& contact = m_model.Contact();
    if (!contact.StartAtOpenPort())
        contact.Restart(contact.m_openPort);
}

void CFirmwarePage::OnSend(SendMode mode)
{
    if (m_sending)
        return;
    // One machine at a time: a busy one keeps the port.
    if (!m_model.IsIdle()) {
        ShowErrorCodeBox(m_hwnd, E_STATE_MACHINE_BUSY, IDS_FIRMWARE_ERROR_CAPTION);
        return;
    }
    if (!m_model.IsQ7Device()) {
        SendStatusText(m_hwnd, FormatText(L"Unexpected device %u\n", static_cast<unsigned>(m_model.DeviceKind.Get())));
        EnableWindow(Item(IDC_SEND_ALL), FALSE);
        EnableWindow(Item(IDC_SEND_NEW), FALSE);
        return;
    }
    if (!m_files.HasRequiredFiles()) {
        EnableWindow(Item(IDC_SEND_ALL), FALSE);
        EnableWindow(Item(IDC_SEND_NEW), FALSE);
        ShowErrorBox(m_hwnd, IDS_FIRMWARE_ERROR_CAPTION, IDS_REQUIRED_FILES_MISSING);
        return;
    }
    m_sending = true;
    CPageSendDriver driver(Context(), m_hwnd);
    driver.Run(mode);
    m_sending = false;
    EnableButtons();
}

void CFirmwarePage::Refresh()
{
    m_files.Scan(m_model.FirmwareFolder.Get());
    const struct {
        int id;
        FirmwareFileKind kind;
        bool valid;
    } available[] = {
        {IDC_AVAILABLE_MCU, kFirmwareMcu, m_files.IsMcuValid()},
        {IDC_AVAILABLE_DSP1, kFirmwareDsp1, m_files.IsDsp1Valid()},
        {IDC_AVAILABLE_DSP2, kFirmwareDsp2, m_files.IsDsp2Valid()},
        {IDC_AVAILABLE_FPF, kFirmwareFpf, !m_files.GetPath(kFirmwareFpf).empty()},
    };
    for (const auto& entry : available) {
        const std::wstring text =
            entry.valid ? FileVersionText(m_files.GetVersion(entry.kind)) : LoadResString(IDS_FILE_MISSING);
        SetDlgItemTextW(m_hwnd, entry.id, text.c_str());
    }
    if (!m_files.HasRequiredFiles())
        SendStatusText(m_hwnd, LoadResString(IDS_REQUIRED_FILES_MISSING));
    EnableBoxes();
    EnableButtons();
    CheckReleaseNotes();
}

void CFirmwarePage::UpdateLoadColumn()
{
    const unsigned long advanced = m_model.AdvancedMode.Get();
    const int show = advanced != 0 ? SW_SHOW : SW_HIDE;
    ShowWindow(Item(IDC_LOAD_LABEL), show);
    for (const LoadBox& box : kLoadBoxes)
        ShowWindow(Item(box.id), show);
    ShowWindow(Item(IDC_LOAD_DATA_TABLES), advanced != 0 && (advanced & ADVANCED_DATA_TABLES) ? SW_SHOW : SW_HIDE);
    const std::wstring caption = FormatText(advanced != 0 ? IDS_SEND_CHECKED_ITEMS : IDS_SEND_ALL_FIRMWARE, kDeviceWord);
    SetDlgItemTextW(m_hwnd, IDC_SEND_ALL, caption.c_str());
    EnableBoxes();
    EnableButtons();
}

void CFirmwarePage::EnableBoxes()
{
    if (m_model.AdvancedMode.Get() == 0)
        return;
    EnableWindow(Item(IDC_LOAD_LABEL), TRUE);
    const SendContext context = Context();
    for (const LoadBox& box : kLoadBoxes)
        EnableWindow(Item(box.id), IsBoxEnabled(context, box.kind));
}

void CFirmwarePage::EnableButtons()
{
    const SendContext context = Context();
    const bool canSend = CanSend(context);
    EnableWindow(Item(IDC_SEND_NEW), canSend && IsNewerAvailable(context));
    bool sendChecked = canSend;
    if (canSend && m_model.AdvancedMode.Get() != 0) {
        sendChecked = false;
        for (const LoadBox& box : kLoadBoxes)
            sendChecked = sendChecked || (IsBoxEnabled(context, box.kind) && (LoadCheckbox.Get() & box.bit));
    }
    EnableWindow(Item(IDC_SEND_ALL), sendChecked);
}

void CFirmwarePage::CheckReleaseNotes()
{
    const unsigned short mcu = m_model.FirmwareVersion.Get(VERSION_MCU);
    const bool mcuKnown = mcu != VERSION_UNREAD && mcu != VERSION_LOADING && mcu != VERSION_NOT_APPLICABLE;
    if (m_model.MainWindowReady && !m_subscribing && !m_sending && mcuKnown && m_model.IsQ7Device() &&
        m_files.HasNotes() && IsNewerAvailable(Context()))
        PostMessageW(m_model.MainWindow(), WM_COMMAND, ID_HELP_RELEASE_NOTES, 0);
}
