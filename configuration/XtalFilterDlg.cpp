#include "XtalFilterDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "TextSinks.h"
#include "ToolTips.h"
#include "resource.h"

namespace {

const wchar_t kHelpTopic[] = L"EditFiltersDialog.htm";

// The first check box of each mode, in mode-map order.
const int kModeFirstIds[FILTER_MODES] = {IDC_FILTER_CW_FIRST,   IDC_FILTER_LSB_FIRST, IDC_FILTER_USB_FIRST,
                                         IDC_FILTER_DATA_FIRST, IDC_FILTER_AM_FIRST,  IDC_FILTER_FM_FIRST};

// The transmit controls, shown only for the main receiver.
const int kTransmitLabelIds[] = {IDC_FILTER_TX_CW_LABEL, IDC_FILTER_TX_SSB_LABEL, IDC_FILTER_TX_AM_LABEL,
                                 IDC_FILTER_TX_FM_LABEL};
const int kTransmitFirstIds[] = {IDC_FILTER_TX_CW_FIRST, IDC_FILTER_TX_SSB_FIRST, IDC_FILTER_TX_AM_FIRST};

// The slot of an id in a row of five, or -1.
int SlotOf(int id, int firstId)
{
    return id >= firstId && id < firstId + static_cast<int>(FILTER_SLOTS) ? id - firstId : -1;
}

}  // namespace

CXtalFilterDlg::CXtalFilterDlg()
    : CMachineDialog(m_machine, MachineRegistration::FromFirstShow,
                     GetModel().Accessibility.Get() != 0 ? IDD_XTAL_FILTER_ACCESSIBLE : IDD_XTAL_FILTER)
{
    SetHelpTopic(kHelpTopic);
}

bool CXtalFilterDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_APP_FILTER_RECEIVER:
        OnReceiver();
        return true;
    case WM_APP_FILTER_BANDWIDTH:
        if (wParam < FILTER_SLOTS)
            SetBandwidth(static_cast<unsigned>(wParam), BandwidthHz(m_machine.m_bandwidth.Get(wParam)));
        return true;
    case WM_APP_FILTER_GAIN:
        if (wParam < FILTER_SLOTS)
            SetGain(static_cast<unsigned>(wParam), m_machine.m_gain.Get(wParam));
        return true;
    case WM_APP_FILTER_OFFSET:
        if (wParam < FILTER_SLOTS) {
            const int slot = static_cast<int>(wParam);
            SetOffset(slot, OffsetHz(m_machine.m_offset.Get(slot)));
            EnableWindow(Item(IDC_FILTER_OFFSET_FIRST + slot), TRUE);
            EnableWindow(Item(IDC_FILTER_OFFSET_SPIN_FIRST + slot), TRUE);
        }
        return true;
    case WM_APP_FILTER_MODE_MAP:
        if (wParam < FILTER_MODES)
            OnModeMap(static_cast<unsigned>(wParam));
        return true;
    case WM_APP_TX_AM_FILTER:
        OnTransmitFilter(m_machine.m_txAm, IDC_FILTER_TX_AM_FIRST);
        return true;
    case WM_APP_TX_CW_FILTER:
        OnTransmitFilter(m_machine.m_txCw, IDC_FILTER_TX_CW_FIRST);
        return true;
    case WM_APP_TX_SSB_FILTER:
        OnTransmitFilter(m_machine.m_txSsb, IDC_FILTER_TX_SSB_FIRST);
        return true;
    }
    return CMachineDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CXtalFilterDlg::OnInitDialog()
{
    static UDACCEL bandwidthSteps[] = {{0, 50}, {2, 250}, {4, 1250}};
    static UDACCEL offsetSteps[] = {{0, 10}, {2, 50}, {4, 250}};
    for (unsigned s = 0; s < FILTER_SLOTS; ++s) {
        const HWND bandwidth = Item(IDC_FILTER_BANDWIDTH_SPIN_FIRST + s);
        SendMessageW(bandwidth, UDM_SETRANGE32, 0, BANDWIDTH_MAX_HZ);
        SendMessageW(bandwidth, UDM_SETACCEL, 3, reinterpret_cast<LPARAM>(bandwidthSteps));
        const HWND offset = Item(IDC_FILTER_OFFSET_SPIN_FIRST + s);
        SendMessageW(offset, UDM_SETRANGE32, static_cast<WPARAM>(OFFSET_MIN_HZ), OFFSET_MAX_HZ);
        SendMessageW(offset, UDM_SETACCEL, 3, reinterpret_cast<LPARAM>(offsetSteps));
        SendMessageW(Item(IDC_FILTER_GAIN_SPIN_FIRST + s), UDM_SETRANGE32, 0, 8);
    }
    CheckDlgButton(m_hwnd, IDC_FILTER_TX_FM, BST_CHECKED);

    const HWND toolTip = CreateBalloonToolTip(m_hwnd);
    const UINT amTip =
        GetModel().McuVersion() < MCU_WIDE_TX_AM_VERSION ? IDS_TIP_FILTER_TX_AM : IDS_TIP_FILTER_TX_AM_WIDE;
    for (int s = 0; s < static_cast<int>(FILTER_SLOTS); ++s) {
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_BANDWIDTH_FIRST + s, IDS_TIP_FILTER_BANDWIDTH);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_OFFSET_FIRST + s, IDS_TIP_FILTER_OFFSET);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_GAIN_FIRST + s, IDS_TIP_FILTER_GAIN);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_CW_FIRST + s, IDS_FILTER_TOO_WIDE_FOR_CW);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_TX_CW_FIRST + s, IDS_TIP_FILTER_TX_CW);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_TX_SSB_FIRST + s, IDS_TIP_FILTER_TX_SSB);
        AddToolTip(toolTip, m_hwnd, IDC_FILTER_TX_AM_FIRST + s, amTip);
    }
    AddToolTip(toolTip, m_hwnd, IDC_FILTER_TX_FM, IDS_TIP_FILTER_TX_FM);
    AddToolTip(toolTip, m_hwnd, IDC_FILTER_APPLY, IDS_TIP_FILTER_APPLY);
    CenterOn(GetWindow(m_hwnd, GW_OWNER));
    return TRUE;
}

// Only the first show reads; a hide changes nothing.
void CXtalFilterDlg::OnFirstShow()
{
    CEventSource* const values[] = {&m_machine.m_bandwidth, &m_machine.m_gain, &m_machine.m_modeMap,
                                    &m_machine.m_offset,    &m_machine.m_txAm, &m_machine.m_txCw,
                                    &m_machine.m_txSsb};
    for (CEventSource* value : values) {
        m_subscriptions.Add(m_hwnd, *value);
        value->NotifyWindow(m_hwnd);
    }
    // The receiver's notice starts the first read.
    m_subscriptions.Add(m_hwnd, m_machine.m_receiver);
    m_machine.m_receiver.NotifyWindow(m_hwnd);
}

bool CXtalFilterDlg::OnCommand(UINT commandId, UINT code, HWND control)
{
    const int id = static_cast<int>(commandId);
    if (code == EN_KILLFOCUS) {
        CommitEdit(id);
        return true;
    }
    if (code != BN_CLICKED)
        return CMachineDialog::OnCommand(commandId, code, control);
    switch (id) {
    case IDC_FILTER_APPLY:
        CommitFocusedEdit();
        WriteChanges();
        return true;
    case IDC_FILTER_MAIN:
    case IDC_FILTER_SUB:
        // A new receiver is read at once (its notice).
        m_machine.m_receiver.Set(id == IDC_FILTER_MAIN ? 0 : 1);
        return true;
    }
    for (unsigned mode = 0; mode < FILTER_MODES; ++mode) {
        const int slot = SlotOf(id, kModeFirstIds[mode]);
        if (slot >= 0) {
            const BYTE map = m_machine.m_modeMap.Edited(mode);
            const BYTE bit = static_cast<BYTE>(1u << slot);
            m_machine.m_modeMap.Edit(mode, IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED ? map | bit : map & ~bit);
            UpdateApply();
            return true;
        }
    }
    CObservable<BYTE>* const transmit[] = {&m_machine.m_txCw, &m_machine.m_txSsb, &m_machine.m_txAm};
    for (size_t i = 0; i < 3; ++i) {
        const int slot = SlotOf(id, kTransmitFirstIds[i]);
        if (slot >= 0) {
            transmit[i]->Edit(0, static_cast<BYTE>(slot));
            UpdateApply();
            return true;
        }
    }
    return CMachineDialog::OnCommand(commandId, code, control);
}

bool CXtalFilterDlg::OnOK()
{
    CommitFocusedEdit();
    if (!ValidateFilters())
        return true;
    if (m_machine.IsModified() && WriteChanges())
        m_closeWhenWritten = true;
    else
        EndDialog(IDOK);
    return true;
}

bool CXtalFilterDlg::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.code != UDN_DELTAPOS)
        return CMachineDialog::OnNotify(header, result);
    result = OnDeltaPos(reinterpret_cast<const NMUPDOWN&>(header));
    return true;
}

LRESULT CXtalFilterDlg::OnDeltaPos(const NMUPDOWN& change)
{
    const int id = static_cast<int>(change.hdr.idFrom);
    if (const int slot = SlotOf(id, IDC_FILTER_BANDWIDTH_SPIN_FIRST); slot >= 0) {
        int hz = std::clamp(ParseEdit(IDC_FILTER_BANDWIDTH_FIRST + slot, 0, BANDWIDTH_MAX_HZ) + change.iDelta, 0,
                            BANDWIDTH_MAX_HZ);
        // 12.70 and 13.00 are neighbours when stepping.
        if (hz > BANDWIDTH_SNAP_HZ)
            hz = change.iDelta < 0 ? BANDWIDTH_SNAP_HZ : BANDWIDTH_MAX_HZ;
        SetBandwidth(slot, hz);
    } else if (const int slot = SlotOf(id, IDC_FILTER_OFFSET_SPIN_FIRST); slot >= 0) {
        SetOffset(slot, std::clamp(ParseEdit(IDC_FILTER_OFFSET_FIRST + slot, OFFSET_MIN_HZ, OFFSET_MAX_HZ) +
                                       change.iDelta,
                                   OFFSET_MIN_HZ, OFFSET_MAX_HZ));
    } else if (const int slot = SlotOf(id, IDC_FILTER_GAIN_SPIN_FIRST); slot >= 0) {
        SetGain(slot, std::clamp(change.iPos + change.iDelta, 0, 8));
    } else {
        return 0;
    }
    UpdateApply();
    return 1;  // the control's own step is replaced by ours
}

void CXtalFilterDlg::OnReceiver()
{
    const unsigned receiver = m_machine.m_receiver.Get();
    CheckRadioButton(m_hwnd, IDC_FILTER_MAIN, IDC_FILTER_SUB, receiver == 0 ? IDC_FILTER_MAIN : IDC_FILTER_SUB);
    const int show = receiver == 0 ? SW_SHOW : SW_HIDE;
    for (size_t i = 0; i < 3; ++i) {
        ShowWindow(Item(kTransmitLabelIds[i]), show);
        for (unsigned s = 0; s < FILTER_SLOTS; ++s)
            ShowWindow(Item(kTransmitFirstIds[i] + s), show);
    }
    ShowWindow(Item(IDC_FILTER_TX_FM_LABEL), show);
    ShowWindow(Item(IDC_FILTER_TX_FM), show);
    if (receiver < 2 && !IsMachineBusy())
        Run([this] {
            if (!m_machine.StartRead())
                return false;
            EnableControls(false);
            return true;
        });
}

void CXtalFilterDlg::OnModeMap(unsigned mode)
{
    const BYTE map = m_machine.m_modeMap.Get(mode);
    for (unsigned s = 0; s < FILTER_SLOTS; ++s) {
        const int id = kModeFirstIds[mode] + static_cast<int>(s);
        EnableWindow(Item(id), TRUE);
        CheckDlgButton(m_hwnd, id, map & (1u << s) ? BST_CHECKED : BST_UNCHECKED);
    }
}

void CXtalFilterDlg::OnTransmitFilter(const CObservable<BYTE>& value, int firstId)
{
    for (unsigned s = 0; s < FILTER_SLOTS; ++s) {
        const int id = firstId + static_cast<int>(s);
        CheckDlgButton(m_hwnd, id, value.Get() == s ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(Item(id), TRUE);
    }
}

int CXtalFilterDlg::SetSpin(int firstId, unsigned slot, int position)
{
    const HWND spin = Item(firstId + static_cast<int>(slot));
    SendMessageW(spin, UDM_SETPOS32, 0, position);
    return static_cast<int>(SendMessageW(spin, UDM_GETPOS32, 0, 0));
}

void CXtalFilterDlg::SetBandwidth(unsigned slot, int hz)
{
    const int position = SetSpin(IDC_FILTER_BANDWIDTH_SPIN_FIRST, slot, hz);
    m_machine.m_bandwidth.Edit(slot, BandwidthByte(position));
    SetDlgItemTextW(m_hwnd, IDC_FILTER_BANDWIDTH_FIRST + static_cast<int>(slot), FormatBandwidth(position).c_str());
}

void CXtalFilterDlg::SetOffset(unsigned slot, int hz)
{
    const int position = SetSpin(IDC_FILTER_OFFSET_SPIN_FIRST, slot, hz);
    m_machine.m_offset.Edit(slot, OffsetByte(position));
    SetDlgItemTextW(m_hwnd, IDC_FILTER_OFFSET_FIRST + static_cast<int>(slot), FormatOffset(position).c_str());
}

void CXtalFilterDlg::SetGain(unsigned slot, int position)
{
    m_machine.m_gain.Edit(slot, static_cast<BYTE>(SetSpin(IDC_FILTER_GAIN_SPIN_FIRST, slot, position)));
}

int CXtalFilterDlg::ParseEdit(int editId, int low, int high) const
{
    return ParseKHz(GetWindowString(Item(editId)), low, high);
}

void CXtalFilterDlg::CommitEdit(int id)
{
    if (const int slot = SlotOf(id, IDC_FILTER_BANDWIDTH_FIRST); slot >= 0) {
        const int hz = ParseEdit(id, 0, BANDWIDTH_MAX_HZ);
        SetBandwidth(slot, hz > BANDWIDTH_SNAP_HZ ? BANDWIDTH_MAX_HZ : hz);
    } else if (const int slot = SlotOf(id, IDC_FILTER_OFFSET_FIRST); slot >= 0) {
        SetOffset(slot, ParseEdit(id, OFFSET_MIN_HZ, OFFSET_MAX_HZ));
    } else if (const int slot = SlotOf(id, IDC_FILTER_GAIN_FIRST); slot >= 0) {
        // The up-down reads its buddy's number.
        const HWND spin = Item(IDC_FILTER_GAIN_SPIN_FIRST + slot);
        SetGain(slot, static_cast<int>(SendMessageW(spin, UDM_GETPOS32, 0, 0)));
    } else {
        return;
    }
    UpdateApply();
}

void CXtalFilterDlg::CommitFocusedEdit()
{
    const HWND focus = GetFocus();
    if (focus && IsChild(m_hwnd, focus))
        CommitEdit(GetDlgCtrlID(focus));
}

void CXtalFilterDlg::UpdateApply()
{
    const bool modified = m_machine.IsModified();
    EnableWindow(Item(IDC_FILTER_APPLY), modified);
    const bool switchable = GetModel().SecondReceiver == SUBRX_INSTALLED && !modified;
    EnableWindow(Item(IDC_FILTER_MAIN), switchable);
    EnableWindow(Item(IDC_FILTER_SUB), switchable);
    CheckRadioButton(m_hwnd, IDC_FILTER_MAIN, IDC_FILTER_SUB,
                     m_machine.m_receiver.Get() == 0 ? IDC_FILTER_MAIN : IDC_FILTER_SUB);
}

void CXtalFilterDlg::EnableControls(bool enable)
{
    for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const bool label = id == IDC_STATIC || (id >= IDC_FILTER_TX_AM_LABEL && id <= IDC_FILTER_TX_SSB_LABEL);
        if (id != IDCANCEL && !label)
            EnableWindow(child, enable);
    }
    if (!enable)
        return;
    UpdateApply();
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_FILTER_BANDWIDTH_FIRST)), TRUE);
}

bool CXtalFilterDlg::ValidateFilters()
{
    FilterSettings settings;
    for (unsigned s = 0; s < FILTER_SLOTS; ++s) {
        settings.bandwidth[s] =
            static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_FILTER_BANDWIDTH_SPIN_FIRST + s, UDM_GETPOS32, 0, 0));
        for (unsigned mode = 0; mode < FILTER_MODES; ++mode)
            settings.enabled[s][mode] = IsDlgButtonChecked(m_hwnd, kModeFirstIds[mode] + s) == BST_CHECKED;
    }
    int* const transmit[] = {&settings.txCw, &settings.txSsb, &settings.txAm};
    for (size_t i = 0; i < 3; ++i) {
        for (unsigned s = 0; s < FILTER_SLOTS; ++s) {
            if (IsDlgButtonChecked(m_hwnd, kTransmitFirstIds[i] + s) == BST_CHECKED)
                *transmit[i] = static_cast<int>(s);
        }
    }
    settings.subReceiver = m_machine.m_receiver.Get() != 0;
    settings.mcuVersion = GetModel().McuVersion();
    const auto failure = CheckFilterRules(settings);
    if (!failure)
        return true;
    const std::wstring text = FormatText(failure->textId, failure->slot);
    MessageBoxW(m_hwnd, text.c_str(), LoadResString(IDS_XTAL_FILTER_ERROR_CAPTION).c_str(), MB_OK | MB_ICONHAND);
    return false;
}

bool CXtalFilterDlg::WriteChanges()
{
    if (!ValidateFilters() || !m_machine.IsModified() || m_machine.m_receiver.Get() >= 2)
        return false;
    return Run([this] {
        if (!m_machine.StartWrite())
            return false;
        m_writing = true;
        EnableControls(false);
        return true;
    });
}

// A write runs on to the radio's restart: the dialog closes when it ends.
// A read is left: nothing is lost.
void CXtalFilterDlg::OnInterrupt()
{
    if (m_writing) {
        m_closeWhenWritten = true;
        HoldCancel();
    } else
        EndDialog(IDCANCEL);
}

void CXtalFilterDlg::OnCloseIdle()
{
    CommitFocusedEdit();
    if (!AskToSaveBeforeClose(m_machine.IsModified(), MB_DEFBUTTON2))
        return;
    // Saving was asked for on the way out: close once it is written.
    if (WriteChanges())
        m_closeWhenWritten = true;
    else
        EndDialog(IDCANCEL);
}

void CXtalFilterDlg::OnMachineFinished(HRESULT result)
{
    m_writing = false;
    if (result == 0) {
        if (m_closeWhenWritten) {
            EndDialog(IDOK);
            return;
        }
        EnableControls(true);
        return;
    }
    if (result != ERROR_CANCELLED)
        ShowErrorCodeBox(m_hwnd, static_cast<DWORD>(result), IDS_XTAL_FILTER_ERROR_CAPTION, GetModel().LostPort(),
                         m_machine.IsPartlyWritten() ? IDS_FILTER_PARTLY_WRITTEN : 0);
    EndDialog(IDCANCEL);
}

void RunXtalFilterDialog(HWND owner)
{
    CXtalFilterDlg dialog;
    dialog.DoModal(owner);
}
