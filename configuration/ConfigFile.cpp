#include "ConfigFile.h"

#include <array>

#include "DeviceFacts.h"
#include "EepromAccess.h"
#include "FileVersionInfo.h"
#include "Folders.h"
#include "Model.h"
#include "TextUtil.h"
#include "resource.h"

namespace {

// The most data bytes on one MEM2 line.
constexpr unsigned kMem2LineBytes = 32;

constexpr std::array<DWORD, 256> MakeCrcTable()
{
    std::array<DWORD, 256> table{};
    for (DWORD i = 0; i < 256; ++i) {
        DWORD value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = value & 1 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<DWORD, 256> kCrcTable = MakeCrcTable();

unsigned g_failingLine = 0;
DWORD g_failingError = ERROR_DISK_FULL;

std::wstring KeyValueLine(const std::wstring& key, const std::wstring& value)
{
    return key + L" = " + value;
}

}  // namespace

void Crc32UpdateByte(BYTE byte, DWORD* crc)
{
    *crc = (*crc >> 8) ^ kCrcTable[(*crc ^ byte) & 0xFF];
}

void Crc32UpdateString(const std::wstring& text, DWORD* crc)
{
    *crc = ~*crc;
    for (wchar_t character : text)
        Crc32UpdateByte(static_cast<BYTE>(character & 0xFF), crc);
    *crc = ~*crc;
}

std::wstring UtilityVersionKey()
{
    return std::wstring(kDeviceWord) + L" Utility Version";
}

std::wstring FirmwareVersionKey()
{
    return std::wstring(kDeviceWord) + L" Firmware Version";
}

std::wstring SerialNumberKey()
{
    return std::wstring(kDeviceWord) + L" Serial Number";
}

std::wstring MakeDefaultConfigurationFileName(const SYSTEMTIME& time, unsigned short serialNumber)
{
    const std::wstring prefix =
        serialNumber == SERIAL_NUMBER_UNKNOWN ? std::wstring() : FormatText(L"SN%05u.", serialNumber);
    return FormatText(L"%s%04u%02u%02uT%02u%02u%02u.%s", prefix.c_str(), time.wYear, time.wMonth, time.wDay,
                      time.wHour, time.wMinute, time.wSecond, kConfigFileExtension);
}

std::wstring GetConfigurationFolder(HWND owner)
{
    return CreateAppDataSubfolder(owner, FormatText(L"\\%s Configuration", kDeviceWord));
}

std::wstring GetConfigurationFileFilter()
{
    std::wstring filter =
        FormatText(IDS_CONFIG_FILE_FILTER, kDeviceWord, kConfigFileExtension, kConfigFileExtension);
    for (wchar_t& character : filter) {
        if (character == L'|')
            character = L'\0';
    }
    return filter;
}

CConfigFileWrite::CConfigFileWrite(HWND owner) : CFileWrite2(owner, IDS_CONFIG_FILE_WRITE_ERROR) {}

bool CConfigFileWrite::WriteLine(const std::wstring& text)
{
    if (g_failingLine != 0 && --g_failingLine == 0) {
        // Reported as a real failure is; what is left behind may be 0.
        SetLastError(g_failingError);
        ReportFailure(L"WriteFile");
        SetLastError(g_failingError);
        return false;
    }
    return CFileWrite2::WriteLine(text);
}

bool CConfigFileWrite::WriteFedLine(const std::wstring& text, DWORD* crc)
{
    Crc32UpdateString(text, crc);
    return WriteLine(text);
}

bool WriteMem2Lines(const BYTE* image, DWORD* crc, CConfigFileWrite& file)
{
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        const unsigned start = GetSavedRegionStart(region);
        const unsigned end = start + GetSavedRegionLength(region);
        for (unsigned address = start; address < end; address += kMem2LineBytes) {
            const unsigned count = std::min(kMem2LineBytes, end - address);
            const std::wstring line = FormatText(L"MEM2 %02X %02X %02X %s", address >> 8, address & 0xFF, count,
                                                 BytesToHex(image + address, count).c_str());
            if (!file.WriteFedLine(line, crc))
                return false;
        }
    }
    return true;
}

namespace {

bool WriteLines(CConfigFileWrite& file, const SYSTEMTIME& time, const BYTE* image)
{
    CModel& model = GetModel();
    DWORD crc = 0;
    const bool ok =
        file.WriteFedLine(FormatText(IDS_CONFIG_FILE_SAVED_ON, time.wYear, time.wMonth, time.wDay, time.wHour,
                                     time.wMinute, time.wSecond),
                          &crc) &&
        file.WriteFedLine(FormatText(IDS_CONFIG_FILE_DO_NOT_EDIT), &crc) &&
        file.WriteFedLine(FormatText(IDS_CONFIG_FILE_FRONT_PANEL, kDeviceWord), &crc) &&
        file.WriteFedLine(KeyValueLine(UtilityVersionKey(), GetProgramVersionText()), &crc) &&
        file.WriteFedLine(KeyValueLine(FirmwareVersionKey(), model.FormatVersion(VERSION_MCU)), &crc);
    if (!ok)
        return false;
    const unsigned short serial = model.SerialNumber.Get();
    if (serial != SERIAL_NUMBER_UNKNOWN &&
        !file.WriteFedLine(KeyValueLine(SerialNumberKey(), FormatText(L"%05u", serial)), &crc))
        return false;
    return WriteMem2Lines(image, &crc, file) && file.WriteLine(FormatText(L"CRC32 = 0x%08X", ~crc));
}

}  // namespace

bool WriteConfigurationFile(const std::wstring& path, const SYSTEMTIME& time, const BYTE* image)
{
    CConfigFileWrite file(GetModel().MainWindow());
    return file.Replace(path, L"q7c", [&] { return WriteLines(file, time, image); });
}

void FailConfigFileLineForTest(unsigned line, DWORD error)
{
    g_failingLine = line;
    g_failingError = error;
}
