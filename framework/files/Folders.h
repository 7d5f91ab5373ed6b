// Folders and paths: creation with the user's consent, the per-user
// application-data folders, and version numbers carried in file names.
#pragma once

#include <windows.h>

#include <string>

#include "TextOrId.h"

// Asks the user to create a missing folder (again after a failed creation);
// true once the folder exists.
bool EnsureFolderExists(HWND owner, const std::wstring& path);

// One level. A drive root, an existing folder or a UNC server name is fine;
// a name ending in ':' or a file of that name is not.
bool CreateFolder(TextOrId path);
// Every missing level of the path; a drive root alone needs nothing.
bool CreateFolderTree(TextOrId path);

bool FolderExists(const std::wstring& path);
// A path or a wildcard pattern that names at least one entry.
bool FindFileExists(const std::wstring& pathOrPattern);

// The user's roaming application-data folder, else the documents folder;
// empty when neither is known.
std::wstring GetAppDataFolder(HWND owner);
// The application-data folder + "\Zentrova"; empty when that is unknown.
std::wstring GetVendorAppDataFolder(HWND owner);
// The vendor folder + tail; nothing is created.
std::wstring GetVendorAppDataPath(HWND owner, const std::wstring& tail);
// The vendor folder + subfolder (which starts with "\"), both created when
// missing; empty when the vendor folder is unknown.
std::wstring CreateAppDataSubfolder(HWND owner, const std::wstring& subfolder);

// The longest path the system takes: MAX_PATH counts the terminating NUL.
inline constexpr size_t kLongestPath = MAX_PATH - 1;

// Empty when the result would not fit MAX_PATH.
std::wstring CombinePath(const std::wstring& folder, const std::wstring& name);
// The path without its last element and trailing backslash.
std::wstring GetParentFolder(TextOrId path);

// The number at the end of a file name, before the extension ("hmcu0383.hex"
// and "hmcu0383b.hex" give 383), kept to 16 bits; 0 when there is none or
// nothing but its first character comes before it ("h7.hex").
unsigned short ParseFileNameVersion(const std::wstring& path);
// "%02u.%02u" of major x 100 + minor.
std::wstring FormatVersionNumber(unsigned value);
std::wstring FormatFileNameVersion(const std::wstring& path);
