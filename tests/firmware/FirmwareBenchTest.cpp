// The Firmware page at the bench of scripts/run.sh: the simulated firmware
// files in the program's folder, the simulated radio told to take them as
// run.sh tells it, and the cable and the radio's power worked with the bench
// script (scripts/radio.sh).
#include "ShellFixture.h"

#include "BenchFirmware.h"
#include "ContactStateMachine.h"
#include "FirmwareFileSet.h"
#include "SimulatedTransceiver.h"
#include "TabView.h"
#include "TempFolder.h"
#include "resource.h"

namespace {

const wchar_t kDialogCaption[] = L"Sending Q7 Firmware";

class FirmwareBenchTest : public ShellTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start(true));
        ASSERT_TRUE(WriteBenchFirmware(folder.Path()));
        CFirmwareFileSet files;
        files.Scan(folder.Path());
        for (const SAfterLoad& load : AfterLoads(files))
            radio.Control(load.request);
        WriteSetting(L"FirmwareFolder", folder.Path());
        ASSERT_TRUE(OpenFrameOnRadio(radio.PortName(), CTabView::TAB_FIRMWARE));
        page = Page(CTabView::TAB_FIRMWARE);
    }

    // Returns once the send is over.
    void Click(int id)
    {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    std::vector<std::wstring> Versions(std::initializer_list<int> ids)
    {
        std::vector<std::wstring> texts;
        for (int id : ids)
            texts.push_back(GetWindowString(GetDlgItem(page, id)));
        return texts;
    }

    unsigned PacketsTaken() { return static_cast<unsigned>(std::stoul(radio.Loader("summary"))); }

    CSimulatedTransceiver radio;
    CTempFolder folder;
    HWND page = nullptr;
};

}  // namespace

// The cable pulled in the middle of the MCU's download leaves the radio's
// boot loader taking every poll as packet bytes; once the power has been off
// and on, it waits for the download again, and the same button sends every
// file and shows each version installed.
TEST_F(FirmwareBenchTest, SendNewFirmwareAgainAfterAPulledCableAndThePowerOffAndOn)
{
    const std::vector<std::wstring> bench{L"04.62", L"02.41", L"01.33", L"02.41"};
    EXPECT_EQ(Versions({IDC_AVAILABLE_MCU, IDC_AVAILABLE_DSP1, IDC_AVAILABLE_FPF, IDC_AVAILABLE_DSP2}), bench);
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_NEW)));
    // Newer firmware brings up its release notes, which say what these files are.
    const HWND notes = FindWindowW(nullptr, L"Firmware Release Notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_NE(GetWindowString(GetDlgItem(notes, IDC_RICH_EDIT)).find(L"never send them to a real Q7"),
              std::wstring::npos);
    SendMessageW(notes, WM_COMMAND, IDCANCEL, 0);

    std::wstring cutLog;
    bool unplugged = false;
    boxes.OnDialog(kDialogCaption, [&](HWND dialog) {
        if (!unplugged && PacketsTaken() >= 20) {
            unplugged = true;
            EXPECT_EQ(radio.Bench("unplug"), "");
        }
        if (GetWindowString(GetDlgItem(dialog, IDCANCEL)) != L"Close")
            return false;
        cutLog = GetWindowString(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    Click(IDC_SEND_NEW);
    ASSERT_TRUE(unplugged);
    EXPECT_NE(cutLog.find(L"Q7 has no complete firmware; remove power and send the firmware again"),
              std::wstring::npos)
        << cutLog;

    EXPECT_EQ(radio.Bench("plug"), "");
    EXPECT_EQ(radio.Bench("power off"), "");
    EXPECT_EQ(radio.Bench("power on"), "");
    Click(IDC_CHECK_VERSIONS);
    ASSERT_TRUE(PumpUntil(
        [&] { return model.Contact().IsIdle() && model.ConnectionStatus.Get() == FIRMWARE_STATUS_BOOT_LOADER; },
        20000));

    radio.ClearLog();
    Click(IDC_SEND_NEW);
    EXPECT_EQ(radio.CountCommand("LDM;"), 0u) << "the boot loader was waiting";
    ASSERT_TRUE(PumpUntil(
        [&] { return model.Contact().IsIdle() && model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING; }, 20000));
    EXPECT_EQ(Versions({IDC_INSTALLED_MCU, IDC_INSTALLED_DSP1, IDC_INSTALLED_FPF, IDC_INSTALLED_DSP2}), bench);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SEND_NEW))) << "nothing newer is left";
    const std::wstring log = FirmwareLog();
    for (const wchar_t* line : {L"MCU firmware load is complete", L"FPF firmware load is complete",
                                L"DSP1 firmware load is complete", L"DSP2 firmware load is complete"})
        EXPECT_NE(log.find(line), std::wstring::npos) << std::wstring(line);
}

// Before a real radio is used, the simulated files go, and only they: a file
// of the same name with other bytes is someone else's.
TEST(BenchFirmware, RemovesItsOwnFilesAndNoOther)
{
    CTempFolder folder;
    ASSERT_TRUE(WriteBenchFirmware(folder.Path()));
    const std::vector<SBenchFile> files = BenchFirmwareFiles();
    const SBenchFile& changed = files.front();
    folder.Write(changed.name, changed.content + ":00000001FF\r\n");
    folder.Write(L"hdsp0300.hex", files[2].content);

    EXPECT_EQ(RemoveBenchFirmware(folder.Path()), files.size() - 1);
    CFirmwareFileSet left;
    left.Scan(folder.Path());
    EXPECT_EQ(left.GetPath(kFirmwareMcu), folder.File(changed.name));
    EXPECT_EQ(left.GetVersion(kFirmwareDsp1), 300u);
    EXPECT_TRUE(left.GetCompanionPath().empty());
    EXPECT_FALSE(left.HasNotes());
}
