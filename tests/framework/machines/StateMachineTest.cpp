#include <memory>

#include "MachineFixture.h"
#include "MessagePump.h"

namespace {

// A small machine of generic states: a retried query, an optional query,
// a loop and a command-mode switch with its restore.
class CTestMachine : public CStateHost<CTestMachine> {
public:
    using State = CState<CTestMachine>;

    CTestMachine() : CStateHost(99) {}
    int LoopCount() const { return loopCount; }

    std::wstring m_savedModeReply;
    int m_loopIndex = 0;
    int loopCount = 3;

    // A state that does nothing on entry, for driving transitions by hand.
    class CIdleState : public State {
    public:
        using State::State;
        void Enter() override { ++entered; }
        int entered = 0;
    };

    CRestoreQ7State<CTestMachine> restore{this, L"Restore", &m_final};
    CSetQ7HiddenState<CTestMachine> setHidden{this, L"SetHidden", &restore};
    CCommandResponseRetryState<CTestMachine> retried{this, L"Retried", &m_final, L"RVM;", 200, E_NO_RESPONSE_FIRMWARE_VERSION};
    CCommandResponseState<CTestMachine> required{this, L"Required", &m_final, L"RVF;", 200, E_NO_RESPONSE_RVF};
    CCommandOptionalResponseState<CTestMachine> optional{this, L"Optional", &retried, L"RVD;", 200};
    CLoopStepState<CTestMachine> step{this, L"Step", nullptr};
    CCommandDelayState<CTestMachine> body{this, L"Body", &step, L"TT0;", 10};
    CLoopTestState<CTestMachine> test{this, L"Test", &body, &m_final};
    CLoopInitState<CTestMachine> init{this, L"Init", &test};
    CIdleState last{this, L"Last", nullptr};
    CIdleState first{this, L"First", &last};
};

class StateMachineTest : public MachineTest {
protected:
    StateMachineTest()
    {
        machine.step.m_next = &machine.test;
        GetModel().SetActiveMachine(&machine);
    }
    CTestMachine machine;
};

}  // namespace

TEST_F(StateMachineTest, RetryStateSendsExactlyTheRetryLimitThenFailsWithItsCode)
{
    radio.silentCommands = {"RVM;"};
    ASSERT_TRUE(machine.Start(machine.retried));
    ASSERT_TRUE(window.WaitForFinish(5000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_FIRMWARE_VERSION);
    EXPECT_EQ(peer.Count("RVM;"), 8u);
    EXPECT_TRUE(machine.IsIdle());
}

TEST_F(StateMachineTest, RequiredReplyFailsAtOnceAndOptionalReplyGoesOn)
{
    radio.silentCommands = {"RVF;", "RVD;"};
    ASSERT_TRUE(machine.Start(machine.required));
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RVF);
    EXPECT_EQ(peer.Count("RVF;"), 1u);

    window.ResetFinished();
    ASSERT_TRUE(machine.Start(machine.optional));  // then the retried query, answered
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"RVF;", "RVD;", "RVM;"}));
    EXPECT_EQ(GetModel().FirmwareVersion.Get(VERSION_MCU), 0);  // a generic state stores nothing
}

TEST_F(StateMachineTest, AReplyWithAnotherPrefixIsDroppedWithoutResettingTheTimer)
{
    // The radio answers the query with something else, late in the wait.
    CGetQ7State<CTestMachine> query(&machine, L"Query", &machine.m_final, L"Q7;", 500, E_NO_RESPONSE_Q7);
    radio.silentCommands = {"Q7;"};
    ASSERT_TRUE(machine.Start(query));
    PumpFor(300);
    peer.Deliver("RVM04.55;");
    ASSERT_TRUE(PumpUntil([&] { return peer.Count("Q7;") == 2; }, 2000));
    const DWORD gap = peer.Commands()[1].tick - peer.Commands()[0].tick;
    EXPECT_LT(gap, 750u) << "the wait restarted at the unrelated reply";
    EXPECT_TRUE(machine.m_savedModeReply.empty());

    // A matching reply then ends the wait.
    peer.Deliver("Q71;");
    ASSERT_TRUE(window.WaitForFinish(1000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(machine.m_savedModeReply, L"Q71;");
}

TEST_F(StateMachineTest, SplitRepliesAreJoinedAndBurstsAreTakenOneAtATime)
{
    radio.silentCommands = {"RVM;"};
    ASSERT_TRUE(machine.Start(machine.retried));
    peer.Deliver("RVM0");
    PumpFor(50);
    EXPECT_FALSE(machine.IsIdle());  // nothing whole yet
    // The rest, with a second reply in the same burst.
    peer.Deliver("4.56;RVM09.99;");
    ASSERT_TRUE(window.WaitForFinish(1000));
    EXPECT_EQ(window.Result(), 0);
    // Only the first reply was read; the second waits in the driver.
    EXPECT_EQ(peer.Queued(), 9u);
}

TEST_F(StateMachineTest, StartRefusesABusyMachineAndResetsAFinishedOne)
{
    radio.silentCommands = {"RVF;"};
    ASSERT_TRUE(machine.Start(machine.required));
    EXPECT_FALSE(machine.Start(machine.retried));
    EXPECT_EQ(machine.m_result, E_STATE_MACHINE_BUSY);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_STATE_MACHINE_BUSY));
    EXPECT_EQ(machine.Current(), &machine.required);  // untouched

    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RVF);
    window.ResetFinished();
    ASSERT_TRUE(machine.Start(machine.retried));
    EXPECT_EQ(machine.m_result, 0);
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), 0);
}

TEST_F(StateMachineTest, CompleteNeverHidesAnEarlierFailure)
{
    ASSERT_TRUE(machine.Start(machine.first));
    machine.first.Abort(E_NO_RESPONSE_RVD);
    EXPECT_TRUE(machine.IsIdle());
    machine.m_current = &machine.first;  // as if the state ran on
    machine.first.Complete(0);
    EXPECT_EQ(machine.m_result, E_NO_RESPONSE_RVD);
    EXPECT_EQ(window.FinishCount(), 2);

    // A positive (Win32) result is overwritten; with a next state and no
    // failure the machine goes on.
    machine.m_current = &machine.first;
    machine.m_result = ERROR_ACCESS_DENIED;
    machine.first.Complete(0);
    EXPECT_EQ(machine.Current(), &machine.last);
    EXPECT_EQ(machine.last.entered, 1);

    // Without a next state Complete ends the machine.
    machine.last.Complete(0);
    EXPECT_TRUE(machine.IsIdle());
    // GoNext without a next state leaves the machine where it is.
    machine.m_current = &machine.last;
    machine.last.GoNext();
    EXPECT_EQ(machine.Current(), &machine.last);
}

TEST_F(StateMachineTest, AnAbortWithoutACodeIsStillAFailure)
{
    ASSERT_TRUE(machine.Start(machine.first));
    machine.first.Abort(0);
    EXPECT_TRUE(machine.IsIdle());
    EXPECT_TRUE(IsFailure(machine.m_result));
    EXPECT_TRUE(IsFailure(window.Result()));
}

TEST_F(StateMachineTest, AnInitThatSkipsToTheEndEndsTheMachineOnce)
{
    // Before MCU 245 the option-module state moves on from its Init.
    SetMcuVersion(200);
    CGetOptionModuleState<CTestMachine> options(&machine, L"Options", &machine.m_final);
    ASSERT_TRUE(machine.Start(options));
    EXPECT_TRUE(machine.IsIdle());
    PumpFor(50);
    EXPECT_EQ(window.FinishCount(), 1);
}

TEST_F(StateMachineTest, OnlyTheContactMachineAnnouncesTheSpeedThatAnswered)
{
    CFindSpeedState<CTestMachine> search(&machine, L"FindSpeed", &machine.m_final);
    ASSERT_TRUE(machine.Start(search));
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), 0);
    for (const std::wstring& text : window.statusTexts)
        EXPECT_NE(text.rfind(L"Connected to ", 0), 0u) << "a generic search announced: " << text;
}

TEST_F(StateMachineTest, LoopRunsTheBodyTheMachinesNumberOfTimes)
{
    machine.loopCount = 3;
    ASSERT_TRUE(machine.Start(machine.init));
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(peer.Count("TT0;"), 3u);
    EXPECT_EQ(machine.m_loopIndex, 3);
}

TEST_F(StateMachineTest, ATimerOfAnotherMachineLeavesThisOneAlone)
{
    radio.silentCommands = {"RVF;"};
    ASSERT_TRUE(machine.Start(machine.required));
    machine.OnTimer(window.Handle(), WM_TIMER, TIMER_CONTACT, 0);
    EXPECT_EQ(machine.Current(), &machine.required);
    machine.OnTimer(window.Handle(), WM_TIMER, machine.TimerId(), 0);
    EXPECT_TRUE(machine.IsIdle());
}

TEST_F(StateMachineTest, ADestroyedRunningMachineTakesItsTimerWithItButAnIdleOneLeavesItAlone)
{
    // Machines of the same class, so with the same timer id, that armed no
    // timer (one idle, one running without a wait): their end must not take
    // the running machine's timer.
    radio.silentCommands = {"RVF;"};
    ASSERT_TRUE(machine.Start(machine.required));
    std::make_unique<CTestMachine>().reset();
    auto waiting = std::make_unique<CTestMachine>();
    ASSERT_TRUE(waiting->Start(waiting->first));
    waiting.reset();
    EXPECT_TRUE(::KillTimer(window.Handle(), machine.TimerId())) << "the running machine's wait is gone";
    machine.Abandon();

    // A machine closed mid-run (its dialog closed while it waits).
    auto doomed = std::make_unique<CTestMachine>();
    ASSERT_TRUE(doomed->Start(doomed->required));
    doomed.reset();
    EXPECT_FALSE(::KillTimer(window.Handle(), machine.TimerId())) << "the timer outlived its machine";
}

TEST_F(StateMachineTest, CommandModeIsSwitchedBelow383AndRestored)
{
    SetMcuVersion(380);
    radio.mode = "0";
    ASSERT_TRUE(machine.Start(machine.setHidden));
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_EQ(peer.CommandTexts(), (std::vector<std::string>{"Q7;", "Q7H;", "Q70;", "Q7;"}));
    EXPECT_EQ(radio.mode, "0");

    // A later run finds the mode saved and switches at once.
    window.ResetFinished();
    radio.mode = "1";
    ASSERT_TRUE(machine.Start(machine.setHidden));
    ASSERT_TRUE(window.WaitForFinish(3000));
    EXPECT_EQ(peer.CommandTexts(),
              (std::vector<std::string>{"Q7;", "Q7H;", "Q70;", "Q7;", "Q7H;", "Q70;", "Q7;"}));
}

TEST_F(StateMachineTest, CommandModeIsLeftAloneFrom383)
{
    SetMcuVersion(383);
    ASSERT_TRUE(machine.Start(machine.setHidden));
    ASSERT_TRUE(window.WaitForFinish(1000));
    EXPECT_EQ(window.Result(), 0);
    EXPECT_TRUE(peer.Commands().empty());
}

TEST_F(StateMachineTest, AFailedWriteEndsTheMachineWithTheWin32Error)
{
    peer.open = false;
    ASSERT_TRUE(machine.Start(machine.retried));
    EXPECT_TRUE(machine.IsIdle());
    EXPECT_EQ(machine.m_result, static_cast<HRESULT>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(window.FinishCount(), 1);
}

TEST_F(StateMachineTest, TraceLinesGoToTheOwnerOnlyWhileTraceIsOn)
{
    machine.m_owner = window.Handle();
    GetModel().Trace.Set(1);
    ASSERT_TRUE(machine.Start(machine.retried));
    ASSERT_TRUE(window.WaitForFinish(2000));
    ASSERT_EQ(window.logTexts.size(), 2u);
    EXPECT_EQ(window.logTexts[0], L"Retried send RVM;");
    EXPECT_EQ(window.logTexts[1].rfind(L"Retried response RVM04.55; ", 0), 0u) << window.logTexts[1];

    window.logTexts.clear();
    window.ResetFinished();
    GetModel().Trace.Set(0);
    ASSERT_TRUE(machine.Start(machine.retried));
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_TRUE(window.logTexts.empty());
}

namespace {

// Ends like the loaders and configuration restore: through EndOperation.
class CEndingMachine : public CStateHost<CEndingMachine> {
public:
    CEndingMachine() : CStateHost(97) {}
    void OnFinished() override { EndOperation(); }
    CCommandResponseState<CEndingMachine> query{this, L"Query", &m_final, L"RVF;", 200, E_NO_RESPONSE_RVF};
};

}  // namespace

TEST_F(MachineTest, EndOperationContactsTheRadioAgainAfterSuccessOrAnotherDevice)
{
    CModel& model = GetModel();
    for (const HRESULT code : {HRESULT(0), E_UNEXPECTED_DEVICE}) {
        CEndingMachine machine;
        model.SetActiveMachine(&machine);
        window.ResetFinished();
        ASSERT_TRUE(machine.Start(machine.query));
        const size_t sent = peer.Commands().size();
        if (code == 0)
            machine.query.Complete(0);
        else
            machine.query.Abort(code);
        EXPECT_EQ(model.ActiveMachine(), nullptr);
        EXPECT_FALSE(model.Contact().IsIdle()) << "contact restarted at the speed search";
        EXPECT_EQ(window.FinishCount(), 0) << "only the contact run's end tells the windows";
        ASSERT_TRUE(window.WaitForFinish(5000));
        EXPECT_EQ(window.Result(), 0);
        EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_RUNNING);
        ASSERT_GT(peer.Commands().size(), sent);
        EXPECT_EQ(peer.Commands()[sent].text, ";");
    }
}

// The engine knows no particular machine: the model's hook contacts the radio.
TEST_F(MachineTest, EndOperationContactsTheRadioThroughTheModelsHookOnlyAfterSuccessOrAnotherDevice)
{
    CModel& model = GetModel();
    int recontacts = 0;
    model.SetRecontact([&recontacts] { ++recontacts; });
    for (const HRESULT code : {HRESULT(0), E_UNEXPECTED_DEVICE, E_NO_RESPONSE_RVF}) {
        CEndingMachine machine;
        model.SetActiveMachine(&machine);
        recontacts = 0;
        ASSERT_TRUE(machine.Start(machine.query));
        if (code == 0)
            machine.query.Complete(0);
        else
            machine.query.Abort(code);
        EXPECT_EQ(recontacts, code == E_NO_RESPONSE_RVF ? 0 : 1) << std::hex << code;
        EXPECT_TRUE(model.Contact().IsIdle());
    }
    model.SetRecontact([&model] { model.Contact().RestartAtFindSpeed(); });
}

TEST_F(MachineTest, EndOperationReportsOtherFailuresAndForgetsTheConnection)
{
    CModel& model = GetModel();
    CEndingMachine machine;
    model.SetActiveMachine(&machine);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    radio.silentCommands = {"RVF;"};
    ASSERT_TRUE(machine.Start(machine.query));
    ASSERT_TRUE(window.WaitForFinish(2000));
    EXPECT_EQ(window.Result(), E_NO_RESPONSE_RVF);
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
    EXPECT_TRUE(model.Contact().IsIdle());
    EXPECT_EQ(model.ActiveMachine(), &machine);  // the page clears it itself

    // A Win32 error (a positive result) counts as a failure too.
    window.ResetFinished();
    model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
    peer.open = false;
    ASSERT_TRUE(machine.Start(machine.query));
    EXPECT_EQ(window.Result(), static_cast<HRESULT>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(model.ConnectionStatus.Get(), FIRMWARE_STATUS_UNKNOWN);
}

TEST(ReplyParsing, VersionRepliesNeedTwoDigitsADotTwoDigitsAndTheEnd)
{
    struct Host : CStateHost2 {
        BOOL IsIdle() override { return TRUE; }
    } host;
    CModel& model = GetModel();
    model.FirmwareVersion.Set(VERSION_FPF, 0);
    host.m_receiveBuffer = L"RVF01.23;";
    EXPECT_TRUE(host.ParseVersionReply(L"RVF", VERSION_FPF));
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_FPF), 123);
    for (const wchar_t* bad : {L"RVF1.23;", L"RVF01.23", L"RVF01,23;", L"RVM01.23;", L"RVF0A.23;"}) {
        host.m_receiveBuffer = bad;
        EXPECT_FALSE(host.ParseVersionReply(L"RVF", VERSION_FPF)) << bad;
    }
    host.m_receiveBuffer = L"RVX12.34;";
    EXPECT_TRUE(host.ParseVersionReply(L"RVX", 8));  // read, kept nowhere
    EXPECT_FALSE(host.ParseVersionReply(L"RVX", 9));
    EXPECT_EQ(model.FirmwareVersion.Get(VERSION_FPF), 123);

    CObservable<unsigned short> number(0);
    host.m_receiveBuffer = L"PC050;";
    EXPECT_TRUE(host.ParseUShortReply(L"PC", number));
    EXPECT_EQ(number.Get(), 50);
    host.m_receiveBuffer = L"PC70000;";
    EXPECT_FALSE(host.ParseUShortReply(L"PC", number));
    CObservable<unsigned short, 2> pair(0);
    host.m_receiveBuffer = L"XX12-345;";
    EXPECT_TRUE(host.ParseUShortPairReply(L"XX", pair));
    EXPECT_EQ(pair.Get(0), 12);
    EXPECT_EQ(pair.Get(1), 345);
    host.m_receiveBuffer = L"XX12345;";
    EXPECT_FALSE(host.ParseUShortPairReply(L"XX", pair));
}
