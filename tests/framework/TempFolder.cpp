#include "TempFolder.h"

namespace {

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

CTempFolder::CTempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned s_serial = 0;
    for (;;) {
        m_path = std::wstring(temp) + L"q7test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++s_serial);
        if (CreateDirectoryW(m_path.c_str(), nullptr))
            break;
    }
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

void CTempFolder::WriteFile(const std::wstring& name, const std::string& bytes) const
{
    const HANDLE file = CreateFileW((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string CTempFolder::ReadFile(const std::wstring& name) const
{
    const HANDLE file =
        CreateFileW((*this / name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}
