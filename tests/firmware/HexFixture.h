// Writes Intel hex text from a byte image, so that every expectation of a
// test can be computed from the image rather than typed by hand.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

// One record, ':' to checksum, without a line end; the checksum is computed.
std::string HexRecord(BYTE type, WORD address, const Bytes& data);
inline std::string EndOfFileRecord() { return HexRecord(1, 0, {}); }

struct HexFileOptions {
    enum class Addressing { Linear, Segment };

    unsigned recordLength = 16;  // data bytes a record, 1-255
    std::string lineEnd = "\r\n";
    Addressing addressing = Addressing::Linear;
    bool lowerCase = false;
    // Written first, as the 16-byte data record at 0xFF00.
    std::optional<std::array<BYTE, 16>> header;
};

// A sparse image: runs of bytes at 32-bit addresses, written in the order given.
class CHexImage {
public:
    struct Run {
        DWORD address;
        Bytes bytes;
    };

    void Put(DWORD address, Bytes bytes) { m_runs.push_back({address, std::move(bytes)}); }
    // Overwrites bytes already put (the run must exist at that address).
    void Patch(DWORD address, const Bytes& bytes);
    const std::vector<Run>& Runs() const { return m_runs; }

    // Lowest and highest (exclusive) address covered; 0xFFFFFFFF and 0 when empty.
    DWORD Low() const;
    DWORD High() const;

    // The window [low, high) with every uncovered byte `fill`; later runs win.
    Bytes Window(DWORD low, DWORD high, BYTE fill = 0xFF) const;

    // Extended address records go in wherever a record's upper address
    // changes; records never cross a 64 KiB boundary.
    std::string ToHex(const HexFileOptions& options = {}) const;

private:
    std::vector<Run> m_runs;
};

// The image's sum of big-endian words, an odd last byte paired with `fill`.
WORD WordSum(const Bytes& bytes, BYTE fill = 0xFF);
// The word that, stored big-endian at `offset` of the window in place of
// zero, makes the window sum to zero.
WORD ReconcilingWord(const Bytes& window, size_t offset);

Bytes RandomBytes(size_t count, uint32_t seed);

// Whole firmware files as the loaders read them.
struct McuHex {
    std::string text;
    // The window 0x800..0x1FD80 as the radio must end up holding it.
    Bytes window;
};
// `size` random bytes from 0x800, the reconciling word in their first two.
McuHex MakeMcuHex(size_t size, uint32_t seed);
// The bytes from address 0, as DSP files hold them.
std::string MakeWholeHex(const Bytes& bytes);
// The bytes from 0x40 and the 16-byte record at 0xFF00 whose last two bytes
// reconcile them; the record is returned in `header`.
std::string MakeFrontPanelHex(const Bytes& bytes, std::array<BYTE, 16>& header);
