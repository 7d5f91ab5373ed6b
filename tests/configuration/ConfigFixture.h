// What the configuration tests share: the byte pattern of the golden file,
// a CRC-32 computed bit by bit (independent of the program's table), and
// sealed configuration files made from lines.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "EepromAccess.h"
#include "FileBytes.h"

namespace configtest {

// The golden file: saved on 2026-12-06 at 16:56:41 from serial 01234 with
// MCU firmware 04.55, each byte the pattern of its address.
inline const wchar_t kGoldenFile[] = L"Z:" Q7_CONFIG_TEST_DATA L"/SN01234.20261206T165641.Q7Config";
inline constexpr unsigned short kGoldenSerial = 1234;
inline constexpr SYSTEMTIME kGoldenTime{2026, 12, 0, 6, 16, 56, 41, 0};

inline BYTE PatternByte(unsigned address)
{
    return static_cast<BYTE>(address * 31 + (address >> 8) * 7 + 5);
}

inline std::vector<BYTE> PatternImage()
{
    std::vector<BYTE> image(EEPROM_SIZE);
    for (unsigned address = 0; address < EEPROM_SIZE; ++address)
        image[address] = PatternByte(address);
    return image;
}

inline DWORD ReferenceCrc32(const std::string& bytes)
{
    DWORD crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// The lines with "\r\n" each and a CRC line that seals them (earlier CRC
// lines do not count).
inline std::string Sealed(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string text, covered;
    for (const std::string& line : lines) {
        text += line + end;
        if (line.compare(0, 5, "CRC32") != 0)
            covered += line;
    }
    char crcLine[32];
    snprintf(crcLine, sizeof crcLine, "CRC32 = 0x%08lX", static_cast<unsigned long>(~ReferenceCrc32(covered)));
    return text + crcLine + end;
}

// The lines of a text, without their terminators.
inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace configtest
