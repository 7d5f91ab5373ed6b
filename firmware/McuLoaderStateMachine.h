// The main processor's load: "LDM;" brings the radio into its boot loader,
// "I;" tells which boot block it has, "D" starts the download, then 68-byte
// packets each acknowledged with 'A'; the image's first block goes last, as
// the closing packet acknowledged with 'B'; then the radio resets.
#pragma once

#include "FirmwareImage.h"
#include "LoaderStateHost.h"

class CMcuLoaderStateMachine : public CLoaderStateHost<CMcuLoaderStateMachine> {
public:
    using T = CMcuLoaderStateMachine;
    using State = CState<T>;

    // The image window and its packets.
    static constexpr DWORD kImageLow = 0x800;
    static constexpr DWORD kImageHigh = 0x1FD80;
    static constexpr DWORD kBlockSize = 64;
    static constexpr DWORD kPacketSize = 68;
    // The closing packet carries this in place of address bits 16-23.
    static constexpr BYTE kClosingMark = 0x02;
    // From this name version on the companion image (boot block B) is loaded.
    static constexpr WORD kCompanionVersion = 462;
    static constexpr unsigned kResyncLimit = 68;

    CMcuLoaderStateMachine(const wchar_t* name, const std::wstring& mainPath, const std::wstring& companionPath);

    bool StartLoad(HWND owner);
    bool BuildNextLoadPacket();
    void PrepareLastPacket();
    HRESULT CheckReconciliation(CFirmwareImage& image);
    HRESULT VerifyVersion();

    // The packet states' side of the wire.
    bool WritePacket() { return GetModel().WriteBytes(m_packet, kPacketSize); }
    void TracePacket(const wchar_t* stateName);

    const CFirmwareImage& CurrentImage() const { return *m_currentImage; }
    const BYTE* Packet() const { return m_packet; }

    // The packet's checksum byte: the 68 bytes sum to zero.
    static void SealPacket(BYTE* packet, DWORD address);

    BYTE m_packet[kPacketSize] = {};

    class CLoadEnterBootLoaderState : public CCommandDelayState<T> {
    public:
        CLoadEnterBootLoaderState(T* host, State* next);
        void Enter() override;
        void OnSent() override;
        void OnTimeout() override;
    };

    class CIdentifyQ7BootBlockState : public CCommandOptionalResponseState<T> {
    public:
        CIdentifyQ7BootBlockState(T* host, State* next);
        void Init() override;
        BOOL IsMatch() override;
        void OnMatch() override;

    private:
        bool m_bootBlockB = false;
    };

    class CLoadBeginDownloadState : public CCommandResponseState<T> {
    public:
        CLoadBeginDownloadState(T* host, State* next);
        const wchar_t* GetTerminators() override { return L"D"; }
        void OnResponse() override;
        void OnTimeout() override;
    };

    class CLoadFirmwareState : public CPacketState<T> {
    public:
        CLoadFirmwareState(T* host, const wchar_t* name, State* next, State* resync, const wchar_t* terminators)
            : CPacketState<T>(host, name, next, resync, terminators, kPacketMs)
        {
        }

    private:
        static constexpr UINT kPacketMs = 2000;
    };

    class CLoadFirmwareInitialState : public CLoadFirmwareState {
    public:
        CLoadFirmwareInitialState(T* host, State* next, State* resync);
        void Init() override;
    };

    class CLoadFirmwareLastState : public CLoadFirmwareState {
    public:
        CLoadFirmwareLastState(T* host, State* next, State* resync);
        void Init() override;
        void Enter() override;
    };

    class CLoadWaitResetState : public CDelayState<T> {
    public:
        CLoadWaitResetState(T* host, State* next);
        void Init() override;
    };

protected:
    const wchar_t* LeftIncomplete() const override;

private:
    HRESULT LoadImage(CFirmwareImage& image, const std::wstring& path);

    std::wstring m_mainPath;
    std::wstring m_companionPath;
    CFirmwareImage m_image1;
    CFirmwareImage m_image2;
    CFirmwareImage* m_currentImage = &m_image1;
    DWORD m_nextAddress = kImageLow;

    // The chain, declared last state first so that each can name its next.
    CLoadWaitResetState m_waitReset;
    CLoadResyncState<T> m_resyncLast;
    CLoadFirmwareLastState m_loadLast;
    CLoadResyncState<T> m_resyncInitial;
    CLoadFirmwareInitialState m_loadInitial;
    CLoadBeginDownloadState m_beginDownload;
    CIdentifyQ7BootBlockState m_identifyBootBlock;
    CLoadEnterBootLoaderState m_enterBootLoader;
    SLoadOpening<T> m_opening;
    CFindSpeedState<T> m_findSpeed;

    friend class CIdentifyQ7BootBlockState;
};
