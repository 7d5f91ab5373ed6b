// The CW memory machine against a scripted radio: memories stored back to
// front, read from the top down to their terminator, written only when
// changed and only as far as the message and its terminator reach.
#include <gtest/gtest.h>

#include "CWMemoryStateMachine.h"
#include "MachineFixture.h"

namespace {

class CWMemoryMachineTest : public MachineTest {
protected:
    CWMemoryMachineTest()
    {
        SetMcuVersion(455);
        GetModel().SetActiveMachine(&machine);
    }

    HRESULT Finish(bool started)
    {
        if (!started)
            return E_FAIL;
        return window.WaitForFinish(20000) ? window.Result() : E_FAIL;
    }
    HRESULT Read()
    {
        window.ResetFinished();
        return Finish(machine.StartRead());
    }
    HRESULT Write()
    {
        window.ResetFinished();
        return Finish(machine.StartWrite());
    }
    // Memory i from its top: the codes given, then `rest`.
    void Store(unsigned memory, std::vector<unsigned char> codes)
    {
        for (size_t k = 0; k < codes.size(); ++k)
            radio.eeprom[0x0400 + 0x100 * memory + 250 - k] = codes[k];
    }
    size_t CountPrefix(const std::string& prefix) const
    {
        size_t count = 0;
        for (const std::string& command : peer.CommandTexts())
            count += command.compare(0, prefix.size(), prefix) == 0;
        return count;
    }

    CCWMemoryStateMachine machine;
};

TEST_F(CWMemoryMachineTest, ReadsEachMemoryDownToItsTerminator)
{
    Store(0, {0x15, 0x1B, 0xCC});             // "CQ"
    std::vector<unsigned char> full(251, 0x02);  // 251 times "E", no terminator
    Store(7, full);
    ASSERT_EQ(Read(), 0);
    EXPECT_EQ(machine.Texts.Get(0), L"CQ");
    EXPECT_EQ(machine.Texts.Get(3), L"");  // erased
    EXPECT_EQ(machine.Texts.Get(7), std::wstring(251, L'E'));
    // One chunk for each short memory, sixteen for the full one; the first
    // chunk is the top of the area.
    EXPECT_EQ(CountPrefix("ER04"), 1u);
    EXPECT_EQ(peer.Count("ER04EB1001;"), 1u);
    EXPECT_EQ(CountPrefix("ER0B"), 16u);
    EXPECT_EQ(peer.Count("ER0B000BEA;"), 1u);  // the last chunk: offsets 0-10
    EXPECT_EQ(CountPrefix("EW"), 0u);
}

TEST_F(CWMemoryMachineTest, WritesOnlyTheChangedMemoriesAndOnlyTheirMessage)
{
    radio.eeprom[0x0600] = 0x5A;
    ASSERT_EQ(Read(), 0);
    machine.Texts.m_shadow[0] = L"CQ";
    machine.Texts.m_shadow[2] = L"cq test";
    ASSERT_EQ(Write(), 0);
    EXPECT_EQ(CountPrefix("EW"), 2u);
    EXPECT_EQ(peer.Count("EW04F803CC1B1505;"), 1u);
    const std::vector<unsigned char> stored(radio.eeprom.begin() + 0x06F3, radio.eeprom.begin() + 0x06FB);
    EXPECT_EQ(stored, (std::vector<unsigned char>{0xCC, 0x03, 0x08, 0x02, 0x03, 0x80, 0x1B, 0x15}));
    EXPECT_EQ(radio.eeprom[0x06F2], 0xFF);  // below the terminator: untouched
    EXPECT_EQ(radio.eeprom[0x0600], 0x5A);
    EXPECT_EQ(machine.Texts.Get(2), L"cq test");
    EXPECT_FALSE(machine.IsModified());
}

TEST_F(CWMemoryMachineTest, AFullMemoryIsWrittenWithoutTerminatorAndNothingChangedSendsNothing)
{
    ASSERT_EQ(Read(), 0);
    machine.Texts.m_shadow[1] = std::wstring(251, L'T');
    ASSERT_EQ(Write(), 0);
    EXPECT_EQ(std::count(radio.eeprom.begin() + 0x0500, radio.eeprom.begin() + 0x05FB, 0x03), 251);
    EXPECT_EQ(CountPrefix("EW05"), 4u);  // 251 bytes in 64-byte chunks

    const size_t sent = peer.Commands().size();
    ASSERT_EQ(Write(), 0);
    EXPECT_EQ(peer.Commands().size(), sent);
}

}  // namespace
