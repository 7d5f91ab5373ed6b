#include "EepromAccess.h"

#include "TextOrId.h"
#include "TextUtil.h"

namespace {

struct Region {
    unsigned start;
    unsigned length;
};

const Region kSavedRegions[] = {
    {0x0000, 0xFC}, {0x0100, 0x100}, {0x0200, 0x100}, {0x0300, 0xFE},
    {0x6800, 0x100}, {0x6900, 0x100}, {0x7E00, 0x20},
};

const Region kWritableRegions[] = {
    {0x0000, 0xFC},  {0x0100, 0x100}, {0x0200, 0x100}, {0x0300, 0xFE},  {0x0400, 0x100},
    {0x0500, 0x100}, {0x0600, 0x100}, {0x0700, 0x100}, {0x0800, 0x100}, {0x0900, 0x100},
    {0x0A00, 0x100}, {0x0B00, 0x100}, {0x4D00, 0x100}, {0x6800, 0x100}, {0x6900, 0x100},
    {0x7500, 0x100}, {0x7600, 0x100}, {0x7700, 0x100}, {0x7800, 0x100}, {0x7900, 0x100},
    {0x7A00, 0x100}, {0x7B00, 0x100}, {0x7C00, 0x100}, {0x7E00, 0x20},  {0x83E0, 0x17},
};

template <size_t N>
bool InRegion(const Region (&regions)[N], unsigned address, unsigned length)
{
    for (const Region& region : regions) {
        if (region.start <= address && address + length <= region.start + region.length)
            return true;
    }
    return false;
}

unsigned BlockSum(unsigned address, unsigned count)
{
    return (address >> 8) + (address & 0xFF) + count;
}

// The first `length` characters of both texts are present and equal.
bool SameHead(const std::wstring& a, const std::wstring& b, size_t length)
{
    return a.size() >= length && b.size() >= length && a.compare(0, length, b, 0, length) == 0;
}

constexpr size_t kBlockHead = 8;  // "ER" or "EW", 4 address and 2 count digits

}  // namespace

bool IsValidEepromRange(unsigned address, unsigned length)
{
    return address <= EEPROM_SIZE && length <= EEPROM_SIZE - address;
}

bool InReadableEepromRegion(unsigned address, unsigned length)
{
    return InRegion(kSavedRegions, address, length);
}

bool InWritableEepromRegion(unsigned address, unsigned length)
{
    return InRegion(kWritableRegions, address, length);
}

unsigned GetSavedRegionCount()
{
    return static_cast<unsigned>(std::size(kSavedRegions));
}

unsigned GetSavedRegionStart(unsigned index)
{
    return index < GetSavedRegionCount() ? kSavedRegions[index].start : 0;
}

unsigned GetSavedRegionLength(unsigned index)
{
    return index < GetSavedRegionCount() ? kSavedRegions[index].length : 0;
}

unsigned GetSavedByteCount()
{
    unsigned total = 0;
    for (const Region& region : kSavedRegions)
        total += region.length;
    return total;
}

unsigned GetSubRXInstallAddress() { return 0x000F; }
unsigned GetTXCWFilterAddress() { return 0x0026; }
unsigned GetTXSSBFilterAddress() { return 0x002D; }
unsigned GetTXAMFilterAddress() { return 0x005C; }
unsigned GetQ7ZeroAddress() { return 0x00FB; }
unsigned GetFilterBandwidthAddress(unsigned receiver) { return 0x0300 + 5 * receiver; }
unsigned GetFilterOffsetAddress(unsigned receiver) { return 0x030A + 5 * receiver; }
unsigned GetFilterModeMapAddress(unsigned receiver) { return 0x0314 + 6 * receiver; }
unsigned GetFilterGainAddress(unsigned receiver) { return 0x0320 + 5 * receiver; }
unsigned GetCWMemoryAddress(unsigned memory) { return (memory + 4) * 0x100; }
unsigned GetMainRXGainTableAddress() { return 0x4D00; }
unsigned GetSubRXGainTableAddress() { return 0x4D80; }
unsigned GetMacroCaptionAddress(unsigned macro) { return (macro + 234) * 0x80; }
unsigned GetMacroTextAddress(unsigned macro) { return 0x7508 + 0x80 * macro; }
unsigned GetBannerAddress() { return 0x83E0; }
unsigned GetSerialNumberAddress() { return 0x83FA; }

std::wstring FormatErCommand(unsigned address, unsigned count)
{
    return FormatText(L"%s%04X%02X%02X;", L"ER", address, count, (0u - BlockSum(address, count)) & 0xFF);
}

std::wstring FormatEwCommand(unsigned address, const BYTE* data, unsigned count)
{
    const unsigned checksum = 0u - (ByteSum8(data, count) + BlockSum(address, count));
    return FormatText(L"%s%04X%02X%s%02X;", L"EW", address, count, BytesToHex(data, count).c_str(),
                      checksum & 0xFF);
}

bool ParseErReply(const std::wstring& command, const std::wstring& reply, unsigned capacity, BYTE* destination)
{
    if (!SameHead(command, reply, kBlockHead))
        return false;
    unsigned address = 0, count = 0;
    if (swscanf(command.c_str() + 2, L"%4X%2X", &address, &count) != 2)
        return false;
    if (count > EEPROM_CHUNK || count > capacity || reply.size() != kBlockHead + 2 * count + 3 ||
        reply.back() != L';')
        return false;
    BYTE data[EEPROM_CHUNK + 1];
    if (!ParseHexText(reply.substr(kBlockHead, 2 * count + 2), count + 1, data))
        return false;
    if ((BlockSum(address, count) + ByteSum8(data, count + 1)) & 0xFF)
        return false;
    memcpy(destination, data, count);
    return true;
}

bool ParseEwReply(const std::wstring& command, const std::wstring& reply)
{
    if (reply.size() != kBlockHead + 3 || !SameHead(command, reply, kBlockHead) || reply.back() != L';')
        return false;
    unsigned address = 0, count = 0;
    BYTE checksum = 0;
    if (swscanf(command.c_str() + 2, L"%4X%2X", &address, &count) != 2 ||
        !ParseHexText(reply.substr(kBlockHead, 2), 1, &checksum))
        return false;
    return ((BlockSum(address, count) + checksum) & 0xFF) == 0;
}

std::wstring FormatLdprCommand(unsigned address)
{
    if (!IsValidEepromRange(address, 1))
        return {};
    return FormatText(L"LDPR%03u.%03u;", address >> 8, address & 0xFF);
}

std::wstring FormatLdprReply(unsigned address, unsigned value)
{
    return FormatText(L"LDPR%03u.%03u.%03u;", address >> 8, address & 0xFF, value);
}

std::wstring FormatLdpwCommand(unsigned address, unsigned value)
{
    if (!InWritableEepromRegion(address, 1))
        return {};
    return FormatText(L"LDPW%03u.%03u.%03u;", address >> 8, address & 0xFF, value);
}

bool ParseLdprReply(const std::wstring& command, const std::wstring& reply, BYTE* value)
{
    *value = 0xCC;
    constexpr size_t kHead = 11;  // "LDPR", three digits, ".", three digits
    if (reply.size() != 16 || !SameHead(command, reply, kHead) || reply[kHead] != L'.' || reply[15] != L';')
        return false;
    const std::wstring digits = reply.substr(kHead + 1, 3);
    if (!IsDecimalDigits(digits))
        return false;
    const unsigned number = std::stoul(digits);
    if (number > 0xFF)
        return false;
    *value = static_cast<BYTE>(number);
    return true;
}
