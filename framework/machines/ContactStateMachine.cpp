#include "ContactStateMachine.h"

#include "resource.h"

namespace {

using Identity = CContactStateMachine::Identity;

// Searched in order; the first id found anywhere in the reply wins.
const Identity kDeviceIdentifyTable[] = {
    {DEVICE_MV9, FIRMWARE_STATUS_BOOT_LOADER, L"MV9"},
    {DEVICE_MV8, FIRMWARE_STATUS_BOOT_LOADER, L"MV8"},
    {DEVICE_ZRB4400, FIRMWARE_STATUS_RUNNING, L"ZRB4400"},
    {DEVICE_ZRB4400, FIRMWARE_STATUS_BOOT_LOADER, L"zrb4400"},
    {DEVICE_TRV770, FIRMWARE_STATUS_BOOT_LOADER, L"TRV770"},
    {DEVICE_WLT330, FIRMWARE_STATUS_RUNNING, L"WLT330"},
    {DEVICE_WLT330, FIRMWARE_STATUS_BOOT_LOADER, L"wlt330"},
    {DEVICE_N8, FIRMWARE_STATUS_RUNNING, L"N8"},
    {DEVICE_N8, FIRMWARE_STATUS_BOOT_LOADER, L"n8"},
    {DEVICE_NZ6, FIRMWARE_STATUS_RUNNING, L"NZ6"},
    {DEVICE_NZ6, FIRMWARE_STATUS_BOOT_LOADER, L"nz6"},
    {DEVICE_HBX2800, FIRMWARE_STATUS_RUNNING, L"HBX2800"},
    {DEVICE_HBX2800, FIRMWARE_STATUS_BOOT_LOADER, L"hbx2800"},
    {DEVICE_Q7, FIRMWARE_STATUS_BOOT_LOADER, L"Q7A"},
    {DEVICE_Q7, FIRMWARE_STATUS_BOOT_LOADER, L"Q7B"},
    {DEVICE_LD6, FIRMWARE_STATUS_BOOT_LOADER, L"ld6"},
    {DEVICE_LD6, FIRMWARE_STATUS_RUNNING, L"LD6"},
    {DEVICE_UNKNOWN, FIRMWARE_STATUS_BOOT_LOADER, L"I;"},
};

constexpr UINT kVersionMs = 500;

}  // namespace

CContactStateMachine::CContactStateMachine()
    : CStateHost(TIMER_CONTACT),
      m_restoreQ7(this, L"RestoreQ7", &m_final),
      m_getDvrVersion(this, L"GetDvrVersion", &m_restoreQ7, L"RVR;", VERSION_DVR, E_NO_RESPONSE_RVR),
      m_getDsp2Version(this, L"GetDsp2Version", &m_getDvrVersion, L"RVA;", VERSION_DSP2, E_NO_RESPONSE_RVA),
      m_getDsp1Version(this, L"GetDsp1Version", &m_getDsp2Version, L"RVD;", VERSION_DSP1, E_NO_RESPONSE_RVD),
      m_readQ7Zero(this, &m_getDsp1Version),
      m_getFpfVersion(this, L"GetFpfVersion", &m_readQ7Zero, L"RVF;", VERSION_FPF, E_NO_RESPONSE_RVF),
      m_getSubRXInstall(this, &m_getFpfVersion),
      m_readQ7SerialNumber(this, &m_getSubRXInstall),
      m_setQ7Hidden(this, L"SetQ7Hidden", &m_readQ7SerialNumber),
      m_getOptionModule(this, L"GetOptionModule", &m_setQ7Hidden),
      m_getMcuVersion(this, &m_getOptionModule),
      m_textTerminalOff(this, L"TextTerminalOff", &m_getMcuVersion),
      m_identify(this, &m_textTerminalOff),
      m_findSpeedLoop(this, L"FindSpeedLoop", &m_identify),
      m_openPort(this, L"OpenPort", &m_findSpeedLoop),
      m_findSpeed(this, L"FindSpeed", &m_identify)
{
}

const Identity* CContactStateMachine::Identify(const std::wstring& reply)
{
    for (const Identity& row : kDeviceIdentifyTable) {
        if (reply.find(row.id) != std::wstring::npos)
            return &row;
    }
    return nullptr;
}

void CContactStateMachine::OnFinished()
{
    CModel& model = GetModel();
    if (m_result < 0) {
        TraceToMainWindow(model.MainWindow(), L"Contact failed 0x%x %s\n", static_cast<unsigned>(m_result),
                          FormatErrorText(m_result).c_str());
        if (m_result == E_UNEXPECTED_DEVICE)
            ShowErrorBox(model.MainWindow(), IDS_UNEXPECTED_DEVICE_CAPTION, IDS_UNEXPECTED_DEVICE, kDeviceWord);
        else
            m_connectionStatus = FIRMWARE_STATUS_UNKNOWN;
    }
    // A port that went away meanwhile took the facts with it (the model reset
    // them): the status from the start must not bring a radio back.
    if (!model.IsLinkOpen())
        m_connectionStatus = FIRMWARE_STATUS_UNKNOWN;
    model.ConnectionStatus.Set(static_cast<FirmwareStatusEnum>(m_connectionStatus));
    CStateHost2::OnFinished();
}

void CContactStateMachine::COpenPortState::Enter()
{
    CModel& model = GetModel();
    if (model.IsLinkOpen()) {
        GoNext();
        return;
    }
    const std::wstring name = model.Port.Get();
    if (name.empty()) {
        Complete(E_SERIAL_PORT_NAME_MISSING);
        return;
    }
    m_host->Report(IDS_OPENING_PORT, name.c_str());
    const DWORD error = model.SerialPort().Open(name.c_str(), true);
    if (error == 0) {
        model.PortState.Set(0);
        m_host->Report(IDS_PORT_OPEN, name.c_str());
        model.PortSpeed.Set(38400);
        Complete(0);
        return;
    }
    model.PortState.Set(-1);
    if (error == ERROR_ACCESS_DENIED)
        m_host->Report(IDS_PORT_ACCESS_DENIED, name.c_str());
    else
        m_host->Report(IDS_PORT_OPEN_FAILED, name.c_str(), error, FormatErrorText(error).c_str());
    Complete(static_cast<HRESULT>(error));
}

CContactStateMachine::CIdentifyState::CIdentifyState(CContactStateMachine* host, State* next)
    : CCommandOptionalResponseState(host, L"Identify", next, L"I;", 200)
{
}

BOOL CContactStateMachine::CIdentifyState::IsMatch()
{
    const Identity* row = Identify(m_host->m_receiveBuffer);
    m_host->m_connectionStatus = row ? row->status : FIRMWARE_STATUS_UNKNOWN;
    GetModel().DeviceKind.Set(row ? row->kind : DEVICE_UNKNOWN);
    return TRUE;
}

void CContactStateMachine::CIdentifyState::OnTimeout()
{
    // A running radio may not answer "I;": it is taken for a Q7 of unknown kind.
    m_host->m_connectionStatus = FIRMWARE_STATUS_UNKNOWN;
    GetModel().DeviceKind.Set(DEVICE_UNKNOWN);
    GoNext();
}

void CContactStateMachine::CIdentifyState::GoNext()
{
    CModel& model = GetModel();
    if (!model.IsQ7Device()) {
        model.DeviceKind.Set(DEVICE_UNKNOWN);
        if (m_host->m_result >= 0)
            m_host->m_result = E_UNEXPECTED_DEVICE;
        GoFinal();
    } else if (m_host->m_connectionStatus == FIRMWARE_STATUS_BOOT_LOADER) {
        GoFinal();  // waiting for a firmware load: nothing more to read
    } else {
        CCommandOptionalResponseState::GoNext();
    }
}

CContactStateMachine::CGetVersionState::CGetVersionState(CContactStateMachine* host, const wchar_t* name,
                                                         State* next, const wchar_t* command, unsigned index,
                                                         HRESULT errorCode)
    : CCommandResponseRetryState(host, name, next, command, kVersionMs, errorCode), m_index(index)
{
}

BOOL CContactStateMachine::CGetVersionState::IsMatch()
{
    return m_host->ParseVersionReply(m_prefix, m_index);
}

CContactStateMachine::CGetMcuVersionState::CGetMcuVersionState(CContactStateMachine* host, State* next)
    : CGetVersionState(host, L"GetMcuVersion", next, L"RVM;", VERSION_MCU, E_NO_RESPONSE_FIRMWARE_VERSION)
{
}

void CContactStateMachine::CGetMcuVersionState::Process()
{
    m_host->m_connectionStatus = FIRMWARE_STATUS_RUNNING;
    GoNext();
}

CContactStateMachine::CReadQ7SerialNumberState::CReadQ7SerialNumberState(CContactStateMachine* host, State* next)
    : CReadPicPromState(host, L"ReadQ7SerialNumber", next, GetSerialNumberAddress(), 2)
{
}

void CContactStateMachine::CReadQ7SerialNumberState::Process()
{
    GetModel().SerialNumber.Set(static_cast<unsigned short>(Data()[0] << 8 | Data()[1]));
    GoNext();
}

CContactStateMachine::CGetSubRXInstallState::CGetSubRXInstallState(CContactStateMachine* host, State* next)
    : CReadPicPromState(host, L"GetSubRXInstall", next, GetSubRXInstallAddress(), 1)
{
}

void CContactStateMachine::CGetSubRXInstallState::Enter()
{
    // The "OM;" reply already told whether the second receiver is there.
    if (!GetModel().OptionModuleReply().empty())
        GoNext();
    else
        CReadPicPromState::Enter();
}

void CContactStateMachine::CGetSubRXInstallState::Process()
{
    GetModel().SecondReceiver = (Data()[0] & 0x08) ? SUBRX_INSTALLED : SUBRX_NOT_INSTALLED;
    GoNext();
}

CContactStateMachine::CReadQ7ZeroState::CReadQ7ZeroState(CContactStateMachine* host, State* next)
    : CReadPicPromState(host, L"ReadQ7Zero", next, GetQ7ZeroAddress(), 1)
{
}

void CContactStateMachine::CReadQ7ZeroState::Process()
{
    m_host->m_q7Zero = Data()[0] == 1;
    GoNext();
}

void CContactStateMachine::CReadQ7ZeroState::GoNext()
{
    if (!m_host->m_q7Zero) {
        CReadPicPromState::GoNext();
        return;
    }
    CModel& model = GetModel();
    for (unsigned index : {VERSION_DSP1, VERSION_DSP2, VERSION_DVR})
        model.FirmwareVersion.Set(index, VERSION_NOT_APPLICABLE);
    m_host->Transition(m_host->m_restoreQ7);
}
