// What the DSP and front-panel-flash loaders share: packets that go out as a
// text header ("LDD2403C;": prefix, byte count, byte sum, in upper-case hex)
// followed by up to 64 raw bytes, each acknowledged 'A'; whole-file images
// that must hold data; and the reset that ends both loads.
#pragma once

#include "FirmwareImage.h"
#include "LoaderStateHost.h"

template <typename T>
class CTextPacketHost : public CLoaderStateHost<T> {
public:
    static constexpr DWORD kMaxData = 64;
    static constexpr UINT kPacketMs = 4000;
    static constexpr unsigned kResyncLimit = 73;

    CTextPacketHost(const wchar_t* name, const wchar_t* prefix) : CLoaderStateHost<T>(name), m_prefix(prefix) {}

    // The packet: `count` bytes, the header's count field (the count, or a mark).
    void SetPacket(const BYTE* data, DWORD count, DWORD countField)
    {
        m_count = count;
        memcpy(m_data, data, count);
        m_header = FormatText(L"%s%02X%02X;", m_prefix, static_cast<unsigned>(countField),
                              static_cast<unsigned>(ByteSum8(data, count)));
    }

    // The next up to 64 bytes of the image from the load address; false when
    // the image is done.
    bool BuildImagePacket(const CFirmwareImage& image)
    {
        SetLastError(0);
        if (m_nextAddress >= image.GetHigh())
            return false;
        this->m_loadAddress = m_nextAddress;
        const DWORD count = std::min(image.GetHigh() - m_nextAddress, kMaxData);
        SetPacket(image.GetPointer(m_nextAddress), count, count);
        this->Progress(count);
        m_nextAddress += count;
        return true;
    }

    bool WritePacket()
    {
        CModel& model = GetModel();
        return model.WriteText(m_header.c_str()) && model.PurgeRx() && model.WriteBytes(m_data, m_count);
    }
    void TracePacket(const wchar_t* stateName)
    {
        if (GetModel().Trace.Get() != 0)
            this->Trace(IDS_DSP_PACKET_TRACE, stateName, m_header.c_str(), static_cast<unsigned>(m_count),
                        BytesToHex(m_data, m_count).c_str());
    }

    // A whole-file image; one that holds no data is refused like a bad file,
    // since a load of nothing would only erase the processor.
    HRESULT LoadWholeFile(CFirmwareImage& image, const std::wstring& path)
    {
        DWORD code = 0;
        if (!image.Load(path, CFirmwareImage::kWholeFileLow, CFirmwareImage::kWholeFileHigh, kMaxData, 0xFFFFFFFF))
            code = GetLastError() != 0 ? GetLastError() : kUnknownLoadFailure;
        else if (image.IsEmpty())
            code = kEmptyImage;
        if (code != 0)
            this->Report(image.DescribeLoadFailure(code));
        return static_cast<HRESULT>(code);
    }

    // A refusal at the start: the load ends before anything is sent.
    // ERROR_INVALID_DATA as a failure code, so that no test can take it for success.
    static constexpr DWORD kEmptyImage = 0x8007000D;

    const wchar_t* m_prefix;
    BYTE m_data[kMaxData] = {};
    DWORD m_count = 0;
    std::wstring m_header;
    DWORD m_nextAddress = 0;
};

// "LDD20000;" restarts the radio; its Init says how long that takes.
template <typename T>
class CResetAfterLoadState : public CResetMcuState<T> {
public:
    CResetAfterLoadState(T* host, CState<T>* next) : CResetMcuState<T>(host, L"ResetMcu", next) {}
    void Init() override { this->m_host->Report(IDS_WAITING_FOR_RESET, this->m_delay / 1000); }
};
