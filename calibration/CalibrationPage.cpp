#include "CalibrationPage.h"

#include <memory>
#include <new>

#include "ModalRun.h"
#include "RFGainWizard.h"
#include "TXGainFile.h"
#include "TXGainSummaryDlg.h"
#include "TXGainWizard.h"
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

// What a wizard leaves to tell once it has closed: nothing, for most.
template <class Sheet>
void TellAfterWizard(HWND, Sheet&)
{
}

// The RF gain wizard leaves the radio in TX TEST, which only its Completion
// page says; after a Cancel that waited for a table's store, that it is in.
// A main window's close that closed the wizard waits for the box.
void TellAfterWizard(HWND page, CRFGCSheet& sheet)
{
    if (!sheet.LeftRadioInTXTest())
        return;
    std::wstring text = LoadResString(IDS_RFGC_TX_TEST_NOTICE);
    if (sheet.StoredTableOnCancel())
        text += L"\n" + LoadResString(IDS_RFGC_TABLE_STORED);
    CModalRun run(page);
    MessageBoxKeepingError(page, text, LoadResString(IDS_RFGC_TITLE), MB_ICONINFORMATION);
}

// A wizard with its title, run modally over the page.
template <class Sheet, UINT titleId>
void OpenWizard(HWND page)
{
    std::unique_ptr<Sheet> sheet;
    try {
        sheet = std::make_unique<Sheet>(titleId);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_OUTOFMEMORY);
        return;
    }
    sheet->DoModal(page);
    TellAfterWizard(page, *sheet);
}

void OpenTXGainSummary(HWND page)
{
    CTXGCSummaryDlg dialog;
    dialog.DoModal(page);
}

// What each button opens, and from which firmware.
const SCalibrationTool kTools[] = {
    {IDC_CALIBRATE_RF_GAIN, IDS_TIP_RF_GAIN, OpenWizard<CRFGCSheet, IDS_RFGC_TITLE>, FromBlockEeprom},
    {IDC_CALIBRATE_TX_GAIN, IDS_TIP_TX_GAIN, OpenWizard<CTXGCSheetQ7, IDS_TXGC_TITLE>, FromOptionModules},
    {IDC_TX_GAIN_SUMMARY, IDS_TIP_TX_GAIN_SUMMARY, OpenTXGainSummary, WhenFileFound},
};

}  // namespace

// Plain tips, unlike the other tabs' balloons.
CCalibrationPage::CCalibrationPage() : CLauncherPage(IDD_CALIBRATION, kTools, 0)
{
    SetHelpTopic(L"CalibrationPage.htm");
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
    for (const SCalibrationTool& tool : kTools)
        EnableWindow(Item(tool.buttonId), running && tool.usable(mcuVersion, m_fileFound));
}
