// The crystal-filter conversions, rules and machine (against a scripted radio).
#include <gtest/gtest.h>

#include "MachineFixture.h"
#include "XtalFilterStateMachine.h"
#include "resource.h"

namespace {

TEST(FilterConversionTest, BytesAndTexts)
{
    struct Bandwidth {
        int hz;
        BYTE byte;
        const wchar_t* text;
    } const bandwidths[] = {
        {2730, 54, L"2.73"}, {2700, 54, L"2.70"},     {50, 1, L"0.05"},  {12800, 255, L"12.80"},
        {13000, 255, L"13.00"}, {0, 0, L"0.00"}, {13001, 0, L"13.00"},
    };
    for (const Bandwidth& b : bandwidths) {
        EXPECT_EQ(BandwidthByte(b.hz), b.byte) << b.hz;
        EXPECT_EQ(FormatBandwidth(std::min(b.hz, BANDWIDTH_MAX_HZ)), b.text) << b.hz;
    }
    EXPECT_EQ(BandwidthHz(255), 13000);
    EXPECT_EQ(BandwidthHz(54), 2700);

    struct Offset {
        int hz;
        BYTE byte;
        const wchar_t* text;
    } const offsets[] = {
        {-1280, 0x80, L"-1.28"}, {0, 0, L" 0.00"}, {250, 25, L"+0.25"}, {-15, 0xFF, L"-0.01"}, {251, 0, L"+0.25"},
    };
    for (const Offset& o : offsets) {
        EXPECT_EQ(OffsetByte(o.hz), o.byte) << o.hz;
        EXPECT_EQ(FormatOffset(std::min(o.hz, OFFSET_MAX_HZ)), o.text) << o.hz;
    }
    EXPECT_EQ(OffsetHz(0x80), -1280);
    EXPECT_EQ(OffsetHz(25), 250);
}

TEST(FilterConversionTest, ParsesKilohertzAndSaturates)
{
    struct Case {
        const wchar_t* text;
        int low, high, hz;
    } const cases[] = {
        {L"2.73", 0, 13000, 2730},          {L"  12.8", 0, 13000, 12800},     {L"1.239", 0, 13000, 1230},
        {L".5", 0, 13000, 500},             {L"abc", 0, 13000, 0},            {L"+0.25", -1280, 250, 250},
        {L"-1.5", -1280, 250, -1280},       {L"99999999999", 0, 13000, 13000}, {L"-99999999999", -1280, 250, -1280},
        {L"-0.02", -1280, 250, -20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseKHz(c.text, c.low, c.high), c.hz) << static_cast<const void*>(c.text);
    EXPECT_EQ(FormatBandwidth(ParseKHz(L"99999999999", 0, 13000)), L"13.00");
    EXPECT_EQ(FormatOffset(ParseKHz(L"-99999999999", -1280, 250)), L"-1.28");
}

// A valid main receiver: 2.7, 6.0, 0.5, 1.8 kHz and an empty slot.
FilterSettings ValidSettings()
{
    FilterSettings settings;
    const int widths[] = {2700, 6000, 500, 1800, 0};
    std::copy(std::begin(widths), std::end(widths), settings.bandwidth);
    settings.enabled[0][MODE_LSB] = settings.enabled[0][MODE_CW] = settings.enabled[2][MODE_CW] = true;
    settings.enabled[1][MODE_AM] = true;
    settings.txCw = 0;
    settings.txSsb = 0;
    settings.txAm = 1;
    settings.mcuVersion = 454;
    return settings;
}

// The 13 kHz FM filter in slot 1, TX CW and SSB on a 2.7 kHz slot 4, TX AM on slot 1.
void FmFilterFirst(FilterSettings& s)
{
    s.bandwidth[0] = 13000;
    s.enabled[0][MODE_CW] = false;
    s.bandwidth[3] = 2700;
    s.txCw = s.txSsb = 3;
    s.txAm = 0;
}

TEST(FilterRuleTest, TheFirstBrokenRuleIsReported)
{
    struct Case {
        const char* name;
        void (*change)(FilterSettings&);
        UINT textId;  // 0: valid
        unsigned slot;
    } const cases[] = {
        {"valid", [](FilterSettings&) {}, 0, 0},
        {"empty slot enabled", [](FilterSettings& s) { s.enabled[4][MODE_FM] = true; }, IDS_FILTER_SLOT_EMPTY, 5},
        {"wide CW", [](FilterSettings& s) { s.enabled[1][MODE_CW] = true; }, IDS_FILTER_TOO_WIDE_FOR_CW, 0},
        {"2.8 kHz CW", [](FilterSettings& s) { s.bandwidth[0] = 2800; }, 0, 0},
        {"TX CW narrow", [](FilterSettings& s) { s.txCw = 2; }, IDS_FILTER_TX_CW_SSB, 0},
        {"no TX SSB is slot 1", [](FilterSettings& s) { s.txSsb = -1; }, 0, 0},
        {"no TX SSB, slot 1 wide", [](FilterSettings& s) { FmFilterFirst(s); s.txSsb = -1; }, IDS_FILTER_TX_CW_SSB, 0},
        {"FM filter in slot 3", [](FilterSettings& s) { s.bandwidth[2] = 13000; s.enabled[2][MODE_CW] = false; },
         IDS_FILTER_FM_POSITION, 0},
        {"TX AM not 6 kHz", [](FilterSettings& s) { s.txAm = 2; }, IDS_FILTER_TX_AM, 0},
        {"TX AM 13 kHz before 455", FmFilterFirst, IDS_FILTER_TX_AM, 0},
        {"TX AM 13 kHz from 455", [](FilterSettings& s) { FmFilterFirst(s); s.mcuVersion = 455; }, 0, 0},
        {"TX AM narrow from 455", [](FilterSettings& s) { s.txAm = 2; s.mcuVersion = 455; }, IDS_FILTER_TX_AM_WIDE, 0},
        {"no 6 kHz filter at all", [](FilterSettings& s) { s.bandwidth[1] = 2400; s.txAm = 2; }, 0, 0},
        {"sub receiver skips TX", [](FilterSettings& s) { FmFilterFirst(s); s.subReceiver = true; s.txCw = 2; }, 0, 0},
    };
    for (const Case& c : cases) {
        FilterSettings settings = ValidSettings();
        c.change(settings);
        const auto failure = CheckFilterRules(settings);
        if (c.textId == 0) {
            EXPECT_FALSE(failure) << c.name;
        } else {
            ASSERT_TRUE(failure) << c.name;
            EXPECT_EQ(failure->textId, c.textId) << c.name;
            EXPECT_EQ(failure->slot, c.slot) << c.name;
        }
    }
}

class XtalFilterMachineTest : public MachineTest {
protected:
    XtalFilterMachineTest()
    {
        SetMcuVersion(455);
        GetModel().SetActiveMachine(&machine);
        machine.m_resetMcu.m_delay = 50;  // the radio here needs no restart time
        const BYTE bandwidths[] = {54, 120, 10, 36, 0, 54, 0, 0, 0, 0};
        std::copy(std::begin(bandwidths), std::end(bandwidths), radio.eeprom.begin() + 0x0300);
        std::fill(radio.eeprom.begin() + 0x030A, radio.eeprom.begin() + 0x0314, 0);
        const BYTE modes[] = {0x05, 0xE1, 0x01, 0x01, 0x02, 0x00, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00};
        std::copy(std::begin(modes), std::end(modes), radio.eeprom.begin() + 0x0314);
        std::fill(radio.eeprom.begin() + 0x0320, radio.eeprom.begin() + 0x032A, 1);
        radio.eeprom[0x0026] = 0;
        radio.eeprom[0x002D] = 0;
        radio.eeprom[0x005C] = 1;
    }

    HRESULT Run(bool write)
    {
        window.ResetFinished();
        if (!(write ? machine.StartWrite() : machine.StartRead()))
            return E_FAIL;
        return window.WaitForFinish(20000) ? window.Result() : E_FAIL;
    }
    // The same, each wait cut short.
    HRESULT RunFast(bool write)
    {
        window.ResetFinished();
        if (!(write ? machine.StartWrite() : machine.StartRead()))
            return E_FAIL;
        for (int ticks = 0; ticks < 400 && !window.WaitForFinish(20); ++ticks)
            SendMessageW(window.Handle(), WM_TIMER, TIMER_XTAL_FILTER, 0);
        return window.FinishCount() == 1 ? window.Result() : E_FAIL;
    }
    std::vector<std::string> Prefixed(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& command : peer.CommandTexts()) {
            if (command.compare(0, prefix.size(), prefix) == 0)
                found.push_back(command);
        }
        return found;
    }

    CXtalFilterStateMachine machine;
};

TEST_F(XtalFilterMachineTest, ReadsTheMainReceiverWithItsTransmitFilters)
{
    ASSERT_EQ(Run(false), 0);
    EXPECT_EQ(machine.m_bandwidth.Get(1), 120);
    EXPECT_EQ(machine.m_modeMap.Get(1), 0xE1);
    EXPECT_EQ(machine.m_gain.Get(4), 1);
    EXPECT_EQ(machine.m_txAm.Get(), 1);
    EXPECT_EQ(Prefixed("ER").size(), 7u);
    EXPECT_FALSE(machine.IsModified());
}

TEST_F(XtalFilterMachineTest, OneChangedOffsetWritesItsWholeGroupThenResetsAndFindsTheRadio)
{
    ASSERT_EQ(Run(false), 0);
    machine.m_offset.m_shadow[2] = OffsetByte(-200);
    ASSERT_TRUE(machine.IsModified());
    const size_t before = peer.Commands().size();
    ASSERT_EQ(Run(true), 0);
    const std::vector<std::string> all = peer.CommandTexts();
    const std::vector<std::string> sent(all.begin() + static_cast<long>(before), all.end());
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0].substr(0, 8), "EW030A05");
    EXPECT_EQ(sent[1], "LDD20000;");
    EXPECT_EQ(sent[2], ";");
    EXPECT_EQ(Prefixed("EW").size(), 1u);
    EXPECT_EQ(radio.eeprom[0x030C], 0xEC);
    EXPECT_FALSE(machine.IsModified());
}

TEST_F(XtalFilterMachineTest, TheSubReceiverNeverTouchesTheTransmitFilters)
{
    machine.m_receiver.Set(1);
    ASSERT_EQ(Run(false), 0);
    EXPECT_EQ(machine.m_bandwidth.Get(0), 54);
    EXPECT_EQ(Prefixed("ER00").size(), 0u);
    machine.m_txCw.m_shadow[0] = 3;
    EXPECT_FALSE(machine.IsModified());
    machine.m_bandwidth.m_shadow[1] = 56;
    ASSERT_EQ(Run(true), 0);
    EXPECT_EQ(Prefixed("EW").size(), 1u);
    EXPECT_EQ(Prefixed("EW0305").size(), 1u);
    EXPECT_EQ(radio.eeprom[0x0306], 56);
    EXPECT_EQ(radio.eeprom[0x0026], 0);
}

// A write cut once a block has gone out, acknowledged or not, while a
// changed group is still unwritten leaves the filters partly written; one cut
// before its first block, or after its last, does not.
TEST_F(XtalFilterMachineTest, AWriteCutBetweenItsGroupsIsPartlyWritten)
{
    // The radio's answer, after which every write fails.
    const auto thenPortLost = [&](const std::string& command) {
        peer.writeError = ERROR_GEN_FAILURE;
        return radio(command);
    };
    const auto startsWith = [](const std::string& command, const char* prefix) {
        return command.compare(0, strlen(prefix), prefix) == 0;
    };
    const auto answered = [&](const std::string& c) { return radio(c); };
    const struct {
        const char* what;
        // Every write of the run fails.
        bool portLost;
        std::function<std::string(const std::string& command)> answer;
        HRESULT result;
        bool partly;
    } rows[] = {
        {"the port lost as the gain goes out, the offset written", false,
         [&](const std::string& c) { return startsWith(c, "EW030A") ? thenPortLost(c) : radio(c); }, ERROR_GEN_FAILURE,
         true},
        {"the gain never acknowledged", false,
         [&](const std::string& c) { return startsWith(c, "EW0320") ? "" : radio(c); },
         E_NO_RESPONSE_WRITE_EEPROM_BLOCK, true},
        {"the port lost as the offset goes out", true, answered, ERROR_GEN_FAILURE, false},
        {"the port lost as the reset goes out, both written", false,
         [&](const std::string& c) { return startsWith(c, "EW0320") ? thenPortLost(c) : radio(c); },
         ERROR_GEN_FAILURE, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        peer.writeError = 0;
        peer.responder = answered;
        std::fill(radio.eeprom.begin() + 0x030A, radio.eeprom.begin() + 0x0314, 0);
        std::fill(radio.eeprom.begin() + 0x0320, radio.eeprom.begin() + 0x032A, 1);
        ASSERT_EQ(RunFast(false), 0);
        machine.m_offset.m_shadow[2] = OffsetByte(-200);
        machine.m_gain.m_shadow[0] = 3;
        peer.responder = row.answer;
        peer.writeError = row.portLost ? ERROR_GEN_FAILURE : 0;
        EXPECT_EQ(RunFast(true), row.result);
        EXPECT_EQ(machine.IsPartlyWritten(), row.partly);
    }
}

}  // namespace
