#include "CountingMachine.h"
#include "Folders.h"
#include "MachineFixture.h"

TEST_F(MachineTest, DispatchServesTheContactMachineFirstAndTheActiveMachineSecond)
{
    CModel& model = GetModel();
    CCountingMachine active;
    model.SetActiveMachine(&active);
    peer.radioSpeed = 0;
    model.Contact().RestartAtFindSpeed();  // busy polling
    ASSERT_FALSE(model.IsIdle());

    model.DispatchReceive(window.Handle(), WM_APP_SERIAL_DATA, 0, 0);
    model.DispatchTimer(window.Handle(), WM_TIMER, 4, 0);
    EXPECT_EQ(active.received, 0);
    EXPECT_EQ(active.ticks, 0);

    ASSERT_TRUE(window.WaitForFinish(5000));
    model.DispatchReceive(window.Handle(), WM_APP_SERIAL_DATA, 0, 0);
    model.DispatchTimer(window.Handle(), WM_TIMER, 4, 0);
    EXPECT_EQ(active.received, 1);
    EXPECT_EQ(active.ticks, 1);

    active.idle = true;
    EXPECT_TRUE(model.IsIdle());
    model.DispatchReceive(window.Handle(), WM_APP_SERIAL_DATA, 0, 0);
    EXPECT_EQ(active.received, 1);
}

TEST_F(MachineTest, VersionsAreShownWithTheirSpecialValues)
{
    CModel& model = GetModel();
    const struct {
        unsigned short value;
        const wchar_t* text;
        bool known;
    } cases[] = {{0xFFFE, L"Loading", false},
                 {9999, L" N/A ", false},
                 {0, L"??.??", false},
                 {123, L"01.23", true},
                 {455, L"04.55", true}};
    for (const auto& c : cases) {
        model.FirmwareVersion.Set(VERSION_DSP2, c.value);
        EXPECT_EQ(model.FormatVersion(VERSION_DSP2), c.text);
        EXPECT_EQ(model.HasVersion(VERSION_DSP2), c.known) << c.value;
    }
    EXPECT_EQ(model.FormatVersion(8), L"");
    EXPECT_FALSE(model.HasVersion(8));
}

TEST_F(MachineTest, ConnectionTextsNameTheVersionPortAndSpeed)
{
    CModel& model = GetModel();
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    peer.speed = 19200;
    EXPECT_EQ(model.DescribeConnection(), L"Q7 MCU version 04.55 on COM1 at 19200 bit/s");
    EXPECT_EQ(model.DescribeBootLoaderConnection(), L"Q7 waiting for firmware load on COM1 at 19200 bit/s");
}

TEST_F(MachineTest, BaudRateCommandsGoOnlyToARunningRadioAtAKnownSpeed)
{
    CModel& model = GetModel();
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    model.SendBaudRateCommand(57600);
    EXPECT_TRUE(peer.Commands().empty());
    model.SendBaudRateCommand(9600);
    model.SendBaudRateCommand(38400);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"BR1;", "BR3;"}));
    model.ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    model.SendBaudRateCommand(4800);
    EXPECT_EQ(peer.Commands().size(), 2u);
}

TEST_F(MachineTest, SettingThePortSpeedPurgesOnlyWhenItTook)
{
    CModel& model = GetModel();
    peer.Deliver("stale;");
    EXPECT_FALSE(model.SetPortSpeed(14400));
    EXPECT_EQ(peer.Queued(), 6u);
    EXPECT_TRUE(model.SetPortSpeed(9600));
    EXPECT_EQ(peer.speed, 9600u);
    EXPECT_EQ(peer.Queued(), 0u);
    peer.open = false;
    EXPECT_FALSE(model.SetPortSpeed(4800));
}

TEST_F(MachineTest, ClosingThePortForgetsTheRadio)
{
    CModel& model = GetModel();
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    model.SerialNumber.Set(12345);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    model.StoreOptionModuleReply(L"OMAP-FS--------;");
    model.SecondReceiver = SUBRX_INSTALLED;
    model.PortState.Set(0);
    model.ClosePort();
    EXPECT_EQ(model.PortState.Get(), -1);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_MCU), 0);
    EXPECT_EQ(model.SerialNumber.Get(), SERIAL_NUMBER_UNKNOWN);
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    EXPECT_TRUE(model.OptionModuleReply().empty());
    EXPECT_EQ(model.SecondReceiver, SUBRX_UNKNOWN);
}

TEST_F(MachineTest, LoadingAnEmptyFirmwareFolderCreatesTheDefaultFolder)
{
    CModel& model = GetModel();
    const std::wstring expected = GetVendorAppDataFolder(nullptr) + L"\\Q7 Firmware";
    RemoveDirectoryW(expected.c_str());
    RegSetValueExW(model.AppKey().Key(), L"FirmwareFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                   sizeof(wchar_t));
    model.FirmwareFolder.Set(L"");
    ASSERT_TRUE(model.LoadSettings());
    EXPECT_EQ(model.FirmwareFolder.Get(), expected);
    EXPECT_TRUE(FolderExists(expected));

    // The default is saved at exit like any change; a saved folder stays.
    model.SaveSettings();
    std::wstring stored;
    RegistryValue<std::wstring>::Read(model.AppKey().Key(), L"FirmwareFolder", stored, MAX_PATH);
    EXPECT_EQ(stored, expected);
    model.FirmwareFolder.Set(L"C:\\elsewhere");
    model.SaveSettings();
    model.LoadSettings();
    EXPECT_EQ(model.FirmwareFolder.Get(), L"C:\\elsewhere");
    RegDeleteValueW(model.AppKey().Key(), L"FirmwareFolder");
}
