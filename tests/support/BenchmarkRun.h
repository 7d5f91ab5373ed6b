// The frame of the serial benchmarks: COM, the simulated radio found on its
// port by the contact machine, a clock in milliseconds, the time of one
// machine run, and the port closed again at the end. Each benchmark keeps
// its own figures.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>

#include "ContactStateMachine.h"
#include "MachineTestWindow.h"
#include "SimulatedTransceiver.h"
#include "Turnaround.h"
#include "resource.h"

// One character on the wire at 38400 bit/s (8N1).
constexpr double kMsPerCharacter = 10 * 1000.0 / 38400;

inline double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * counter.QuadPart / frequency.QuadPart;
}

// The progress bar of the operation's dialog (control 16010 there, of the
// loader and the configuration dialogs alike), shown on the main window: a
// repaint costs milliseconds under Wine, part of what the user waits for.
inline HWND ShowProgressBar(CMachineTestWindow& window)
{
    ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    return CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 430, 15,
                           window.Handle(), reinterpret_cast<HMENU>(IDC_LOADER_PROGRESS), nullptr, nullptr);
}

// The contact machine finds the radio where it is now; false (with a line
// saying so) when it does not.
inline bool FindRadio(CMachineTestWindow& window)
{
    window.ResetFinished();
    GetModel().Contact().StartAtOpenPort();
    if (!window.WaitForFinish(30000) || window.Result() != 0) {
        printf("the radio was not found\n");
        return false;
    }
    return true;
}

// Milliseconds from `start` to the machine's end notice; negative when the
// start was refused or the end did not come in time. The log is cleared
// first, so that it holds the run alone.
inline double TimeRun(CSimulatedTransceiver& radio, CMachineTestWindow& window, const std::function<bool()>& start,
                      DWORD timeoutMs = 120000)
{
    radio.ClearLog();
    window.ResetFinished();
    const double begun = NowMs();
    if (!start() && !window.FinishCount())
        return -1;
    if (!window.WaitForFinish(timeoutMs))
        return -1;
    return NowMs() - begun;
}

// A benchmark's main: `prepare` sets the radio up before it is found, then
// `measure` prints the figures. The process's exit code.
inline int RunBenchmark(const std::function<bool(CSimulatedTransceiver&, CMachineTestWindow&)>& measure,
                        const std::function<void(CSimulatedTransceiver&)>& prepare = nullptr)
{
    CoInitialize(nullptr);
    int code = 1;
    {
        CSimulatedTransceiver radio;
        CMachineTestWindow window;
        if (radio.Start()) {
            if (prepare)
                prepare(radio);
            GetModel().Port.Set(radio.PortName());
            if (FindRadio(window) && measure(radio, window))
                code = 0;
        }
        GetModel().SetActiveMachine(nullptr);
        GetModel().ClosePort();
    }
    CoUninitialize();
    return code;
}
