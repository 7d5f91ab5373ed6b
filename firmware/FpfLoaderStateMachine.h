// The front panel's flash: "LDF2;" erases it (four seconds), the image goes
// out in text-headed packets from 0x40, the file's 16-byte header record
// last with its count field marked 0x90, then the radio is reset.
#pragma once

#include "TextPacketHost.h"

class CFpfLoaderStateMachine : public CTextPacketHost<CFpfLoaderStateMachine> {
public:
    using T = CFpfLoaderStateMachine;
    using State = CState<T>;

    static constexpr DWORD kRecordMark = 0x80;
    static constexpr UINT kEraseSeconds = 4;

    CFpfLoaderStateMachine(const wchar_t* name, const std::wstring& path);

    bool StartLoad(HWND owner);
    bool BuildNextLoadPacket();
    // The header record packet by itself.
    void PrepareLastPacket();
    HRESULT VerifyVersion();

    class CEnterFpfLoadState : public CCommandDelayState<T> {
    public:
        CEnterFpfLoadState(T* host, State* next);
        void Init() override;
        void OnSent() override;
    };

private:
    std::wstring m_path;
    bool m_recordSent = false;
    CFirmwareImage m_image;

    CResetAfterLoadState<T> m_reset;
    CLoadResyncState<T> m_resync;
    CPacketState<T> m_send;
    CEnterFpfLoadState m_enterLoad;
    SLoadOpening<T> m_opening;
    CFindSpeedState<T> m_findSpeed;
};
