// A fresh folder under the temporary folder, removed with its contents.
#pragma once

#include <windows.h>

#include <string>

class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // The path of a name inside the folder.
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Creates a file with the given bytes.
    void WriteFile(const std::wstring& name, const std::string& bytes) const;
    // The whole content of a file; empty when it cannot be read.
    std::string ReadFile(const std::wstring& name) const;

private:
    std::wstring m_path;
};
