// Randomly damaged hex files through the reader and the image: nothing may
// crash, hang or allocate beyond the cap, every refusal must name the code
// and line the reference reading finds, and every load must give exactly the
// reference image.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "ErrorText.h"
#include "FirmwareImage.h"
#include "HexFixture.h"
#include "ReferenceHexReader.h"
#include "TempFolder.h"

namespace {

constexpr unsigned kFiles = 10000;
constexpr uint32_t kSeed = 0x51A7E;
constexpr DWORD kMcuLow = 0x800;
constexpr DWORD kMcuHigh = 0x1FD80;

enum class LoadKind { WholeFile, McuWindow, FrontPanel };

class CHexMutator {
public:
    explicit CHexMutator(uint32_t seed) : m_random(seed) {}

    unsigned Below(unsigned n) { return n ? static_cast<unsigned>(m_random() % n) : 0; }
    bool OneIn(unsigned n) { return Below(n) == 0; }

    // A sound file of a few runs near the places where windows cut.
    std::string Fixture()
    {
        static const DWORD kPlaces[] = {0x0000, 0x0040, 0x07E0, 0x0800, 0x1000, 0xFFF0, 0x1FD40, 0x1FD80, 0x20000};
        CHexImage hex;
        const unsigned runs = 1 + Below(3);
        for (unsigned i = 0; i < runs; ++i) {
            const DWORD address = kPlaces[Below(std::size(kPlaces))] + Below(0x60);
            hex.Put(address, RandomBytes(1 + Below(200), static_cast<uint32_t>(m_random())));
        }
        HexFileOptions options;
        options.recordLength = OneIn(8) ? 255 : 1 + Below(40);
        options.lineEnd = OneIn(2) ? "\r\n" : "\n";
        options.addressing = OneIn(3) ? HexFileOptions::Addressing::Segment : HexFileOptions::Addressing::Linear;
        options.lowerCase = OneIn(4);
        if (!OneIn(3)) {
            std::array<BYTE, 16> header;
            for (BYTE& b : header)
                b = static_cast<BYTE>(m_random());
            options.header = header;
        }
        return hex.ToHex(options);
    }

    void Mutate(std::string& text)
    {
        const unsigned count = 1 + Below(3);
        for (unsigned i = 0; i < count && !text.empty(); ++i)
            MutateOnce(text);
    }

private:
    using Lines = std::vector<std::string>;

    static Lines Split(const std::string& text)
    {
        Lines lines;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            const size_t next = end == std::string::npos ? text.size() : end + 1;
            lines.push_back(text.substr(start, next - start));
            start = next;
        }
        return lines;
    }

    static std::string Join(const Lines& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line;
        return text;
    }

    // Makes a record line's checksum right again after a change.
    static void Reseal(std::string& line)
    {
        const size_t end = line.find_first_of("\r\n");
        const size_t digits = (end == std::string::npos ? line.size() : end) - 1;
        if (line.empty() || line[0] != ':' || digits < 10 || digits % 2 != 0)
            return;
        unsigned sum = 0;
        for (size_t i = 1; i + 2 < digits + 1; i += 2) {
            const unsigned long value = std::strtoul(line.substr(i, 2).c_str(), nullptr, 16);
            sum += static_cast<unsigned>(value);
        }
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(-sum) & 0xFF);
        line.replace(digits - 1, 2, pair);
    }

    std::string SealedRecord(BYTE type, WORD address, unsigned count)
    {
        Bytes data(count);
        for (BYTE& b : data)
            b = static_cast<BYTE>(m_random());
        return HexRecord(type, address, data) + (OneIn(2) ? "\r\n" : "\n");
    }

    void MutateOnce(std::string& text)
    {
        static const char kHex[] = "0123456789ABCDEFabcdef";
        Lines lines = Split(text);
        const size_t pos = Below(static_cast<unsigned>(text.size()));
        const size_t at = Below(static_cast<unsigned>(lines.size()));
        switch (Below(15)) {
        case 0:  // a digit flipped
            if (std::isxdigit(static_cast<unsigned char>(text[pos])))
                text[pos] = kHex[Below(22)];
            return;
        case 1: {  // a digit flipped, the checksum made right
            std::string& line = lines[at];
            const size_t p = 1 + Below(static_cast<unsigned>(line.size()));
            if (p < line.size() && std::isxdigit(static_cast<unsigned char>(line[p])))
                line[p] = kHex[Below(16)];
            Reseal(line);
            break;
        }
        case 2:  // a span cut out
            text.erase(pos, 1 + Below(40));
            return;
        case 3:  // the file cut short
            text.resize(pos);
            return;
        case 4:  // two records swapped
            std::swap(lines[at], lines[Below(static_cast<unsigned>(lines.size()))]);
            break;
        case 5:
            lines.insert(lines.begin() + at, lines[at]);
            break;
        case 6: {  // a line break inside a line
            static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
            text.insert(pos, kBreaks[Below(3)]);
            return;
        }
        case 7: {  // a far base address
            static const WORD kUppers[] = {0xFFFF, 0xFFFE, 0x0100, 0x00FF, 0x8000, 0x0001};
            const bool linear = !OneIn(3);
            const WORD value = OneIn(2) ? kUppers[Below(std::size(kUppers))] : static_cast<WORD>(m_random());
            lines.insert(lines.begin() + at,
                         HexRecord(linear ? 4 : 2, 0, {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)}) +
                             "\r\n");
            break;
        }
        case 8:  // an extra data record, perhaps a header
            lines.insert(lines.begin() + at,
                         OneIn(4) ? SealedRecord(0, 0xFF00, 16)
                                  : SealedRecord(0, static_cast<WORD>(m_random()), Below(48)));
            break;
        case 9:  // text before a record, or inside the file
            if (OneIn(2))
                lines[at].insert(0, " ");
            else
                text.insert(pos, "; note ");
            if (!OneIn(2))
                return;
            break;
        case 10: {  // another record type
            std::string& line = lines[at];
            if (line.size() > 9 && line[0] == ':') {
                char pair[3];
                std::snprintf(pair, sizeof pair, "%02X", OneIn(4) ? Below(256) : Below(8));
                line.replace(7, 2, pair);
                Reseal(line);
            }
            break;
        }
        case 11:  // the end record gone
            for (std::string& line : lines) {
                if (line.compare(0, 11, ":00000001FF") == 0 || line.compare(0, 11, ":00000001ff") == 0)
                    line.clear();
            }
            break;
        case 12:
            text += OneIn(2) ? ":ZZ garbage\r\n" : SealedRecord(0, 0x0800, 8);
            return;
        case 13:  // an address record of the wrong length
            lines.insert(lines.begin() + at, SealedRecord(OneIn(2) ? 2 : 4, 0, std::array{0u, 1u, 3u}[Below(3)]));
            break;
        default:  // any byte at all
            text[pos] = static_cast<char>(m_random());
            return;
        }
        text = Join(lines);
    }

    std::mt19937 m_random;
};

struct Expected {
    bool loaded = false;
    DWORD error = 0;
    DWORD line = 0;
    DWORD low = 0;
    DWORD high = 0;
    Bytes image;
    bool header = false;
    std::array<BYTE, 16> headerBytes{};
};

Expected Expect(const std::string& text, LoadKind kind)
{
    Expected e;
    if (text.empty()) {
        e.error = ERROR_FILE_INVALID;  // nothing to map
        return e;
    }
    const bool window = kind == LoadKind::McuWindow;
    const ReferenceHex hex = ReadReferenceHex(text, kind == LoadKind::FrontPanel, !window);
    e.error = hex.error;
    e.line = hex.line;
    if (hex.error)
        return e;

    e.low = window ? kMcuLow : kind == LoadKind::FrontPanel ? CFirmwareImage::kFrontPanelLow
                                                             : static_cast<DWORD>(hex.low);
    e.high = window ? kMcuHigh : static_cast<DWORD>(hex.high);
    if (e.high > e.low && e.high - e.low > kMaxHexImageSpan) {
        e.error = kHexAddressOutOfRange;
        return e;
    }
    if (kind == LoadKind::FrontPanel && !hex.headerFound) {
        e.error = ERROR_INVALID_DATA;
        return e;
    }
    e.loaded = true;
    e.image = ReferenceWindow(hex, e.low, e.high);
    e.header = hex.headerFound;
    e.headerBytes = hex.header;
    return e;
}

bool Load(CFirmwareImage& image, const std::wstring& path, LoadKind kind)
{
    switch (kind) {
    case LoadKind::WholeFile:
        return image.Load(path, CFirmwareImage::kWholeFileLow, CFirmwareImage::kWholeFileHigh, 64, 0xFFFFFFFF);
    case LoadKind::McuWindow:
        return image.Load(path, kMcuLow, kMcuHigh, 64, 0xFFFFFFFF);
    default:
        return image.LoadWithHeader(path);
    }
}

// What differs between the load and the expectation; empty when nothing does.
std::string Compare(const CFirmwareImage& image, bool loaded, DWORD error, const Expected& e)
{
    char text[160];
    if (loaded != e.loaded || (!loaded && error != e.error) || image.GetLine() != e.line) {
        std::snprintf(text, sizeof text, "loaded %d error 0x%08lX line %lu, expected %d 0x%08lX line %lu", loaded,
                      error, image.GetLine(), e.loaded, e.error, e.line);
        return text;
    }
    if (image.GetAllocatedSize() > kMaxHexImageSpan)
        return "allocated beyond the cap";
    if (!loaded)
        return {};
    const Bytes bytes = image.IsEmpty() ? Bytes() : Bytes(image.GetPointer(image.GetLow()),
                                                          image.GetPointer(image.GetLow()) + image.GetSize());
    if (image.GetLow() != e.low || image.GetHigh() != e.high || bytes != e.image)
        return "image differs";
    if (image.IsHeaderValid() != e.header || (e.header && image.GetHeader() != e.headerBytes))
        return "header differs";
    return {};
}

}  // namespace

TEST(HexFuzz, DamagedFilesAreRefusedWithTheirCodeOrLoadExactly)
{
    CTempFolder temp;
    CHexMutator mutator(kSeed);
    unsigned loadedEqual = 0;
    unsigned validated = 0;
    unsigned mismatches = 0;
    std::map<DWORD, unsigned> refused;

    for (unsigned i = 0; i < kFiles; ++i) {
        std::string text = mutator.Fixture();
        mutator.Mutate(text);
        const std::wstring path = temp.Write(L"fuzz.hex", text);
        const LoadKind kind = static_cast<LoadKind>(i % 3);

        // The download's check: a range pass without header capture.
        const Expected whole = Expect(text, LoadKind::WholeFile);
        CIntelHexReader reader;
        DWORD line = 0xFFFF;
        const bool valid = reader.ValidateFile(path, line);
        const DWORD validError = GetLastError();
        const bool validMatches = valid == (whole.error == 0) &&
                                  (valid || (validError == whole.error &&
                                             line == (text.empty() ? 0xFFFF : whole.line)));
        validated += valid;

        CFirmwareImage image;
        const bool loaded = Load(image, path, kind);
        const DWORD error = loaded ? 0 : GetLastError();
        const std::string difference = Compare(image, loaded, error, Expect(text, kind));

        if (!difference.empty() || !validMatches) {
            if (++mismatches <= 5) {
                ADD_FAILURE() << "file " << i << " kind " << static_cast<int>(kind) << ": " << difference
                              << (validMatches ? "" : " (ValidateFile differs)") << "\n" << text;
            }
        } else if (loaded) {
            ++loadedEqual;
        } else {
            ++refused[error];
        }
    }

    unsigned refusedTotal = 0;
    std::printf("hex fuzz: seed 0x%X, %u files tried, %u passed ValidateFile\n", kSeed, kFiles, validated);
    for (const auto& [code, count] : refused) {
        std::printf("  refused 0x%08lX %5u  %ls\n", code, count, FormatErrorText(code).c_str());
        refusedTotal += count;
    }
    std::printf("  refused in all %u, loaded and equal to the reference %u, mismatches %u\n", refusedTotal,
                loadedEqual, mismatches);
    EXPECT_EQ(mismatches, 0u);
    // The damage must reach every way a file is refused.
    for (DWORD code : {static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER), static_cast<DWORD>(E_INTEL_HEX_BAD_CHECKSUM),
                       static_cast<DWORD>(E_INTEL_HEX_NO_EOF_RECORD), static_cast<DWORD>(E_INTEL_HEX_BAD_RECORD_TYPE),
                       static_cast<DWORD>(E_INTEL_HEX_BAD_DATA_LENGTH), kHexAddressOutOfRange,
                       static_cast<DWORD>(ERROR_INVALID_DATA), static_cast<DWORD>(ERROR_FILE_INVALID)})
        EXPECT_GT(refused[code], 0u) << std::hex << "0x" << code;
    // The damage must leave enough files loading to test the copy.
    EXPECT_GT(loadedEqual, kFiles / 5);
}
