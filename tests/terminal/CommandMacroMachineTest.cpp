// The command macro machine against a scripted radio: block commands from
// MCU 383, byte commands with the command-mode switch before it.
#include <algorithm>

#include "CommandMacroStateMachine.h"
#include "MachineFixture.h"

namespace {

constexpr unsigned kMacroArea = 0x7500;
constexpr unsigned kMacroAreaEnd = 0x7D00;

class CommandMacroMachineTest : public MachineTest, public testing::WithParamInterface<unsigned short> {
protected:
    CommandMacroMachineTest()
    {
        GetModel().SetActiveMachine(&machine);
        SetMcuVersion(GetParam());
        radio.mcuVersion = GetParam();
    }

    void Store(unsigned address, const std::string& bytes)
    {
        std::copy(bytes.begin(), bytes.end(), radio.eeprom.begin() + address);
    }

    HRESULT Run(bool write)
    {
        window.ResetFinished();
        EXPECT_TRUE(write ? machine.StartWrite() : machine.StartRead());
        return window.WaitForFinish(30000) ? window.Result() : E_FAIL;
    }

    bool BlockCommands() const { return GetParam() >= 383; }

    CMacroStrings labels{WM_APP_MACRO_CAPTION};
    CMacroStrings texts{WM_APP_MACRO_TEXT};
    CCommandMacroStateMachine machine{labels, texts};
};

}  // namespace

TEST_P(CommandMacroMachineTest, ReadsSixteenMacrosAndPutsTheModeBack)
{
    Store(0x7500, "VFO A");  // erased bytes after it
    Store(0x7508, std::string("FA;\0", 4));
    Store(0x7500 + 15 * 128, "ABCDEFGH");
    Store(0x7508 + 15 * 128, std::string(120, 'X'));
    labels.Set(1, L"OLD");

    ASSERT_EQ(Run(false), 0);

    EXPECT_EQ(labels.Get(0), L"VFO A");
    EXPECT_EQ(texts.Get(0), L"FA;");
    EXPECT_EQ(labels.Get(1), L"");
    EXPECT_EQ(labels.Get(15), L"ABCDEFGH");
    EXPECT_EQ(texts.Get(15), std::wstring(120, L'X'));
    EXPECT_EQ(labels.Get(16), L"") << "macros 17-32 live only in the registry";

    const std::vector<std::string> commands = peer.CommandTexts();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "TT0;");
    if (BlockCommands()) {
        // Per macro one read of the label, two of the text (64 + 56).
        EXPECT_EQ(peer.Count("ER75000883;"), 1u);
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](auto& c) { return c.rfind("ER", 0) == 0; }), 48);
        EXPECT_EQ(peer.Count("Q7;"), 0u);
    } else {
        // Each byte is read until two reads agree; the mode is switched and restored.
        EXPECT_EQ(commands[1], "Q7;");
        EXPECT_EQ(commands[2], "Q7H;");
        EXPECT_EQ(peer.Count("LDPR117.000;"), 2u);
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](auto& c) { return c.rfind("LDPR", 0) == 0; }),
                  2 * 16 * 128);
        EXPECT_EQ(commands[commands.size() - 2], "Q70;");
        EXPECT_EQ(commands.back(), "Q7;");
        EXPECT_EQ(radio.mode, "0");
    }
}

TEST_P(CommandMacroMachineTest, WritesWhatTheRadioCanHoldAndNothingElse)
{
    auto expected = radio.eeprom;
    labels.Set(0, L" rit on ");
    texts.Set(0, L"rt1;");
    labels.Set(1, L"\x20AC" L"1");
    labels.Set(15, L"abcdefghij");
    texts.Set(15, std::wstring(120, L'z'));
    labels.Set(16, L"not sent");

    ASSERT_EQ(Run(true), 0);

    // Shorter values end with a NUL; bytes after it keep what they held.
    const auto put = [&](unsigned address, const std::string& bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + address);
    };
    put(0x7500, std::string("RIT ON\0", 7));
    put(0x7508, std::string("RT1;\0", 5));
    put(0x7580, std::string("\x80" "1\0", 3));
    put(0x7588, std::string(1, '\0'));
    for (unsigned macro = 2; macro < 15; ++macro) {
        put(0x7500 + 128 * macro, std::string(1, '\0'));
        put(0x7508 + 128 * macro, std::string(1, '\0'));
    }
    put(0x7C80, "ABCDEFGH");
    put(0x7C88, std::string(120, 'Z'));
    if (GetACP() != 1252)
        expected[0x7580] = radio.eeprom[0x7580];  // whatever the code page makes of it
    for (unsigned address = 0; address < 0x8400; ++address)
        ASSERT_EQ(radio.eeprom[address], expected[address]) << std::hex << address;

    // The editor shows what the radio holds.
    EXPECT_EQ(labels.Get(0), L"RIT ON");
    EXPECT_EQ(texts.Get(0), L"RT1;");
    EXPECT_EQ(labels.Get(15), L"ABCDEFGH");
    EXPECT_EQ(labels.Get(16), L"not sent");

    const std::vector<std::string> commands = peer.CommandTexts();
    EXPECT_EQ(peer.Count("TT0;"), 0u) << "the write starts at the mode switch";
    if (!BlockCommands()) {
        EXPECT_EQ(commands[0], "Q7;");
        EXPECT_EQ(commands.back(), "Q7;");
        EXPECT_EQ(radio.mode, "0");
    }
}

INSTANTIATE_TEST_SUITE_P(Firmware, CommandMacroMachineTest, testing::Values(455, 382));
