#include "FpfLoaderStateMachine.h"

CFpfLoaderStateMachine::CFpfLoaderStateMachine(const wchar_t* name, const std::wstring& path)
    : CTextPacketHost<T>(name, L"LDF2"), m_path(path), m_reset(this, &m_final),
      m_resync(this, L"ResyncFpf", L"AN", kResyncLimit),
      m_send(this, L"SendFpfFirmware", &m_reset, &m_resync, L"AN", kPacketMs), m_enterLoad(this, &m_send),
      m_opening(this, &m_enterLoad), m_findSpeed(this, L"FindSpeed", &m_opening.determineN8)
{
    m_resync.SetReturn(&m_send);
}

bool CFpfLoaderStateMachine::StartLoad(HWND owner)
{
    return Start(m_findSpeed, [&] {
        m_owner = owner;
        ResetLoadBookkeeping();
        m_recordSent = false;
        HRESULT result = 0;
        if (!m_image.LoadWithHeader(m_path)) {
            result = static_cast<HRESULT>(GetLastError() != 0 ? GetLastError() : kUnknownLoadFailure);
        } else if (m_image.IsEmpty()) {
            result = static_cast<HRESULT>(kEmptyImage);
        } else {
            // The reconciliation's warning (a zero word over a zero sum) is a failure here.
            result = m_image.ReconcileHeaderChecksum16();
        }
        if (result != 0) {
            if (result != E_HEX_FILE_CHECKSUM_NOT_ZERO && result != W_CHECKSUM_RECONCILIATION_ZERO)
                Report(m_image.DescribeLoadFailure(static_cast<DWORD>(result)));
            return result;
        }
        SetUpLoadProgress(static_cast<int>(m_image.GetSize()));
        m_loadAddress = m_nextAddress = m_image.GetLow();
        return HRESULT(0);
    });
}

bool CFpfLoaderStateMachine::BuildNextLoadPacket()
{
    if (m_recordSent)
        return false;
    if (BuildImagePacket(m_image))
        return true;
    PrepareLastPacket();
    return true;
}

void CFpfLoaderStateMachine::PrepareLastPacket()
{
    const CIntelHexReader::Header& record = m_image.GetHeader();
    // Reports of the record name the address after the image.
    m_loadAddress = m_image.GetHigh();
    SetPacket(record.data(), static_cast<DWORD>(record.size()), static_cast<DWORD>(record.size()) | kRecordMark);
    Progress(static_cast<UINT>(record.size()));
    m_recordSent = true;
}

HRESULT CFpfLoaderStateMachine::VerifyVersion()
{
    return CLoaderStateHost<T>::VerifyVersion(m_path, VERSION_FPF);
}

CFpfLoaderStateMachine::CEnterFpfLoadState::CEnterFpfLoadState(T* host, State* next)
    : CCommandDelayState<T>(host, L"EnterFpfLoad", next, L"", kEraseSeconds * 1000)
{
}

void CFpfLoaderStateMachine::CEnterFpfLoadState::Init()
{
    m_command = std::wstring(m_host->m_prefix) + L";";
}

// "LDF2;" is out: the flash is being erased. A failed write has ended the
// machine instead, with nothing erased.
void CFpfLoaderStateMachine::CEnterFpfLoadState::OnSent()
{
    m_host->m_erased = true;
    GetModel().FirmwareVersion.Set(VERSION_FPF, VERSION_LOADING);
    m_host->Report(IDS_WAITING_FOR_ERASE, kEraseSeconds);
}
