// The date and time machine against a scripted radio: the switch runs, the
// display decoding, and the command-mode preparation on old firmware.
#include <gtest/gtest.h>

#include "DateTimePage.h"
#include "DateTimeStateMachine.h"
#include "MachineFixture.h"

namespace {

std::wstring Presses(const wchar_t* select, int presses, const wchar_t* step)
{
    std::wstring run = select;
    for (int i = 0; i < presses; ++i)
        run += step;
    return run;
}

TEST(SwitchRunTest, TakesTheShorterWayRoundAtMostFifteenPresses)
{
    struct Case {
        int target, current, modulus;
        std::wstring expected;
    } const cases[] = {
        {5, 58, 60, Presses(L"SWT13;", 7, L"UP;")},   // 53 apart: 7 the other way
        {40, 10, 60, Presses(L"SWT12;", 15, L"UP;")},  // 30: not more than half, capped
        {40, 25, 60, Presses(L"SWT12;", 15, L"UP;")},  // the second pass of it
        {1, 12, 13, Presses(L"SWT11;", 2, L"UP;")},    // January after December
        {12, 1, 13, Presses(L"SWT11;", 2, L"DN;")},
        {10, 10, 60, L"SWT13;"},
        {3, 20, 24, Presses(L"SWT11;", 7, L"UP;")},
        {20, 3, 24, Presses(L"SWT11;", 7, L"DN;")},
        {8, 10, 32, Presses(L"SWT12;", 2, L"DN;")},
    };
    for (const Case& c : cases) {
        const std::wstring select = c.expected.substr(0, 6);
        EXPECT_EQ(BuildSwitchRun(c.target, c.current, c.modulus, select.c_str()), c.expected)
            << c.target << " against " << c.current;
    }
}

TEST(DisplayDigitsTest, TakesLowNibblesAndRefusesShortReplies)
{
    unsigned digits[6] = {};
    ASSERT_TRUE(DecodeDisplayDigits(L"DS@@1\xB2" L"3\xB4" L"56@;", digits));
    EXPECT_EQ(std::vector<unsigned>(digits, digits + 6), (std::vector<unsigned>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(DecodeDisplayDigits(L"DS@@123456;", digits));
    EXPECT_FALSE(DecodeDisplayDigits(L"DS@@12345;", digits));
    EXPECT_FALSE(DecodeDisplayDigits(L"DS;", digits));
    EXPECT_FALSE(DecodeDisplayDigits(L"DS@@123456", digits));
}

TEST(ClockRunTest, CorrectsTheFirstFieldThatDiffers)
{
    CDateTimeStateMachine machine;
    machine.RadioTime.Set(PackDateTime(10, 20, 58));
    machine.RadioDate.Set(PackDateTime(26, 12, 31));
    SYSTEMTIME pc{2027, 1, 0, 1, 13, 40, 5, 0};
    EXPECT_EQ(machine.TimeRun(pc), Presses(L"SWT13;", 7, L"UP;"));
    pc.wSecond = 58;
    EXPECT_EQ(machine.TimeRun(pc), Presses(L"SWT12;", 15, L"UP;"));
    pc.wMinute = 20;
    EXPECT_EQ(machine.TimeRun(pc), Presses(L"SWT11;", 3, L"UP;"));
    pc.wHour = 10;
    EXPECT_EQ(machine.TimeRun(pc), L"");
    EXPECT_TRUE(machine.RadioTimeMatches(pc));

    EXPECT_EQ(machine.DateRun(pc), Presses(L"SWT13;", 1, L"UP;"));
    pc.wYear = 2026;
    EXPECT_EQ(machine.DateRun(pc), Presses(L"SWT11;", 2, L"UP;"));  // month first: SWT11
    machine.m_dateOrder = 1;
    EXPECT_EQ(machine.DateRun(pc), Presses(L"SWT12;", 2, L"UP;"));  // day first: SWT12
    pc.wMonth = 12;
    EXPECT_EQ(machine.DateRun(pc), Presses(L"SWT11;", 2, L"UP;"));  // day 31 -> 1 on a dial of 32
    pc.wDay = 31;
    EXPECT_EQ(machine.DateRun(pc), L"");
    EXPECT_TRUE(machine.RadioDateMatches(pc));
}

TEST(DateTimePhaseTest, PassesFollowOneAnother)
{
    struct Case {
        DateTimePhaseState state;  // phase, closing, write, OK, time matches, date matches
        int next;
    } const cases[] = {
        {{1, false, false, false, false, false}, 2},
        {{2, false, false, false, false, false}, 3},  // nothing asked: poll the time
        {{3, false, false, false, false, false}, 3},
        {{3, false, true, false, false, false}, 4},   // OK or Apply pressed
        {{2, false, true, true, false, false}, 4},
        {{4, false, true, true, false, true}, 4},     // the time still differs
        {{4, false, true, true, true, false}, 5},
        {{5, false, true, true, true, false}, 5},     // the date still differs
        {{5, false, true, true, true, true}, 6},      // OK: restore and close
        {{5, false, true, false, true, true}, 2},     // Apply: read again
        {{6, false, true, true, true, true}, 0},
        {{3, true, false, false, false, false}, 6},   // Cancel: restore first
        {{4, true, true, false, false, false}, 6},
        {{6, true, false, false, false, false}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextDateTimePhase(c.state), c.next) << "phase " << c.state.phase << " closing " << c.state.closing;
}

class DateTimeMachineTest : public MachineTest {
protected:
    DateTimeMachineTest()
    {
        GetModel().SetActiveMachine(&machine);
        peer.responder = [this](const std::string& command) {
            if (command == "DS;")
                return display;
            return radio(command);
        };
    }

    HRESULT RunChain(int chain)
    {
        window.ResetFinished();
        if (!machine.StartChain(chain))
            return E_FAIL;
        return window.WaitForFinish(10000) ? window.Result() : E_FAIL;
    }

    CDateTimeStateMachine machine;
    std::string display;
};

TEST_F(DateTimeMachineTest, OldFirmwareTakesTheExtendedModeAndPutsBackItsOwn)
{
    SetMcuVersion(340);
    radio.mode = "0";
    ASSERT_EQ(RunChain(CDateTimeStateMachine::CHAIN_PREPARE), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"Q7;", "Q71;", "Q7;", "MN255;"}));
    EXPECT_EQ(machine.m_savedModeReply, L"Q70;");
    ASSERT_EQ(RunChain(CDateTimeStateMachine::CHAIN_RESTORE), 0);
    EXPECT_EQ(peer.CommandTexts(),
              (std::vector<std::string>{"Q7;", "Q71;", "Q7;", "MN255;", "Q70;", "Q7;", "MN255;"}));
    EXPECT_EQ(radio.mode, "0");
}

TEST_F(DateTimeMachineTest, NewFirmwareOnlyLeavesTheMenu)
{
    SetMcuVersion(346);
    ASSERT_EQ(RunChain(CDateTimeStateMachine::CHAIN_PREPARE), 0);
    ASSERT_EQ(RunChain(CDateTimeStateMachine::CHAIN_RESTORE), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"MN255;", "MN255;"}));
}

TEST_F(DateTimeMachineTest, ARadioThatNeverTakesTheExtendedModeEndsAfterEightSends)
{
    SetMcuVersion(340);
    peer.responder = [this](const std::string& command) {
        return command == "Q7;" ? std::string("Q70;") : radio(command);
    };
    EXPECT_EQ(RunChain(CDateTimeStateMachine::CHAIN_PREPARE), E_NO_RESPONSE_Q7);
    EXPECT_EQ(peer.Count("Q7;"), 8u);
    EXPECT_EQ(peer.Count("Q71;"), 7u);
    EXPECT_EQ(peer.Count("MN255;"), 0u);
}

TEST_F(DateTimeMachineTest, ReadsTheDateOrderDateAndTime)
{
    SetMcuVersion(455);
    peer.responder = [this](const std::string& command) -> std::string {
        if (command == "MN030;")
            display = "DS@@@@@@E@@@;";
        else if (command == "MN029;")
            display = "DS@@3\xB1" "1\xB2" "26@;";  // 31.12.26, day first
        else if (command == "MN073;")
            display = "DS@@0\xB9" "4\xB5" "07@;";
        else if (command == "DS;")
            return display;
        return {};
    };
    ASSERT_EQ(RunChain(CDateTimeStateMachine::CHAIN_FULL_READ), 0);
    EXPECT_EQ(machine.m_dateOrder, 1);
    EXPECT_EQ(machine.RadioDate.Get(), PackDateTime(26, 12, 31));
    EXPECT_EQ(machine.RadioTime.Get(), PackDateTime(9, 45, 7));
}

TEST_F(DateTimeMachineTest, AShortDisplayReplyIsNoMatchAndTheRetriesRunOut)
{
    SetMcuVersion(455);
    display = "DS@@09457;";  // nine characters before the ";"
    EXPECT_EQ(RunChain(CDateTimeStateMachine::CHAIN_TIME_POLL), E_NO_RESPONSE_DS);
    EXPECT_EQ(peer.Count("DS;"), 8u);
    EXPECT_EQ(machine.RadioTime.Get(), 0u);
}

}  // namespace
