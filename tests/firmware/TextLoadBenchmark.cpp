// DSP (with data table) and front-panel-flash loads into the simulated
// transceiver at 38400 bit/s against the wire time of the bytes exchanged
// plus the waits each load must make; then a whole send (MCU, FPF, DSP1,
// DSP2) against the sum of its loads and its speed switches.
#include <windows.h>

#include <cstdlib>

#include "DspLoaderStateMachine.h"
#include "FirmwareSendDriver.h"
#include "FpfLoaderStateMachine.h"
#include "LoadBenchmark.h"
#include "LoaderFixture.h"

namespace {

// The contact run after a reset: the unanswered "I;" and the pause after "TT0;".
constexpr double kContactWaitsMs = 200 + 10;
// The N8 probe's time-out and the first poll after it.
constexpr double kN8WaitsMs = 500 + 10;

// Every byte of the log on the wire.
double LogWireMs(const std::vector<SimulatedCommand>& log)
{
    double ms = 0;
    for (const SimulatedCommand& entry : log)
        ms += WireMs(SentBytes(entry), entry.speed) + WireMs(entry.reply.size(), entry.speed);
    return ms;
}

CMachineTestWindow* g_window = nullptr;

template <typename Machine>
double RunLoad(Machine& machine)
{
    g_window->ResetFinished();
    GetModel().SetActiveMachine(&machine);
    const DWORD start = GetTickCount();
    machine.StartLoad(g_window->Handle());
    if (!g_window->WaitForFinish(300000) || g_window->Result() != 0 || machine.VerifyVersion() != 0) {
        printf("the %ls load failed: 0x%08lX\n", machine.m_name, static_cast<unsigned long>(machine.m_result));
        exit(1);
    }
    return GetTickCount() - start;
}

template <typename Machine>
void Measure(CSimulatedTransceiver& radio, Machine& machine, double waitsMs)
{
    radio.ClearLog();
    const double elapsed = RunLoad(machine);
    const double wire = LogWireMs(radio.Log());
    printf("%ls load time at 38400 bit/s: %.0f ms\n", machine.m_name, elapsed);
    printf("%ls wire time of every byte exchanged: %.1f ms\n", machine.m_name, wire);
    printf("%ls mandated waits: %.0f ms\n", machine.m_name, waitsMs);
    printf("%ls ratio load / (wire + waits): %.3f\n", machine.m_name, elapsed / (wire + waitsMs));
    printf("%ls load: %s\n", machine.m_name, MeasureLoadTurnaround(radio.Log()).Describe().c_str());
}

// The send's own decisions, each load run straight on its machine.
class CTimedDriver : public CFirmwareSendDriver {
public:
    using CFirmwareSendDriver::CFirmwareSendDriver;
    double loadsMs = 0;
    unsigned switches = 0;

protected:
    bool HasLoader(FirmwareFileKind) override { return true; }
    bool RunLoader(const LoadRequest& request) override
    {
        switch (request.kind) {
        case kFirmwareMcu: {
            CMcuLoaderStateMachine machine(L"MCU", request.path, request.companion);
            loadsMs += RunLoad(machine);
            break;
        }
        case kFirmwareFpf: {
            CFpfLoaderStateMachine machine(L"FPF", request.path);
            loadsMs += RunLoad(machine);
            break;
        }
        default: {
            CDspLoaderStateMachine machine(request.kind == kFirmwareDsp1 ? L"DSP1" : L"DSP2",
                                           request.kind == kFirmwareDsp1 ? DSP_MAIN : DSP_SECOND, request.path,
                                           request.tinyBoot, request.dataTable);
            loadsMs += RunLoad(machine);
            break;
        }
        }
        return true;
    }
    void SwitchSpeed(DWORD baud) override
    {
        switches += baud != GetModel().GetPortSpeed();
        CFirmwareSendDriver::SwitchSpeed(baud);
    }
    void RestartContact() override
    {
        g_window->ResetFinished();
        CFirmwareSendDriver::RestartContact();
        g_window->WaitForFinish(30000);
    }
};

bool MeasureAll(CSimulatedTransceiver& radio, CMachineTestWindow& window)
{
    g_window = &window;
    ShowProgressBar(window);
    CModel& model = GetModel();

    CTempFolder folder;
    const std::wstring tinyBoot = WriteWholeFile(folder, L"tboot0100.hex", RandomBytes(2000, 2));
    const std::wstring code = WriteWholeFile(folder, L"hdsp0241.hex", RandomBytes(30000, 3));
    const std::wstring table = WriteWholeFile(folder, L"dtbl0100.hex", RandomBytes(8000, 4));
    WriteWholeFile(folder, L"haux0241.hex", RandomBytes(30000, 5));
    std::array<BYTE, 16> record{};
    const std::wstring panel = WriteFrontPanelFile(folder, L"hfpf0241.hex", RandomBytes(30000, 9), record);
    WriteMcuFile(folder, L"hmcu0460.hex", 0x4000, 1);

    CDspLoaderStateMachine dsp(L"DSP1", DSP_MAIN, code, tinyBoot, table);
    Measure(radio, dsp, kN8WaitsMs + 2000 + 100 + 1000 + 5500 + kContactWaitsMs);
    CFpfLoaderStateMachine fpf(L"FPF", panel);
    Measure(radio, fpf, kN8WaitsMs + 4000 + 5500 + kContactWaitsMs);

    // The whole send from 9600 bit/s: the loads, two speed switches and the
    // contact run that finds the radio at 9600 again.
    radio.SetSpeed(9600);
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    model.FirmwareVersion.Set(VERSION_FPF, 132);
    model.SetPortSpeed(9600);
    CFirmwareFileSet files;
    files.Scan(folder.Path());
    CTimedDriver driver({files, 0});
    const DWORD start = GetTickCount();
    driver.Run(SendMode::CheckedOrAll);
    const double chain = GetTickCount() - start;
    // A switch: "BRn;" at the old speed, the 50 ms pause, the port's own change.
    const double switchMs = driver.switches * (WireMs(4, 9600) + 50);
    // The contact run that finds the radio at 9600 again belongs to the send.
    printf("whole send time from 9600 bit/s: %.0f ms\n", chain);
    printf("whole send, its loads: %.0f ms\n", driver.loadsMs);
    printf("whole send, %u speed switches: %.0f ms\n", driver.switches, switchMs);
    printf("whole send ratio / (loads + switches): %.3f\n", chain / (driver.loadsMs + switchMs));
    return true;
}

}  // namespace

int main()
{
    return RunBenchmark(MeasureAll, SetLoadedVersions);
}
