#include "RFGainTables.h"

#include <richedit.h>

#include "EepromAccess.h"
#include "Model.h"
#include "TextUtil.h"

const RFGainTable kFactoryRFGainTable = {
    0x20, 0x00, 0x74, 0x01, 0x35, 0x01, 0x37, 0x02, 0x38, 0x02, 0x39, 0x01, 0x39, 0x03, 0x3C, 0x03,
    0x3A, 0x02, 0x3C, 0x03, 0x3B, 0x03, 0x3D, 0x04, 0x3E, 0x05, 0x3E, 0x06, 0x3D, 0x06, 0x3C, 0x08,
    0x3F, 0x09, 0x3C, 0x0C, 0x3C, 0x0D, 0x3E, 0x0E, 0x3D, 0x10, 0x3F, 0x0F, 0x3C, 0x0F, 0x40, 0x0E,
    0x3F, 0x0F, 0x3F, 0x10, 0x3E, 0x14, 0x3F, 0x1A, 0x40, 0x1F, 0x41, 0x22, 0x3F, 0x27, 0x3F, 0x2D,
    0x41, 0x33, 0x3F, 0x3E, 0x40, 0x4A, 0x41, 0x50, 0x40, 0x3B, 0x3F, 0x11, 0x3E, 0x02, 0x44, 0x01,
    0x3E, 0x00, 0x3F, 0x00, 0x41, 0x00, 0x3F, 0x00, 0x3F, 0x01, 0x40, 0x00, 0x40, 0x00, 0x40, 0x01,
    0x41, 0x03, 0x3D, 0x06, 0x43, 0x13, 0x41, 0x20, 0x41, 0x24, 0x3F, 0x18, 0x40, 0x0B, 0x41, 0x07,
    0x42, 0x03, 0x3C, 0x04, 0x42, 0x01, 0x41, 0x00, 0xEE, 0x00, 0x74, 0x51, 0x23, 0x6D, 0x53, 0x38,
};

unsigned RFGainTableAddress(BYTE receiver)
{
    return receiver == RFGC_SUB_RX ? GetSubRXGainTableAddress() : GetMainRXGainTableAddress();
}

const wchar_t* RFGainRegistryValueName(BYTE receiver)
{
    return receiver == RFGC_SUB_RX ? L"RFGainCalibrationSubRXTable" : L"RFGainCalibrationMainRXTable";
}

bool LoadRFGainRegistryTable(BYTE receiver, RFGainTable& table)
{
    // Read afresh each time: the value is made by hand while the program
    // runs. Its 256 digits leave room for any spacing a person types.
    constexpr size_t kLongestTableText = 4096;
    CPersistable<std::wstring> value(RFGainRegistryValueName(receiver), 0, std::wstring(), kLongestTableText);
    value.Load(GetModel().AppKey());
    return ParseHexText(value.Get(), table.size(), table.data());
}

std::wstring DspTableReadCommand()
{
    return L"!bb00" + std::wstring(2 * RF_GAIN_TABLE_SIZE, L'0') + L";";
}

std::wstring DspTableWriteCommand(const RFGainTable& table)
{
    return L"!bc" + BytesToHex(table.data(), table.size()) + L";";
}

std::wstring FormatTableDump(const RFGainTable& table)
{
    const std::wstring hex = BytesToHex(table.data(), table.size());
    std::wstring dump;
    for (size_t offset = 0; offset < hex.size(); offset += 8) {
        dump += hex.substr(offset, 8);
        dump += offset % 32 == 24 ? L"\n" : L" ";
    }
    return dump + L"\n";
}

std::vector<std::wstring> FormatTableComparison(const RFGainTable& dsp, const RFGainTable& eeprom)
{
    if (dsp == eeprom)
        return {L"\nDSP and MCU EEPROM content are identical\n\n", FormatTableDump(dsp)};
    return {L"\nDSP and MCU EEPROM content differ\n", L"\nDSP contains\n", FormatTableDump(dsp),
            L"\nMCU EEPROM contains\n", FormatTableDump(eeprom)};
}

void CompareTables(HWND richEdit, const RFGainTable& dsp, const RFGainTable& eeprom)
{
    // A plain append: the log's line helper would put "\r\n" before each piece.
    for (const std::wstring& piece : FormatTableComparison(dsp, eeprom)) {
        const LRESULT length = SendMessageW(richEdit, WM_GETTEXTLENGTH, 0, 0);
        SendMessageW(richEdit, EM_SETSEL, length, length);
        SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
}
