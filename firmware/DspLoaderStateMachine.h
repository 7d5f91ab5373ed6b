// A signal processor's load, DSP1 ("LDD2") or DSP2 ("LDA2"), through the
// radio's running firmware: the tiny boot, the erase packet (7 with a data
// table, 8 without), the program code, the data table, then the reset.
#pragma once

#include "TextPacketHost.h"

enum DspKind : BYTE { DSP_MAIN = 0, DSP_SECOND = 1 };

class CDspLoaderStateMachine : public CTextPacketHost<CDspLoaderStateMachine> {
public:
    using T = CDspLoaderStateMachine;
    using State = CState<T>;

    // From this code version on a data table belongs to the load (9999 aside).
    static constexpr WORD kFirstTableVersion = 137;
    static constexpr unsigned kEraseResyncLimit = 9;
    static constexpr BYTE kEraseProgramAndTable = 7;
    static constexpr BYTE kEraseProgram = 8;
    // LoaderFlags bit: stop after the tiny boot.
    static constexpr unsigned long kStopAfterTinyBoot = 0x100;

    CDspLoaderStateMachine(const wchar_t* name, DspKind kind, const std::wstring& codePath,
                           const std::wstring& tinyBootPath, const std::wstring& dataTablePath);

    bool StartLoad(HWND owner);
    bool BuildNextLoadPacket();
    HRESULT VerifyVersion();

    unsigned VersionIndex() const { return m_kind == DSP_MAIN ? VERSION_DSP1 : VERSION_DSP2; }
    bool HasDataTable() const { return m_dataTable.IsLoaded() && !m_dataTable.IsEmpty(); }

    class CEnterQ7DspLoadState : public CCommandDelayState<T> {
    public:
        CEnterQ7DspLoadState(T* host, State* next);
        void Init() override;
    };

    // Tiny boot, code or data table, packet by packet.
    class CLoadDspImageState : public CPacketState<T> {
    public:
        CLoadDspImageState(T* host, const wchar_t* name, State* next, State* resync, CFirmwareImage& image);
        void Init() override;
        void Enter() override;

    private:
        CFirmwareImage& m_image;
    };

    class CLoadDspEraseCommandState : public CPacketState<T> {
    public:
        CLoadDspEraseCommandState(T* host, State* next, State* resync);
        void Init() override;
        void Enter() override;
        void OnSent() override;

    private:
        bool m_sent = false;
    };

    class CIsStopAfterTinyBootState : public State {
    public:
        CIsStopAfterTinyBootState(T* host, State* next, State* stop) : State(host, L"IsStopAfterTinyBoot", next), m_stop(stop) {}
        void Enter() override;

    private:
        State* m_stop;
    };

private:
    DspKind m_kind;
    std::wstring m_codePath;
    std::wstring m_tinyBootPath;
    std::wstring m_dataTablePath;
    CFirmwareImage m_code;
    CFirmwareImage m_dataTable;
    CFirmwareImage m_tinyBoot;
    const CFirmwareImage* m_currentImage = &m_tinyBoot;

    CResetAfterLoadState<T> m_reset;
    CLoadResyncState<T> m_resyncTable;
    CLoadDspImageState m_loadTable;
    CLoadResyncState<T> m_resyncCode;
    CLoadDspImageState m_loadCode;
    CDelayState<T> m_delayAfterErase;
    CLoadResyncState<T> m_resyncErase;
    CLoadDspEraseCommandState m_erase;
    CIsStopAfterTinyBootState m_isStop;
    CDelayState<T> m_delayAfterTinyBoot;
    CLoadResyncState<T> m_resyncTinyBoot;
    CLoadDspImageState m_loadTinyBoot;
    CEnterQ7DspLoadState m_enterLoad;
    SLoadOpening<T> m_opening;

    friend class CLoadDspImageState;
};
