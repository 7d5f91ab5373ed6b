#include <gtest/gtest.h>

#include "ErrorText.h"
#include "FirmwareImage.h"
#include "HexFixture.h"
#include "TempFolder.h"

namespace {

constexpr DWORD kMcuLow = 0x800;
constexpr DWORD kMcuHigh = 0x1FD80;

Bytes ImageBytes(const CFirmwareImage& image)
{
    if (image.IsEmpty())
        return {};
    const BYTE* first = image.GetPointer(image.GetLow());
    return Bytes(first, first + image.GetSize());
}

class FirmwareImageTest : public testing::Test {
protected:
    std::wstring Write(const std::string& text) { return m_temp.Write(L"f.hex", text); }
    std::wstring Write(const CHexImage& hex, const HexFileOptions& options = {}) { return Write(hex.ToHex(options)); }

    bool LoadMcu(const std::wstring& path) { return m_image.Load(path, kMcuLow, kMcuHigh, 64, 0xFFFFFFFF); }
    bool LoadWhole(const std::wstring& path)
    {
        return m_image.Load(path, CFirmwareImage::kWholeFileLow, CFirmwareImage::kWholeFileHigh, 64, 0xFFFFFFFF);
    }

    // An MCU-window image whose bytes sum to `sum` with the word at 0x800 given.
    CHexImage McuImageSumming(WORD word, WORD sum)
    {
        Bytes bytes(16, 0);
        bytes[0] = static_cast<BYTE>(word >> 8);
        bytes[1] = static_cast<BYTE>(word);
        const WORD rest = static_cast<WORD>(sum - word);
        bytes[2] = static_cast<BYTE>(rest >> 8);
        bytes[3] = static_cast<BYTE>(rest);
        CHexImage hex;
        hex.Put(kMcuLow, bytes);
        return hex;
    }

    std::wstring WriteFrontPanel(const Bytes& data, const std::array<BYTE, 16>& header)
    {
        CHexImage hex;
        hex.Put(0, data);
        HexFileOptions options;
        options.header = header;
        return Write(hex, options);
    }

    CTempFolder m_temp;
    CFirmwareImage m_image;
};

std::array<BYTE, 16> HeaderWithWord(WORD word)
{
    std::array<BYTE, 16> header{};
    for (size_t i = 0; i < 14; ++i)
        header[i] = static_cast<BYTE>(0x30 + i);
    header[14] = static_cast<BYTE>(word >> 8);
    header[15] = static_cast<BYTE>(word);
    return header;
}

}  // namespace

TEST_F(FirmwareImageTest, LoadsTheMcuWindowCuttingRecordsAtItsEdges)
{
    CHexImage hex;
    hex.Put(0x0000, RandomBytes(0x7F0, 1));   // below the window
    hex.Put(0x07F0, RandomBytes(32, 2));      // starts below: dropped whole
    hex.Put(0x0900, RandomBytes(0x4000, 3));
    hex.Put(0x1FD70, RandomBytes(32, 4));     // runs past the end: cut
    hex.Put(0x30000, RandomBytes(64, 5));     // above the window
    HexFileOptions options;
    options.recordLength = 32;
    const std::wstring path = Write(hex, options);

    ASSERT_TRUE(LoadMcu(path)) << std::hex << GetLastError();
    EXPECT_TRUE(m_image.IsLoaded());
    EXPECT_EQ(m_image.GetLow(), kMcuLow);
    EXPECT_EQ(m_image.GetHigh(), kMcuHigh);
    EXPECT_EQ(m_image.GetSize(), kMcuHigh - kMcuLow);
    EXPECT_EQ(m_image.GetAllocatedSize(), kMcuHigh - kMcuLow);
    EXPECT_EQ(m_image.GetPath(), path);

    Bytes expected = hex.Window(kMcuLow, kMcuHigh);
    std::fill(expected.begin(), expected.begin() + 0x10, 0xFF);  // the dropped record's tail
    EXPECT_EQ(ImageBytes(m_image), expected);
    // On the image itself: the dropped record's tail and the gap read as
    // fill, and the cut record keeps the head that fits.
    EXPECT_EQ(Bytes(m_image.GetPointer(kMcuLow), m_image.GetPointer(0x900)), Bytes(0x100, 0xFF));
    const Bytes& cut = hex.Runs()[3].bytes;
    EXPECT_EQ(Bytes(m_image.GetPointer(0x1FD70), m_image.GetPointer(kMcuHigh - 1) + 1), Bytes(cut.begin(), cut.begin() + 16));

    EXPECT_EQ(m_image.GetPointer(kMcuLow - 1), nullptr);
    EXPECT_EQ(m_image.GetPointer(kMcuHigh), nullptr);
    EXPECT_NE(m_image.GetPointer(kMcuHigh - 1), nullptr);
}

TEST_F(FirmwareImageTest, LoadsTheWholeFileRangeInBlocks)
{
    CHexImage hex;
    hex.Put(0x1000, RandomBytes(10, 6));
    ASSERT_TRUE(LoadWhole(Write(hex)));
    EXPECT_EQ(m_image.GetLow(), 0x1000u);
    EXPECT_EQ(m_image.GetHigh(), 0x100Au);
    EXPECT_EQ(m_image.GetSize(), 10u);
    EXPECT_EQ(m_image.GetAllocatedSize(), 64u);  // at least one block
    EXPECT_EQ(ImageBytes(m_image), hex.Window(0x1000, 0x100A));

    hex.Put(0x100A, RandomBytes(55, 7));
    ASSERT_TRUE(LoadWhole(Write(hex)));
    EXPECT_EQ(m_image.GetSize(), 65u);
    EXPECT_EQ(m_image.GetAllocatedSize(), 68u);  // rounded up to whole words
}

TEST_F(FirmwareImageTest, FillsGapsWithTheFillWord)
{
    CHexImage hex;
    hex.Put(0, {0xAB});
    hex.Put(7, {0xCD});
    ASSERT_TRUE(m_image.Load(Write(hex), CFirmwareImage::kWholeFileLow, CFirmwareImage::kWholeFileHigh, 4,
                             0x44332211));
    EXPECT_EQ(ImageBytes(m_image), (Bytes{0xAB, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0xCD}));
}

TEST_F(FirmwareImageTest, LoadsAFileWithoutDataAsAnEmptyImage)
{
    ASSERT_TRUE(LoadWhole(Write(HexRecord(4, 0, {0, 1}) + "\r\n" + EndOfFileRecord() + "\r\n")));
    EXPECT_TRUE(m_image.IsLoaded());
    EXPECT_TRUE(m_image.IsEmpty());
    EXPECT_EQ(m_image.GetLow(), 0xFFFFFFFFu);  // the range of no data
    EXPECT_EQ(m_image.GetHigh(), 0u);
    EXPECT_EQ(m_image.GetAllocatedSize(), 0u);
    EXPECT_EQ(m_image.GetPointer(0), nullptr);
    EXPECT_EQ(m_image.Sum16(), 0);
}

TEST_F(FirmwareImageTest, ReportsWhereAndWhyALoadFailed)
{
    const std::string good = HexRecord(0, 0x800, {1, 2}) + "\r\n";
    ASSERT_FALSE(LoadMcu(Write(good + good + ":0108000003FF\r\n")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_INTEL_HEX_BAD_CHECKSUM));
    EXPECT_FALSE(m_image.IsLoaded());
    EXPECT_EQ(m_image.GetLine(), 3u);
    EXPECT_EQ(m_image.DescribeLoadFailure(E_INTEL_HEX_BAD_CHECKSUM),
              L"Line 3, error code 0xE2000022: intel hex line checksum error");

    ASSERT_FALSE(LoadWhole(Write(good)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_INTEL_HEX_NO_EOF_RECORD));
    EXPECT_EQ(m_image.GetLine(), 2u);

    ASSERT_FALSE(LoadMcu(m_temp.File(L"missing.hex")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(m_image.GetLine(), 0u);
    EXPECT_FALSE(m_image.IsLoaded());
}

TEST_F(FirmwareImageTest, RefusesSpansAboveTheCapWithoutAllocating)
{
    CHexImage hex;
    hex.Put(0, {1});
    hex.Put(kMaxHexImageSpan, {2});
    ASSERT_FALSE(LoadWhole(Write(hex)));
    EXPECT_EQ(GetLastError(), kHexAddressOutOfRange);
    EXPECT_EQ(m_image.GetAllocatedSize(), 0u);

    // A window wider than the cap, and a front-panel image that starts at
    // 0x40 but whose data lies far above.
    CHexImage small;
    small.Put(0, {1});
    ASSERT_FALSE(m_image.Load(Write(small), 0, kMaxHexImageSpan + 1, 64, 0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), kHexAddressOutOfRange);
    EXPECT_EQ(m_image.GetAllocatedSize(), 0u);

    CHexImage distant;
    distant.Put(0x20000000, {1, 2, 3});
    HexFileOptions options;
    options.header = HeaderWithWord(0);
    ASSERT_FALSE(m_image.LoadWithHeader(Write(distant, options)));
    EXPECT_EQ(GetLastError(), kHexAddressOutOfRange);
    EXPECT_EQ(m_image.GetAllocatedSize(), 0u);

    // Data that runs past 32-bit addresses within the cap.
    const std::string wrap = HexRecord(4, 0, {0xFF, 0xFF}) + "\r\n" + HexRecord(0, 0xFF00, Bytes(16, 1)) + "\r\n" +
                             HexRecord(0, 0xFFF8, Bytes(16, 2)) + "\r\n" + EndOfFileRecord() + "\r\n";
    ASSERT_FALSE(LoadWhole(Write(wrap)));
    EXPECT_EQ(GetLastError(), kHexAddressOutOfRange);
    EXPECT_FALSE(m_image.IsLoaded());

    // The cap itself is allowed.
    ASSERT_TRUE(m_image.Load(Write(small), 0, kMaxHexImageSpan, 64, 0xFFFFFFFF));
    EXPECT_EQ(m_image.GetSize(), kMaxHexImageSpan);
}

TEST_F(FirmwareImageTest, SumsBigEndianWordsPairingAnOddLastByteWithFill)
{
    CHexImage hex;
    hex.Put(0, {0x12, 0x34, 0x56});
    ASSERT_TRUE(LoadWhole(Write(hex)));
    EXPECT_EQ(m_image.Sum16(), static_cast<WORD>(0x1234 + 0x56FF));

    hex.Put(3, {0x01});
    ASSERT_TRUE(LoadWhole(Write(hex)));
    EXPECT_EQ(m_image.Sum16(), static_cast<WORD>(0x1234 + 0x5601));
}

TEST_F(FirmwareImageTest, ComputesAZeroReconciliationWord)
{
    const std::wstring path = Write(McuImageSumming(0x0000, 0x1234));
    ASSERT_TRUE(m_image.Load(path, kMcuLow, kMcuLow + 16, 64, 0xFFFFFFFF));
    ASSERT_EQ(m_image.Sum16(), 0x1234);

    std::vector<std::wstring> lines;
    EXPECT_EQ(ReconcileAndDescribe(m_image, kMcuLow, L"MCU", lines), S_OK);
    EXPECT_EQ(m_image.GetPointer(kMcuLow)[0], 0xED);
    EXPECT_EQ(m_image.GetPointer(kMcuLow)[1], 0xCC);
    EXPECT_EQ(m_image.Sum16(), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"MCU firmware file " + path + L" checksum reconciliation value is 0x0");
    EXPECT_EQ(lines[1], L"MCU computed checksum reconciliation value is 0xCCED");
}

TEST_F(FirmwareImageTest, WarnsOfAZeroWordInAnImageThatSumsToZero)
{
    ASSERT_TRUE(m_image.Load(Write(McuImageSumming(0, 0)), kMcuLow, kMcuLow + 16, 64, 0xFFFFFFFF));
    const Bytes before = ImageBytes(m_image);
    EXPECT_EQ(m_image.ReconcileChecksum16(kMcuLow), W_CHECKSUM_RECONCILIATION_ZERO);
    EXPECT_EQ(ImageBytes(m_image), before);

    std::vector<std::wstring> lines;
    EXPECT_EQ(ReconcileAndDescribe(m_image, kMcuLow, L"MCU", lines), S_OK);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], L"Checksum reconciliation value is zero; alert Zentrova\r\n\r\n"
                        L"Note: A zero checksum reconciliation value should occur only during firmware development.");
}

TEST_F(FirmwareImageTest, ChecksAStoredReconciliationWord)
{
    ASSERT_TRUE(m_image.Load(Write(McuImageSumming(0xA1B2, 0)), kMcuLow, kMcuLow + 16, 64, 0xFFFFFFFF));
    std::vector<std::wstring> lines;
    EXPECT_EQ(ReconcileAndDescribe(m_image, kMcuLow, L"MCU", lines), S_OK);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L"checksum reconciliation value is 0xB2A1"), std::wstring::npos) << lines[0].c_str();

    ASSERT_TRUE(m_image.Load(Write(McuImageSumming(0xA1B2, 0x0102)), kMcuLow, kMcuLow + 16, 64, 0xFFFFFFFF));
    const Bytes before = ImageBytes(m_image);
    lines.clear();
    EXPECT_EQ(ReconcileAndDescribe(m_image, kMcuLow, L"MCU", lines), E_HEX_FILE_CHECKSUM_NOT_ZERO);
    EXPECT_EQ(ImageBytes(m_image), before);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], L"File does not checksum to zero. Checksum is 0x102");
}

TEST_F(FirmwareImageTest, ReconcilesAFullMcuFileWrittenWithItsWord)
{
    CHexImage hex;
    hex.Put(kMcuLow, RandomBytes(0x10000, 8));
    hex.Put(0x1C000, RandomBytes(0x3D80, 9));
    hex.Patch(kMcuLow, {0, 0});
    const WORD word = ReconcilingWord(hex.Window(kMcuLow, kMcuHigh), 0);
    hex.Patch(kMcuLow, {static_cast<BYTE>(word >> 8), static_cast<BYTE>(word)});

    ASSERT_TRUE(LoadMcu(Write(hex)));
    EXPECT_EQ(m_image.Sum16(), 0);
    EXPECT_EQ(m_image.ReconcileChecksum16(kMcuLow), S_OK);
}

TEST_F(FirmwareImageTest, RefusesAReconciliationWordOutsideTheImage)
{
    ASSERT_TRUE(m_image.Load(Write(McuImageSumming(0, 0x1234)), kMcuLow, kMcuLow + 16, 64, 0xFFFFFFFF));
    const Bytes before = ImageBytes(m_image);
    EXPECT_EQ(m_image.ReconcileChecksum16(kMcuLow - 2), E_INVALIDARG);
    EXPECT_EQ(m_image.ReconcileChecksum16(kMcuLow + 15), E_INVALIDARG);  // half outside
    EXPECT_EQ(m_image.ReconcileChecksum16(kMcuLow + 3), E_INVALIDARG);   // not on a summed word
    EXPECT_EQ(ImageBytes(m_image), before);

    // The loader's log names the address, not a checksum.
    std::vector<std::wstring> lines;
    EXPECT_EQ(ReconcileAndDescribe(m_image, kMcuLow - 2, L"MCU", lines), E_INVALIDARG);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], L"MCU checksum reconciliation address 0x7FE lies outside firmware file " + m_image.GetPath());
}

TEST_F(FirmwareImageTest, LoadsTheFrontPanelImageFrom0x40WithItsHeader)
{
    const Bytes data = RandomBytes(0x101, 10);
    const std::array<BYTE, 16> header = HeaderWithWord(0x1234);
    ASSERT_TRUE(m_image.LoadWithHeader(WriteFrontPanel(data, header))) << std::hex << GetLastError();
    EXPECT_EQ(m_image.GetLow(), 0x40u);
    EXPECT_EQ(m_image.GetHigh(), 0x101u);
    EXPECT_EQ(m_image.GetAllocatedSize(), 0xC4u);
    EXPECT_EQ(ImageBytes(m_image), Bytes(data.begin() + 0x40, data.end()));
    EXPECT_TRUE(m_image.IsHeaderValid());
    EXPECT_EQ(m_image.GetHeader(), header);
}

TEST_F(FirmwareImageTest, FailsAFrontPanelFileWithoutItsHeader)
{
    CHexImage hex;
    hex.Put(0x40, RandomBytes(64, 11));
    hex.Put(0xFF00, RandomBytes(15, 12));  // not 16 bytes: data, not the header
    ASSERT_FALSE(m_image.LoadWithHeader(Write(hex)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_FALSE(m_image.IsLoaded());
    EXPECT_FALSE(m_image.IsHeaderValid());
    EXPECT_EQ(m_image.GetHigh(), 0xFF0Fu);
}

TEST_F(FirmwareImageTest, ForgetsTheHeaderWithTheNextLoad)
{
    ASSERT_TRUE(m_image.LoadWithHeader(WriteFrontPanel(RandomBytes(0x80, 13), HeaderWithWord(0))));
    ASSERT_TRUE(m_image.IsHeaderValid());
    CHexImage hex;
    hex.Put(0x40, {1, 2});
    ASSERT_TRUE(LoadWhole(Write(hex)));
    EXPECT_FALSE(m_image.IsHeaderValid());
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), E_INVALIDARG);
}

TEST_F(FirmwareImageTest, ReconcilesTheHeaderWordAgainstTheImageOutsideIt)
{
    const Bytes data = RandomBytes(0x100, 14);
    ASSERT_TRUE(m_image.LoadWithHeader(WriteFrontPanel(data, HeaderWithWord(0))));
    const WORD sum = m_image.Sum16();
    ASSERT_NE(sum, 0);
    const WORD reconciling = static_cast<WORD>(0x10000 - sum);

    // A zero word is computed; the image itself does not change.
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), S_OK);
    EXPECT_EQ(m_image.GetHeader(), HeaderWithWord(reconciling));
    EXPECT_EQ(m_image.Sum16(), sum);

    // A file written with that word is sound; any other word is not.
    ASSERT_TRUE(m_image.LoadWithHeader(WriteFrontPanel(data, HeaderWithWord(reconciling))));
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), S_OK);
    EXPECT_EQ(m_image.GetHeader(), HeaderWithWord(reconciling));
    ASSERT_TRUE(m_image.LoadWithHeader(WriteFrontPanel(data, HeaderWithWord(reconciling + 1))));
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), E_HEX_FILE_CHECKSUM_NOT_ZERO);

    // An image that sums to zero by itself with a non-zero word is broken too.
    CHexImage zero;
    zero.Put(0x40, {0x00, 0x00});
    HexFileOptions options;
    options.header = HeaderWithWord(0x1111);
    ASSERT_TRUE(m_image.LoadWithHeader(Write(zero, options)));
    ASSERT_EQ(m_image.Sum16(), 0);
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), E_HEX_FILE_CHECKSUM_NOT_ZERO);

    options.header = HeaderWithWord(0);
    ASSERT_TRUE(m_image.LoadWithHeader(Write(zero, options)));
    EXPECT_EQ(m_image.ReconcileHeaderChecksum16(), W_CHECKSUM_RECONCILIATION_ZERO);
    EXPECT_EQ(m_image.GetHeader(), HeaderWithWord(0));
}
