// A fresh folder under the temporary folder, removed with everything in it
// when the object goes.
#pragma once

#include <windows.h>

#include <string>

#include "NonCopyable.h"

class CTempFolder : private CNonCopyable {
public:
    CTempFolder();
    ~CTempFolder();

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Writes the bytes as the whole file and returns its path.
    std::wstring Write(const std::wstring& name, const std::string& content) const;
    std::wstring MakeFolder(const std::wstring& name) const;

private:
    std::wstring m_path;
};
