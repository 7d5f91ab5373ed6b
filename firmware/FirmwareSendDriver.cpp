#include "FirmwareSendDriver.h"

#include "ContactStateMachine.h"
#include "TextSinks.h"
#include "resource.h"

namespace {

bool DspApplies()
{
    return GetModel().Contact().m_q7Zero == 0;
}

bool HasSecondReceiver()
{
    return GetModel().SecondReceiver == SUBRX_INSTALLED;
}

bool FpfApplies(const CFirmwareFileSet& files)
{
    return InstalledVersion(VERSION_MCU) >= MCU_FPF_VERSION && !files.GetPath(kFirmwareFpf).empty();
}

}  // namespace

unsigned short InstalledVersion(unsigned index)
{
    const unsigned short version = GetModel().FirmwareVersion.Get(index);
    return version == VERSION_LOADING ? VERSION_UNREAD : version;
}

bool IsBoxEnabled(const SendContext& context, FirmwareFileKind kind)
{
    const CFirmwareFileSet& files = context.files;
    switch (kind) {
    case kFirmwareMcu:
        return files.IsMcuValid();
    case kFirmwareFpf:
        return FpfApplies(files);
    case kFirmwareDsp1:
        return files.IsDsp1Valid() && DspApplies();
    case kFirmwareDsp2:
        return files.IsDsp2Valid() && DspApplies();
    default:
        return false;
    }
}

bool IsNewerAvailable(const SendContext& context)
{
    const CFirmwareFileSet& files = context.files;
    if (InstalledVersion(VERSION_MCU) < files.GetVersion(kFirmwareMcu))
        return true;
    if (FpfApplies(files)) {
        const unsigned short fpf = InstalledVersion(VERSION_FPF);
        if (fpf == VERSION_NOT_APPLICABLE || fpf < files.GetVersion(kFirmwareFpf))
            return true;
    }
    if (files.IsDsp1Valid() && DspApplies() && InstalledVersion(VERSION_DSP1) < files.GetVersion(kFirmwareDsp1))
        return true;
    const unsigned short dsp2 = InstalledVersion(VERSION_DSP2);
    return files.IsDsp2Valid() && DspApplies() && HasSecondReceiver() && dsp2 != VERSION_NOT_APPLICABLE &&
           dsp2 < files.GetVersion(kFirmwareDsp2);
}

bool CanSend(const SendContext& context)
{
    CModel& model = GetModel();
    return model.ConnectionStatus.Get() != FIRMWARE_STATUS_UNKNOWN && context.files.HasRequiredFiles() &&
           model.IsQ7Device();
}

bool CFirmwareSendDriver::Wants(SendMode mode, FirmwareFileKind kind, DWORD bit)
{
    if (mode == SendMode::NewOnly) {
        static const unsigned kIndex[] = {VERSION_MCU, VERSION_DSP1, VERSION_FPF, VERSION_DSP2};
        return m_context.files.GetVersion(kind) > InstalledVersion(kIndex[kind]);
    }
    return GetModel().AdvancedMode.Get() == 0 || (IsBoxEnabled(m_context, kind) && (m_context.loadCheckbox & bit));
}

bool CFirmwareSendDriver::Load(const LoadRequest& request, bool atLoadSpeed)
{
    if (!HasLoader(request.kind))
        return true;
    // With a fixed speed the whole send runs at that speed.
    if (atLoadSpeed && GetModel().FixedSerialSpeed.Get() == 0)
        SwitchSpeed(LOAD_SPEED);
    return RunLoader(request);
}

void CFirmwareSendDriver::Run(SendMode mode)
{
    CModel& model = GetModel();
    const CFirmwareFileSet& files = m_context.files;
    const DWORD start = GetTickCount();
    DWORD savedSpeed = model.GetPortSpeed();
    Status(FormatText(IDS_SENDING_FIRMWARE_FROM, model.FirmwareFolder.Get().c_str()));
    const FirmwareStatusEnum statusAtStart = model.ConnectionStatus.Get();
    const bool advanced = model.AdvancedMode.Get() != 0;

    bool ok = true;
    if (files.IsMcuValid()) {
        if (files.GetVersion(kFirmwareMcu) < MCU_OLDEST_LOADABLE) {
            Status(FormatText(IDS_MCU_FILE_TOO_OLD, MCU_OLDEST_LOADABLE / 100u, MCU_OLDEST_LOADABLE % 100u));
        } else if (Wants(mode, kFirmwareMcu, LOAD_MCU)) {
            ok = Load({kFirmwareMcu, files.GetPath(kFirmwareMcu), files.GetCompanionPath(), {}, {}}, false);
            // A radio found in its boot loader runs at the speed the load left it.
            if (ok && statusAtStart == FIRMWARE_STATUS_BOOT_LOADER)
                savedSpeed = model.GetPortSpeed();
        }
    }
    if (ok && FpfApplies(files)) {
        if (InstalledVersion(VERSION_FPF) == VERSION_NOT_APPLICABLE || Wants(mode, kFirmwareFpf, LOAD_FPF))
            ok = Load({kFirmwareFpf, files.GetPath(kFirmwareFpf), {}, {}, {}}, true);
    }
    const bool tables =
        !(model.AdvancedMode.Get() & ADVANCED_DATA_TABLES) || (m_context.loadCheckbox & LOAD_DATA_TABLES);
    const std::wstring dataTable = tables ? files.GetPath(kFirmwareDataTable) : std::wstring();
    if (ok && files.IsDsp1Valid() && DspApplies() && Wants(mode, kFirmwareDsp1, LOAD_DSP1)) {
        ok = Load({kFirmwareDsp1, files.GetPath(kFirmwareDsp1), {}, files.GetPath(kFirmwareTinyBoot), dataTable},
                  true);
    }
    if (ok && files.IsDsp2Valid() && DspApplies()) {
        const bool wanted = mode == SendMode::NewOnly ? HasSecondReceiver() && Wants(mode, kFirmwareDsp2, LOAD_DSP2)
                            : advanced               ? Wants(mode, kFirmwareDsp2, LOAD_DSP2)
                                                     : HasSecondReceiver();
        // Its result ends nothing: it is the last.
        if (wanted)
            Load({kFirmwareDsp2, files.GetPath(kFirmwareDsp2), {}, files.GetPath(kFirmwareTinyBoot), dataTable}, true);
    }

    Status(FormatText(IDS_ELAPSED_TIME, static_cast<unsigned>((GetTickCount() - start + 500) / 1000)));
    if (model.GetPortSpeed() != savedSpeed) {
        SwitchSpeed(savedSpeed);
        RestartContact();
    }
}

void CFirmwareSendDriver::SwitchSpeed(DWORD baud)
{
    CModel& model = GetModel();
    if (baud == 0 || baud == model.GetPortSpeed())
        return;
    model.SendBaudRateCommand(baud);
    model.SetPortSpeed(baud);
    model.PortSpeed.SendToListeners(0, 0);
}

void CFirmwareSendDriver::RestartContact()
{
    CContactStateMachine& contact = GetModel().Contact();
    if (!contact.StartAtOpenPort())
        contact.Restart(contact.m_openPort);
}

void CFirmwareSendDriver::Status(const std::wstring& text)
{
    SendStatusText(GetModel().MainWindow(), text);
}
