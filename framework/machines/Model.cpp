#include "Model.h"

#include "ContactStateMachine.h"
#include "Folders.h"
#include "TextOrId.h"
#include "resource.h"

namespace {

struct BaudRateCommand {
    DWORD baud;
    const wchar_t* command;
};

const BaudRateCommand kBaudRateCommands[] = {
    {4800, L"BR0;"},
    {9600, L"BR1;"},
    {19200, L"BR2;"},
    {38400, L"BR3;"},
};

constexpr DWORD kBaudRateSettleMs = 50;

}  // namespace

CModelBase::CModelBase()
    : m_contact(std::make_unique<CContactStateMachine>()), m_recontact([this] { m_contact->RestartAtFindSpeed(); })
{
    for (IPersistable* setting : std::initializer_list<IPersistable*>{
             &ActivePage, &AdvancedMode, &FirmwareFolder, &FirmwareLoadRetryLimit, &FixedSerialSpeed, &LoaderFlags,
             &Port, &Trace, &VerboseLogging})
        AddPersistable(setting);
}

CModelBase::~CModelBase() = default;

void CModelBase::ClosePort()
{
    m_port.Close();
    PortState.Set(-1);
    ResetDeviceFacts();
}

bool CModelBase::PurgeRx()
{
    return m_link ? m_link->PurgeRx() : NoticeLostPort(m_port.PurgeRx());
}

// A port call that failed because the device went away has closed the port:
// the port state and the facts about the radio follow at once, so that no
// window goes on claiming the connection.
bool CModelBase::NoticeLostPort(bool succeeded)
{
    if (succeeded || PortState.Get() != 0)
        return succeeded;
    const DWORD error = GetLastError();
    if (!m_port.IsOpen()) {
        PortState.Set(-1);
        ResetDeviceFacts();
    }
    SetLastError(error);
    return false;
}

void CModelBase::ResetDeviceFacts()
{
    for (unsigned i = 0; i < VERSION_COUNT; ++i)
        FirmwareVersion.Set(i, VERSION_UNREAD);
    SerialNumber.Set(SERIAL_NUMBER_UNKNOWN);
    ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
}

std::wstring CModelBase::DescribeConnection()
{
    return FormatText(IDS_RUNNING_CONNECTION, kDeviceWord, FormatVersion(VERSION_MCU).c_str()) +
           FormatText(IDS_ON_PORT_AT_SPEED, Port.Get().c_str(), GetPortSpeed());
}

std::wstring CModelBase::DescribeBootLoaderConnection()
{
    return FormatText(IDS_BOOT_LOADER_CONNECTION, kDeviceWord) +
           FormatText(IDS_ON_PORT_AT_SPEED, Port.Get().c_str(), GetPortSpeed());
}

bool CModelBase::IsPortOpen()
{
    return PortState.Get() == 0;
}

bool CModelBase::LoadSettings()
{
    for (IPersistable* setting : m_persistables)
        setting->Load(m_appInfo);
    if (FirmwareFolder.Get().empty())
        FirmwareFolder.Set(GetDefaultFirmwareFolder());
    return true;
}

bool CModelBase::SaveSettings()
{
    // A failing write only stops that setting; the others still save.
    for (IPersistable* setting : m_persistables)
        setting->Save(m_appInfo);
    return true;
}

bool CModelBase::WriteText(const wchar_t* text)
{
    if (!m_link)
        return NoticeLostPort(m_port.WriteText(text));
    const int length = static_cast<int>(wcslen(text));
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    return m_link->WriteBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool CModelBase::WriteBytes(const void* buffer, DWORD count)
{
    return m_link ? m_link->WriteBytes(buffer, count) : NoticeLostPort(m_port.WriteBytes(buffer, count));
}

bool CModelBase::ReadPort(void* buffer, DWORD count, DWORD* read)
{
    return m_link ? m_link->Read(buffer, count, read) : NoticeLostPort(m_port.Read(buffer, count, read));
}

std::wstring CModelBase::FormatVersion(unsigned index)
{
    if (index >= VERSION_COUNT)
        return {};
    const unsigned short value = FirmwareVersion.Get(index);
    switch (value) {
    case VERSION_UNREAD:
        return LoadResString(IDS_VERSION_UNKNOWN);
    case VERSION_LOADING:
        return LoadResString(IDS_VERSION_LOADING);
    case VERSION_NOT_APPLICABLE:
        return LoadResString(IDS_VERSION_NOT_APPLICABLE);
    default:
        return FormatText(L"%02u.%02u", value / 100u, value % 100u);
    }
}

bool CModelBase::HasVersion(unsigned index)
{
    if (index >= VERSION_COUNT)
        return false;
    const unsigned short value = FirmwareVersion.Get(index);
    return value != VERSION_UNREAD && value != VERSION_LOADING && value != VERSION_NOT_APPLICABLE;
}

bool CModelBase::IsLinkOpen()
{
    return m_link ? m_link->IsOpen() : m_port.IsOpen();
}

std::wstring CModelBase::LostPort()
{
    return IsLinkOpen() ? std::wstring() : Port.Get();
}

DWORD CModelBase::GetPortSpeed()
{
    return m_link ? m_link->GetSpeed() : m_port.GetSpeed();
}

bool CModelBase::SetPortSpeed(DWORD baud)
{
    if (!IsLinkOpen())
        return false;
    if (GetPortSpeed() == baud)
        return true;
    const bool took = m_link ? m_link->SetSpeed(baud) : m_port.SetSpeed(baud);
    if (took && GetPortSpeed() == baud)
        return PurgeRx();
    return false;
}

void CModelBase::SendBaudRateCommand(DWORD baud)
{
    if (ConnectionStatus.Get() != FIRMWARE_STATUS_RUNNING)
        return;
    for (const BaudRateCommand& entry : kBaudRateCommands) {
        if (entry.baud == baud) {
            WriteText(entry.command);
            break;
        }
    }
    Sleep(kBaudRateSettleMs);
}

void CModelBase::SetMainWindow(HWND window)
{
    m_mainWindow = window;
    m_port.SetNotifyWindow(window);
}

bool CModelBase::IsIdle()
{
    return m_contact->IsIdle() && (!m_activeMachine || m_activeMachine->IsIdle());
}

IStateMachine* CModelBase::BusyMachine()
{
    if (!m_contact->IsIdle())
        return m_contact.get();
    if (m_activeMachine && !m_activeMachine->IsIdle())
        return m_activeMachine;
    return nullptr;
}

CModelBase::SHandler* CModelBase::FindHandler(IStateMachine* machine)
{
    for (SHandler* handler = m_handlers; handler; handler = handler->outer) {
        if (handler->machine == machine)
            return handler;
    }
    return nullptr;
}

template <typename Call>
bool CModelBase::RunHandler(IStateMachine* machine, Call call)
{
    SHandler handler{machine, m_handlers, false};
    m_handlers = &handler;
    call();
    m_handlers = handler.outer;
    return handler.noticeWaits;
}

LRESULT CModelBase::DispatchReceive(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A notice that came while the handler ran is taken now: its bytes are
    // still in the port (unless the machine has purged them).
    for (;;) {
        IStateMachine* machine = BusyMachine();
        if (!machine)
            break;
        if (SHandler* running = FindHandler(machine)) {
            running->noticeWaits = true;
            return 0;
        }
        if (!RunHandler(machine, [&] { machine->OnReceive(window, message, wParam, lParam); }))
            break;
    }
    m_port.NoticeHandled();
    return 0;
}

LRESULT CModelBase::DispatchTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    IStateMachine* machine = BusyMachine();
    // Late, a tick could cut short a wait the handler has just armed anew;
    // the window timer comes again.
    if (!machine || FindHandler(machine))
        return 0;
    if (RunHandler(machine, [&] { machine->OnTimer(window, message, wParam, lParam); }))
        DispatchReceive(window, WM_APP_SERIAL_DATA, 0, 0);
    return 0;
}

std::wstring CModelBase::GetDefaultFirmwareFolder()
{
    return CreateAppDataSubfolder(m_mainWindow, FormatText(L"\\%s Firmware", kDeviceWord));
}

CModel::CModel()
{
    AddPersistable(&Accessibility);
    AddPersistable(&TechnicianTXGainCalibration);
}

void CModel::ResetDeviceFacts()
{
    m_optionModuleReply.clear();
    SecondReceiver = SUBRX_UNKNOWN;
    CModelBase::ResetDeviceFacts();
}

bool CModel::IsQ7Device()
{
    return DeviceKind.Get() == DEVICE_UNKNOWN || DeviceKind.Get() == DEVICE_Q7;
}

bool CModel::StoreOptionModuleReply(const std::wstring& reply)
{
    if (reply.size() >= 16 && reply.compare(0, 2, L"OM") == 0) {
        m_optionModuleReply = reply;
        return true;
    }
    m_optionModuleReply.clear();
    return false;
}

CModel& GetModel()
{
    static CModel model;
    return model;
}
