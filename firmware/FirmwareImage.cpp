#include "FirmwareImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "ErrorText.h"
#include "TextOrId.h"
#include "resource.h"

namespace {

// `total` is the image's sum with the word counted in.
HRESULT ReconcileWord(BYTE* word, WORD total)
{
    const WORD stored = static_cast<WORD>(word[0] << 8 | word[1]);
    if (stored != 0)
        return total == 0 ? S_OK : E_HEX_FILE_CHECKSUM_NOT_ZERO;
    if (total == 0)
        return W_CHECKSUM_RECONCILIATION_ZERO;
    const WORD computed = static_cast<WORD>(0x10000 - total);
    word[0] = static_cast<BYTE>(computed >> 8);
    word[1] = static_cast<BYTE>(computed);
    return S_OK;
}

}  // namespace

bool CFirmwareImage::Load(const std::wstring& path, DWORD low, DWORD high, DWORD blockSize, DWORD fill)
{
    Clear();
    m_low = low;
    m_high = high;
    m_blockSize = blockSize;
    m_fill = fill;
    m_path = path;

    CIntelHexReader reader;
    if (!reader.Open(path))
        return false;
    if (low == kWholeFileLow && high == kWholeFileHigh && !reader.ScanRange(m_low, m_high)) {
        m_line = reader.GetLine();
        return false;
    }
    return CopyFrom(reader);
}

bool CFirmwareImage::LoadWithHeader(const std::wstring& path)
{
    Clear();
    m_low = kWholeFileLow;
    m_high = kWholeFileHigh;
    m_blockSize = 1;
    m_fill = 0xFFFFFFFF;
    m_path = path;

    CIntelHexReader reader;
    if (!reader.Open(path))
        return false;
    reader.EnableHeaderCapture(true);
    if (!reader.ScanRange(m_low, m_high)) {
        m_line = reader.GetLine();
        return false;
    }
    m_low = kFrontPanelLow;
    if (!CopyFrom(reader))
        return false;
    if (!reader.IsHeaderCaptured()) {
        m_loaded = false;
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    m_header = reader.GetHeader();
    m_headerValid = true;
    return true;
}

bool CFirmwareImage::CopyFrom(CIntelHexReader& reader)
{
    if (!Allocate()) {
        m_line = reader.GetLine();
        return false;
    }
    BYTE* buffer = m_buffer.get();
    m_loaded = reader.CopyRange(m_low, m_high, buffer, buffer + m_size);
    m_line = reader.GetLine();
    return m_loaded;
}

bool CFirmwareImage::Allocate()
{
    if (m_high <= m_low)
        return true;
    const DWORD size = m_high - m_low;
    const uint64_t allocated = (std::max<uint64_t>(size, m_blockSize) + 3) & ~uint64_t{3};
    if (allocated > kMaxHexImageSpan) {
        SetLastError(kHexAddressOutOfRange);
        return false;
    }
    m_buffer.reset(new (std::nothrow) BYTE[allocated]);
    if (!m_buffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    for (uint64_t i = 0; i < allocated; i += sizeof m_fill)
        std::memcpy(&m_buffer[i], &m_fill, sizeof m_fill);
    m_size = size;
    m_allocatedSize = static_cast<DWORD>(allocated);
    return true;
}

void CFirmwareImage::Clear()
{
    m_buffer.reset();
    m_size = 0;
    m_allocatedSize = 0;
    m_low = 0;
    m_high = 0;
    m_loaded = false;
    m_path.clear();
    // A header or line left from the previous file would be taken for this one's.
    m_headerValid = false;
    m_line = 0;
}

BYTE* CFirmwareImage::GetPointer(DWORD address)
{
    if (!m_buffer || address < m_low || address >= m_high)
        return nullptr;
    return &m_buffer[address - m_low];
}

const BYTE* CFirmwareImage::GetPointer(DWORD address) const
{
    return const_cast<CFirmwareImage*>(this)->GetPointer(address);
}

WORD CFirmwareImage::Sum16() const
{
    if (!m_buffer)
        return 0;
    // The allocation is a multiple of four, so an odd size has its fill byte.
    const DWORD even = (m_size + 1) & ~1u;
    DWORD sum = 0;
    for (DWORD i = 0; i < even; i += 2)
        sum += m_buffer[i] << 8 | m_buffer[i + 1];
    return static_cast<WORD>(sum);
}

BYTE* CFirmwareImage::WordAt(DWORD address)
{
    // Both bytes inside the image, and on a word of the sum.
    BYTE* word = GetPointer(address);
    if (!word || address == 0xFFFFFFFF || !GetPointer(address + 1) || (address - m_low) % 2 != 0)
        return nullptr;
    return word;
}

HRESULT CFirmwareImage::ReconcileChecksum16(DWORD address)
{
    BYTE* word = WordAt(address);
    if (!word)
        return E_INVALIDARG;
    return ReconcileWord(word, Sum16());
}

HRESULT CFirmwareImage::ReconcileHeaderChecksum16()
{
    if (!m_headerValid)
        return E_INVALIDARG;
    BYTE* word = &m_header[CIntelHexReader::kHeaderSize - 2];
    return ReconcileWord(word, static_cast<WORD>(Sum16() + (word[0] << 8 | word[1])));
}

std::wstring CFirmwareImage::DescribeLoadFailure(DWORD code) const
{
    return FormatText(IDS_HEX_LOAD_FAILED, m_line, code, FormatErrorText(code).c_str());
}

HRESULT ReconcileAndDescribe(CFirmwareImage& image, DWORD address, const std::wstring& machineName,
                             std::vector<std::wstring>& lines)
{
    const auto loggedWord = [&]() -> DWORD {
        const BYTE* first = image.GetPointer(address);
        const BYTE* second = address < 0xFFFFFFFF ? image.GetPointer(address + 1) : nullptr;
        return first && second ? (*first | *second << 8) : 0;
    };

    const DWORD found = loggedWord();
    lines.push_back(FormatText(IDS_RECONCILIATION_FOUND, machineName.c_str(), image.GetPath().c_str(), found));
    const HRESULT result = image.ReconcileChecksum16(address);
    if (result == S_OK) {
        if (found == 0)
            lines.push_back(FormatText(IDS_RECONCILIATION_COMPUTED, machineName.c_str(), loggedWord()));
        return S_OK;
    }
    if (result == W_CHECKSUM_RECONCILIATION_ZERO) {
        lines.push_back(LoadResString(IDS_RECONCILIATION_ZERO));
        return S_OK;
    }
    if (result == E_INVALIDARG) {
        lines.push_back(
            FormatText(IDS_RECONCILIATION_OUTSIDE, machineName.c_str(), address, image.GetPath().c_str()));
        return result;
    }
    lines.push_back(FormatText(IDS_CHECKSUM_NOT_ZERO, static_cast<DWORD>(image.Sum16())));
    return result;
}
