#include "ReferenceHexReader.h"

#include <algorithm>
#include <cstring>

#include "ErrorText.h"
#include "IntelHexReader.h"

namespace {

int DigitValue(char c)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const char upper = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    const char* found = c ? std::strchr(kDigits, upper) : nullptr;
    return found ? static_cast<int>(found - kDigits) : -1;
}

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

class Reading {
public:
    Reading(const std::string& text, ReferenceHex& out) : m_text(text), m_out(out) {}

    // Lines are counted only when needed: 1 + the line feeds before `end`.
    DWORD LineBefore(size_t end) const
    {
        return 1 + static_cast<DWORD>(std::count(m_text.begin(), m_text.begin() + end, '\n'));
    }

    bool Stop(DWORD code, size_t end)
    {
        m_out.error = code;
        m_out.line = LineBefore(end);
        return false;
    }

    // A record begins at a colon that is the first character of its line.
    bool NextRecordStart()
    {
        for (; m_pos < m_text.size(); ++m_pos) {
            if (m_text[m_pos] == ':' && (m_pos == 0 || IsLineBreak(m_text[m_pos - 1]))) {
                ++m_pos;
                return true;
            }
        }
        return Stop(static_cast<DWORD>(E_INTEL_HEX_NO_EOF_RECORD), m_text.size());
    }

    // Appends bytes to `fields` until it holds `total`; line breaks between
    // digits do not count.
    bool TakeBytes(Bytes& fields, size_t total)
    {
        while (fields.size() < total) {
            int nibbles[2];
            for (int& nibble : nibbles) {
                while (m_pos < m_text.size() && IsLineBreak(m_text[m_pos]))
                    ++m_pos;
                if (m_pos == m_text.size())
                    return Stop(static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER), m_pos);
                nibble = DigitValue(m_text[m_pos]);
                if (nibble < 0)
                    return Stop(static_cast<DWORD>(E_UNEXPECTED_HEX_CHARACTER), m_pos);
                ++m_pos;
            }
            fields.push_back(static_cast<BYTE>(nibbles[0] * 16 + nibbles[1]));
        }
        return true;
    }

    size_t Pos() const { return m_pos; }

private:
    const std::string& m_text;
    ReferenceHex& m_out;
    size_t m_pos = 0;
};

}  // namespace

ReferenceHex ReadReferenceHex(const std::string& text, bool captureHeader, bool rangeLimit)
{
    ReferenceHex out;
    Reading reading(text, out);
    uint64_t base = 0;
    for (;;) {
        if (!reading.NextRecordStart())
            return out;
        Bytes fields;
        if (!reading.TakeBytes(fields, 4) || !reading.TakeBytes(fields, 5u + fields[0]))
            return out;
        unsigned sum = 0;
        for (BYTE b : fields)
            sum += b;
        const size_t end = reading.Pos();
        if (sum % 256 != 0) {
            reading.Stop(static_cast<DWORD>(E_INTEL_HEX_BAD_CHECKSUM), end);
            return out;
        }
        const unsigned count = fields[0];
        const unsigned address = fields[1] * 256u + fields[2];
        const unsigned type = fields[3];
        const Bytes data(fields.begin() + 4, fields.end() - 1);

        if (type == 1) {
            out.line = reading.LineBefore(end);
            return out;
        }
        if (type == 2 || type == 4) {
            if (count != 2) {
                reading.Stop(static_cast<DWORD>(E_INTEL_HEX_BAD_DATA_LENGTH), end);
                return out;
            }
            base = uint64_t{data[0] * 256u + data[1]} * (type == 2 ? 16 : 65536);
            continue;
        }
        if (type == 3 || type == 5)
            continue;
        if (type != 0) {
            reading.Stop(static_cast<DWORD>(E_INTEL_HEX_BAD_RECORD_TYPE), end);
            return out;
        }
        if (captureHeader && address == 0xFF00 && count == 16) {
            std::copy(data.begin(), data.end(), out.header.begin());
            out.headerFound = true;
            continue;
        }
        const uint64_t at = base + address;
        const uint64_t low = std::min(out.low, at);
        const uint64_t high = std::max(out.high, at + count);
        if (rangeLimit && (high >= (uint64_t{1} << 32) || high - low > kMaxHexImageSpan)) {
            reading.Stop(kHexAddressOutOfRange, end);
            return out;
        }
        out.low = low;
        out.high = high;
        out.records.push_back({at, data});
    }
}

Bytes ReferenceWindow(const ReferenceHex& hex, uint64_t low, uint64_t high, BYTE fill)
{
    Bytes window(high > low ? static_cast<size_t>(high - low) : 0, fill);
    for (const ReferenceHex::Record& record : hex.records) {
        if (record.address < low || record.address >= high)
            continue;
        for (size_t i = 0; i < record.data.size() && record.address + i < high; ++i)
            window[static_cast<size_t>(record.address - low + i)] = record.data[i];
    }
    return window;
}
