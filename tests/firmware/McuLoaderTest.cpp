#include "LoaderFixture.h"

#include <commctrl.h>

#include "BoxWatcher.h"
#include "FpfLoaderStateMachine.h"
#include "MessagePump.h"
#include "resource.h"

namespace {

constexpr size_t kPackets = (CMcuLoaderStateMachine::kImageHigh - CMcuLoaderStateMachine::kImageLow) / 64;

class McuLoaderTest : public LoaderTest {
protected:
    std::unique_ptr<CMcuLoaderStateMachine> Machine(const std::wstring& main, const std::wstring& companion = {})
    {
        return std::make_unique<CMcuLoaderStateMachine>(L"MCU", main, companion);
    }

    // How often the log and the status output gave the advice after a load
    // that left the radio in its boot loader.
    std::pair<long, long> HalfLoadedLines() const
    {
        const std::wstring line = L"Q7 has no complete firmware; remove power and send the firmware again";
        return {std::count(window.logTexts.begin(), window.logTexts.end(), line),
                std::count(window.statusTexts.begin(), window.statusTexts.end(), line)};
    }

    // The commands the radio saw from the first "OM;" on, polls left out.
    std::vector<std::string> CommandsAfterContact() const
    {
        std::vector<std::string> seen;
        for (const std::string& command : peer.commands) {
            if (command != ";" && command != "=;")
                seen.push_back(command);
        }
        return seen;
    }
};

}  // namespace

TEST_F(McuLoaderTest, FullLoadSendsTheImageByteExactAndFindsTheNewVersion)
{
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 1000, 1);
    peer.versionAfterReset = 460;
    auto machine = Machine(file.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(machine->m_result, 0);

    EXPECT_EQ(CommandsAfterContact(), (std::vector<std::string>{"OM;", "LDM;", "I;", "D", "I;", "TT0;", "RVM;", "OM;",
                                                                "ER83FA0281;", "RVF;", "ER00FB0104;", "RVD;", "RVA;",
                                                                "RVR;"}));
    // No N8: none of its commands.
    EXPECT_TRUE(std::none_of(peer.commands.begin(), peer.commands.end(),
                             [](const std::string& command) { return command[0] == '#'; }));

    const auto& packets = peer.bootLoader.Packets();
    ASSERT_EQ(packets.size(), kPackets + 1);
    // The real first block goes last; the first packet holds AA 00 in its place.
    EXPECT_EQ(packets.front().address, 0x800u);
    EXPECT_EQ(packets.front().bytes[0], 0xAA);
    EXPECT_EQ(packets.front().bytes[1], 0x00);
    EXPECT_EQ(packets.back().address, 0x020800u);
    EXPECT_EQ(packets.back().reply, 'B');
    EXPECT_TRUE(std::equal(file.window.begin(), file.window.begin() + 64, packets.back().bytes.begin()));
    EXPECT_EQ(ReceivedWindow(), file.window);
    EXPECT_EQ(peer.bootLoader.Duplicates(), 0u);

    EXPECT_TRUE(Logged(L"Waiting 5 seconds for reset"));
    // The radio is given its 5.5 s (less a timer tick).
    EXPECT_GE(peer.quietAfterResetMs, 5450u);
    EXPECT_TRUE(Logged(L"Sending MCU firmware file " + file.path));
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
    EXPECT_EQ(machine->VerifyVersion(), 0);
    EXPECT_EQ(machine->m_totalRetries, 0u);
    // Given up once over (as while the radio is contacted after it), the
    // load has nothing to add.
    machine->GiveUp();
    EXPECT_EQ(HalfLoadedLines(), std::make_pair(0L, 0L));
}

TEST_F(McuLoaderTest, RadioInItsBootLoaderGetsNoLdmAndBootBlockBGetsTheCompanion)
{
    const McuFile main = WriteMcuFile(folder, L"hmcu0462.hex", 300, 2);
    const McuFile companion = WriteMcuFile(folder, L"hmcu0462b.hex", 300, 3);
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    GetModel().FirmwareVersion.Set(VERSION_MCU, VERSION_LOADING);
    peer.state = CLoaderPeer::State::BootLoader;
    peer.bootBlock = "Q7B;";
    peer.versionAfterReset = 462;
    auto machine = Machine(main.path, companion.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(peer.CountCommand("LDM;"), 0u);
    EXPECT_EQ(ReceivedWindow(), companion.window);
    EXPECT_EQ(machine->CurrentImage().GetPath(), companion.path);
    EXPECT_EQ(machine->VerifyVersion(), 0);
}

TEST_F(McuLoaderTest, RefusalsAndLostBytesAreRecoveredWithTheirReportLines)
{
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 1000, 4);
    peer.versionAfterReset = 461;
    peer.bootLoader.RefusePacket(2, 4);
    peer.bootLoader.PrefixReply(5, "C");  // dropped: neither advances nor retries
    peer.bootLoader.PrefixReply(6, "xyz");  // line noise before the 'A'
    peer.bootLoader.DropBytes(7, 3);      // the time-out, then three fill bytes
    auto machine = Machine(file.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(machine->m_result, 0);
    EXPECT_EQ(ReceivedWindow(), file.window);
    EXPECT_TRUE(Logged(L"Retry 4 succeeded at address x0880"));
    EXPECT_TRUE(Logged(L"Retry 1 successful at address x09C0, 3 fill bytes"));
    EXPECT_EQ(machine->m_totalRetries, 5u);
    EXPECT_EQ(machine->m_highestRetries, 4u);
    // The version differs from the file's name.
    EXPECT_EQ(machine->VerifyVersion(), E_VERSION_VERIFY_FAILED);
    EXPECT_TRUE(Logged(L"Sent MCU firmware file " + file.path + L"\r\nQ7 responded with version 04.61"));
    EXPECT_TRUE(Logged(L"Firmware version verify failed. Reload MCU firmware."));
}

TEST_F(McuLoaderTest, EighthRefusalOfAPacketEndsTheLoadAfterOneResynchronisation)
{
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 200, 5);
    peer.bootLoader.RefusePacket(3, 8);
    auto machine = Machine(file.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(window.Result(), E_RETRY_LIMIT_EXHAUSTED);
    EXPECT_TRUE(Logged(L"Send MCU firmware failed at load address x08C0"));
    size_t refusals = 0, fills = 0;
    for (const auto& packet : peer.bootLoader.Packets()) {
        refusals += packet.address == 0x8C0 && packet.reply == 'N';
        fills += packet.bytes[0] == ';' && packet.bytes[67] == ';';
    }
    EXPECT_EQ(refusals, 8u);
    EXPECT_EQ(fills, 1u);  // the resynchronisation's 68 polls, refused as one packet
    EXPECT_EQ(machine->m_highestRetries, 8u);
    EXPECT_EQ(HalfLoadedLines(), std::make_pair(1L, 1L));
    EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
}

TEST_F(McuLoaderTest, WithRetryLimitZeroTheFirstTimeOutEndsTheLoad)
{
    GetModel().FirmwareLoadRetryLimit.Set(0);
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 200, 6);
    peer.bootLoader.DropBytes(1, 1);
    auto machine = Machine(file.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_FIRMWARE_PACKET);
    EXPECT_TRUE(Logged(L"Send MCU firmware failed at load address x0840"));
    EXPECT_EQ(peer.bootLoader.Packets().size(), 1u);
}

TEST_F(McuLoaderTest, ASecondLoadStartsWithImageOneAndNoRetries)
{
    const McuFile main = WriteMcuFile(folder, L"hmcu0462.hex", 200, 12);
    const McuFile companion = WriteMcuFile(folder, L"hmcu0462b.hex", 200, 13);
    auto machine = Machine(main.path, companion.path);
    // The first load takes image 2, meets two refusals, then a silence that ends it.
    GetModel().FirmwareLoadRetryLimit.Set(0);
    peer.bootBlock = "Q7B;";
    peer.bootLoader.RefusePacket(0, 2);
    peer.bootLoader.DropBytes(1, 1);
    ASSERT_TRUE(RunLoad(*machine));
    ASSERT_EQ(window.Result(), E_NO_RESPONSE_FIRMWARE_PACKET);
    ASSERT_EQ(machine->CurrentImage().GetPath(), companion.path);
    ASSERT_NE(machine->m_totalRetries, 0u);
    ASSERT_TRUE(PumpUntil([] { return GetModel().Contact().IsIdle(); }, 10000));

    // The second ends at the device check, before the boot block is asked.
    window.ResetFinished();
    peer.bootLoader = CMcuBootLoader();  // the radio restarted
    peer.state = CLoaderPeer::State::Running;
    peer.radio.optionModules = "OMAP-FS-------2;";
    GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    ASSERT_TRUE(RunLoad(*machine, 10000));
    ASSERT_TRUE(PumpUntil([&] { return machine->IsIdle() && GetModel().Contact().IsIdle(); }, 10000));
    EXPECT_EQ(machine->m_result, E_UNEXPECTED_DEVICE);
    EXPECT_EQ(machine->CurrentImage().GetPath(), main.path);
    EXPECT_EQ(machine->m_totalRetries, 0u);
    EXPECT_EQ(machine->m_highestRetries, 0u);
}

TEST_F(McuLoaderTest, ResynchronisationGivesUpAfter68Polls)
{
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 200, 7);
    peer.bootLoader.SilenceFrom(1);
    auto machine = Machine(file.path);
    ASSERT_TRUE(RunLoad(*machine));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RESYNC_POLL);
    // The packet and the 68 fill bytes, all lost.
    EXPECT_EQ(peer.bootLoader.Ignored(), 68u + 68u);
    EXPECT_FALSE(Logged(L"Send MCU firmware failed at load address x0840"));
}

TEST_F(McuLoaderTest, BadFilesEndTheLoadBeforeAnythingIsSent)
{
    const McuFile good = WriteMcuFile(folder, L"hmcu0460.hex", 100, 8);
    CHexImage unreconciled;
    unreconciled.Put(0x800, {0x12, 0x34, 0x56});
    const struct {
        std::wstring path;
        HRESULT result;
        const wchar_t* line;
    } cases[] = {
        {folder.File(L"hmcu0999.hex"), static_cast<HRESULT>(ERROR_FILE_NOT_FOUND), L"Line 0, error code 0x00000002"},
        {folder.Write(L"hmcu0461.hex", unreconciled.ToHex()), E_HEX_FILE_CHECKSUM_NOT_ZERO,
         L"File does not checksum to zero."},
        {folder.Write(L"hmcu0463.hex", ":10080000ZZ\r\n"), E_UNEXPECTED_HEX_CHARACTER, L"Line 1, error code"},
        // A file with no data is all fill, which does not reconcile.
        {folder.Write(L"hmcu0464.hex", ":00000001FF\r\n"), E_HEX_FILE_CHECKSUM_NOT_ZERO,
         L"File does not checksum to zero."},
        // A good main file does not save a bad companion.
        {folder.Write(L"hmcu0462b.hex", unreconciled.ToHex()), E_HEX_FILE_CHECKSUM_NOT_ZERO,
         L"File does not checksum to zero."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.path.begin(), c.path.end()));
        window.ResetFinished();
        window.logTexts.clear();
        const bool companion = c.path.find(L"b.hex") != std::wstring::npos;
        auto machine = companion ? Machine(good.path, c.path) : Machine(c.path);
        GetModel().SetActiveMachine(machine.get());
        EXPECT_FALSE(machine->StartLoad(window.Handle()));
        EXPECT_TRUE(machine->IsIdle());
        ASSERT_EQ(window.FinishCount(), 1);
        EXPECT_EQ(window.Result(), c.result);
        EXPECT_TRUE(std::any_of(window.logTexts.begin(), window.logTexts.end(),
                                [&](const std::wstring& line) { return line.find(c.line) == 0; }));
        EXPECT_TRUE(peer.commands.empty());
        EXPECT_EQ(GetModel().ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    }
}

// A write that fails ends the load with the write's code, and once "LDM;" is
// out with the advice that the radio has no complete firmware; only the
// missing echo of "D" reports itself and forgets the radio's facts.
TEST_F(McuLoaderTest, AFailedWriteEndsTheLoadWithItsOwnCode)
{
    const McuFile mcu = WriteMcuFile(folder, L"hmcu0460.hex", 100, 14);
    std::array<BYTE, 16> header{};
    const std::wstring fpf = WriteFrontPanelFile(folder, L"hfpf0133.hex", RandomBytes(100, 15), header);
    const std::wstring erase = L"Waiting 4 seconds for flash memory erase";
    const std::wstring noEcho = L"Q7 Bootstrap Loader did not echo \"D\"\r\nRemove power and retry firmware load";
    const struct {
        const char* what;
        // Boot loader: the radio waits in it from the start.
        FirmwareStatusEnum status;
        // Empty: every write goes out, and "D" is not echoed.
        std::string failingWrite;
        // The radio is said to have no complete firmware.
        bool halfLoaded;
    } cases[] = {
        {"LDF2; not written", FIRMWARE_STATUS_RUNNING, "LDF2;", false},
        {"LDM; not written", FIRMWARE_STATUS_RUNNING, "LDM;", false},
        {"D not written", FIRMWARE_STATUS_RUNNING, "D", true},
        {"D not echoed", FIRMWARE_STATUS_RUNNING, "", false},
        {"D not written to a boot loader", FIRMWARE_STATUS_BOOT_LOADER, "D", true},
        {"D not echoed by a boot loader", FIRMWARE_STATUS_BOOT_LOADER, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool fpfLoad = c.failingWrite == "LDF2;";
        const unsigned versionIndex = fpfLoad ? VERSION_FPF : VERSION_MCU;
        // The missing echo is logged and the device facts are forgotten.
        const bool reported = c.failingWrite.empty();
        const HRESULT result = reported ? E_BOOT_LOADER_NO_D_ECHO : ERROR_GEN_FAILURE;
        window.ResetFinished();
        window.logTexts.clear();
        window.statusTexts.clear();
        peer.state = c.status == FIRMWARE_STATUS_BOOT_LOADER ? CLoaderPeer::State::BootLoader
                                                             : CLoaderPeer::State::Running;
        peer.bootLoader = CMcuBootLoader();
        peer.failingWrite = c.failingWrite;
        peer.echoesD = !reported;
        CModel& model = GetModel();
        model.ConnectionStatus.Set(c.status);
        model.SerialNumber.Set(1234);
        model.FirmwareVersion.Set(VERSION_FPF, 130);
        const unsigned short before = model.FirmwareVersion.Get(versionIndex);
        if (fpfLoad) {
            CFpfLoaderStateMachine machine(L"FPF", fpf);
            ASSERT_TRUE(RunLoad(machine, 10000));
            EXPECT_EQ(machine.m_result, result);
        } else {
            auto machine = Machine(mcu.path);
            ASSERT_TRUE(RunLoad(*machine, 10000));
            EXPECT_EQ(machine->m_result, result);
        }
        EXPECT_EQ(window.Result(), result);
        EXPECT_EQ(window.FinishCount(), 1);
        EXPECT_EQ(Logged(fpfLoad ? erase : noEcho), reported);
        EXPECT_EQ(HalfLoadedLines(), std::make_pair(long(c.halfLoaded), long(c.halfLoaded)));
        EXPECT_EQ(model.FirmwareVersion.Get(versionIndex), reported ? VERSION_UNREAD : before);
        EXPECT_EQ(model.SerialNumber.Get(), reported ? SERIAL_NUMBER_UNKNOWN : 1234);
        EXPECT_TRUE(peer.textLoad.Headers().empty());
        EXPECT_TRUE(peer.bootLoader.Packets().empty());
    }
}

TEST_F(McuLoaderTest, N8IsPassedThroughOrMustBeSwitchedOff)
{
    const McuFile file = WriteMcuFile(folder, L"hmcu0460.hex", 100, 9);
    const struct {
        CN8Accessory::Mode mode;
        unsigned version;
        std::initializer_list<int> answers;
        size_t boxes;
        bool passThrough;
    } cases[] = {
        {CN8Accessory::Mode::Running, 37, {}, 0, true},
        {CN8Accessory::Mode::Running, 36, {IDCANCEL}, 1, false},
        {CN8Accessory::Mode::BootLoader, 0, {IDRETRY, IDCANCEL}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        window.ResetFinished();
        peer.commands.clear();
        peer.n8.Set(c.mode, c.version);
        peer.state = CLoaderPeer::State::Running;
        // An MV9 behind a capable N8 ends the load before "LDM;".
        peer.radio.optionModules = "OMAP-FS-------2;";
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        const unsigned probesBefore = peer.n8.Probes();
        CBoxWatcher boxes(c.answers);
        auto machine = Machine(file.path);
        ASSERT_TRUE(RunLoad(*machine, 10000));
        EXPECT_EQ(peer.CountCommand("LDM;"), 0u);
        if (c.passThrough) {
            EXPECT_EQ(machine->m_result, E_UNEXPECTED_DEVICE);
            EXPECT_TRUE(peer.n8.PassesThrough());
            EXPECT_EQ(GetModel().FirmwareVersion.Get(VERSION_N8_MCU), 37);
            EXPECT_EQ(peer.CountCommand("OM;") > 0, true);
        } else {
            EXPECT_EQ(machine->m_result, E_N8_MUST_BE_OFF);
            ASSERT_EQ(boxes.Count(), c.boxes);
            EXPECT_EQ(boxes[0].text, L"N8 must be switched off to send Q7 firmware");
            EXPECT_EQ(boxes[0].caption, L"N8 detected");
            EXPECT_EQ(peer.n8.Probes() - probesBefore, c.boxes);
            // Cancel sends nothing more.
            EXPECT_EQ(peer.CountCommand("OM;"), 0u);
        }
    }
}

TEST(ProgressBarTest, TheBarMovesOnceTheCommandIsOutClampedAndInWideRanges)
{
    const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 10, 10, owner,
                    reinterpret_cast<HMENU>(IDC_LOADER_PROGRESS), nullptr, nullptr);
    const HWND bar = GetDlgItem(owner, IDC_LOADER_PROGRESS);
    CMcuLoaderStateMachine machine(L"MCU", L"", L"");
    const struct {
        int total;
        UINT steps;
        int high;
        int position;
    } cases[] = {
        {128, 3, 4, 4},                 // the closing packet's block counted twice stays at the end
        {3000000, 2, 3000000 / 32, 4},  // past 65535 units
    };
    for (const auto& c : cases) {
        machine.SetUpProgress(bar, c.total);
        for (UINT i = 0; i < c.steps; ++i)
            machine.Progress(64);
        // A packet's progress comes before the packet goes out; the bar's
        // repaint must not hold it up.
        EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
        PumpPending();
        PBRANGE range{};
        SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iHigh, c.high);
        EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), c.position);
        EXPECT_LE(machine.m_position, c.total);
    }
    // Bytes that do not move the bar cost no message (a byte-wise save
    // counts them one by one).
    machine.SetUpProgress(bar, 128);
    machine.Progress(1);
    machine.Progress(30);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, bar, PBM_SETPOS, PBM_SETPOS, PM_NOREMOVE));
    DestroyWindow(owner);
}
