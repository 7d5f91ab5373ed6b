// One firmware file in memory: the bytes of an address window, every byte
// that no data record covers set to the fill pattern, and the checksum
// reconciliation that the loaders run before sending.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "IntelHexReader.h"
#include "NonCopyable.h"

class CFirmwareImage : private CNonCopyable {
public:
    static constexpr DWORD kWholeFileLow = 0;
    static constexpr DWORD kWholeFileHigh = 0xFFFFFFFF;
    // Data below this address is never part of a front-panel image.
    static constexpr DWORD kFrontPanelLow = 0x40;

    // Loads the window [low, high), or the file's own range when low is 0 and
    // high 0xFFFFFFFF. On failure the reason is the last error and GetLine()
    // tells where reading stopped.
    //
    // A file without data records loads as an empty image (IsEmpty()):
    // whoever sends an image must refuse an empty one.
    bool Load(const std::wstring& path, DWORD low, DWORD high, DWORD blockSize, DWORD fill);
    // The front-panel file: from 0x40 to the file's highest address, and the
    // 16-byte record at 0xFF00 kept apart as the header, which must be there.
    bool LoadWithHeader(const std::wstring& path);
    void Clear();

    // The byte at that address, or null outside the image.
    BYTE* GetPointer(DWORD address);
    const BYTE* GetPointer(DWORD address) const;

    // The sum of the image's big-endian 16-bit words; an odd last byte pairs
    // with the fill byte after it.
    WORD Sum16() const;
    // Makes the image sum to zero through the big-endian word at `address`
    // (inside the image). 0, W_CHECKSUM_RECONCILIATION_ZERO when the word and
    // the sum are both zero, or E_HEX_FILE_CHECKSUM_NOT_ZERO when a stored
    // word does not reconcile.
    HRESULT ReconcileChecksum16(DWORD address);
    // The same with the word in the header's last two bytes, which lie outside
    // the summed image: a stored word must make the image's sum zero.
    HRESULT ReconcileHeaderChecksum16();

    // Line 10061 of a failed load, with the code the loader reports.
    std::wstring DescribeLoadFailure(DWORD code) const;

    bool IsLoaded() const { return m_loaded; }
    bool IsEmpty() const { return m_size == 0; }
    DWORD GetSize() const { return m_size; }
    DWORD GetAllocatedSize() const { return m_allocatedSize; }
    DWORD GetLow() const { return m_low; }
    DWORD GetHigh() const { return m_high; }
    const std::wstring& GetPath() const { return m_path; }
    DWORD GetLine() const { return m_line; }
    bool IsHeaderValid() const { return m_headerValid; }
    const CIntelHexReader::Header& GetHeader() const { return m_header; }

private:
    bool CopyFrom(CIntelHexReader& reader);
    bool Allocate();
    BYTE* WordAt(DWORD address);

    DWORD m_size = 0;
    DWORD m_allocatedSize = 0;
    DWORD m_blockSize = 64;
    DWORD m_fill = 0xFFFFFFFF;
    bool m_loaded = false;
    CIntelHexReader::Header m_header{};
    bool m_headerValid = false;
    std::unique_ptr<BYTE[]> m_buffer;
    DWORD m_high = 0xFFFFFFFF;
    DWORD m_low = 0;
    std::wstring m_path;
    DWORD m_line = 0;
};

// The MCU loader's reconciliation of the word at `address`, with the lines it
// logs, in order: the word as found, then the computed word, the zero-word
// note, the image's sum, or the address the image does not hold
// (E_INVALIDARG). The words are logged as the two bytes read little-endian.
// 0 also after the zero-word warning, which is only logged.
HRESULT ReconcileAndDescribe(CFirmwareImage& image, DWORD address, const std::wstring& machineName,
                             std::vector<std::wstring>& lines);
