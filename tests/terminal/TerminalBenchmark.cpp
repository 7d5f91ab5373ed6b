// Figures of the Terminal tab against the simulated transceiver: how soon a
// key reaches the radio's keyer, how soon Esc ends a transmission, and what
// the page costs while it only polls.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "MainFrame.h"
#include "MessageLoop.h"
#include "MessagePump.h"
#include "SimulatedTransceiver.h"
#include "TerminalModeFilter.h"
#include "resource.h"

namespace {

double Milliseconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMilliseconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// One figure a line, as scripts/bench.sh reads them.
void PrintFigure(const char* name, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    double total = 0;
    for (const double sample : samples)
        total += sample;
    printf("%s mean: %.1f ms\n", name, total / samples.size());
    printf("%s median: %.1f ms\n", name, samples[samples.size() / 2]);
    printf("%s worst: %.1f ms\n", name, samples.back());
}

void WriteSetting(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    RegSetValueExW(GetModel().AppKey().Key(), name, 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"RICHED20.DLL");

    CSimulatedTransceiver radio;
    if (!radio.Start())
        return 1;
    radio.SetKeyerPace(1);
    const std::wstring port = radio.PortName();
    WriteSetting(L"Port", REG_SZ, port.c_str(), static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    const DWORD terminalTab = CTabView::TAB_TERMINAL, timeout = 60000;
    WriteSetting(L"ActivePage", REG_DWORD, &terminalTab, sizeof terminalTab);
    WriteSetting(L"TerminalActivityTimeout", REG_DWORD, &timeout, sizeof timeout);
    const BYTE rtty = TERMINAL_MODE_RTTY;
    WriteSetting(L"TerminalMode", REG_BINARY, &rtty, 1);

    CModel& model = GetModel();
    CMessageLoop loop;
    CMainFrame frame;
    frame.CreateMainFrame();
    ShowWindow(frame.Handle(), SW_SHOW);
    const auto page = [&] {
        const auto window = reinterpret_cast<HWND>(
            SendMessageW(frame.TabView().Handle(), PSM_INDEXTOHWND, CTabView::TAB_TERMINAL, 0));
        return static_cast<CTerminalPage*>(CWindow::FromHandle(window));
    };
    if (!PumpUntil([&] { return page() && page()->IsEnabled() && model.IsIdle(); }, 20000)) {
        printf("the radio was not found\n");
        return 1;
    }
    const HWND pageWindow = page()->Handle();
    const HWND pane = page()->TransmitPane();
    const auto click = [&](int id) {
        SendMessageW(pageWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(pageWindow, id)));
    };

    // A key typed while transmitting, to the "KY" command at the radio.
    click(IDC_TRANSMIT);
    std::vector<double> keyToKeyer;
    for (int i = 0; i < 20; ++i) {
        const size_t before = radio.CountCommand("KY ");
        const double start = Milliseconds();
        SendMessageW(pane, WM_CHAR, L'E', 1);
        PumpUntil([&] { return radio.CountCommand("KY ") > before; }, 2000);
        keyToKeyer.push_back(Milliseconds() - start);
        PumpUntil([&] { return page()->Poller().Pending().empty(); }, 2000);
    }
    PrintFigure("key to first KY", keyToKeyer);

    // Esc right after the radio has sent everything, to "KY \x04;" at the radio.
    std::vector<double> escToStop;
    for (int i = 0; i < 10; ++i) {
        if (!page()->IsTransmitting())
            click(IDC_TRANSMIT);
        SendMessageW(pane, WM_CHAR, L'E', 1);
        PumpUntil([&] { return page()->Poller().Pending().empty() && page()->Poller().RadioBufferCount() == 0; },
                  2000);
        const size_t before = radio.CountCommand("KY \x04;");
        const double start = Milliseconds();
        SendMessageW(pane, WM_KEYDOWN, VK_ESCAPE, 1);
        PumpUntil([&] { return radio.CountCommand("KY \x04;") > before; }, 2000);
        escToStop.push_back(Milliseconds() - start);
    }
    PrintFigure("Esc to end of transmission", escToStop);

    // Idle on the page: the poll slows towards one a second.
    PumpFor(20000);
    const size_t pollsBefore = radio.CountCommand("TB;");
    const double cpuBefore = ProcessCpuMilliseconds();
    const double start = Milliseconds();
    PumpFor(30000);
    const double elapsed = Milliseconds() - start;
    const double polls = static_cast<double>(radio.CountCommand("TB;") - pollsBefore);
    printf("idle polls: %.1f per minute\n", polls * 60000.0 / elapsed);
    printf("idle CPU on the Terminal tab: %.2f %% of one core\n",
           100.0 * (ProcessCpuMilliseconds() - cpuBefore) / elapsed);

    // The same wait on the Port tab, for comparison: what the rest costs.
    frame.TabView().SetCurrentIndex(CTabView::TAB_PORT);
    PumpFor(1000);
    const double portCpuBefore = ProcessCpuMilliseconds();
    const double portStart = Milliseconds();
    PumpFor(15000);
    printf("idle CPU on the Port tab: %.2f %% of one core\n",
           100.0 * (ProcessCpuMilliseconds() - portCpuBefore) / (Milliseconds() - portStart));

    SendMessageW(frame.Handle(), WM_CLOSE, 0, 0);
    CoUninitialize();
    return 0;
}
