// The DSP and front-panel-flash loaders against the radio's load modes in
// the test process.
#include "LoaderFixture.h"

#include "DspLoaderStateMachine.h"
#include "FpfLoaderStateMachine.h"

#include <functional>

namespace {

Bytes Concat(const Bytes& a, const Bytes& b)
{
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

class TextLoaderTest : public LoaderTest {
protected:
    std::wstring Write(const std::wstring& name, const Bytes& bytes) { return WriteWholeFile(folder, name, bytes); }
    std::wstring WriteFrontPanel(const std::wstring& name, const Bytes& bytes, std::array<BYTE, 16>& header)
    {
        return WriteFrontPanelFile(folder, name, bytes, header);
    }

    std::vector<std::string> Headers() const { return peer.textLoad.Headers(); }

    const Bytes tinyBoot = RandomBytes(100, 21);
    const Bytes code = RandomBytes(200, 22);
    const Bytes table = RandomBytes(70, 23);
};

}  // namespace

TEST_F(TextLoaderTest, Dsp1LoadsTinyBootEraseCodeAndTableThenResets)
{
    peer.textVersionAfterReset = 240;
    CDspLoaderStateMachine machine(L"DSP1", DSP_MAIN, Write(L"hdsp0240.hex", code), Write(L"tboot0100.hex", tinyBoot),
                                   Write(L"dtbl0100.hex", table));
    ASSERT_TRUE(RunLoad(machine));
    EXPECT_EQ(machine.m_result, 0);
    EXPECT_EQ(peer.CountCommand("LDD2;"), 1u);
    EXPECT_EQ(peer.CountCommand("LDD20000;"), 1u);
    // No speed search: the N8 probe comes first.
    ASSERT_GE(peer.commands.size(), 2u);
    EXPECT_EQ(peer.commands[1], "=;");
    const CTextLoadMode& radio = peer.textLoad;
    EXPECT_EQ(Bytes(radio.TinyBoot().begin(), radio.TinyBoot().end()), tinyBoot);
    EXPECT_EQ(radio.EraseByte(), 7);
    EXPECT_EQ(Bytes(radio.Data().begin(), radio.Data().end()), Concat(code, table));
    // 100 bytes of tiny boot: 64 and 36; the erase; 200 of code: 64, 64, 64, 8; 70 of table: 64, 6.
    const std::vector<std::string> counts = {"40", "24", "01", "40", "40", "40", "08", "40", "06"};
    ASSERT_EQ(Headers().size(), counts.size());
    for (size_t i = 0; i < counts.size(); ++i)
        EXPECT_EQ(Headers()[i].substr(0, 6), "LDD2" + counts[i]) << i;
    EXPECT_EQ(Headers()[2], "LDD20107;");
    EXPECT_TRUE(Logged(L"Erasing DSP1 program and table memory"));
    EXPECT_TRUE(Logged(L"Waiting 5 seconds for reset"));
    EXPECT_EQ(machine.VerifyVersion(), 0);
    EXPECT_EQ(GetModel().FirmwareVersion.Get(VERSION_DSP1), 240);
}

TEST_F(TextLoaderTest, Dsp2BelowVersion137LoadsNoTableAndErasesProgramOnly)
{
    peer.textVersionAfterReset = 136;
    const Bytes shortCode = RandomBytes(80, 24);  // 64 and 16
    CDspLoaderStateMachine machine(L"DSP2", DSP_SECOND, Write(L"haux0136.hex", shortCode),
                                   Write(L"tboot0100.hex", tinyBoot), Write(L"dtbl0100.hex", table));
    ASSERT_TRUE(RunLoad(machine));
    EXPECT_EQ(machine.m_result, 0);
    EXPECT_EQ(peer.CountCommand("LDA2;"), 1u);
    EXPECT_EQ(peer.textLoad.EraseByte(), 8);
    EXPECT_EQ(Bytes(peer.textLoad.Data().begin(), peer.textLoad.Data().end()), shortCode);
    EXPECT_EQ(Headers().back().substr(0, 6), "LDA210");
    EXPECT_TRUE(Logged(L"Erasing DSP2 program memory"));
    EXPECT_EQ(machine.VerifyVersion(), 0);
    EXPECT_EQ(GetModel().FirmwareVersion.Get(VERSION_DSP2), 136);
}

TEST_F(TextLoaderTest, StopAfterTinyBootEndsTheLoadWithSuccess)
{
    GetModel().LoaderFlags.Set(CDspLoaderStateMachine::kStopAfterTinyBoot);
    CDspLoaderStateMachine machine(L"DSP1", DSP_MAIN, Write(L"hdsp0240.hex", code), Write(L"tboot0100.hex", tinyBoot),
                                   Write(L"dtbl0100.hex", table));
    const bool finished = RunLoad(machine);
    GetModel().LoaderFlags.Set(0);
    ASSERT_TRUE(finished);
    EXPECT_EQ(machine.m_result, 0);
    EXPECT_EQ(Headers().size(), 2u);
    EXPECT_EQ(peer.textLoad.EraseByte(), 0);
    EXPECT_EQ(peer.CountCommand("LDD20000;"), 0u);
}

TEST_F(TextLoaderTest, EraseResyncGivesUpAfterNinePolls)
{
    peer.textLoad.SilenceFrom(2);  // the erase packet, after two of tiny boot
    CDspLoaderStateMachine machine(L"DSP1", DSP_MAIN, Write(L"hdsp0240.hex", code), Write(L"tboot0100.hex", tinyBoot),
                                   Write(L"dtbl0100.hex", table));
    ASSERT_TRUE(RunLoad(machine));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RESYNC_POLL);
    EXPECT_TRUE(Logged(L"Erasing DSP1 program and table memory"));
    EXPECT_EQ(peer.textLoadPolls, 9u);
    EXPECT_EQ(peer.CountCommand("LDD20000;"), 0u);
}

TEST_F(TextLoaderTest, PacketResyncGivesUpAfter73Polls)
{
    peer.textLoad.SilenceFrom(3);  // the first code packet, after tiny boot and erase
    CDspLoaderStateMachine machine(L"DSP1", DSP_MAIN, Write(L"hdsp0240.hex", code), Write(L"tboot0100.hex", tinyBoot),
                                   Write(L"dtbl0100.hex", table));
    ASSERT_TRUE(RunLoad(machine));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RESYNC_POLL);
    EXPECT_EQ(peer.textLoadPolls, 73u);
    EXPECT_EQ(peer.CountCommand("LDD20000;"), 0u);
}

TEST_F(TextLoaderTest, FrontPanelImageThenTheRecordWhichARefusalResends)
{
    peer.textVersionAfterReset = 133;
    const Bytes image = RandomBytes(100, 25);
    std::array<BYTE, 16> header{};
    const std::wstring path = WriteFrontPanel(L"hfpf0133.hex", image, header);
    peer.textLoad.RefusePacket(2, 1);  // the record
    CFpfLoaderStateMachine machine(L"FPF", path);
    ASSERT_TRUE(RunLoad(machine));
    EXPECT_EQ(machine.m_result, 0);
    EXPECT_EQ(peer.CountCommand("LDF2;"), 1u);
    ASSERT_EQ(Headers().size(), 4u);
    EXPECT_EQ(Headers()[0].substr(0, 6), "LDF240");
    EXPECT_EQ(Headers()[1].substr(0, 6), "LDF224");
    EXPECT_EQ(Headers()[2].substr(0, 6), "LDF290");
    EXPECT_EQ(Headers()[3], Headers()[2]);
    EXPECT_EQ(Bytes(peer.textLoad.Data().begin(), peer.textLoad.Data().end()), image);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), peer.textLoad.Record().begin()));
    EXPECT_TRUE(Logged(L"Waiting 4 seconds for flash memory erase"));
    EXPECT_TRUE(Logged(L"Retry 1 succeeded at address x00A4"));
    EXPECT_EQ(machine.VerifyVersion(), 0);
}

TEST_F(TextLoaderTest, ASecondFrontPanelLoadOnTheSameMachineSendsTheImageAndTheRecordAgain)
{
    const Bytes image = RandomBytes(100, 26);
    std::array<BYTE, 16> header{};
    CFpfLoaderStateMachine machine(L"FPF", WriteFrontPanel(L"hfpf0133.hex", image, header));
    // Each load ends at the record's eighth refusal, the record sent.
    for (int load = 1; load <= 2; ++load) {
        SCOPED_TRACE(load);
        window.ResetFinished();
        peer.textLoad = CTextLoadMode();  // the radio restarted
        peer.textLoad.RefusePacket(2, 8);
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        ASSERT_TRUE(RunLoad(machine, 15000));
        EXPECT_EQ(window.Result(), E_RETRY_LIMIT_EXHAUSTED);
        EXPECT_EQ(Bytes(peer.textLoad.Data().begin(), peer.textLoad.Data().end()), image);
        ASSERT_GE(Headers().size(), 3u);
        EXPECT_EQ(Headers()[2].substr(0, 6), "LDF290");
    }
}

// A load that fails once the processor's erase has gone out (DSP: the erase
// packet, refused or not; FPF: "LDF2;") leaves it without complete firmware,
// and says so once; one that fails before the erase does not.
TEST_F(TextLoaderTest, AFailureAfterTheEraseSaysTheProcessorHasNoCompleteFirmware)
{
    const std::wstring dspCode = Write(L"hdsp0240.hex", code), dspTinyBoot = Write(L"tboot0100.hex", tinyBoot);
    std::array<BYTE, 16> header{};
    const std::wstring panel = WriteFrontPanel(L"hfpf0133.hex", RandomBytes(100, 27), header);
    const struct {
        const char* what;
        bool frontPanel;
        // Refused eight times: the tiny boot's first, the erase, the code's first.
        unsigned refusedPacket;
        const wchar_t* told;
    } rows[] = {
        {"DSP tiny boot", false, 0, nullptr},
        {"DSP erase", false, 2, L"DSP1 has no complete firmware; remove power and send the firmware again"},
        {"DSP code", false, 3, L"DSP1 has no complete firmware; remove power and send the firmware again"},
        {"FPF image", true, 0, L"FPF has no complete firmware; remove power and send the firmware again"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        window.ResetFinished();
        window.logTexts.clear();
        peer.textLoad = CTextLoadMode();  // the radio restarted
        peer.textLoad.RefusePacket(row.refusedPacket, 8);
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        std::unique_ptr<CStateHost2> machine;
        if (row.frontPanel) {
            auto fpf = std::make_unique<CFpfLoaderStateMachine>(L"FPF", panel);
            ASSERT_TRUE(RunLoad(*fpf, 15000));
            machine = std::move(fpf);
        } else {
            auto dsp = std::make_unique<CDspLoaderStateMachine>(L"DSP1", DSP_MAIN, dspCode, dspTinyBoot, L"");
            ASSERT_TRUE(RunLoad(*dsp, 15000));
            machine = std::move(dsp);
        }
        EXPECT_EQ(window.Result(), E_RETRY_LIMIT_EXHAUSTED);
        const auto advice = std::count_if(window.logTexts.begin(), window.logTexts.end(), [](const std::wstring& line) {
            return line.find(L"has no complete firmware") != std::wstring::npos;
        });
        EXPECT_EQ(advice, row.told ? 1 : 0);
        if (row.told) {
            EXPECT_TRUE(Logged(row.told));
        }
    }
}

TEST_F(TextLoaderTest, EmptyImagesAreRefusedBeforeAnythingIsSent)
{
    const std::wstring good = Write(L"good.hex", code);
    std::array<BYTE, 16> header{};
    const std::wstring emptyFrontPanel = WriteFrontPanel(L"hfpf0133.hex", {}, header);
    const std::wstring empty = Write(L"empty.hex", {});
    const struct {
        const char* name;
        std::function<std::unique_ptr<CStateHost2>(HWND, bool&)> start;
    } cases[] = {
        {"tiny boot", [&](HWND owner, bool& started) {
             auto m = std::make_unique<CDspLoaderStateMachine>(L"DSP1", DSP_MAIN, good, empty, L"");
             started = m->StartLoad(owner);
             return m;
         }},
        {"code", [&](HWND owner, bool& started) {
             auto m = std::make_unique<CDspLoaderStateMachine>(L"DSP1", DSP_MAIN, empty, good, L"");
             started = m->StartLoad(owner);
             return m;
         }},
        {"table", [&](HWND owner, bool& started) {
             auto m = std::make_unique<CDspLoaderStateMachine>(L"DSP1", DSP_MAIN, Write(L"hdsp0240.hex", code), good,
                                                               empty);
             started = m->StartLoad(owner);
             return m;
         }},
        {"front panel", [&](HWND owner, bool& started) {
             auto m = std::make_unique<CFpfLoaderStateMachine>(L"FPF", emptyFrontPanel);
             started = m->StartLoad(owner);
             return m;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.ResetFinished();
        window.logTexts.clear();
        bool started = true;
        auto machine = c.start(window.Handle(), started);
        EXPECT_FALSE(started);
        ASSERT_EQ(window.FinishCount(), 1);
        EXPECT_EQ(window.Result(), static_cast<HRESULT>(0x8007000D));
        EXPECT_TRUE(std::any_of(window.logTexts.begin(), window.logTexts.end(), [](const std::wstring& line) {
            return line.find(L"error code 0x8007000D") != std::wstring::npos;
        }));
        EXPECT_TRUE(peer.commands.empty());
        GetModel().ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    }
}
