// Shared set-up of the TX gain machine's tests: the page the machine reports
// to (a window that is its own sheet's current page), and the simulated
// radio found by the contact machine with the machine registered as active.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "MessagePump.h"
#include "SimulatedTransceiver.h"
#include "TXGainStateMachine.h"
#include "TestWindow.h"

class CTXGainPage {
public:
    CTXGainPage()
        : m_window([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
              switch (message) {
              case PSM_GETCURRENTPAGEHWND:
                  result = reinterpret_cast<LRESULT>(Handle());
                  return true;
              case WM_APP_PROGRESS_TEXT:
                  progress.push_back(reinterpret_cast<const wchar_t*>(lParam));
                  return true;
              case WM_APP_MACHINE_FINISHED:
                  finished.push_back(static_cast<HRESULT>(wParam));
                  return true;
              }
              return false;
          })
    {
    }
    HWND Handle() const { return m_window.Handle(); }
    bool WaitForFinish(DWORD ms)
    {
        return PumpUntil([this] { return !finished.empty(); }, ms);
    }
    // The progress lines that contain the text.
    size_t CountProgress(const std::wstring& text) const
    {
        size_t count = 0;
        for (const std::wstring& line : progress)
            count += line.find(text) != std::wstring::npos;
        return count;
    }

    std::vector<std::wstring> progress;
    std::vector<HRESULT> finished;

private:
    CTestWindow m_window;
};

using RadioState = std::map<std::string, std::string>;

class TXGainRadioTest : public testing::Test {
protected:
    // Starts the radio; `prepare` may change it before it is contacted.
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        CModel& model = GetModel();
        model.ClosePort();
        model.FixedSerialSpeed.Set(0);
        model.Port.Set(radio.PortName());
        model.SetActiveMachine(nullptr);
    }
    void TearDown() override
    {
        GetModel().SetActiveMachine(nullptr);
        GetModel().ClosePort();
    }

    void Contact()
    {
        window.ResetFinished();
        ASSERT_TRUE(GetModel().Contact().StartAtOpenPort());
        ASSERT_TRUE(window.WaitForFinish(30000));
        ASSERT_EQ(window.Result(), 0);
        GetModel().SetActiveMachine(&machine);
        radio.ClearLog();
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

    RadioState State()
    {
        RadioState state;
        const std::string line = radio.TransmitterState();
        size_t start = 0;
        while (start < line.size()) {
            size_t end = line.find(' ', start);
            if (end == std::string::npos)
                end = line.size();
            const std::string word = line.substr(start, end - start);
            const size_t equals = word.find('=');
            if (equals != std::string::npos)
                state[word.substr(0, equals)] = word.substr(equals + 1);
            start = end + 1;
        }
        return state;
    }

    void Set(const std::string& name, const std::string& value) { radio.Transmitter("set " + name + " " + value); }

    // Every setting as it was, but for the names given (what calibration
    // leaves changed by design: text-terminal output, the VFO B display, TX ALC).
    static void ExpectRestored(const RadioState& before, const RadioState& after,
                               std::set<std::string> changed = {"TT", "DB", "M078"})
    {
        ASSERT_FALSE(before.empty());
        for (const auto& [name, value] : before) {
            if (changed.count(name) == 0) {
                EXPECT_EQ(after.at(name), value) << name;
            }
        }
    }

    size_t CountCommand(const std::string& text)
    {
        size_t count = 0;
        for (const std::string& command : radio.Commands())
            count += command == text;
        return count;
    }

    const std::wstring& Summary() const { return machine.GetSummaryText(); }
    size_t SummaryLines() const { return std::count(Summary().begin(), Summary().end(), L'\n'); }

    CSimulatedTransceiver radio;
    CMachineTestWindow window;
    CTXGainPage page;
    CTXGCStateMachine machine;
};

// The calibration frequencies, in order.
inline const unsigned kBandKHz[] = {1900, 3750, 5336, 7150, 10125, 14200, 18110, 21200, 24930, 29000, 52000};

// The index of the first command at or after `from` that starts with
// `prefix`, or the size.
inline size_t IndexOf(const std::vector<std::string>& commands, const std::string& prefix, size_t from = 0)
{
    for (size_t i = from; i < commands.size(); ++i) {
        if (commands[i].compare(0, prefix.size(), prefix) == 0)
            return i;
    }
    return commands.size();
}

// Gives each band its own gain at the level (band 0 a one-digit one) and
// returns the summary lines a full run at the level must give.
inline std::wstring SetGains(CSimulatedTransceiver& radio, unsigned level)
{
    static const wchar_t* const levelTexts[] = {L"LP", L"HP", L"MW"};
    std::wstring summary;
    for (unsigned band = 0; band < 11; ++band) {
        const unsigned gain = band == 0 ? 7 : 100 + 13 * band + level;
        radio.Transmitter("gain " + std::to_string(band) + " " + std::to_string(level) + " " + std::to_string(gain));
        wchar_t line[64];
        swprintf(line, 64, L"%u kHz TXGain %ls %3u\r\n", kBandKHz[band], levelTexts[level], gain);
        summary += line;
    }
    return summary;
}
