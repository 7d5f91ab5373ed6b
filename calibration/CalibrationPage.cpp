#include "CalibrationPage.h"

#include <memory>
#include <new>

#include "Model.h"
#include "TXGainFile.h"
#include "TXGainSummaryDlg.h"
#include "TXGainWizard.h"
#include "ToolTips.h"
#include "WindowMessages.h"
#include "resource.h"

namespace {

// The TX gain calibration asks for the option modules, which the radio
// answers from this firmware on; RF gain tables need the block EEPROM commands.
bool FromOptionModules(unsigned short mcuVersion, bool)
{
    return mcuVersion >= MCU_OPTION_MODULE_VERSION;
}

bool FromBlockEeprom(unsigned short mcuVersion, bool)
{
    return mcuVersion >= MCU_BLOCK_EEPROM_VERSION;
}

bool WhenFileFound(unsigned short mcuVersion, bool fileFound)
{
    return FromOptionModules(mcuVersion, fileFound) && fileFound;
}

void OpenTXGainWizard(HWND page)
{
    std::unique_ptr<CTXGCSheetQ7> sheet;
    try {
        sheet = std::make_unique<CTXGCSheetQ7>(IDS_TXGC_TITLE);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_OUTOFMEMORY);
        return;
    }
    sheet->DoModal(page);
}

void OpenTXGainSummary(HWND page)
{
    CTXGCSummaryDlg dialog;
    dialog.DoModal(page);
}

// What each button opens, and from which firmware. The RF gain wizard is not
// here yet.
const CCalibrationPage::Tool kTools[] = {
    {IDC_CALIBRATE_RF_GAIN, IDS_TIP_RF_GAIN, nullptr, FromBlockEeprom},
    {IDC_CALIBRATE_TX_GAIN, IDS_TIP_TX_GAIN, OpenTXGainWizard, FromOptionModules},
    {IDC_TX_GAIN_SUMMARY, IDS_TIP_TX_GAIN_SUMMARY, OpenTXGainSummary, WhenFileFound},
};

const CCalibrationPage::Tool* FindTool(int buttonId)
{
    for (const CCalibrationPage::Tool& tool : kTools) {
        if (tool.buttonId == buttonId)
            return &tool;
    }
    return nullptr;
}

}  // namespace

CCalibrationPage::CCalibrationPage() : CPropertyPage(IDD_CALIBRATION)
{
    SetHelpTopic(L"CalibrationPage.htm");
}

bool CCalibrationPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_APP_CONNECTION_STATUS)
        return CPropertyPage::OnMessage(message, wParam, lParam, result);
    UpdateButtons();
    return true;
}

BOOL CCalibrationPage::OnInitDialog()
{
    m_toolTip = CreateToolTip(m_hwnd, 0);
    for (const Tool& tool : kTools)
        AddToolTip(m_toolTip, m_hwnd, tool.buttonId, tool.toolTipId);
    return TRUE;
}

void CCalibrationPage::OnShow(bool shown, UINT)
{
    m_subscriptions.RemoveAll();
    if (!shown)
        return;
    CModel& model = GetModel();
    m_subscriptions.Add(m_hwnd, model.ConnectionStatus);
    model.ConnectionStatus.NotifyWindow(m_hwnd);
}

bool CCalibrationPage::OnCommand(UINT id, UINT code, HWND control)
{
    const Tool* tool = FindTool(static_cast<int>(id));
    if (!tool || code != BN_CLICKED)
        return CPropertyPage::OnCommand(id, code, control);
    if (tool->open)
        tool->open(m_hwnd);
    // A wizard run may have written the radio's first data file.
    UpdateButtons();
    return true;
}

HWND CCalibrationPage::OnQueryInitialFocus()
{
    return Item(IDC_CALIBRATE_RF_GAIN);
}

void CCalibrationPage::UpdateButtons()
{
    CModel& model = GetModel();
    const bool running = model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && model.IsQ7Device();
    const unsigned short mcuVersion = model.McuVersion();
    if (running && FromOptionModules(mcuVersion, false) && !m_fileFound)
        m_fileFound = TXGainFileExists(m_hwnd);
    for (const Tool& tool : kTools)
        EnableWindow(Item(tool.buttonId), running && tool.usable(mcuVersion, m_fileFound));
}
