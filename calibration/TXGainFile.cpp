#include "TXGainFile.h"

#include "ErrorText.h"
#include "FileVersionInfo.h"
#include "Files.h"
#include "Folders.h"
#include "Model.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

bool ReportFailure(HWND owner, const wchar_t* call, const std::wstring& path)
{
    const DWORD error = LastFailure();
    ShowErrorBox(owner, IDS_TXGC_FILE_ERROR, IDS_WIN32_CALL_FAILED, call, path.c_str(), error,
                 FormatErrorText(error).c_str());
    SetLastError(error);
    return false;
}

}  // namespace

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
        SetLastError(ERROR_PATH_NOT_FOUND);
        return ReportFailure(owner, L"CreateFile", GetTXGainFileName(GetModel().SerialNumber.Get()));
    }
    return WriteTXGainFile(owner, path, summary);
}

bool WriteTXGainFile(HWND owner, const std::wstring& path, const std::wstring& summary)
{
    if (summary.empty())
        return true;
    // Replacing would succeed; a read-only file is the user's to keep.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return ReportFailure(owner, L"CreateFile", path);
    }
    std::wstring folder = GetParentFolder(path);
    if (folder.empty())
        folder = L".";
    wchar_t temporary[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"q7t", 0, temporary))
        return ReportFailure(owner, L"GetTempFileName", path);

    SYSTEMTIME now{};
    GetLocalTime(&now);
    CModel& model = GetModel();
    const std::wstring text =
        FormatTXGainFile(now, model.SerialNumber.Get(), model.DescribeConnection(), GetProgramVersionText(), summary);
    CFileWrite2 file(owner, IDS_TXGC_FILE_ERROR);
    // The temporary file is gone after a failure: the user knows the target.
    file.ReportAs(path);
    bool ok = file.Create(temporary, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL) &&
              file.WriteString(text);
    file.Close();
    if (ok && !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = ReportFailure(owner, L"MoveFileEx", path);
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary);
        SetLastError(error);
    }
    return ok;
}
