#include "IntelHexReader.h"

#include <algorithm>
#include <cstring>

#include "ErrorText.h"
#include "TextUtil.h"

namespace {

enum RecordType : BYTE {
    kData = 0,
    kEndOfFile = 1,
    kExtendedSegmentAddress = 2,
    kStartSegmentAddress = 3,
    kExtendedLinearAddress = 4,
    kStartLinearAddress = 5,
};

}  // namespace

bool CIntelHexReader::Open(const std::wstring& path)
{
    Close();
    m_file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        Close();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_file, &size)) {
        Close();
        return false;
    }
    // An empty file fails here: there is nothing to map.
    m_mapping = CreateFileMappingW(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (m_mapping)
        m_view = MapViewOfFileEx(m_mapping, FILE_MAP_READ, 0, 0, 0, nullptr);
    if (!m_view) {
        Close();
        return false;
    }
    m_fileSize = size.LowPart;
    m_begin = m_current = static_cast<const BYTE*>(m_view);
    m_end = m_begin + m_fileSize;
    return true;
}

bool CIntelHexReader::ScanRange(DWORD& low, DWORD& high)
{
    m_copying = false;
    m_destination = m_destinationEnd = nullptr;
    m_low = 0xFFFFFFFF;
    m_high = 0;
    if (!Parse())
        return false;
    low = static_cast<DWORD>(m_low);
    high = static_cast<DWORD>(m_high);
    return true;
}

bool CIntelHexReader::CopyRange(DWORD low, DWORD high, BYTE* destination, BYTE* destinationEnd)
{
    m_copying = true;
    m_low = low;
    m_high = high;
    m_destination = destination;
    m_destinationEnd = destinationEnd;
    return Parse();
}

void CIntelHexReader::EnableHeaderCapture(bool on)
{
    m_captureHeader = on;
    m_header.fill(0xCC);
    m_headerCaptured = false;
}

void CIntelHexReader::Close()
{
    // Whatever failed before the close stays the reason.
    const DWORD error = GetLastError();
    if (m_view)
        UnmapViewOfFile(m_view);
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_view = nullptr;
    m_mapping = nullptr;
    m_file = INVALID_HANDLE_VALUE;
    m_fileSize = 0;
    m_begin = m_current = m_end = nullptr;
    m_destination = m_destinationEnd = nullptr;
    SetLastError(error);
}

bool CIntelHexReader::ValidateFile(const std::wstring& path, DWORD& line)
{
    if (!Open(path))
        return false;
    DWORD low = 0;
    DWORD high = 0;
    const bool parsed = ScanRange(low, high);
    if (!parsed)
        line = m_line;
    Close();
    return parsed;
}

bool CIntelHexReader::Parse()
{
    m_line = 1;
    m_column = 0;
    m_base = 0;
    m_endOfFile = false;
    m_current = m_begin;
    SetLastError(0);
    if (!m_begin)
        return Fail(ERROR_INVALID_HANDLE);
    while (!m_endOfFile) {
        if (!FindRecord() || !ReadRecord() || !UseRecord())
            return false;
    }
    return true;
}

BYTE CIntelHexReader::Next()
{
    const BYTE c = *m_current++;
    if (c == '\r') {
        m_column = 0;
    } else if (c == '\n') {
        ++m_line;
        m_column = 0;
    } else {
        ++m_column;
    }
    return c;
}

bool CIntelHexReader::FindRecord()
{
    // Only a colon that opens its line starts a record; the rest is text.
    while (m_current < m_end) {
        if (Next() == ':' && m_column == 1)
            return true;
    }
    return Fail(E_INTEL_HEX_NO_EOF_RECORD);
}

bool CIntelHexReader::ReadByte(BYTE& value)
{
    BYTE nibbles[2];
    for (BYTE& nibble : nibbles) {
        BYTE c;
        do {
            if (m_current == m_end)
                return Fail(E_UNEXPECTED_HEX_CHARACTER);
            c = Next();
        } while (c == '\r' || c == '\n');
        if (!HexDigitValue(c, nibble))
            return Fail(E_UNEXPECTED_HEX_CHARACTER);
    }
    value = static_cast<BYTE>(nibbles[0] << 4 | nibbles[1]);
    m_checksum += value;
    return true;
}

bool CIntelHexReader::ReadRecord()
{
    m_checksum = 0;
    BYTE addressHigh = 0;
    BYTE addressLow = 0;
    if (!ReadByte(m_count) || !ReadByte(addressHigh) || !ReadByte(addressLow) || !ReadByte(m_type))
        return false;
    m_address = static_cast<WORD>(addressHigh << 8 | addressLow);
    for (BYTE i = 0; i < m_count; ++i) {
        if (!ReadByte(m_data[i]))
            return false;
    }
    BYTE checksum = 0;
    if (!ReadByte(checksum))
        return false;
    return m_checksum == 0 || Fail(E_INTEL_HEX_BAD_CHECKSUM);
}

bool CIntelHexReader::UseRecord()
{
    switch (m_type) {
    case kData:
        if (m_captureHeader && m_address == kHeaderAddress && m_count == kHeaderSize) {
            std::copy_n(m_data, kHeaderSize, m_header.begin());
            m_headerCaptured = true;
            return true;
        }
        return UseData(m_base + m_address);
    case kEndOfFile:
        m_endOfFile = true;
        return true;
    case kExtendedSegmentAddress:
    case kExtendedLinearAddress:
        // Anything but two bytes would leave the base to stale data.
        if (m_count != 2)
            return Fail(E_INTEL_HEX_BAD_DATA_LENGTH);
        m_base = static_cast<uint64_t>(m_data[0] << 8 | m_data[1]) << (m_type == kExtendedSegmentAddress ? 4 : 16);
        return true;
    case kStartSegmentAddress:
    case kStartLinearAddress:
        return true;
    default:
        return Fail(E_INTEL_HEX_BAD_RECORD_TYPE);
    }
}

bool CIntelHexReader::UseData(uint64_t address)
{
    if (!m_copying) {
        const uint64_t low = std::min(m_low, address);
        const uint64_t high = std::max(m_high, address + m_count);
        if (high > 0xFFFFFFFF || high - low > kMaxHexImageSpan)
            return Fail(kHexAddressOutOfRange);
        m_low = low;
        m_high = high;
        return true;
    }
    // A record that starts outside the window is dropped whole; one that runs
    // past the destination's end is cut there.
    if (address < m_low || address >= m_high)
        return true;
    const uint64_t offset = address - m_low;
    const uint64_t room = m_destinationEnd > m_destination ? m_destinationEnd - m_destination : 0;
    if (offset < room)
        std::memcpy(m_destination + offset, m_data, static_cast<size_t>(std::min<uint64_t>(m_count, room - offset)));
    return true;
}

bool CIntelHexReader::Fail(DWORD code)
{
    SetLastError(code);
    return false;
}
