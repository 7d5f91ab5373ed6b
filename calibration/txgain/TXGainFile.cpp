#include "TXGainFile.h"

#include "FileVersionInfo.h"
#include "Files.h"
#include "Folders.h"
#include "Model.h"
#include "TextOrId.h"
#include "resource.h"

std::wstring GetTXGainFolder(HWND owner)
{
    return CreateAppDataSubfolder(owner, FormatText(L"\\%s TX Gain", kDeviceWord));
}

std::wstring GetTXGainFileName(unsigned short serialNumber)
{
    if (serialNumber == SERIAL_NUMBER_UNKNOWN)
        return FormatText(L"%s TXGain.txt", kDeviceWord);
    return FormatText(L"%s TXGain SN %05u.txt", kDeviceWord, static_cast<unsigned>(serialNumber));
}

std::wstring GetTXGainFilePath(HWND owner)
{
    return CombinePath(GetTXGainFolder(owner), GetTXGainFileName(GetModel().SerialNumber.Get()));
}

bool TXGainFileExists(HWND owner)
{
    const std::wstring path = GetTXGainFilePath(owner);
    return !path.empty() && FindFileExists(path);
}

std::wstring FormatTXGainFile(const SYSTEMTIME& time, unsigned short serialNumber, const std::wstring& connection,
                              const std::wstring& version, const std::wstring& summary)
{
    std::wstring text = FormatText(L"%s TX Gain Calibration data written on %u-%02u-%02u at %02u:%02u:%02u\r\n",
                                   kDeviceWord, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                                   time.wSecond);
    if (serialNumber != SERIAL_NUMBER_UNKNOWN)
        text += FormatText(L"%s Serial Number %05u", kDeviceWord, static_cast<unsigned>(serialNumber));
    text += L"\r\n" + connection + L"\r\n" + version + L"\r\n" + summary + L"\r\n";
    return text;
}

bool WriteTXGainFile(HWND owner, const std::wstring& summary)
{
    if (summary.empty())
        return true;
    const std::wstring path = GetTXGainFilePath(owner);
    if (path.empty()) {
        CFileWrite2 file(owner, IDS_TXGC_FILE_ERROR);
        file.ReportAs(GetTXGainFileName(GetModel().SerialNumber.Get()));
        SetLastError(ERROR_PATH_NOT_FOUND);
        return file.ReportFailure(L"CreateFile");
    }
    return WriteTXGainFile(owner, path, summary);
}

bool WriteTXGainFile(HWND owner, const std::wstring& path, const std::wstring& summary)
{
    if (summary.empty())
        return true;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CModel& model = GetModel();
    const std::wstring text =
        FormatTXGainFile(now, model.SerialNumber.Get(), model.DescribeConnection(), GetProgramVersionText(), summary);
    CFileWrite2 file(owner, IDS_TXGC_FILE_ERROR);
    return file.Replace(path, L"q7t", [&] { return file.WriteString(text); });
}
