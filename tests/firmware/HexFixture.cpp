#include "HexFixture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "FirmwareImage.h"
#include "McuLoaderStateMachine.h"

std::string HexRecord(BYTE type, WORD address, const Bytes& data)
{
    Bytes fields{static_cast<BYTE>(data.size()), static_cast<BYTE>(address >> 8), static_cast<BYTE>(address), type};
    fields.insert(fields.end(), data.begin(), data.end());
    BYTE sum = 0;
    for (BYTE b : fields)
        sum += b;
    fields.push_back(static_cast<BYTE>(-sum));

    std::string text = ":";
    char pair[3];
    for (BYTE b : fields) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

void CHexImage::Patch(DWORD address, const Bytes& bytes)
{
    for (Run& run : m_runs) {
        if (address >= run.address && address - run.address + bytes.size() <= run.bytes.size()) {
            std::copy(bytes.begin(), bytes.end(), run.bytes.begin() + (address - run.address));
            return;
        }
    }
    throw std::logic_error("patch outside the image");
}

DWORD CHexImage::Low() const
{
    DWORD low = 0xFFFFFFFF;
    for (const Run& run : m_runs)
        low = std::min(low, run.address);
    return low;
}

DWORD CHexImage::High() const
{
    DWORD high = 0;
    for (const Run& run : m_runs)
        high = std::max<DWORD>(high, run.address + static_cast<DWORD>(run.bytes.size()));
    return high;
}

Bytes CHexImage::Window(DWORD low, DWORD high, BYTE fill) const
{
    Bytes window(high > low ? high - low : 0, fill);
    for (const Run& run : m_runs) {
        for (size_t i = 0; i < run.bytes.size(); ++i) {
            const uint64_t address = uint64_t{run.address} + i;
            if (address >= low && address < high)
                window[address - low] = run.bytes[i];
        }
    }
    return window;
}

std::string CHexImage::ToHex(const HexFileOptions& options) const
{
    std::string text;
    const auto line = [&](const std::string& record) {
        std::string written = record;
        if (options.lowerCase)
            std::transform(written.begin(), written.end(), written.begin(),
                           [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        text += written + options.lineEnd;
    };

    if (options.header)
        line(HexRecord(0, 0xFF00, Bytes(options.header->begin(), options.header->end())));

    const bool segment = options.addressing == HexFileOptions::Addressing::Segment;
    uint64_t upper = 0;  // the base in force, as the reader will see it
    for (const Run& run : m_runs) {
        size_t done = 0;
        while (done < run.bytes.size()) {
            const DWORD address = run.address + static_cast<DWORD>(done);
            const uint64_t base = address & 0xFFFF0000u;
            if (base != upper) {
                if (segment && base > 0xF0000)
                    throw std::logic_error("segment addressing ends at 1 MiB");
                const WORD value = static_cast<WORD>(segment ? base >> 4 : base >> 16);
                line(HexRecord(segment ? 2 : 4, 0, {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)}));
                upper = base;
            }
            const size_t toBoundary = 0x10000 - (address & 0xFFFF);
            const size_t count = std::min({size_t{options.recordLength}, run.bytes.size() - done, toBoundary});
            line(HexRecord(0, static_cast<WORD>(address),
                           Bytes(run.bytes.begin() + done, run.bytes.begin() + done + count)));
            done += count;
        }
    }
    line(EndOfFileRecord());
    return text;
}

WORD WordSum(const Bytes& bytes, BYTE fill)
{
    unsigned sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2)
        sum += bytes[i] << 8 | (i + 1 < bytes.size() ? bytes[i + 1] : fill);
    return static_cast<WORD>(sum);
}

WORD ReconcilingWord(const Bytes& window, size_t offset)
{
    Bytes zeroed = window;
    zeroed.at(offset) = 0;
    zeroed.at(offset + 1) = 0;
    return static_cast<WORD>(0x10000 - WordSum(zeroed));
}

Bytes RandomBytes(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (BYTE& b : bytes)
        b = static_cast<BYTE>(random());
    return bytes;
}

McuHex MakeMcuHex(size_t size, uint32_t seed)
{
    constexpr DWORD kLow = CMcuLoaderStateMachine::kImageLow;
    constexpr DWORD kHigh = CMcuLoaderStateMachine::kImageHigh;
    Bytes data = RandomBytes(size, seed);
    data[0] = data[1] = 0;
    CHexImage image;
    image.Put(kLow, data);
    const WORD word = ReconcilingWord(image.Window(kLow, kHigh), 0);
    image.Patch(kLow, {static_cast<BYTE>(word >> 8), static_cast<BYTE>(word)});
    return {image.ToHex(), image.Window(kLow, kHigh)};
}

std::string MakeWholeHex(const Bytes& bytes)
{
    CHexImage image;
    if (!bytes.empty())
        image.Put(0, bytes);
    return image.ToHex();
}

std::string MakeFrontPanelHex(const Bytes& bytes, std::array<BYTE, 16>& header)
{
    for (size_t i = 0; i < 14; ++i)
        header[i] = static_cast<BYTE>(0x30 + i);
    const WORD word = static_cast<WORD>(0x10000 - WordSum(bytes));
    header[14] = static_cast<BYTE>(word >> 8);
    header[15] = static_cast<BYTE>(word);
    CHexImage image;
    if (!bytes.empty())
        image.Put(CFirmwareImage::kFrontPanelLow, bytes);
    HexFileOptions options;
    options.header = header;
    return image.ToHex(options);
}
