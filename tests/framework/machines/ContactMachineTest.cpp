#include "MachineFixture.h"
#include "MessagePump.h"

#include "BoxWatcher.h"

namespace {

class ContactMachineTest : public MachineTest {
protected:
    CContactStateMachine& contact = GetModel().Contact();

    std::vector<std::string> Commands() const { return peer.CommandTexts(); }

    // The speed polls, removed from the command list.
    std::vector<std::string> WithoutPolls() const
    {
        std::vector<std::string> commands;
        for (const std::string& command : peer.CommandTexts()) {
            if (command != ";")
                commands.push_back(command);
        }
        return commands;
    }
};

}  // namespace

TEST_F(ContactMachineTest, ReadsEveryFactOfARunningRadioInOrder)
{
    radio.mcuVersion = 455;
    CBoxWatcher boxes;
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(5000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{";", "I;", "TT0;", "RVM;", "OM;", "ER83FA0281;", "RVF;",
                                                    "ER00FB0104;", "RVD;", "RVA;", "RVR;"}));
    CModel& model = GetModel();
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_MCU), 455);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_FPF), 110);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_DSP1), 220);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_DSP2), 221);
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_DVR), 105);
    EXPECT_EQ(model.SerialNumber.Get(), 0x3039);
    EXPECT_EQ(model.SecondReceiver, SUBRX_INSTALLED);
    EXPECT_EQ(model.DeviceKind.Get(), DEVICE_Q7);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(),
                        L"Connected to Q7 on COM1 at 38400 bit/s"),
              window.statusTexts.end());
}

TEST_F(ContactMachineTest, OlderRadiosSwitchCommandModeAndReadBytesTwice)
{
    SetMcuVersion(0);
    radio.mcuVersion = 300;
    radio.versions[0] = "RVM03.00;";
    radio.mode = "1";
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(5000));
    EXPECT_EQ(window.Result(), 0);
    // No "OM;" below 245 would be asked; at 300 it is, and the EEPROM goes
    // byte by byte, each byte read until two reads agree.
    EXPECT_EQ(WithoutPolls(),
              (std::vector<std::string>{"I;", "TT0;", "RVM;", "OM;", "Q7;", "Q7H;", "LDPR131.250;", "LDPR131.250;",
                                        "LDPR131.251;", "LDPR131.251;", "RVF;", "LDPR000.251;", "LDPR000.251;",
                                        "RVD;", "RVA;", "RVR;", "Q71;", "Q7;"}));
    EXPECT_EQ(radio.mode, "1");
    EXPECT_EQ(GetModel().SerialNumber.Get(), 0x3039);
}

TEST_F(ContactMachineTest, RadiosBefore245AreNotAskedForOptionModules)
{
    radio.mcuVersion = 240;
    radio.versions[0] = "RVM02.40;";
    GetModel().DeviceKind.Set(DEVICE_Q7);
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(6000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(peer.Count("OM;"), 0u);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
    // The skipped state moves on from within its Init, and the transition
    // that entered it then enters the next state once more: "Q7;" goes twice.
    const std::vector<std::string> commands = WithoutPolls();
    ASSERT_GE(commands.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 5),
              (std::vector<std::string>{"I;", "TT0;", "RVM;", "Q7;", "Q7;"}));
    EXPECT_EQ(GetModel().SecondReceiver, SUBRX_INSTALLED);  // from the EEPROM
}

TEST_F(ContactMachineTest, AnUnansweredIdentifyIsARadioOfUnknownKind)
{
    radio.identity.clear();
    radio.optionModules.clear();  // no "OM;" answer either
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(6000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
    // Without an "OM;" reply the second receiver comes from the EEPROM.
    EXPECT_EQ(peer.Count("ER000F01F0;"), 1u);
    EXPECT_EQ(GetModel().SecondReceiver, SUBRX_INSTALLED);
}

TEST_F(ContactMachineTest, ABootLoaderEndsTheRunAfterIdentify)
{
    radio.identity = "Q7B;";
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{";", "I;"}));
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_Q7);
}

TEST_F(ContactMachineTest, AnotherDeviceEndsWithUnexpectedDeviceAndItsBox)
{
    radio.identity = "ID MV9 V1;";
    CBoxWatcher boxes;
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(window.Result(), E_UNEXPECTED_DEVICE);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Unexpected Device");
    EXPECT_EQ(boxes[0].text, L"Connected device does not appear to be an Zentrova Q7");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_BOOT_LOADER);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(),
                        L"Contact failed 0xe200004e Unexpected device (e.g. Q7 vs MV9)\n"),
              window.statusTexts.end());
}

TEST_F(ContactMachineTest, IdentificationTableIsSearchedInOrder)
{
    struct Case {
        const wchar_t* reply;
        ZentrovaDevice kind;
        FirmwareStatusEnum status;
    } cases[] = {
        {L"xMV9x;", DEVICE_MV9, FIRMWARE_STATUS_BOOT_LOADER},
        {L"ZRB4400;", DEVICE_ZRB4400, FIRMWARE_STATUS_RUNNING},
        {L"zrb4400;", DEVICE_ZRB4400, FIRMWARE_STATUS_BOOT_LOADER},
        {L"N8 WLT330;", DEVICE_WLT330, FIRMWARE_STATUS_RUNNING},  // earlier row wins
        {L"n8;", DEVICE_N8, FIRMWARE_STATUS_BOOT_LOADER},
        {L"HBX2800;", DEVICE_HBX2800, FIRMWARE_STATUS_RUNNING},
        {L"Q7A;", DEVICE_Q7, FIRMWARE_STATUS_BOOT_LOADER},
        {L"ld6;", DEVICE_LD6, FIRMWARE_STATUS_BOOT_LOADER},
        {L"LD6;", DEVICE_LD6, FIRMWARE_STATUS_RUNNING},
        {L"I;", DEVICE_UNKNOWN, FIRMWARE_STATUS_BOOT_LOADER},
    };
    for (const Case& c : cases) {
        const CContactStateMachine::Identity* row = CContactStateMachine::Identify(c.reply);
        ASSERT_NE(row, nullptr) << c.reply;
        EXPECT_EQ(row->kind, c.kind) << c.reply;
        EXPECT_EQ(row->status, c.status) << c.reply;
    }
    EXPECT_EQ(CContactStateMachine::Identify(L"mv9;"), nullptr);
}

TEST_F(ContactMachineTest, OnlyAQ7ZeroByteOfOneMarksTheDspAndDvrVersionsNotApplicable)
{
    // In this order: the flag, once set, must not outlive a radio without it.
    const struct {
        BYTE byte;
        bool set;
    } cases[] = {{1, true}, {0xFF, false}, {2, false}, {0, false}};  // 0xFF: an erased EEPROM
    for (const auto& c : cases) {
        SCOPED_TRACE(c.byte);
        radio.eeprom[0x00FB] = c.byte;
        const auto dspQueries = [&] { return peer.Count("RVD;") + peer.Count("RVA;") + peer.Count("RVR;"); };
        const size_t queriesBefore = dspQueries();
        window.ResetFinished();
        ASSERT_TRUE(contact.StartAtOpenPort());
        ASSERT_TRUE(window.WaitForFinish(5000));
        EXPECT_EQ(window.Result(), 0);
        EXPECT_EQ(contact.m_q7Zero != 0, c.set);
        EXPECT_EQ(dspQueries() - queriesBefore, c.set ? 0u : 3u);
        for (unsigned index : {VERSION_DSP1, VERSION_DSP2, VERSION_DVR}) {
            EXPECT_EQ(GetModel().FirmwareVersion.Get(index) == VERSION_NOT_APPLICABLE, c.set) << index;
            if (c.set) {
                EXPECT_EQ(GetModel().FormatVersion(index), L" N/A ");
            }
        }
    }
}

TEST_F(ContactMachineTest, AnEmptyPortEndsAtOnce)
{
    peer.open = false;
    GetModel().Port.Set(L"");
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    ASSERT_TRUE(contact.StartAtOpenPort());
    EXPECT_TRUE(contact.IsIdle());
    ASSERT_EQ(window.FinishCount(), 1);
    EXPECT_EQ(window.Result(), E_SERIAL_PORT_NAME_MISSING);
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(),
                        L"Contact failed 0xe200000f Serial port name is missing\n"),
              window.statusTexts.end());
}

TEST_F(ContactMachineTest, APortThatCannotBeOpenedIsReportedAndLeftClosed)
{
    const struct {
        DWORD error;
        std::wstring report;
    } cases[] = {
        {ERROR_ACCESS_DENIED,
         L"Serial port \"COM1\" access denied; may be in use by another program or USB cable may have been removed."},
        {ERROR_FILE_NOT_FOUND, FormatText(L"Unable to open serial port \"COM1\". Error 0x00000002: %s",
                                          FormatErrorText(ERROR_FILE_NOT_FOUND).c_str())},
    };
    peer.open = false;
    for (const auto& c : cases) {
        GetModel().PortState.Set(0);
        window.ResetFinished();
        window.statusTexts.clear();
        GetModel().SerialPort().FailNextOpen(c.error);
        CBoxWatcher boxes;
        ASSERT_TRUE(contact.StartAtOpenPort());
        ASSERT_EQ(window.FinishCount(), 1);
        EXPECT_EQ(window.Result(), static_cast<HRESULT>(c.error));
        EXPECT_EQ(GetModel().PortState.Get(), -1);
        EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(), c.report), window.statusTexts.end())
            << c.error;
        EXPECT_EQ(boxes.Count(), 0u) << "the contact machine reports in the status output, not in a box";
        EXPECT_FALSE(GetModel().SerialPort().IsOpen());
    }
}

TEST_F(ContactMachineTest, AutomaticSpeedSearchTriesEverySpeedFiveTimesThenGivesUp)
{
    peer.radioSpeed = 0;  // never at the PC's speed
    contact.RestartAtFindSpeed();
    ASSERT_TRUE(window.WaitForFinish(6000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_AFTER_RESET);
    std::vector<DWORD> speeds;
    for (const PeerCommand& command : peer.Commands()) {
        EXPECT_EQ(command.text, ";");
        speeds.push_back(command.speed);
    }
    std::vector<DWORD> expected;
    for (DWORD speed : {38400, 19200, 9600, 4800})
        expected.insert(expected.end(), 5, speed);
    EXPECT_EQ(speeds, expected);
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    // Each speed is announced once in the main window's status output.
    std::vector<std::wstring> attempts;
    for (const std::wstring& text : window.statusTexts) {
        if (text.rfind(L"Attempting to contact ", 0) == 0)
            attempts.push_back(text);
    }
    EXPECT_EQ(attempts, (std::vector<std::wstring>{L"Attempting to contact Q7 on COM1 at 38400 bit/s",
                                                   L"Attempting to contact Q7 on COM1 at 19200 bit/s",
                                                   L"Attempting to contact Q7 on COM1 at 9600 bit/s",
                                                   L"Attempting to contact Q7 on COM1 at 4800 bit/s"}));
}

TEST_F(ContactMachineTest, FixedSpeedIsRoundedAndPolledAlone)
{
    peer.radioSpeed = 0;
    struct Case {
        unsigned long setting;
        DWORD polled;
    } cases[] = {{9600, 9600}, {9000, 9600}, {57600, 38400}, {115200, 38400}};
    for (const Case& c : cases) {
        GetModel().FixedSerialSpeed.Set(c.setting);
        peer.speed = 19200;
        window.ResetFinished();
        const size_t before = peer.Commands().size();
        contact.RestartAtFindSpeed();
        ASSERT_TRUE(window.WaitForFinish(3000));
        EXPECT_EQ(window.Result(), E_NO_RESPONSE_AFTER_RESET);
        ASSERT_EQ(peer.Commands().size() - before, 5u) << c.setting;
        EXPECT_EQ(peer.Commands().back().speed, c.polled) << c.setting;
        EXPECT_EQ(peer.speed, c.polled);
    }
}

TEST_F(ContactMachineTest, ASpeedThePortCannotTakeStillEndsTheSearch)
{
    peer.radioSpeed = 0;
    // 14400 is no speed of the port; the search must not wait for the port
    // to come round to it.
    GetModel().FixedSerialSpeed.Set(14400);
    contact.RestartAtFindSpeed();
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_AFTER_RESET);
    EXPECT_EQ(peer.Commands().size(), 5u);

    // Automatic search on a port that refuses every change of speed.
    GetModel().FixedSerialSpeed.Set(0);
    peer.refuseSpeedChanges = true;
    window.ResetFinished();
    contact.RestartAtFindSpeed();
    ASSERT_TRUE(window.WaitForFinish(5000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_AFTER_RESET);
    EXPECT_EQ(peer.Commands().size(), 5u + 20u);
}

TEST_F(ContactMachineTest, TheSpeedLoopWaitsLongerEachRoundAndFindsASlowRadio)
{
    peer.radioSpeed = 4800;
    ASSERT_TRUE(contact.StartAtOpenPort());  // the port is open: straight to the loop
    // First round: 4 speeds x 5 polls 100 ms apart; the radio answers the
    // first poll at 4800, so a second round is needed only when it does not.
    ASSERT_TRUE(window.WaitForFinish(8000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(peer.Commands().front().speed, 38400u);
    EXPECT_EQ(GetModel().GetPortSpeed(), 4800u);

    // A radio that stays silent a whole round: the next round polls every 150 ms.
    window.ResetFinished();
    GetModel().ClosePort();
    peer.radioSpeed = 0;
    const size_t before = peer.Commands().size();
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(PumpUntil([&] { return peer.Commands().size() - before >= 26; }, 10000));
    const auto& commands = peer.Commands();
    // Mean gaps within each round (polls 0-19, then 20-25): 100 ms, then 150.
    auto meanGap = [&](size_t first, size_t last) {
        return double(commands[before + last].tick - commands[before + first].tick) / (last - first);
    };
    const double firstRound = meanGap(0, 19), secondRound = meanGap(20, 25);
    EXPECT_GT(secondRound, firstRound * 1.25) << firstRound << " ms, then " << secondRound << " ms";
    peer.radioSpeed = 38400;
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(window.Result(), 0);
}

TEST(OptionModules, RepliesGiveTheDeviceKindAndOnlyLongOmRepliesAreKept)
{
    using State = CGetOptionModuleState<CContactStateMachine>;
    EXPECT_EQ(State::KindOf(L"OMAP-FS-------2;"), DEVICE_MV9);
    EXPECT_EQ(State::KindOf(L"OMAP-FS-------1;"), DEVICE_MV8);
    EXPECT_EQ(State::KindOf(L"OMAP-FS--------;"), DEVICE_Q7);
    EXPECT_EQ(State::KindOf(L"OMAP-FS-----R;"), DEVICE_Q7);
    EXPECT_EQ(State::KindOf(L"OMAP-FS-----X;"), DEVICE_UNKNOWN);
    EXPECT_EQ(State::KindOf(L"OMAP-FS-----R-X;"), DEVICE_Q7);

    CModel& model = GetModel();
    EXPECT_TRUE(model.StoreOptionModuleReply(L"OMAP-FS--------;"));
    EXPECT_FALSE(model.StoreOptionModuleReply(L"OMAP-FS-------;"));  // 15 characters
    EXPECT_TRUE(model.OptionModuleReply().empty());
    EXPECT_FALSE(model.StoreOptionModuleReply(L"XMAP-FS--------;"));
}

TEST_F(ContactMachineTest, AShortOmReplyIsNeverTakenAndTheKindBecomesUnknown)
{
    radio.optionModules = "OMAP-FS;";
    GetModel().DeviceKind.Set(DEVICE_Q7);
    ASSERT_TRUE(contact.StartAtOpenPort());
    ASSERT_TRUE(window.WaitForFinish(5000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(GetModel().DeviceKind.Get(), DEVICE_UNKNOWN);
    EXPECT_TRUE(GetModel().OptionModuleReply().empty());
    EXPECT_EQ(peer.Count("ER000F01F0;"), 1u);
}
