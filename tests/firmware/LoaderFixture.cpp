#include "LoaderFixture.h"

#include "MachineFixture.h"
#include "MessagePump.h"

namespace {

constexpr DWORD kLow = CMcuLoaderStateMachine::kImageLow;
constexpr DWORD kHigh = CMcuLoaderStateMachine::kImageHigh;

}  // namespace

McuFile WriteMcuFile(const CTempFolder& folder, const std::wstring& name, size_t size, uint32_t seed)
{
    McuHex hex = MakeMcuHex(size, seed);
    return {folder.Write(name, hex.text), std::move(hex.window)};
}

std::wstring WriteWholeFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes)
{
    return folder.Write(name, MakeWholeHex(bytes));
}

std::wstring WriteFrontPanelFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes,
                                 std::array<BYTE, 16>& header)
{
    return folder.Write(name, MakeFrontPanelHex(bytes, header));
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
