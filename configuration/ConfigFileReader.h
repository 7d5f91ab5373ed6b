// Reads a configuration file for a restore, line by line, and checks it as it
// goes: every line but the CRC lines counts for the CRC, data lines hand their
// bytes on, a serial-number line is compared with the radio's, and the file
// is complete only when a valid CRC line follows the last data line. Each
// refusal is shown in a box before the read ends with its code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CFileRead3;

class CConfigFileReader {
public:
    using AddByteFunction = std::function<void(int address, BYTE value)>;

    // `owner` (the restore dialog) owns the boxes; `addByte` receives every
    // accepted data byte in file order.
    CConfigFileReader(HWND owner, AddByteFunction addByte);

    // 0; the Win32 error of a file that cannot be read; E_CONFIG_FILE_CORRUPT,
    // E_CONFIG_SERIAL_MISMATCH or E_CONFIG_FILE_INCOMPLETE. A line longer
    // than any valid one, and the data line that gives more bytes than the
    // EEPROM holds, are refused as corrupt; memory that runs out is
    // ERROR_NOT_ENOUGH_MEMORY, told as the file's read error.
    HRESULT ReadConfigurationFile(const std::wstring& path);

    // The current line as "MEM2 hh ll nn data"; false when it is not one.
    bool ParseMem2Line();

    bool SerialMismatch() const { return m_serialMismatch; }

private:
    HRESULT ReadLines(CFileRead3& file);
    // One line without its terminator; 0 to go on, else the read's end.
    HRESULT ProcessLine(bool& dataSeen, bool& unsealed);
    bool IsValidCrcLine() const;
    bool ParseOldMemLine();
    // Counts a data line's bytes; false past the EEPROM's size.
    bool TakeBytes(unsigned count);
    HRESULT CheckSerialNumberLine();
    // The box of every refusal but the serial-number mismatch.
    HRESULT ShowRestoreError(HRESULT code, const std::wstring& text);

    HWND m_owner;
    AddByteFunction m_addByte;
    std::wstring m_line;
    DWORD m_crc = 0;
    unsigned m_byteCount = 0;
    bool m_serialMismatch = false;
};
