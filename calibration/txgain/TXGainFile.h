// The TX gain calibration data file: one text file per radio serial number in
// "%APPDATA%\Zentrova\Q7 TX Gain". Each wizard that calibrated a band puts
// a block of the runs made while it was open in front of what the file held,
// so the newest block comes first and no earlier record is lost:
//
//     Q7 TX Gain Calibration data written on 2026-12-06 at 16:56:41
//     Q7 Serial Number 00042                (empty for an unknown serial)
//     <the connection description>
//     <the program version text>
//     1900 kHz TXGain LP 123                (one line per calibrated band)
//     ...
//     5 watt calibration failed             (after the band lines of a run that failed)
//     ...                                   (the next run's lines)
//     (an empty line)
//     <the file's earlier text, byte for byte>
//
// ANSI text, lines ended by "\r\n". A block the file cannot take (too large
// to read, held open by another program, read-only) goes to a file of its
// own beside it, named from the record and the block's time:
// "Q7 TXGain SN 00042 20261206T165641.txt".
#pragma once

#include <windows.h>

#include <string>

// The folder, both levels created when missing (failures ignored); empty
// when the application-data folder is unknown.
std::wstring GetTXGainFolder(HWND owner);
// "Q7 TXGain SN 00042.txt"; "Q7 TXGain.txt" for the unknown serial 65535.
std::wstring GetTXGainFileName(unsigned short serialNumber);
// The file of the serial number, by default the model's.
std::wstring GetTXGainFilePath(HWND owner);
std::wstring GetTXGainFilePath(HWND owner, unsigned short serialNumber);
bool TXGainFileExists(HWND owner);

// What one wizard's runs leave for the file.
struct STXGainRecord {
    // The radio as the model knew it when the wizard's first run started: a
    // port lost later forgets it. An empty connection: not taken yet.
    unsigned short serialNumber = 0xFFFF;  // unknown
    std::wstring connection;
    // The runs in their order: one line per calibrated band, and after the
    // band lines of a run that failed, its failed text; each ended by "\r\n".
    // A run without band lines adds nothing.
    std::wstring summary;
};

// The model's radio into a record that has none yet.
void TakeTXGainRadio(STXGainRecord& record);

// The record's block, stamped with the time and the program version.
std::wstring FormatTXGainBlock(const SYSTEMTIME& time, const STXGainRecord& record, const std::wstring& version);

// Puts the record's block, stamped with the local time, in front of its
// radio's file; a record without band lines writes nothing. The new file is
// written beside the old one, flushed, and moved over it only when complete.
// When the old file cannot be read (too large, locked) or replaced (held
// open, read-only), it stays as it was and the block goes to a file of its
// own beside it, named in the box that tells why; false then, with the
// failing call's error as the last error.
bool WriteTXGainFile(HWND owner, const STXGainRecord& record);
bool WriteTXGainFile(HWND owner, const std::wstring& path, const STXGainRecord& record);
