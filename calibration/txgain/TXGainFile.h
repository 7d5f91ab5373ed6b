// The TX gain calibration data file: one text file per radio serial number in
// "%APPDATA%\Zentrova\Q7 TX Gain", holding the summary lines of the runs made
// while the wizard was last open:
//
//     Q7 TX Gain Calibration data written on 2026-12-06 at 16:56:41
//     Q7 Serial Number 00042                (empty for an unknown serial)
//     <the connection description>
//     <the program version text>
//     1900 kHz TXGain LP 123                (one line per calibrated band)
//     ...
//     (an empty line)
//
// ANSI text, lines ended by "\r\n".
#pragma once

#include <windows.h>

#include <string>

// The folder, both levels created when missing (failures ignored); empty
// when the application-data folder is unknown.
std::wstring GetTXGainFolder(HWND owner);
// "Q7 TXGain SN 00042.txt"; "Q7 TXGain.txt" for the unknown serial 65535.
std::wstring GetTXGainFileName(unsigned short serialNumber);
// The file of the model's serial number.
std::wstring GetTXGainFilePath(HWND owner);
bool TXGainFileExists(HWND owner);

// The file's text for the time, serial number, connection description,
// program version and summary.
std::wstring FormatTXGainFile(const SYSTEMTIME& time, unsigned short serialNumber, const std::wstring& connection,
                              const std::wstring& version, const std::wstring& summary);

// Writes the summary to the model's radio's file, stamped with the local time;
// an empty summary writes nothing. The file is written beside the old one and
// moved over it only when complete: a failure, shown in a box, leaves the old
// file as it was and returns false with the failing call's error as the last
// error. A read-only file is refused.
bool WriteTXGainFile(HWND owner, const std::wstring& summary);
bool WriteTXGainFile(HWND owner, const std::wstring& path, const std::wstring& summary);
