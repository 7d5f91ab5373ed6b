// The TX gain machine against a scripted radio: how it starts, refuses and
// ends, where its lines go, and a port that fails every write.
#include <map>

#include "MachineFixture.h"
#include "TXGainFixture.h"

namespace {

class TXGainMachineTest : public MachineTest {
protected:
    TXGainMachineTest()
    {
        SetMcuVersion(455);
        GetModel().SetActiveMachine(&machine);
        peer.responder = [this](const std::string& command) { return Answer(command); };
    }

    // A radio with nothing to change but VFOs, RIT offset and power; the
    // reply to `failAfter` is the last write the port takes.
    std::string Answer(const std::string& command)
    {
        static const std::map<std::string, std::string> replies = {
            {"OM;", "OM--------------;"}, {"TQ;", "TQ0;"},   {"IC;", "IC\x80@@@@;"},     {"DS;", "DS@@@@@ON@@@;"},
            {"MP;", "MP000;"},            {"Q5;", "Q50;"},   {"FA;", "FA00014060000;"}, {"FB;", "FB00007030000;"},
            {"RT;", "RT0;"},              {"XT;", "XT0;"},   {"BN;", "BN05;"},          {"RO;", "RO+0010;"},
        };
        if (command == failAfter)
            peer.writeError = ERROR_GEN_FAILURE;
        if (command == "TQ;" && keyed)
            return "TQ1;";
        const auto found = replies.find(command);
        return found != replies.end() ? found->second : std::string();
    }

    std::string failAfter;
    // The radio reports it transmits.
    bool keyed = false;
    CCalibrationTestPage page;
    CTXGCStateMachine machine;
};

TEST_F(TXGainMachineTest, PortFailingEveryWriteEndsTheRunOnce)
{
    failAfter = "RO;";
    ASSERT_TRUE(machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W));
    ASSERT_TRUE(page.WaitForFinish(10000));
    PumpFor(200);
    ASSERT_EQ(page.finished.size(), 1u);
    EXPECT_EQ(page.finished[0], static_cast<HRESULT>(ERROR_GEN_FAILURE));
    EXPECT_TRUE(machine.IsIdle());
    EXPECT_EQ(machine.m_run.restoreCount, 2u) << "one entry tried, FA and FB left";
    EXPECT_EQ(machine.GetRadioWarning(),
              BoxLines({FormatErrorText(ERROR_GEN_FAILURE), kNotPutBack, L"RIT Offset (RO): RO+0010",
                        L"VFO B (FB): FB00007030000", L"VFO A (FA): FA00014060000"}))
        << "the write's failure; the entry cut short, then those never tried";
    EXPECT_EQ(machine.GetProgressText(), FormatErrorText(ERROR_GEN_FAILURE) + L"\n5 watt calibration failed\n");
    EXPECT_TRUE(window.statusTexts.size() >= 3u) << "every report reaches the status line";
}

// Keyed at the start, and the port failing from its "TQ1;" on: the run's
// unkey and the restore's are never written, so the radio may transmit, and
// the user is told.
TEST_F(TXGainMachineTest, UnkeyThatCannotBeWrittenIsLeftToTheUser)
{
    keyed = true;
    failAfter = "TQ;";
    ASSERT_TRUE(machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W));
    ASSERT_TRUE(page.WaitForFinish(10000));
    EXPECT_EQ(page.finished[0], static_cast<HRESULT>(ERROR_GEN_FAILURE));
    EXPECT_EQ(machine.GetRadioWarning(), BoxLines({FormatErrorText(ERROR_GEN_FAILURE), kMayBeTransmitting}));
    EXPECT_EQ(page.progress.back(), kMayBeTransmitting) << "the write's failure is logged once, as the outcome";
}

TEST_F(TXGainMachineTest, BusyMachineRefusesWithItsCode)
{
    ASSERT_TRUE(machine.StartCalibrate(page.Handle(), 2, TXGAIN_LEVEL_50W));
    EXPECT_FALSE(machine.StartCalibrate(page.Handle(), 1, TXGAIN_LEVEL_5W));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_STATE_MACHINE_BUSY));
    EXPECT_FALSE(machine.RefreshOptionModules(page.Handle()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_STATE_MACHINE_BUSY));
    EXPECT_EQ(machine.m_result, 0) << "the running run's result is its own";
    EXPECT_EQ(machine.m_run.level, TXGAIN_LEVEL_50W) << "the running run is untouched";
    EXPECT_TRUE(machine.CancelCalibration());
    ASSERT_TRUE(page.WaitForFinish(10000));
    EXPECT_EQ(page.finished[0], static_cast<HRESULT>(ERROR_CANCELLED));
    EXPECT_FALSE(machine.CancelCalibration()) << "idle";
}

TEST_F(TXGainMachineTest, RefreshAsksOnlyForTheOptions)
{
    GetModel().ClearOptionModuleReply();
    ASSERT_TRUE(machine.RefreshOptionModules(page.Handle()));
    ASSERT_TRUE(page.WaitForFinish(5000));
    EXPECT_EQ(page.finished[0], 0);
    EXPECT_EQ(peer.CommandTexts(), std::vector<std::string>{"OM;"});
    EXPECT_EQ(GetModel().OptionModuleReply(), L"OM--------------;");
    EXPECT_TRUE(machine.GetProgressText().empty());
    EXPECT_TRUE(page.progress.empty());
}

}  // namespace
