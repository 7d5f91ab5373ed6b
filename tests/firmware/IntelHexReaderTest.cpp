#include <gtest/gtest.h>

#include "ErrorText.h"
#include "HexFixture.h"
#include "IntelHexReader.h"
#include "TempFolder.h"

namespace {

struct Outcome {
    bool ok;
    DWORD error;
    DWORD line;
    DWORD low;
    DWORD high;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o)
{
    return out << "ok " << o.ok << " error 0x" << std::hex << o.error << std::dec << " line " << o.line;
}

class IntelHexReaderTest : public testing::Test {
protected:
    std::wstring Write(const std::string& text) { return m_temp.Write(L"t.hex", text); }

    // The range pass over the text.
    Outcome Range(const std::string& text, bool captureHeader = false)
    {
        Outcome o{};
        EXPECT_TRUE(m_reader.Open(Write(text)));
        m_reader.EnableHeaderCapture(captureHeader);
        o.ok = m_reader.ScanRange(o.low, o.high);
        o.error = GetLastError();
        o.line = m_reader.GetLine();
        m_reader.Close();
        return o;
    }

    // The copy pass of [low, high) into a buffer with a guard after its end.
    Outcome Copy(const std::string& text, DWORD low, DWORD high, Bytes& copied)
    {
        Bytes buffer(high - low + 16, 0xEE);
        Outcome o{};
        EXPECT_TRUE(m_reader.Open(Write(text)));
        o.ok = m_reader.CopyRange(low, high, buffer.data(), buffer.data() + (high - low));
        o.error = GetLastError();
        o.line = m_reader.GetLine();
        m_reader.Close();
        EXPECT_EQ(Bytes(buffer.end() - 16, buffer.end()), Bytes(16, 0xEE)) << "written past the destination";
        copied.assign(buffer.begin(), buffer.end() - 16);
        return o;
    }

    CTempFolder m_temp;
    CIntelHexReader m_reader;
};

const std::string kEnd = EndOfFileRecord() + "\r\n";

std::string Line(BYTE type, WORD address, const Bytes& data) { return HexRecord(type, address, data) + "\r\n"; }

}  // namespace

TEST_F(IntelHexReaderTest, ReadsImagesWrittenInEveryStyle)
{
    CHexImage image;
    image.Put(0x0123, RandomBytes(700, 1));
    image.Put(0xFFF0, RandomBytes(40, 2));      // across a 64 KiB boundary
    image.Put(0x2FFF0, RandomBytes(300, 3));    // above the first 64 KiB
    const DWORD low = image.Low();
    const DWORD high = image.High();

    for (const unsigned length : {1u, 16u, 32u, 255u}) {
        for (const char* lineEnd : {"\r\n", "\n"}) {
            for (const auto addressing : {HexFileOptions::Addressing::Linear, HexFileOptions::Addressing::Segment}) {
                HexFileOptions options;
                options.recordLength = length;
                options.lineEnd = lineEnd;
                options.addressing = addressing;
                options.lowerCase = length == 32;
                const std::string text = image.ToHex(options);
                SCOPED_TRACE(testing::Message() << "length " << length << " lf-only " << (lineEnd[1] == 0)
                                                << " segment " << (addressing != HexFileOptions::Addressing::Linear));

                const Outcome range = Range(text);
                ASSERT_TRUE(range.ok) << range;
                EXPECT_EQ(range.low, low);
                EXPECT_EQ(range.high, high);

                Bytes copied;
                ASSERT_TRUE(Copy(text, low, high, copied).ok);
                EXPECT_EQ(copied, image.Window(low, high, 0xEE));  // gaps keep the buffer's bytes
            }
        }
    }
}

TEST_F(IntelHexReaderTest, ExtendedAddressRecordsMoveTheData)
{
    // Type 4 with 0001: the following records land at 0x10000 + address.
    const Outcome linear =
        Range(Line(4, 0, {0x00, 0x01}) + Line(0, 0x0010, {1, 2, 3, 4}) + kEnd);
    ASSERT_TRUE(linear.ok) << linear;
    EXPECT_EQ(linear.low, 0x10010u);
    EXPECT_EQ(linear.high, 0x10014u);

    // Type 2 with 0x1234: base 0x12340.
    const Outcome segment = Range(Line(2, 0, {0x12, 0x34}) + Line(0, 0x0001, {9}) + kEnd);
    ASSERT_TRUE(segment.ok) << segment;
    EXPECT_EQ(segment.low, 0x12341u);
    EXPECT_EQ(segment.high, 0x12342u);

    // Start address records change nothing.
    const Outcome start = Range(Line(3, 0, {0, 0, 0, 0}) + Line(5, 0, {0, 1, 0, 0}) + Line(0, 0x20, {1}) + kEnd);
    ASSERT_TRUE(start.ok) << start;
    EXPECT_EQ(start.low, 0x20u);
}

TEST_F(IntelHexReaderTest, ReadsARecordSplitByALineBreak)
{
    const std::string record = HexRecord(0, 0x0100, {0xA1, 0xB2, 0xC3});
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        for (const size_t cut : {4u, 9u, record.size() - 1}) {
            const std::string text = record.substr(0, cut) + lineBreak + record.substr(cut) + "\r\n" + kEnd;
            Bytes copied;
            const Outcome o = Copy(text, 0x100, 0x103, copied);
            ASSERT_TRUE(o.ok) << o << " cut " << cut;
            EXPECT_EQ(copied, (Bytes{0xA1, 0xB2, 0xC3}));
        }
    }
}

TEST_F(IntelHexReaderTest, StartsARecordOnlyAtAColonThatOpensItsLine)
{
    const std::string hidden = Line(0, 0x0000, {0x11});
    // Leading space, text before the colon, a colon 65,536 characters into its
    // line: the record is text. A lone carriage return starts a line as far as
    // the colon is concerned.
    const std::string text = " " + hidden + "note" + hidden + "x\r" + HexRecord(0, 0x0005, {0x55}) + "\r\n" +
                             HexRecord(0, 0x0008, {0x88}) + "::" + hidden + std::string(65536, 'x') + hidden +
                             kEnd;
    const Outcome o = Range(text);
    ASSERT_TRUE(o.ok) << o;
    EXPECT_EQ(o.low, 0x5u);
    EXPECT_EQ(o.high, 0x9u);
}

TEST_F(IntelHexReaderTest, NeverReadsPastTheEndOfFileRecord)
{
    const std::string text = Line(0, 0x10, {1, 2}) + kEnd + "garbage\r\n:ZZ\r\n" + Line(0, 0x400, {3}) + ":0";
    const Outcome range = Range(text);
    ASSERT_TRUE(range.ok) << range;
    EXPECT_EQ(range.high, 0x12u);
    EXPECT_EQ(range.line, 2u);

    Bytes copied;
    ASSERT_TRUE(Copy(text, 0x10, 0x401, copied).ok);
    EXPECT_EQ(copied.back(), 0xEE);
}

TEST_F(IntelHexReaderTest, FailsWithTheCodeAndLineOfTheFault)
{
    const std::string good = Line(0, 0, {1, 2, 3});
    std::string badChecksum = Line(0, 0x10, {4});
    badChecksum[badChecksum.size() - 3] ^= 1;
    const struct {
        const char* what;
        std::string text;
        HRESULT error;
        DWORD line;
    } cases[] = {
        {"no end record", good + good + good, E_INTEL_HEX_NO_EOF_RECORD, 4},
        {"empty of records", "text only\nand more", E_INTEL_HEX_NO_EOF_RECORD, 2},
        {"bad digit", good + good + ":0300G000010203F9\r\n" + kEnd, E_UNEXPECTED_HEX_CHARACTER, 3},
        {"bad digit after a split", good + ":03\n00\n0X" + kEnd, E_UNEXPECTED_HEX_CHARACTER, 4},
        {"text ends in a record", good + ":0300000001", E_UNEXPECTED_HEX_CHARACTER, 2},
        {"text ends after a colon", good + "\n\n:", E_UNEXPECTED_HEX_CHARACTER, 4},
        {"checksum", good + badChecksum + kEnd, E_INTEL_HEX_BAD_CHECKSUM, 2},
        {"record type 6", good + Line(6, 0, {}) + kEnd, E_INTEL_HEX_BAD_RECORD_TYPE, 2},
        {"record type 0xFF", Line(0xFF, 0, {1}) + kEnd, E_INTEL_HEX_BAD_RECORD_TYPE, 1},
        {"short segment record", good + Line(2, 0, {1}) + kEnd, E_INTEL_HEX_BAD_DATA_LENGTH, 2},
        {"long linear record", good + good + Line(4, 0, {0, 1, 2}) + kEnd, E_INTEL_HEX_BAD_DATA_LENGTH, 3},
        {"empty linear record", Line(4, 0, {}) + kEnd, E_INTEL_HEX_BAD_DATA_LENGTH, 1},
        {"beyond 65,535 lines", std::string(70000, '\n') + ":0G", E_UNEXPECTED_HEX_CHARACTER, 70001},
    };
    for (const auto& c : cases) {
        const Outcome o = Range(c.text);
        EXPECT_FALSE(o.ok) << c.what;
        EXPECT_EQ(o.error, static_cast<DWORD>(c.error)) << c.what << std::hex << " 0x" << o.error;
        EXPECT_EQ(o.line, c.line) << c.what;
    }
}

TEST_F(IntelHexReaderTest, RefusesDataBeyondWhatAnImageCanHold)
{
    // Past 32-bit addresses.
    const Outcome wrap = Range(Line(4, 0, {0xFF, 0xFF}) + Line(0, 0xFFF8, Bytes(16, 1)) + kEnd);
    EXPECT_FALSE(wrap.ok);
    EXPECT_EQ(wrap.error, kHexAddressOutOfRange);
    EXPECT_EQ(wrap.line, 2u);
    // Past them inside the cap: in 32 bits the second record's end would
    // wrap to 8, leaving the range as the first record made it.
    const Outcome narrowWrap =
        Range(Line(4, 0, {0xFF, 0xFF}) + Line(0, 0xFF00, Bytes(16, 1)) + Line(0, 0xFFF8, Bytes(16, 2)) + kEnd);
    EXPECT_FALSE(narrowWrap.ok) << narrowWrap;
    EXPECT_EQ(narrowWrap.error, kHexAddressOutOfRange);
    EXPECT_EQ(narrowWrap.line, 3u);

    // Spread wider than the cap, and exactly as wide.
    const std::string first = Line(0, 0, {1});
    const Outcome wide = Range(first + Line(4, 0, {0x01, 0x00}) + Line(0, 0x0001, {2}) + kEnd);
    EXPECT_FALSE(wide.ok);
    EXPECT_EQ(wide.error, kHexAddressOutOfRange);
    EXPECT_EQ(wide.line, 3u);
    const Outcome widest = Range(first + Line(4, 0, {0x00, 0xFF}) + Line(0, 0xFFFF, {2}) + kEnd);
    ASSERT_TRUE(widest.ok) << widest;
    EXPECT_EQ(widest.high - widest.low, kMaxHexImageSpan);

    // A copy into a given window only skips such records.
    Bytes copied;
    const Outcome copy = Copy(first + Line(4, 0, {0xFF, 0xFF}) + Line(0, 0xFFF8, Bytes(16, 1)) + kEnd, 0, 4, copied);
    ASSERT_TRUE(copy.ok) << copy;
    EXPECT_EQ(copied, (Bytes{1, 0xEE, 0xEE, 0xEE}));
}

TEST_F(IntelHexReaderTest, CopiesOnlyRecordsThatStartInsideTheWindow)
{
    // The MCU window: a record starting before it is dropped whole, one that
    // runs past its end is cut there.
    const DWORD low = 0x800;
    const DWORD high = 0x1FD80;
    const Bytes before = RandomBytes(32, 4);
    const Bytes inside = RandomBytes(16, 5);
    const Bytes across = RandomBytes(32, 6);
    const std::string text = Line(0, 0x07F0, before) + Line(0, 0x0900, inside) + Line(4, 0, {0, 1}) +
                             Line(0, 0xFD70, across) + kEnd;

    Bytes copied;
    const Outcome o = Copy(text, low, high, copied);
    ASSERT_TRUE(o.ok) << o;
    Bytes expected(high - low, 0xEE);
    std::copy(inside.begin(), inside.end(), expected.begin() + (0x900 - low));
    std::copy(across.begin(), across.begin() + 16, expected.end() - 16);
    EXPECT_EQ(copied, expected);
}

TEST_F(IntelHexReaderTest, LeavesWhatWasCopiedBeforeAFailure)
{
    Bytes copied;
    const Outcome o = Copy(Line(0, 0, {7, 8}) + ":02000200" + kEnd, 0, 4, copied);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(copied, (Bytes{7, 8, 0xEE, 0xEE}));
}

TEST_F(IntelHexReaderTest, ClearsTheLastErrorWhenAPassSucceeds)
{
    ASSERT_TRUE(m_reader.Open(Write(Line(0, 0, {1}) + kEnd)));
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD low = 0;
    DWORD high = 0;
    EXPECT_TRUE(m_reader.ScanRange(low, high));
    EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(IntelHexReaderTest, CapturesThe16ByteRecordAt0xFF00AsHeader)
{
    const Bytes header = RandomBytes(16, 7);
    // The record's own address counts, whatever the base.
    const std::string text = Line(0, 0x0040, {1, 2}) + Line(4, 0, {0, 2}) + Line(0, 0xFF00, header) + kEnd;

    const Outcome captured = Range(text, true);
    ASSERT_TRUE(captured.ok);
    EXPECT_EQ(captured.high, 0x42u);
    EXPECT_TRUE(m_reader.IsHeaderCaptured());
    EXPECT_EQ(Bytes(m_reader.GetHeader().begin(), m_reader.GetHeader().end()), header);

    const Outcome plain = Range(text, false);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.high, 0x2FF10u);
    EXPECT_FALSE(m_reader.IsHeaderCaptured());
    EXPECT_EQ(m_reader.GetHeader()[0], 0xCC);

    // Any other length at 0xFF00 is data.
    const Outcome shortRecord = Range(Line(0, 0xFF00, Bytes(15, 1)) + kEnd, true);
    ASSERT_TRUE(shortRecord.ok);
    EXPECT_EQ(shortRecord.high, 0xFF0Fu);
    EXPECT_FALSE(m_reader.IsHeaderCaptured());
}

TEST_F(IntelHexReaderTest, OpenFailsForMissingAndEmptyFiles)
{
    EXPECT_FALSE(m_reader.Open(m_temp.File(L"missing.hex")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(m_reader.Open(m_temp.Write(L"empty.hex", "")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));

    DWORD low = 0;
    DWORD high = 0;
    EXPECT_FALSE(m_reader.ScanRange(low, high));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(IntelHexReaderTest, ValidateFileTellsTheLineOfAParseFailure)
{
    DWORD line = 77;
    EXPECT_TRUE(m_reader.ValidateFile(Write(Line(0, 0, {1}) + kEnd), line));
    EXPECT_EQ(line, 77u);

    EXPECT_FALSE(m_reader.ValidateFile(Write(Line(0, 0, {1}) + Line(0, 1, {2}) + ":010002000300\r\n" + kEnd), line));
    EXPECT_EQ(line, 3u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_INTEL_HEX_BAD_CHECKSUM));

    line = 77;
    EXPECT_FALSE(m_reader.ValidateFile(m_temp.File(L"missing.hex"), line));
    EXPECT_EQ(line, 77u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // The file is closed afterwards: it can be replaced at once.
    EXPECT_TRUE(DeleteFileW(m_temp.File(L"t.hex").c_str()));
}
