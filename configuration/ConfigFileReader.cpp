#include "ConfigFileReader.h"

#include <cwchar>
#include <cwctype>
#include <new>
#include <stdexcept>

#include "ConfigFile.h"
#include "EepromAccess.h"
#include "ErrorText.h"
#include "Files.h"
#include "Model.h"
#include "TextSinks.h"
#include "TextUtil.h"
#include "resource.h"

namespace {

// A saved file is about 4.5 KB; all the data the reader takes (the whole
// EEPROM) in one-byte lines of the old form is about 650 KB.
constexpr DWORD kLongestFile = 1 << 20;
// A MEM2 line of 255 bytes is 524 characters; a line longer than this is no
// line of a configuration file, and reading it on would only fill memory.
constexpr size_t kLongestLine = 1024;
// How much of an overlong line its refusal shows.
constexpr size_t kShownOfLongLine = 64;

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// The C library's decimal conversion from `position` on: leading blanks, a
// sign, the digits up to the first non-digit (0 for none).
long DecimalAt(const std::wstring& text, size_t position)
{
    return position < text.size() ? wcstol(text.c_str() + position, nullptr, 10) : 0;
}

bool IsByteValue(long value)
{
    return value >= 0 && value <= 255;
}

void StripTrailingWhiteSpace(std::wstring& text)
{
    while (!text.empty() && iswspace(text.back()))
        text.pop_back();
}

}  // namespace

CConfigFileReader::CConfigFileReader(HWND owner, AddByteFunction addByte)
    : m_owner(owner), m_addByte(std::move(addByte))
{
}

HRESULT CConfigFileReader::ReadConfigurationFile(const std::wstring& path)
{
    {
        CFileRead3 file(m_owner, IDS_CONFIG_FILE_READ_ERROR);
        try {
            if (!file.Open(path, kLongestFile)) {
                const DWORD error = GetLastError();
                return error ? static_cast<HRESULT>(error) : ERROR_READ_FAULT;
            }
            return ReadLines(file);
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    }
    // Memory ran out; nothing has gone to the radio. The box needs memory
    // too: the file and the line are given back first.
    std::wstring().swap(m_line);
    CFileRead2 report(m_owner, IDS_CONFIG_FILE_READ_ERROR);
    report.ReportAs(path);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    report.ReportFailure(L"ReadFile");
    return ERROR_NOT_ENOUGH_MEMORY;
}

HRESULT CConfigFileReader::ReadLines(CFileRead3& file)
{
    bool dataSeen = false, unsealed = true;
    for (;;) {
        m_line.clear();
        bool tooLong = false;
        BYTE byte = 0;
        DWORD read = 0;
        // A last line without its line feed is never processed.
        for (;;) {
            if (!file.Read(&byte, 1, read))
                return static_cast<HRESULT>(GetLastError());
            if (read == 0 || byte == '\n')
                break;
            if (byte == '\r')
                continue;
            if (m_line.size() < kLongestLine)
                m_line += static_cast<wchar_t>(byte);
            else
                tooLong = true;
        }
        if (read == 0)
            break;
        if (tooLong) {
            const std::wstring shown = m_line.substr(0, kShownOfLongLine) + L"...";
            return ShowRestoreError(E_CONFIG_FILE_CORRUPT, FormatText(IDS_CONFIG_LINE_UNPARSED, shown.c_str()));
        }
        if (const HRESULT result = ProcessLine(dataSeen, unsealed))
            return result;
    }
    if (!dataSeen || unsealed)
        return ShowRestoreError(E_CONFIG_FILE_INCOMPLETE, FormatText(IDS_CONFIG_FILE_INCOMPLETE));
    return 0;
}

HRESULT CConfigFileReader::ProcessLine(bool& dataSeen, bool& unsealed)
{
    if (StartsWith(m_line, L"CRC32")) {
        if (!IsValidCrcLine())
            return ShowRestoreError(E_CONFIG_FILE_CORRUPT, FormatText(IDS_CONFIG_FILE_ALTERED));
        unsealed = false;
        return 0;
    }
    // Every other line counts, comments and empty lines included.
    Crc32UpdateString(m_line, &m_crc);
    if (StartsWith(m_line, L"MEM")) {
        const bool parsed = StartsWith(m_line, L"MEM2") ? ParseMem2Line() : ParseOldMemLine();
        if (!parsed)
            return ShowRestoreError(E_CONFIG_FILE_CORRUPT, FormatText(IDS_CONFIG_LINE_UNPARSED, m_line.c_str()));
        dataSeen = unsealed = true;
        return 0;
    }
    if (StartsWith(m_line, SerialNumberKey().c_str()))
        return CheckSerialNumberLine();
    return 0;
}

// "CRC32 = 0x" and eight hex digits of either case; what follows them does
// not matter. The running CRC goes on, so a later CRC line seals everything
// from the first line.
bool CConfigFileReader::IsValidCrcLine() const
{
    constexpr size_t kValueStart = 10;
    if (m_line.size() < kValueStart + 8)
        return false;
    const std::wstring separator = m_line.substr(5, 5);
    if (separator != L" = 0x" && separator != L" = 0X")
        return false;
    DWORD value = 0;
    for (size_t i = 0; i < 4; ++i) {
        BYTE byte = 0;
        if (!HexPairToByte(m_line[kValueStart + 2 * i], m_line[kValueStart + 2 * i + 1], byte))
            return false;
        value = value << 8 | byte;
    }
    return value == ~m_crc;
}

bool CConfigFileReader::ParseMem2Line()
{
    std::vector<std::wstring> tokens = SplitString(m_line, L" ");
    if (tokens.size() < 5)
        return false;
    for (std::wstring& token : tokens)
        StripTrailingWhiteSpace(token);
    if (_wcsicmp(tokens[0].c_str(), L"MEM2") != 0)
        return false;
    for (size_t i = 1; i <= 4; ++i) {
        if (!IsHexDigits(tokens[i]) || (i < 4 && tokens[i].size() != 2))
            return false;
    }
    BYTE high = 0, low = 0, count = 0;
    HexPairToByte(tokens[1][0], tokens[1][1], high);
    HexPairToByte(tokens[2][0], tokens[2][1], low);
    HexPairToByte(tokens[3][0], tokens[3][1], count);
    const std::wstring& data = tokens[4];
    if (data.size() != 2u * count || !TakeBytes(count))
        return false;
    // An int: a record at FFFF runs on past it and is dropped, never wrapped.
    const int address = high * 256 + low;
    for (int k = 0; k < count; ++k) {
        BYTE value = 0;
        HexPairToByte(data[2 * k], data[2 * k + 1], value);
        m_addByte(address + k, value);
    }
    return true;
}

// The old single-byte form "MEM ppp.ooo = vvv": the fields stand at fixed
// places (5, 9 and 15, counted from 1).
bool CConfigFileReader::ParseOldMemLine()
{
    if (m_line.size() < 15)
        return false;
    const long page = DecimalAt(m_line, 4);
    const long offset = DecimalAt(m_line, 8);
    const long value = DecimalAt(m_line, 14);
    if (!IsByteValue(page) || m_line[7] != L'.' || !IsByteValue(offset) || m_line.compare(11, 3, L" = ") != 0 ||
        !IsByteValue(value) || !TakeBytes(1))
        return false;
    m_addByte(static_cast<int>(page * 256 + offset), static_cast<BYTE>(value));
    return true;
}

// The radio holds no more than its EEPROM: a file that gives more bytes,
// repeated addresses counted each time, is no saved configuration, and each
// byte would hold memory until the restore ends.
bool CConfigFileReader::TakeBytes(unsigned count)
{
    if (m_byteCount + count > EEPROM_SIZE)
        return false;
    m_byteCount += count;
    return true;
}

HRESULT CConfigFileReader::CheckSerialNumberLine()
{
    CModel& model = GetModel();
    const unsigned short serial = model.SerialNumber.Get();
    m_serialMismatch = false;
    if (serial == SERIAL_NUMBER_UNKNOWN)
        return 0;
    const std::wstring key = SerialNumberKey();
    if (m_line.compare(key.size(), 3, L" = ") != 0)
        return ShowRestoreError(E_CONFIG_FILE_CORRUPT,
                                FormatText(IDS_SERIAL_LINE_UNPARSED, key.c_str(), m_line.c_str()));
    const unsigned long number = static_cast<unsigned long>(DecimalAt(m_line, key.size() + 3));
    m_serialMismatch = (number & 0xFFFF) != serial;
    if (!m_serialMismatch)
        return 0;
    const std::wstring caption = LoadResString(IDS_SERIAL_MISMATCH_CAPTION);
    if (model.AdvancedMode.Get() == 0) {
        MessageBoxW(m_owner, LoadResString(IDS_SERIAL_MISMATCH_STOP).c_str(), caption.c_str(), MB_OK | MB_ICONHAND);
        return E_CONFIG_SERIAL_MISMATCH;
    }
    const int answer = MessageBoxW(m_owner, LoadResString(IDS_SERIAL_MISMATCH_ASK).c_str(), caption.c_str(),
                                   MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    return answer == IDYES ? 0 : E_CONFIG_SERIAL_MISMATCH;
}

HRESULT CConfigFileReader::ShowRestoreError(HRESULT code, const std::wstring& text)
{
    ShowErrorBox(m_owner, IDS_RESTORE_CONFIG_ERROR_CAPTION, text);
    return code;
}
