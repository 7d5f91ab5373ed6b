// Running the firmware download dialog in a test: against the loopback
// server, with the dialog's log read while it offers "Close".
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

struct DownloadRun {
    INT_PTR end = -1;
    // The log and whether the dialog stayed open with "Close".
    bool offeredClose = false;
    std::wstring log;
    DWORD ms = 0;
};

// Runs the dialog modally on the folder's scan against 127.0.0.1, closing it
// once it offers "Close". `onTick` runs on each tick while it is shown.
DownloadRun RunDownload(const std::wstring& folder, const std::function<void(HWND dialog)>& onTick = {},
                        HWND owner = nullptr);

// The names in a folder, without "." and "..".
std::set<std::wstring> FolderNames(const std::wstring& folder);

// A small, sound Intel hex file whose bytes follow from the seed.
std::string FirmwareHexText(size_t bytes, unsigned seed);
