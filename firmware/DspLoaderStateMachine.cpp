#include "DspLoaderStateMachine.h"

namespace {

constexpr UINT kEnterLoadMs = 2000;
constexpr UINT kAfterTinyBootMs = 100;
constexpr UINT kEraseMs = 1000;
constexpr UINT kAfterEraseMs = 1000;
constexpr unsigned short kNotApplicable = 9999;

}  // namespace

CDspLoaderStateMachine::CDspLoaderStateMachine(const wchar_t* name, DspKind kind, const std::wstring& codePath,
                                               const std::wstring& tinyBootPath, const std::wstring& dataTablePath)
    : CTextPacketHost<T>(name, kind == DSP_MAIN ? L"LDD2" : L"LDA2"), m_kind(kind), m_codePath(codePath),
      m_tinyBootPath(tinyBootPath), m_dataTablePath(dataTablePath), m_reset(this, &m_final),
      m_resyncTable(this, L"ResyncDataTable", L"AN", kResyncLimit),
      m_loadTable(this, L"LoadDspDataTable", &m_reset, &m_resyncTable, m_dataTable),
      m_resyncCode(this, L"ResyncCodeFile", L"AN", kResyncLimit),
      m_loadCode(this, L"LoadDspCodeFile", &m_loadTable, &m_resyncCode, m_code),
      m_delayAfterErase(this, L"DelayAfterErase", &m_loadCode, kAfterEraseMs),
      m_resyncErase(this, L"ResyncEraseCommand", L"AN", kEraseResyncLimit),
      m_erase(this, &m_delayAfterErase, &m_resyncErase), m_isStop(this, &m_erase, &m_final),
      m_delayAfterTinyBoot(this, L"DelayAfterTinyBoot", &m_isStop, kAfterTinyBootMs),
      m_resyncTinyBoot(this, L"ResyncTinyBoot", L"AN", kResyncLimit),
      m_loadTinyBoot(this, L"LoadDspTinyBoot", &m_delayAfterTinyBoot, &m_resyncTinyBoot, m_tinyBoot),
      m_enterLoad(this, &m_loadTinyBoot), m_opening(this, &m_enterLoad)
{
    m_resyncTable.SetReturn(&m_loadTable);
    m_resyncCode.SetReturn(&m_loadCode);
    m_resyncErase.SetReturn(&m_erase);
    m_resyncTinyBoot.SetReturn(&m_loadTinyBoot);
}

bool CDspLoaderStateMachine::StartLoad(HWND owner)
{
    return Start(m_opening.determineN8, [&] {
        m_owner = owner;
        ResetLoadBookkeeping();
        m_code.Clear();
        m_dataTable.Clear();
        HRESULT result = LoadWholeFile(m_tinyBoot, m_tinyBootPath);
        if (result == 0)
            result = LoadWholeFile(m_code, m_codePath);
        const WORD codeVersion = ParseFileNameVersion(m_codePath);
        if (result == 0 && codeVersion >= kFirstTableVersion && codeVersion != kNotApplicable &&
            !m_dataTablePath.empty())
            result = LoadWholeFile(m_dataTable, m_dataTablePath);
        if (result != 0)
            return result;
        // The 1 is the erase byte.
        SetUpLoadProgress(
            static_cast<int>(m_tinyBoot.GetSize() + 1 + m_dataTable.GetSize() + m_code.GetSize()));
        m_currentImage = &m_tinyBoot;
        m_loadAddress = m_nextAddress = m_tinyBoot.GetLow();
        return HRESULT(0);
    });
}

bool CDspLoaderStateMachine::BuildNextLoadPacket()
{
    return BuildImagePacket(*m_currentImage);
}

HRESULT CDspLoaderStateMachine::VerifyVersion()
{
    return CLoaderStateHost<T>::VerifyVersion(m_codePath, VersionIndex());
}

CDspLoaderStateMachine::CEnterQ7DspLoadState::CEnterQ7DspLoadState(T* host, State* next)
    : CCommandDelayState<T>(host, L"EnterQ7DspLoad", next, L"", kEnterLoadMs)
{
}

void CDspLoaderStateMachine::CEnterQ7DspLoadState::Init()
{
    GetModel().FirmwareVersion.Set(m_host->VersionIndex(), VERSION_LOADING);
    m_command = std::wstring(m_host->m_prefix) + L";";
}

CDspLoaderStateMachine::CLoadDspImageState::CLoadDspImageState(T* host, const wchar_t* name, State* next,
                                                               State* resync, CFirmwareImage& image)
    : CPacketState<T>(host, name, next, resync, L"AN", kPacketMs), m_image(image)
{
}

void CDspLoaderStateMachine::CLoadDspImageState::Init()
{
    CPacketState<T>::Init();
    m_host->m_currentImage = &m_image;
    m_host->m_loadAddress = m_host->m_nextAddress = m_image.GetLow();
    if (m_image.IsLoaded())
        m_host->Report(IDS_SENDING_FIRMWARE_FILE, m_host->m_name, m_image.GetPath().c_str());
}

void CDspLoaderStateMachine::CLoadDspImageState::Enter()
{
    // Only the data table may be missing.
    if (!m_image.IsLoaded() || m_image.IsEmpty())
        GoNext();
    else
        CPacketState<T>::Enter();
}

CDspLoaderStateMachine::CLoadDspEraseCommandState::CLoadDspEraseCommandState(T* host, State* next, State* resync)
    : CPacketState<T>(host, L"LoadDspEraseCommand", next, resync, L"AN", kEraseMs)
{
}

void CDspLoaderStateMachine::CLoadDspEraseCommandState::Init()
{
    CPacketState<T>::Init();
    m_sent = false;
    const BYTE erase = m_host->HasDataTable() ? kEraseProgramAndTable : kEraseProgram;
    m_host->Report(erase == kEraseProgram ? IDS_ERASING_PROGRAM : IDS_ERASING_PROGRAM_AND_TABLE, m_host->m_name);
    m_host->SetPacket(&erase, 1, 1);
}

void CDspLoaderStateMachine::CLoadDspEraseCommandState::Enter()
{
    if (m_sent) {
        GoNext();
        return;
    }
    m_sent = true;
    Send();
}

// Taken or refused, the erase packet may have reached the processor.
void CDspLoaderStateMachine::CLoadDspEraseCommandState::OnSent()
{
    m_host->m_erased = true;
}

void CDspLoaderStateMachine::CIsStopAfterTinyBootState::Enter()
{
    if (GetModel().LoaderFlags.Get() & kStopAfterTinyBoot)
        m_host->Transition(*m_stop);
    else
        GoNext();
}
