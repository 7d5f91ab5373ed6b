// Reads an Intel hex file mapped read-only into memory: a range pass finds the
// addresses the data records cover, a copy pass places their bytes into a
// caller's buffer.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "NonCopyable.h"

// No firmware of the radio comes near this; a file whose data spans more is
// refused before anything is allocated for it.
constexpr DWORD kMaxHexImageSpan = 16 * 1024 * 1024;

// Failure code for data that a firmware image cannot hold: beyond 32-bit
// addresses, or spread wider than kMaxHexImageSpan.
constexpr DWORD kHexAddressOutOfRange = ERROR_INVALID_ADDRESS;

class CIntelHexReader : private CNonCopyable {
public:
    static constexpr WORD kHeaderAddress = 0xFF00;
    static constexpr size_t kHeaderSize = 16;
    using Header = std::array<BYTE, kHeaderSize>;

    ~CIntelHexReader() { Close(); }

    // Every failure leaves its code (a program code or a Win32 error) as the
    // thread's last error.
    bool Open(const std::wstring& path);
    // The lowest (inclusive) and highest (exclusive) address of the data.
    // A file without data gives low 0xFFFFFFFF and high 0.
    bool ScanRange(DWORD& low, DWORD& high);
    // Copies the data of [low, high) to destination + (address - low), cut at
    // destinationEnd. A failure leaves what was copied so far.
    bool CopyRange(DWORD low, DWORD high, BYTE* destination, BYTE* destinationEnd);
    // With capture on, a 16-byte data record at 0xFF00 is kept apart as the
    // header instead of being data.
    void EnableHeaderCapture(bool on);
    void Close();
    // Parses the whole file; on a parse failure `line` tells where.
    bool ValidateFile(const std::wstring& path, DWORD& line);

    // The line being read: 1 + the line feeds read so far.
    DWORD GetLine() const { return m_line; }
    bool IsHeaderCaptured() const { return m_headerCaptured; }
    const Header& GetHeader() const { return m_header; }

private:
    bool Parse();
    // The next character, counted into line and column.
    BYTE Next();
    bool FindRecord();
    bool ReadRecord();
    bool ReadByte(BYTE& value);
    bool UseRecord();
    bool UseData(uint64_t address);
    bool Fail(DWORD code);

    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
    void* m_view = nullptr;
    DWORD m_fileSize = 0;

    // 64 bits, so that no address a record can name wraps around.
    uint64_t m_low = 0;
    uint64_t m_high = 0;

    DWORD m_line = 1;
    DWORD m_column = 0;
    uint64_t m_base = 0;
    bool m_endOfFile = false;

    bool m_headerCaptured = false;
    bool m_captureHeader = false;
    Header m_header{};

    const BYTE* m_begin = nullptr;
    const BYTE* m_current = nullptr;
    const BYTE* m_end = nullptr;

    bool m_copying = false;
    BYTE* m_destination = nullptr;
    BYTE* m_destinationEnd = nullptr;

    BYTE m_count = 0;
    BYTE m_checksum = 0;
    WORD m_address = 0;
    BYTE m_type = 0;
    BYTE m_data[255] = {};
};
