#include "TXGainFile.h"

#include <shlwapi.h>

#include <vector>

#include "FileVersionInfo.h"
#include "Files.h"
#include "Folders.h"
#include "Model.h"
#include "TextOrId.h"
#include "TextSinks.h"
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
    return GetTXGainFilePath(owner, GetModel().SerialNumber.Get());
}

std::wstring GetTXGainFilePath(HWND owner, unsigned short serialNumber)
{
    return CombinePath(GetTXGainFolder(owner), GetTXGainFileName(serialNumber));
}

bool TXGainFileExists(HWND owner)
{
    const std::wstring path = GetTXGainFilePath(owner);
    return !path.empty() && FindFileExists(path);
}

void TakeTXGainRadio(STXGainRecord& record)
{
    if (!record.connection.empty())
        return;
    CModel& model = GetModel();
    record.serialNumber = model.SerialNumber.Get();
    record.connection = model.DescribeConnection();
}

std::wstring FormatTXGainBlock(const SYSTEMTIME& time, const STXGainRecord& record, const std::wstring& version)
{
    std::wstring text = FormatText(L"%s TX Gain Calibration data written on %u-%02u-%02u at %02u:%02u:%02u\r\n",
                                   kDeviceWord, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                                   time.wSecond);
    if (record.serialNumber != SERIAL_NUMBER_UNKNOWN)
        text += FormatText(L"%s Serial Number %05u", kDeviceWord, static_cast<unsigned>(record.serialNumber));
    text += L"\r\n" + record.connection + L"\r\n" + version + L"\r\n" + record.summary + L"\r\n";
    return text;
}

bool WriteTXGainFile(HWND owner, const STXGainRecord& record)
{
    if (record.summary.empty())
        return true;
    const std::wstring path = GetTXGainFilePath(owner, record.serialNumber);
    if (path.empty()) {
        CFileWrite2 file(owner, IDS_TXGC_FILE_ERROR);
        file.ReportAs(GetTXGainFileName(record.serialNumber));
        SetLastError(ERROR_PATH_NOT_FOUND);
        return file.ReportFailure(L"CreateFile");
    }
    return WriteTXGainFile(owner, path, record);
}

namespace {

// A block is about 430 bytes: this is some 39,000 calibrations.
constexpr DWORD kLongestRecord = 16 << 20;

// The file's whole text in `file`, or nothing when there is no such file;
// false when it is there but cannot be read. Others may hold it open, for
// reading or writing: it is only read.
bool ReadOldFile(const std::wstring& path, CFileRead3& file)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
    }
    return file.Open(path, kLongestRecord, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

// A name beside the record that no file has yet: the record's name with
// the time of the block.
std::wstring KeptBlockPath(const std::wstring& path, const SYSTEMTIME& time)
{
    std::wstring stem = path;
    stem.erase(stem.size() - wcslen(PathFindExtensionW(stem.c_str())));
    stem += FormatText(L" %04u%02u%02uT%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                       time.wSecond);
    std::wstring kept = stem + L".txt";
    for (unsigned n = 2; GetFileAttributesW(kept.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        kept = stem + FormatText(L" (%u).txt", n);
    return kept;
}

// The block in a file of its own, and one box that says why and where.
void KeepBlockBeside(HWND owner, const std::wstring& path, const SYSTEMTIME& time, const std::wstring& block,
                     const std::wstring& failure)
{
    const std::wstring keptPath = KeptBlockPath(path, time);
    CFileWrite2 kept(owner, IDS_TXGC_FILE_ERROR);
    if (kept.Replace(keptPath, L"q7t", [&] { return kept.WriteString(block); }))
        ShowErrorBox(owner, IDS_TXGC_FILE_ERROR, IDS_TXGC_BLOCK_KEPT_BESIDE, failure.c_str(), keptPath.c_str());
    else
        ShowErrorBox(owner, IDS_TXGC_FILE_ERROR, L"%s", failure.c_str());
}

}  // namespace

bool WriteTXGainFile(HWND owner, const std::wstring& path, const STXGainRecord& record)
{
    if (record.summary.empty())
        return true;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring block = FormatTXGainBlock(now, record, GetProgramVersionText());
    // A failure here is told only once the block is safe.
    CFileRead3 old(owner, IDS_TXGC_FILE_ERROR);
    CFileWrite2 file(owner, IDS_TXGC_FILE_ERROR);
    old.HoldReports();
    file.HoldReports();
    if (ReadOldFile(path, old) && file.Replace(path, L"q7t", [&] {
            const std::vector<BYTE>& text = old.Bytes();
            return file.WriteString(block) &&
                   (text.empty() || file.Write(text.data(), static_cast<DWORD>(text.size())));
        }))
        return true;
    const DWORD error = GetLastError();
    KeepBlockBeside(owner, path, now, block, old.HeldReport() + file.HeldReport());
    SetLastError(error);
    return false;
}
