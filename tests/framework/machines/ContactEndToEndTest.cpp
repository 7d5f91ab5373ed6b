// The contact machine and the EEPROM states through the real serial port,
// against the simulated transceiver.
#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "ContactStateMachine.h"
#include "EepromMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"

namespace {

class ContactEndToEndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        CModel& model = GetModel();
        model.ClosePort();
        model.DeviceKind.Set(DEVICE_UNKNOWN);
        model.FixedSerialSpeed.Set(0);
        model.Port.Set(radio.PortName());
        model.SetActiveMachine(nullptr);
        model.Contact().m_savedModeReply.clear();
    }
    void TearDown() override
    {
        GetModel().SetActiveMachine(nullptr);
        GetModel().ClosePort();
    }

    // Runs the contact machine from "OpenPort" to its end.
    HRESULT Contact()
    {
        window.ResetFinished();
        if (!GetModel().Contact().StartAtOpenPort())
            return E_FAIL;
        return window.WaitForFinish(30000) ? window.Result() : E_FAIL;
    }

    HRESULT Run(CReadPicPromState<CEepromMachine>& state, unsigned address, unsigned count)
    {
        window.ResetFinished();
        state.SetRange(address, count);
        eeprom.Start(state);
        return window.WaitForFinish(60000) ? window.Result() : E_FAIL;
    }
    HRESULT Run(CWritePicPromState<CEepromMachine>& state, unsigned address, unsigned count)
    {
        window.ResetFinished();
        state.SetRange(address, count);
        eeprom.Start(state);
        return window.WaitForFinish(60000) ? window.Result() : E_FAIL;
    }

    // Writes a pattern into part of every writable region and reads it back.
    void RoundTripWritableRegions(unsigned bytesPerRegion, BYTE seed)
    {
        GetModel().SetActiveMachine(&eeprom);
        const unsigned regions[][2] = {
            {0x0000, 0xFC},  {0x0100, 0x100}, {0x0200, 0x100}, {0x0300, 0xFE},  {0x0400, 0x100},
            {0x0500, 0x100}, {0x0600, 0x100}, {0x0700, 0x100}, {0x0800, 0x100}, {0x0900, 0x100},
            {0x0A00, 0x100}, {0x0B00, 0x100}, {0x4D00, 0x100}, {0x6800, 0x100}, {0x6900, 0x100},
            {0x7500, 0x100}, {0x7600, 0x100}, {0x7700, 0x100}, {0x7800, 0x100}, {0x7900, 0x100},
            {0x7A00, 0x100}, {0x7B00, 0x100}, {0x7C00, 0x100}, {0x7E00, 0x20},  {0x83E0, 0x17},
        };
        for (const auto& region : regions) {
            const unsigned count = std::min(bytesPerRegion, region[1]);
            // The end of the region: the last chunk and the page edge.
            const unsigned address = region[0] + region[1] - count;
            for (unsigned i = 0; i < count; ++i)
                eeprom.buffer[i] = static_cast<BYTE>(seed + address + i * 7);
            ASSERT_EQ(Run(eeprom.write, address, count), 0) << std::hex << address;
            const std::vector<uint8_t> stored = radio.ReadEeprom(address, count);
            ASSERT_EQ(stored, std::vector<uint8_t>(eeprom.buffer, eeprom.buffer + count)) << std::hex << address;

            std::fill(std::begin(eeprom.buffer), std::end(eeprom.buffer), 0);
            ASSERT_EQ(Run(eeprom.read, address, count), 0) << std::hex << address;
            ASSERT_EQ(std::vector<uint8_t>(eeprom.buffer, eeprom.buffer + count), stored) << std::hex << address;
        }
    }

    CSimulatedTransceiver radio;
    CMachineTestWindow window;
    CEepromMachine eeprom;
};

}  // namespace

TEST_F(ContactEndToEndTest, FindsARunningRadioAtALowerSpeedAndReadsItsFacts)
{
    CModel& model = GetModel();
    radio.SetVersion("RVM", 455);
    radio.SetVersion("RVF", 132);
    radio.SetVersion("RVD", 210);
    radio.SetVersion("RVA", 211);
    radio.SetVersion("RVR", 105);
    radio.SetSerialNumber(4321);
    for (unsigned speed : {9600u, 4800u}) {
        model.ClosePort();
        radio.SetSpeed(speed);
        radio.ClearLog();
        ASSERT_EQ(Contact(), 0) << speed;
        EXPECT_EQ(model.GetPortSpeed(), speed);
        EXPECT_EQ(model.PortState.Get(), 0);
        EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
        EXPECT_EQ(model.FormatVersion(VERSION_MCU), L"04.55");
        EXPECT_EQ(model.FormatVersion(VERSION_FPF), L"01.32");
        EXPECT_EQ(model.FormatVersion(VERSION_DSP1), L"02.10");
        EXPECT_EQ(model.FormatVersion(VERSION_DSP2), L"02.11");
        EXPECT_EQ(model.FormatVersion(VERSION_DVR), L"01.05");
        EXPECT_EQ(model.SerialNumber.Get(), 4321);
        EXPECT_EQ(model.SecondReceiver, SUBRX_INSTALLED);
        EXPECT_FALSE(model.OptionModuleReply().empty());
        // The search started at 38400 and went down.
        const std::vector<SimulatedCommand> log = radio.Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front().speed, 38400u);
        EXPECT_EQ(log.back().speed, speed);
    }
    EXPECT_EQ(model.DescribeConnection(), L"Q7 MCU version 04.55 on " + radio.PortName() + L" at 4800 bit/s");
}

TEST_F(ContactEndToEndTest, ABootLoaderEndsAfterIdentify)
{
    radio.SetBootLoader(true);
    ASSERT_EQ(Contact(), 0);
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_BOOT_LOADER);
    std::vector<std::string> commands = radio.Commands();
    commands.erase(std::remove(commands.begin(), commands.end(), ";"), commands.end());
    EXPECT_EQ(commands, std::vector<std::string>{"I;"});
}

TEST_F(ContactEndToEndTest, AnotherDeviceEndsWithUnexpectedDevice)
{
    radio.SetIdentifyReply("MV9;");
    CBoxWatcher boxes;
    EXPECT_EQ(Contact(), E_UNEXPECTED_DEVICE);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Unexpected Device");
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
}

TEST_F(ContactEndToEndTest, Q7ZeroShowsTheDspVersionsAsNotApplicable)
{
    radio.WriteEeprom(0x00FB, {1});
    ASSERT_EQ(Contact(), 0);
    EXPECT_EQ(GetModel().FormatVersion(VERSION_DSP1), L" N/A ");
    EXPECT_EQ(GetModel().FormatVersion(VERSION_DVR), L" N/A ");
    EXPECT_EQ(radio.CountCommand("RVD;"), 0u);
}

TEST_F(ContactEndToEndTest, ARadioThatGoesAwayClosesThePortAtTheNextCommand)
{
    ASSERT_EQ(Contact(), 0);
    CModel& model = GetModel();
    ASSERT_EQ(model.PortState.Get(), 0);
    radio.Unplug();
    CBoxWatcher boxes;
    GetModel().SetActiveMachine(&eeprom);
    const HRESULT result = Run(eeprom.read, 0x0000, 4);
    EXPECT_TRUE(IsFailure(result)) << std::hex << result;
    EXPECT_EQ(boxes.Count(), 1u);
    // Nothing goes on claiming the connection.
    EXPECT_EQ(model.PortState.Get(), -1);
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    EXPECT_FALSE(model.SerialPort().IsOpen());
}

TEST_F(ContactEndToEndTest, EveryWritableRegionRoundTripsInBlocks)
{
    radio.SetMcuVersion(455);
    ASSERT_EQ(Contact(), 0);
    RoundTripWritableRegions(0x100, 0x11);
}

TEST_F(ContactEndToEndTest, EveryWritableRegionRoundTripsByteByByteOnOlderFirmware)
{
    radio.SetMcuVersion(380);
    ASSERT_EQ(Contact(), 0);
    ASSERT_EQ(GetModel().McuVersion(), 380);
    RoundTripWritableRegions(3, 0x5A);
    EXPECT_GT(radio.CountCommand("LDPW"), 0u);
    EXPECT_EQ(radio.CountCommand("EW"), 0u);
}
