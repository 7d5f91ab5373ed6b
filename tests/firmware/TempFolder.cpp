#include "TempFolder.h"

#include <stdexcept>

namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

CTempFolder::CTempFolder()
{
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("no temporary folder");
    for (unsigned attempt = 0;; ++attempt) {
        wchar_t name[64];
        swprintf(name, 64, L"q7fw%lu_%lu_%u", GetCurrentProcessId(), GetTickCount(), attempt);
        m_path = std::wstring(temp) + name;
        if (CreateDirectoryW(m_path.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary folder");
    }
}

CTempFolder::~CTempFolder() { RemoveTree(m_path); }

std::wstring CTempFolder::Write(const std::wstring& name, const std::string& content) const
{
    const std::wstring path = File(name);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create a fixture file");
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot write a fixture file");
    return path;
}

std::wstring CTempFolder::MakeFolder(const std::wstring& name) const
{
    const std::wstring path = File(name);
    if (!CreateDirectoryW(path.c_str(), nullptr))
        throw std::runtime_error("cannot create a fixture folder");
    return path;
}
