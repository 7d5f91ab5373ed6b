#include "McuLoaderStateMachine.h"

#include "Folders.h"

namespace {

constexpr DWORD kBootLoaderSpeed = 38400;
constexpr UINT kEnterBootLoaderMs = 2000;
constexpr UINT kIdentifyMs = 200;
constexpr UINT kEchoMs = 5000;
// The radio needs 5.5 s; the log rounds it down.
constexpr UINT kResetMs = 5500;
constexpr UINT kResetSeconds = kResetMs / 1000;

}  // namespace

CMcuLoaderStateMachine::CMcuLoaderStateMachine(const wchar_t* name, const std::wstring& mainPath,
                                               const std::wstring& companionPath)
    : CLoaderStateHost<T>(name), m_mainPath(mainPath), m_companionPath(companionPath), m_waitReset(this, &m_final),
      m_resyncLast(this, L"ResyncLast", L"N", kResyncLimit), m_loadLast(this, &m_waitReset, &m_resyncLast),
      m_resyncInitial(this, L"ResyncInitial", L"N", kResyncLimit),
      m_loadInitial(this, &m_loadLast, &m_resyncInitial), m_beginDownload(this, &m_loadInitial),
      m_identifyBootBlock(this, &m_beginDownload), m_enterBootLoader(this, &m_identifyBootBlock),
      m_opening(this, &m_enterBootLoader), m_findSpeed(this, L"FindSpeed", &m_opening.determineN8)
{
    m_resyncLast.SetReturn(&m_loadLast);
    m_resyncInitial.SetReturn(&m_loadInitial);
}

HRESULT CMcuLoaderStateMachine::LoadImage(CFirmwareImage& image, const std::wstring& path)
{
    if (!image.Load(path, kImageLow, kImageHigh, kBlockSize, 0xFFFFFFFF)) {
        DWORD code = GetLastError();
        if (code == 0)
            code = kUnknownLoadFailure;
        Report(image.DescribeLoadFailure(code));
        return static_cast<HRESULT>(code);
    }
    return CheckReconciliation(image);
}

bool CMcuLoaderStateMachine::StartLoad(HWND owner)
{
    return Start(m_findSpeed, [&] {
        m_owner = owner;
        // Nothing of an earlier load carries over.
        m_currentImage = &m_image1;
        m_image2.Clear();
        ResetLoadBookkeeping();
        HRESULT result = LoadImage(m_image1, m_mainPath);
        if (result == 0 && !m_companionPath.empty() && ParseFileNameVersion(m_companionPath) >= kCompanionVersion)
            result = LoadImage(m_image2, m_companionPath);
        if (result != 0)
            return result;
        SetUpLoadProgress(static_cast<int>(m_currentImage->GetSize()));
        m_loadAddress = m_nextAddress = kImageLow;
        return HRESULT(0);
    });
}

HRESULT CMcuLoaderStateMachine::CheckReconciliation(CFirmwareImage& image)
{
    std::vector<std::wstring> lines;
    const HRESULT result = ReconcileAndDescribe(image, kImageLow, m_name, lines);
    for (const std::wstring& line : lines)
        Report(line);
    return result;
}

void CMcuLoaderStateMachine::SealPacket(BYTE* packet, DWORD address)
{
    packet[64] = static_cast<BYTE>(address);
    packet[65] = static_cast<BYTE>(address >> 8);
    packet[66] = static_cast<BYTE>(address >> 16);
    packet[67] = static_cast<BYTE>(0x100 - ByteSum8(packet, kPacketSize - 1));
}

bool CMcuLoaderStateMachine::BuildNextLoadPacket()
{
    SetLastError(0);
    if (m_nextAddress >= kImageHigh)
        return false;
    m_loadAddress = m_nextAddress;
    const BYTE* data = m_currentImage->GetPointer(m_loadAddress);
    if (data)
        memcpy(m_packet, data, kBlockSize);
    else
        memset(m_packet, 0xFF, kBlockSize);
    // The real first block goes last: until it arrives the image cannot start.
    if (m_loadAddress == kImageLow) {
        m_packet[0] = 0xAA;
        m_packet[1] = 0x00;
    }
    SealPacket(m_packet, m_loadAddress);
    Progress(kBlockSize);
    m_nextAddress += kBlockSize;
    return true;
}

void CMcuLoaderStateMachine::PrepareLastPacket()
{
    const BYTE* data = m_currentImage->GetPointer(kImageLow);
    if (data)
        memcpy(m_packet, data, kBlockSize);
    else
        memset(m_packet, 0xFF, kBlockSize);
    SealPacket(m_packet, kImageLow | kClosingMark << 16);
    // Reports of the closing packet name the address after the image.
    m_loadAddress = kImageHigh;
    Progress(kBlockSize);
}

void CMcuLoaderStateMachine::TracePacket(const wchar_t* stateName)
{
    if (GetModel().Trace.Get() != 0)
        Trace(L"%s Send %u bytes 0x%s", stateName, static_cast<unsigned>(kPacketSize),
              BytesToHex(m_packet, kPacketSize).c_str());
}

HRESULT CMcuLoaderStateMachine::VerifyVersion()
{
    return CLoaderStateHost<T>::VerifyVersion(m_currentImage->GetPath(), VERSION_MCU);
}

// "LDM;" has gone out in this load, or the radio was waiting in its boot
// loader: either way the radio has no complete firmware until a load ends
// well. The missing echo of "D" has given its own advice.
const wchar_t* CMcuLoaderStateMachine::LeftIncomplete() const
{
    const bool inBootLoader = m_erased || GetModel().ConnectionStatus.Get() == FIRMWARE_STATUS_BOOT_LOADER;
    return inBootLoader && m_result != E_BOOT_LOADER_NO_D_ECHO ? kDeviceWord : nullptr;
}

// LoadEnterBootLoader

CMcuLoaderStateMachine::CLoadEnterBootLoaderState::CLoadEnterBootLoaderState(T* host, State* next)
    : CCommandDelayState<T>(host, L"LoadEnterBootLoader", next, L"LDM;", kEnterBootLoaderMs)
{
}

void CMcuLoaderStateMachine::CLoadEnterBootLoaderState::Enter()
{
    // A radio already waiting in its boot loader needs no "LDM;".
    if (GetModel().ConnectionStatus.Get() == FIRMWARE_STATUS_BOOT_LOADER) {
        GoNext();
        return;
    }
    CCommandDelayState<T>::Enter();
}

// The boot loader takes the radio's firmware down with it.
void CMcuLoaderStateMachine::CLoadEnterBootLoaderState::OnSent()
{
    m_host->m_erased = true;
}

void CMcuLoaderStateMachine::CLoadEnterBootLoaderState::OnTimeout()
{
    GetModel().SetPortSpeed(kBootLoaderSpeed);
    GoNext();
}

// IdentifyQ7BootBlock

CMcuLoaderStateMachine::CIdentifyQ7BootBlockState::CIdentifyQ7BootBlockState(T* host, State* next)
    : CCommandOptionalResponseState<T>(host, L"IdentifyQ7BootBlock", next, L"I;", kIdentifyMs)
{
}

void CMcuLoaderStateMachine::CIdentifyQ7BootBlockState::Init()
{
    CCommandOptionalResponseState<T>::Init();
    GetModel().SetPortSpeed(kBootLoaderSpeed);
    m_bootBlockB = false;
}

BOOL CMcuLoaderStateMachine::CIdentifyQ7BootBlockState::IsMatch()
{
    if (m_host->ReplyContains(L"Q7B"))
        m_bootBlockB = true;
    else if (!m_host->ReplyContains(L"Q7A") && !m_host->ReplyContainsChar(L'I'))
        return FALSE;
    GetModel().DeviceKind.Set(DEVICE_Q7);
    return TRUE;
}

void CMcuLoaderStateMachine::CIdentifyQ7BootBlockState::OnMatch()
{
    if (GetModel().IsQ7Device() && m_bootBlockB && m_host->m_image2.IsLoaded() && !m_host->m_image2.IsEmpty())
        m_host->m_currentImage = &m_host->m_image2;
    GoNext();
}

// LoadBeginDownload

CMcuLoaderStateMachine::CLoadBeginDownloadState::CLoadBeginDownloadState(T* host, State* next)
    : CCommandResponseState<T>(host, L"LoadBeginDownload", next, L"D", kEchoMs, E_BOOT_LOADER_NO_D_ECHO)
{
}

void CMcuLoaderStateMachine::CLoadBeginDownloadState::OnResponse()
{
    if (m_host->m_receiveBuffer.empty() || m_host->m_receiveBuffer.back() != L'D')
        return;
    // From here on the radio holds no runnable MCU firmware.
    CModel& model = GetModel();
    m_host->m_connectionStatus = FIRMWARE_STATUS_BOOT_LOADER;
    model.FirmwareVersion.Set(VERSION_MCU, VERSION_LOADING);
    model.ConnectionStatus.Set(FIRMWARE_STATUS_BOOT_LOADER);
    m_host->KillTimer();
    GoNext();
}

// Only the missing echo: a "D" that could not be written reports its own code.
void CMcuLoaderStateMachine::CLoadBeginDownloadState::OnTimeout()
{
    m_host->Report(IDS_NO_D_ECHO, kDeviceWord, L"D");
    GetModel().ResetDeviceFacts();
    CCommandResponseState<T>::OnTimeout();
}

// The packet states

CMcuLoaderStateMachine::CLoadFirmwareInitialState::CLoadFirmwareInitialState(T* host, State* next, State* resync)
    : CLoadFirmwareState(host, L"LoadFirmwareInitial", next, resync, L"ANC")
{
}

void CMcuLoaderStateMachine::CLoadFirmwareInitialState::Init()
{
    CLoadFirmwareState::Init();
    m_host->Report(IDS_SENDING_FIRMWARE_FILE, m_host->m_name, m_host->m_currentImage->GetPath().c_str());
}

CMcuLoaderStateMachine::CLoadFirmwareLastState::CLoadFirmwareLastState(T* host, State* next, State* resync)
    : CLoadFirmwareState(host, L"LoadFirmwareLast", next, resync, L"BNC")
{
}

void CMcuLoaderStateMachine::CLoadFirmwareLastState::Init()
{
    CLoadFirmwareState::Init();
    m_host->PrepareLastPacket();
}

void CMcuLoaderStateMachine::CLoadFirmwareLastState::Enter()
{
    // Entered from the image's last 'A', the buffer holds no 'B' yet.
    if (m_host->ReplyContainsChar(L'B'))
        GoNext();
    else
        Send();
}

CMcuLoaderStateMachine::CLoadWaitResetState::CLoadWaitResetState(T* host, State* next)
    : CDelayState<T>(host, L"LoadWaitReset", next, kResetMs)
{
}

void CMcuLoaderStateMachine::CLoadWaitResetState::Init()
{
    m_host->Report(IDS_WAITING_FOR_RESET, kResetSeconds);
}
