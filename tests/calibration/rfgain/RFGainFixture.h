// Shared set-up of the RF gain machine's tests against the simulated
// transceiver: the radio found, and the wizard sheet's stand-in.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "BoxWatcher.h"
#include "CalibrationTestPage.h"
#include "ControlWords.h"
#include "MessagePump.h"
#include "RadioState.h"
#include "RFGainStateMachine.h"
#include "SimulatedRadioTest.h"

class RFGainTest : public SimulatedRadioTest {
public:
    using State = RadioState;

    // The radio after the run is the radio before it, but for what the
    // calibration leaves changed on purpose (and what a test adds).
    static void ExpectRestored(const State& before, const State& after, std::set<std::string> changed = {})
    {
        changed.insert({"tx-test", "ln", "fb", "db", "tt", "dsp-main", "dsp-sub"});
        ExpectSettingsKept(before, after, changed);
    }

protected:
    explicit RFGainTest(std::initializer_list<int> answers = {}) : boxes(answers) {}

    void SetUp() override
    {
        SimulatedRadioTest::SetUp();
        machine.m_owner = sheet.Handle();
        Contact();
    }

    // Finds the radio afresh (after its options changed, say); the machine
    // then hears the radio.
    void Contact()
    {
        GetModel().SetActiveMachine(nullptr);
        SimulatedRadioTest::Contact();
        GetModel().SetActiveMachine(&machine);
    }

    // Starts a chain and waits for its end; the result it sent the page.
    template <typename Starter>
    HRESULT Run(Starter start, DWORD timeoutMs = 30000)
    {
        const size_t before = sheet.finished.size();
        if (!start())
            return static_cast<HRESULT>(machine.m_result);
        if (!PumpUntil([&] { return sheet.finished.size() > before && machine.IsIdle(); }, timeoutMs))
            return E_ABORT;
        return sheet.finished.back();
    }
    HRESULT Prepare() { return Run([&] { return machine.StartPrepare(sheet.Handle()); }); }
    HRESULT SetUp(BYTE receiver) { return Run([&] { return machine.StartSetUp(sheet.Handle(), receiver); }); }
    HRESULT Calibrate(BYTE receiver, RFGCSource source)
    {
        return Run([&] { return machine.StartCalibrate(sheet.Handle(), receiver, source); });
    }
    HRESULT Restore() { return Run([&] { return machine.StartRestore(sheet.Handle()); }); }

    size_t Count(const std::string& pattern) { return radio.CountCommand(pattern); }

    // The length of each sync ("!02" and the "02" after it) in order.
    std::vector<size_t> SyncLengths()
    {
        std::vector<size_t> lengths;
        bool inSync = false;
        for (const std::string& command : radio.Commands()) {
            if (command == "!02" || command == "@02") {
                lengths.push_back(1);
                inSync = true;
            } else if (inSync && command == "02") {
                ++lengths.back();
            } else {
                inSync = false;
            }
        }
        return lengths;
    }

    // The DSP commands the radio received, each as one text ("!b800;"),
    // without the syncs.
    std::vector<std::string> DspCommands()
    {
        std::vector<std::string> commands;
        bool inCommand = false;
        for (const std::string& piece : radio.Commands()) {
            const bool start = (piece[0] == '!' || piece[0] == '@') && piece.compare(1, 2, "02") != 0;
            if (start)
                commands.push_back(piece);
            else if (inCommand)
                commands.back() += piece;
            inCommand = (start || inCommand) && piece != ";";
        }
        return commands;
    }

    std::vector<uint8_t> Table(const char* receiver)
    {
        return *ParseHexBytes(radio.Control(std::string("dsp table ") + receiver));
    }

    CCalibrationTestPage sheet;
    CRFGCStateMachine machine;
    CBoxWatcher boxes;
};
