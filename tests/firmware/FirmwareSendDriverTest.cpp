#include "FirmwareSendDriver.h"
#include "MachineFixture.h"
#include "TempFolder.h"

namespace {

// Runs no dialogs: notes each load and each speed switch as a line.
class CRecordingDriver : public CFirmwareSendDriver {
public:
    using CFirmwareSendDriver::CFirmwareSendDriver;

    std::vector<std::string> events;
    FirmwareFileKind failing = kFirmwareKindCount;
    std::wstring dataTable;

protected:
    bool HasLoader(FirmwareFileKind) override { return true; }
    bool RunLoader(const LoadRequest& request) override
    {
        static const char* const kNames[] = {"MCU", "DSP1", "FPF", "DSP2"};
        events.push_back(kNames[request.kind]);
        if (request.kind == kFirmwareDsp1 || request.kind == kFirmwareDsp2)
            dataTable = request.dataTable;
        return request.kind != failing;
    }
    void SwitchSpeed(DWORD baud) override
    {
        const DWORD before = GetModel().GetPortSpeed();
        CFirmwareSendDriver::SwitchSpeed(baud);
        if (GetModel().GetPortSpeed() != before)
            events.push_back("speed " + std::to_string(GetModel().GetPortSpeed()));
    }
    void RestartContact() override { events.push_back("contact"); }
    void Status(const std::wstring& text) override { status.push_back(text); }

public:
    std::vector<std::wstring> status;
};

struct SendCase {
    const char* name;
    SendMode mode;
    unsigned long advanced;
    DWORD checkboxes;
    unsigned short installedMcu;
    unsigned short installedFpf;
    SubRxFlag secondReceiver;
    unsigned long fixedSpeed;
    FirmwareFileKind failing;
    std::vector<std::string> events;
    std::vector<std::string> bauds;  // speed commands the radio received
};

constexpr DWORD kAll = LOAD_MCU | LOAD_DSP1 | LOAD_FPF | LOAD_DSP2;
const auto kNone = kFirmwareKindCount;

class FirmwareSendDriverTest : public MachineTest {
protected:
    FirmwareSendDriverTest()
    {
        for (const wchar_t* name : {L"hmcu0460.hex", L"hdsp0240.hex", L"haux0240.hex", L"hfpf0132.hex",
                                    L"tboot0100.hex", L"dtbl0100.hex"})
            folder.Write(name, "");
        files.Scan(folder.Path());
        CModel& model = GetModel();
        model.FirmwareVersion.Set(VERSION_DSP1, 240);
        model.FirmwareVersion.Set(VERSION_DSP2, 240);
        model.ConnectionStatus.Set(FIRMWARE_STATUS_RUNNING);
        model.AdvancedMode.Set(0);
        peer.SetSpeed(9600);
        peer.radioSpeed = 9600;
    }
    ~FirmwareSendDriverTest() override
    {
        GetModel().AdvancedMode.Set(0);
        GetModel().SecondReceiver = SUBRX_UNKNOWN;
    }

    std::vector<std::string> Bauds() const
    {
        std::vector<std::string> bauds;
        for (const std::string& command : peer.CommandTexts()) {
            if (command.compare(0, 2, "BR") == 0)
                bauds.push_back(command);
        }
        return bauds;
    }

    CTempFolder folder;
    CFirmwareFileSet files;
};

}  // namespace

TEST_F(FirmwareSendDriverTest, DecidesWhichLoadersRunInWhatOrderAndAtWhatSpeed)
{
    using V = std::vector<std::string>;
    const V all{"MCU", "speed 38400", "FPF", "DSP1", "DSP2", "speed 9600", "contact"};
    const SendCase cases[] = {
        {"send all", SendMode::CheckedOrAll, 0, 0, 455, 132, SUBRX_INSTALLED, 0, kNone, all, {"BR3;", "BR1;"}},
        {"no second receiver", SendMode::CheckedOrAll, 0, 0, 455, 132, SUBRX_NOT_INSTALLED, 0, kNone,
         {"MCU", "speed 38400", "FPF", "DSP1", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"fixed speed", SendMode::CheckedOrAll, 0, 0, 455, 132, SUBRX_INSTALLED, 9600, kNone,
         {"MCU", "FPF", "DSP1", "DSP2"}, {}},
        {"MCU too old for the FPF", SendMode::CheckedOrAll, 0, 0, 178, 132, SUBRX_INSTALLED, 0, kNone,
         {"MCU", "speed 38400", "DSP1", "DSP2", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"nothing newer", SendMode::NewOnly, 0, 0, 460, 132, SUBRX_INSTALLED, 0, kNone, {}, {}},
        {"only the MCU newer", SendMode::NewOnly, 0, 0, 455, 132, SUBRX_INSTALLED, 0, kNone, {"MCU"}, {}},
        {"a radio left loading counts as empty", SendMode::NewOnly, 0, 0, VERSION_LOADING, 132, SUBRX_INSTALLED, 0,
         kNone, {"MCU"}, {}},
        {"FPF not applicable loads in both modes", SendMode::NewOnly, 0, 0, 460, VERSION_NOT_APPLICABLE,
         SUBRX_INSTALLED, 0, kNone, {"speed 38400", "FPF", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"FPF not applicable, unchecked", SendMode::CheckedOrAll, 1, LOAD_DSP1, 460, VERSION_NOT_APPLICABLE,
         SUBRX_INSTALLED, 0, kNone, {"speed 38400", "FPF", "DSP1", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"checked items only", SendMode::CheckedOrAll, 1, LOAD_DSP2, 455, 132, SUBRX_NOT_INSTALLED, 0, kNone,
         {"speed 38400", "DSP2", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"MCU failure ends the chain", SendMode::CheckedOrAll, 0, 0, 455, 132, SUBRX_INSTALLED, 0, kFirmwareMcu,
         {"MCU"}, {}},
        {"FPF failure ends the chain", SendMode::CheckedOrAll, 1, kAll, 455, 132, SUBRX_INSTALLED, 0, kFirmwareFpf,
         {"MCU", "speed 38400", "FPF", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"DSP1 failure ends the chain", SendMode::CheckedOrAll, 1, kAll, 455, 132, SUBRX_INSTALLED, 0,
         kFirmwareDsp1, {"MCU", "speed 38400", "FPF", "DSP1", "speed 9600", "contact"}, {"BR3;", "BR1;"}},
        {"DSP2 failure ends nothing", SendMode::CheckedOrAll, 0, 0, 455, 132, SUBRX_INSTALLED, 0, kFirmwareDsp2,
         all, {"BR3;", "BR1;"}},
    };
    CModel& model = GetModel();
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.name);
        peer.SetSpeed(9600);
        peer.radioSpeed = 9600;
        model.FirmwareVersion.Set(VERSION_MCU, c.installedMcu);
        model.FirmwareVersion.Set(VERSION_FPF, c.installedFpf);
        model.AdvancedMode.Set(c.advanced);
        model.SecondReceiver = c.secondReceiver;
        model.FixedSerialSpeed.Set(c.fixedSpeed);
        const size_t commandsBefore = peer.CommandTexts().size();
        CRecordingDriver driver({files, c.checkboxes});
        driver.failing = c.failing;
        driver.Run(c.mode);
        EXPECT_EQ(driver.events, c.events);
        std::vector<std::string> bauds;
        const auto commands = peer.CommandTexts();
        for (size_t i = commandsBefore; i < commands.size(); ++i)
            bauds.push_back(commands[i]);
        EXPECT_EQ(bauds, c.bauds);
        EXPECT_EQ(driver.status.front(), L"Sending firmware from " + model.FirmwareFolder.Get());
        EXPECT_EQ(driver.status.back(), L"Elapsed time: 0 seconds");
        EXPECT_EQ(model.GetPortSpeed(), 9600u);
    }
}

TEST_F(FirmwareSendDriverTest, TooOldMcuFileIsSkippedAndTablesFollowTheCheckbox)
{
    CModel& model = GetModel();
    model.FirmwareVersion.Set(VERSION_MCU, 455);
    model.FirmwareVersion.Set(VERSION_FPF, 132);
    model.SecondReceiver = SUBRX_NOT_INSTALLED;
    model.FixedSerialSpeed.Set(9600);
    CTempFolder old;
    for (const wchar_t* name : {L"hmcu0136.hex", L"hdsp0240.hex", L"tboot0100.hex", L"dtbl0100.hex"})
        old.Write(name, "");
    CFirmwareFileSet oldFiles;
    oldFiles.Scan(old.Path());

    const struct {
        unsigned long advanced;
        DWORD checkboxes;
        bool table;
    } cases[] = {{0, 0, true}, {1, LOAD_DSP1, true}, {0x21, LOAD_DSP1, false}, {0x21, LOAD_DSP1 | LOAD_DATA_TABLES, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.advanced);
        model.AdvancedMode.Set(c.advanced);
        CRecordingDriver driver({oldFiles, c.checkboxes});
        driver.Run(SendMode::CheckedOrAll);
        EXPECT_EQ(driver.events, std::vector<std::string>{"DSP1"});
        EXPECT_EQ(driver.dataTable.empty(), !c.table);
        EXPECT_NE(std::find(driver.status.begin(), driver.status.end(),
                            L"Unable to load Q7 firmware versions earlier than 01.37"),
                  driver.status.end());
    }
}
