#include "LoaderFixture.h"

#include "MachineFixture.h"
#include "MessagePump.h"

namespace {

constexpr DWORD kLow = CMcuLoaderStateMachine::kImageLow;
constexpr DWORD kHigh = CMcuLoaderStateMachine::kImageHigh;

}  // namespace

McuFile WriteMcuFile(const CTempFolder& folder, const std::wstring& name, size_t size, uint32_t seed)
{
    Bytes data = RandomBytes(size, seed);
    data[0] = data[1] = 0;
    CHexImage image;
    image.Put(kLow, data);
    const WORD word = ReconcilingWord(image.Window(kLow, kHigh), 0);
    image.Patch(kLow, {static_cast<BYTE>(word >> 8), static_cast<BYTE>(word)});
    return {folder.Write(name, image.ToHex()), image.Window(kLow, kHigh)};
}

std::wstring WriteWholeFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes)
{
    CHexImage image;
    if (!bytes.empty())
        image.Put(0, bytes);
    return folder.Write(name, image.ToHex());
}

std::wstring WriteFrontPanelFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes,
                                 std::array<BYTE, 16>& header)
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
    return folder.Write(name, image.ToHex(options));
}

LoaderTest::LoaderTest()
{
    ResetModelForMachineTest();
    CModel& model = GetModel();
    model.FirmwareLoadRetryLimit.Set(10);
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
}

LoaderTest::~LoaderTest()
{
    GetModel().SetActiveMachine(nullptr);
}

Bytes LoaderTest::ReceivedWindow() const
{
    Bytes bytes(kHigh - kLow, 0);
    for (const auto& [address, block] : peer.bootLoader.Image()) {
        if (address >= kLow && address + block.size() <= kHigh)
            std::copy(block.begin(), block.end(), bytes.begin() + (address - kLow));
    }
    return bytes;
}
