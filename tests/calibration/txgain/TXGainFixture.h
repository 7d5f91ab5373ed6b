// Shared set-up of the TX gain machine's tests: the page the machine reports
// to, and the simulated radio found by the contact machine with the machine
// registered as active.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "CalibrationTestPage.h"
#include "MessagePump.h"
#include "SimulatedRadioTest.h"
#include "TXGainRadio.h"
#include "TXGainStateMachine.h"

class TXGainRadioTest : public SimulatedRadioTest {
protected:

    // The radio found, and the machine registered as the active one.
    void Contact()
    {
        SimulatedRadioTest::Contact();
        GetModel().SetActiveMachine(&machine);
    }

    // A run at the level; its result, or 1 when it did not end in time.
    HRESULT Run(unsigned char level, unsigned char antenna = 1, DWORD timeoutMs = 120000)
    {
        page.finished.clear();
        if (!machine.StartCalibrate(page.Handle(), antenna, level))
            return machine.m_result;
        if (!page.WaitForFinish(timeoutMs))
            return 1;
        // Anything more would be a second end.
        PumpFor(100);
        EXPECT_EQ(page.finished.size(), 1u);
        return page.finished.front();
    }

    // A run that must leave the radio as it found it, but for `changed`.
    HRESULT RunRestored(unsigned char level, const std::set<std::string>& changed = kChangedByDesign)
    {
        const RadioState before = State();
        const HRESULT result = Run(level);
        ExpectRestored(before, State(), changed);
        return result;
    }

    RadioState State() { return radio.State(); }

    void Set(const std::string& name, const std::string& value) { radio.Control("set " + name + " " + value); }

    size_t CountCommand(const std::string& text)
    {
        size_t count = 0;
        for (const std::string& command : radio.Commands())
            count += command == text;
        return count;
    }

    const std::wstring& Summary() const { return machine.GetSummaryText(); }
    // The record's band lines, without the failed texts between them.
    size_t SummaryLines() const
    {
        size_t lines = 0;
        for (size_t at = 0; (at = Summary().find(L" kHz TXGain ", at)) != std::wstring::npos; ++at)
            ++lines;
        return lines;
    }

    CCalibrationTestPage page;
    CTXGCStateMachine machine;
};
