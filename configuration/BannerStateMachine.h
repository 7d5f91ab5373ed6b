// The power-on banner: up to 22 characters of the PC's ANSI code page at
// the top of the EEPROM, ended by a 0 byte when shorter; erased bytes
// (0xFF) read as 0. A write is read back so the page shows what the radio
// now holds.
#pragma once

#include <string>

#include "EepromStates.h"

inline constexpr unsigned BANNER_LENGTH = 22;

// The text up to the first 0 of a banner buffer (BANNER_LENGTH + 1 bytes).
std::wstring BannerBufferText(const BYTE* buffer);
// The text in the code page, as many whole characters as fit in
// BANNER_LENGTH bytes: a double-byte character is never cut in two.
std::string BannerBytes(const std::wstring& text, UINT codePage);

template <typename T>
class CWriteBannerState : public CWritePicPromState<T> {
public:
    CWriteBannerState(T* host, const wchar_t* name, CState<T>* next)
        : CWritePicPromState<T>(host, name, next, GetBannerAddress(), 0, host->m_buffer)
    {
    }
    // The terminating 0 goes too, unless the text fills all 22 bytes.
    void Init() override
    {
        CWritePicPromState<T>::Init();
        BYTE* buffer = this->m_host->m_buffer;
        buffer[BANNER_LENGTH] = 0;
        const unsigned count = static_cast<unsigned>(strlen(reinterpret_cast<const char*>(buffer))) + 1;
        this->m_total = count < BANNER_LENGTH + 1 ? count : BANNER_LENGTH;
    }
    void OnAllWritten() override
    {
        this->m_host->BannerText.Set(BannerBufferText(this->m_host->m_buffer));
        this->GoNext();
    }
};

template <typename T>
class CReadBannerState : public CReadPicPromState<T> {
public:
    CReadBannerState(T* host, const wchar_t* name, CState<T>* next)
        : CReadPicPromState<T>(host, name, next, GetBannerAddress(), BANNER_LENGTH, host->m_buffer,
                              BANNER_LENGTH + 1)
    {
    }
    void Process() override
    {
        BYTE* buffer = this->m_host->m_buffer;
        for (unsigned i = 0; i <= BANNER_LENGTH; ++i) {
            if (buffer[i] == 0xFF)
                buffer[i] = 0;
        }
        buffer[BANNER_LENGTH] = 0;
        this->m_host->BannerText.Set(BannerBufferText(buffer));
        this->GoNext();
    }
};

class CBannerStateMachine : public CStateHost<CBannerStateMachine> {
public:
    CBannerStateMachine() : CStateHost(TIMER_BANNER) {}

    bool StartRead() { return Start(m_setQ7HiddenForRead); }
    // Converts the edited text and writes it; false for a busy machine.
    bool StartWrite(const std::wstring& text);

    // m_value: the radio's text as last read or written; m_shadow: the edit.
    CObservable<std::wstring> BannerText{WM_APP_BANNER_TEXT};
    BYTE m_buffer[BANNER_LENGTH + 1] = {};
    std::wstring m_savedModeReply;

    using Machine = CBannerStateMachine;
    CSetQ7HiddenState<Machine> m_setQ7Hidden{this, L"SetQ7Hidden", &m_writeBanner};
    CWriteBannerState<Machine> m_writeBanner{this, L"WriteBanner", &m_readBanner};
    CReadBannerState<Machine> m_readBanner{this, L"ReadBanner", &m_restoreQ7};
    CRestoreQ7State<Machine> m_restoreQ7{this, L"RestoreQ7", &m_final};
    CSetQ7HiddenState<Machine> m_setQ7HiddenForRead{this, L"SetQ7Hidden", &m_readBanner};
};
