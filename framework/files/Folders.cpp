#include "Folders.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "TextSinks.h"
#include "resource.h"

bool EnsureFolderExists(HWND owner, const std::wstring& path)
{
    const std::wstring question = FormatText(IDS_CREATE_FOLDER_QUESTION, path.c_str());
    const std::wstring caption = LoadResString(IDS_CREATE_FOLDER_CAPTION);
    while (!FolderExists(path)) {
        if (MessageBoxKeepingError(owner, question, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            SetLastError(ERROR_CANCELLED);
            return false;
        }
        CreateFolderTree(path);
    }
    return true;
}

bool CreateFolder(TextOrId path)
{
    const std::wstring folder = path.Text();
    if (!folder.empty() && folder.back() == L':')
        return false;
    if (PathIsRootW(folder.c_str()) || FolderExists(folder) || PathIsUNCServerW(folder.c_str()))
        return true;
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    // A file of that name is in the way; it is no folder.
    return GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(folder);
}

bool CreateFolderTree(TextOrId path)
{
    std::wstring folder = path.Text();
    if (PathIsRootW(folder.c_str()))
        return true;
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    // The first three characters are a drive root ("C:\") or the start of a
    // UNC name ("\\s"): no level ends inside them.
    for (size_t i = 3; i < folder.size(); ++i) {
        if (folder[i] == L'\\' && !CreateFolder(folder.substr(0, i)))
            return false;
    }
    return CreateFolder(folder);
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindFileExists(const std::wstring& pathOrPattern)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(pathOrPattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

std::wstring GetAppDataFolder(HWND owner)
{
    wchar_t folder[MAX_PATH] = {};
    for (int csidl : {CSIDL_APPDATA, CSIDL_PERSONAL}) {
        if (SUCCEEDED(SHGetFolderPathW(owner, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            return folder;
    }
    return {};
}

std::wstring GetVendorAppDataFolder(HWND owner)
{
    std::wstring folder = GetAppDataFolder(owner);
    if (folder.empty())
        return {};
    if (folder.back() == L'\\')
        folder.pop_back();
    return folder + L"\\Zentrova";
}

std::wstring GetVendorAppDataPath(HWND owner, const std::wstring& tail)
{
    const std::wstring folder = GetVendorAppDataFolder(owner);
    return folder.empty() ? folder : folder + tail;
}

std::wstring CreateAppDataSubfolder(HWND owner, const std::wstring& subfolder)
{
    const std::wstring vendor = GetVendorAppDataFolder(owner);
    if (vendor.empty())
        return {};
    // Failures show later, when the folder is used.
    CreateDirectoryW(vendor.c_str(), nullptr);
    const std::wstring folder = vendor + subfolder;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring CombinePath(const std::wstring& folder, const std::wstring& name)
{
    wchar_t path[MAX_PATH] = {};
    if (!PathCombineW(path, folder.c_str(), name.c_str()))
        return {};
    return path;
}

std::wstring GetParentFolder(TextOrId path)
{
    const std::wstring text = path.Text();
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.push_back(L'\0');
    PathRemoveFileSpecW(buffer.data());
    PathRemoveBackslashW(buffer.data());
    return buffer.data();
}

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

}  // namespace

unsigned short ParseFileNameVersion(const std::wstring& path)
{
    const std::wstring name = PathFindFileNameW(path.c_str());
    const size_t extension = name.rfind(L'.');
    size_t i = extension == std::wstring::npos ? name.size() : extension;
    // The first character is never part of the number.
    while (i > 1 && !IsDigit(name[i - 1]))
        --i;
    const size_t end = i;
    while (i > 1 && IsDigit(name[i - 1]))
        --i;
    if (i == end || i <= 1)
        return 0;
    // Only the low 16 bits, however long the run: the firmware page and the
    // loaders must read one version from one name.
    unsigned short value = 0;
    for (size_t k = i; k < end; ++k)
        value = static_cast<unsigned short>(value * 10 + (name[k] - L'0'));
    return value;
}

std::wstring FormatVersionNumber(unsigned value)
{
    return FormatText(L"%02u.%02u", value / 100, value % 100);
}

std::wstring FormatFileNameVersion(const std::wstring& path)
{
    return FormatVersionNumber(ParseFileNameVersion(path));
}
