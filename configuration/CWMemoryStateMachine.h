// The eight CW message memories: 251 bytes of Morse codes each, a page
// apiece from 0x0400, stored back to front (the first character at the top
// of the area) and ended by 0xCC (0xFF when erased). Reading starts at the
// top and stops at the chunk holding the terminator; writing sends only the
// message and its terminator, and only for memories that changed.
#pragma once

#include <algorithm>
#include <string>

#include "EepromStates.h"
#include "Morse.h"

inline constexpr unsigned CW_MEMORY_COUNT = 8;
inline constexpr unsigned CW_MEMORY_LENGTH = 251;

// Reading memory m_loopIndex, sixteen bytes at a time from its top.
template <typename T>
class CReadCWMemoryState : public CReadPicPromState<T> {
public:
    CReadCWMemoryState(T* host, const wchar_t* name, CState<T>* next)
        : CReadPicPromState<T>(host, name, next, 0, 0, host->m_buffer, CW_MEMORY_LENGTH)
    {
    }
    void Enter() override
    {
        m_read = 0;
        std::fill(std::begin(this->m_host->m_buffer), std::end(this->m_host->m_buffer), kMorseErased);
        ReadChunk();
    }
    void Process() override
    {
        BYTE* buffer = this->m_host->m_buffer;
        m_read += m_chunkLength;
        for (unsigned offset = CW_MEMORY_LENGTH; offset-- > CW_MEMORY_LENGTH - m_read;) {
            if (buffer[offset] == kMorseErased || buffer[offset] == kMorseEndOfText) {
                Finish(offset);
                return;
            }
        }
        if (m_read < CW_MEMORY_LENGTH)
            ReadChunk();
        else
            Finish(0);  // all 251 bytes are text
    }

private:
    static constexpr unsigned kChunk = 16;

    void ReadChunk()
    {
        const unsigned left = CW_MEMORY_LENGTH - m_read;
        m_chunkLength = std::min(left, kChunk);
        const unsigned offset = left - m_chunkLength;
        this->SetRange(GetCWMemoryAddress(this->m_host->m_loopIndex) + offset, m_chunkLength);
        this->SetDestination(this->m_host->m_buffer + offset, m_chunkLength);
        CReadPicPromState<T>::Enter();
    }
    void Finish(unsigned terminator)
    {
        BYTE* buffer = this->m_host->m_buffer;
        std::reverse(buffer, buffer + CW_MEMORY_LENGTH);
        this->m_host->Texts.Set(this->m_host->m_loopIndex,
                                MorseCodesToText(buffer, CW_MEMORY_LENGTH - terminator));
        this->GoNext();
    }

    unsigned m_read = 0;
    unsigned m_chunkLength = 0;
};

// Writing memory m_loopIndex when its edited text differs from the radio's.
template <typename T>
class CWriteCWMemoryState : public CWritePicPromState<T> {
public:
    CWriteCWMemoryState(T* host, const wchar_t* name, CState<T>* next)
        : CWritePicPromState<T>(host, name, next, 0, 0, host->m_buffer)
    {
    }
    void Enter() override
    {
        T* host = this->m_host;
        const int index = host->m_loopIndex;
        const std::wstring& edited = host->Texts.Edited(index);
        if (edited == host->Texts.Get(index)) {
            this->GoNext();
            return;
        }
        const size_t encoded = TextToMorseCodes(edited, CW_MEMORY_LENGTH, host->m_buffer);
        std::reverse(host->m_buffer, host->m_buffer + CW_MEMORY_LENGTH);
        // The terminator goes too; the bytes below it are left as they are.
        const unsigned count = encoded < CW_MEMORY_LENGTH ? static_cast<unsigned>(encoded) + 1 : CW_MEMORY_LENGTH;
        const unsigned offset = CW_MEMORY_LENGTH - count;
        this->SetRange(GetCWMemoryAddress(index) + offset, count);
        this->SetSource(host->m_buffer + offset);
        CWritePicPromState<T>::Enter();
    }
    void OnAllWritten() override
    {
        T* host = this->m_host;
        host->Texts.Set(host->m_loopIndex, std::wstring(host->Texts.Edited(host->m_loopIndex)));
        this->GoNext();
    }
};

class CCWMemoryStateMachine : public CStateHost<CCWMemoryStateMachine> {
public:
    CCWMemoryStateMachine() : CStateHost(TIMER_CW_MEMORY) {}

    bool StartRead() { return Start(m_textTerminalOff); }
    // Nothing changed: ends at once with 0 and no traffic.
    bool StartWrite()
    {
        if (!IsModified())
            return Start(m_final);
        return Start(m_writeInit);
    }
    bool IsModified() const
    {
        for (unsigned i = 0; i < CW_MEMORY_COUNT; ++i) {
            if (Texts.Edited(i) != Texts.Get(i))
                return true;
        }
        return false;
    }
    int LoopCount() const { return CW_MEMORY_COUNT; }

    int m_loopIndex = 0;
    // m_value: the text as last read or written; m_shadow: the edit.
    CObservable<std::wstring, CW_MEMORY_COUNT> Texts{WM_APP_CW_MEMORY_EDITOR_TEXT};
    BYTE m_buffer[CW_MEMORY_LENGTH] = {};
    std::wstring m_savedModeReply;

    using Machine = CCWMemoryStateMachine;
    CTextTerminalOffState<Machine> m_textTerminalOff{this, L"TextTerminalOff", &m_readInit};
    CLoopInitState<Machine> m_readInit{this, L"ReadInit", &m_setQ7H};
    CSetQ7HiddenState<Machine> m_setQ7H{this, L"SetQ7H", &m_readTest};
    CReadCWMemoryState<Machine> m_readCWMemory{this, L"ReadCWMemory", &m_readStep};
    CLoopStepState<Machine> m_readStep{this, L"ReadStep", &m_readTest};
    CLoopTestState<Machine> m_readTest{this, L"ReadTest", &m_readCWMemory, &m_restoreQ7};
    CLoopInitState<Machine> m_writeInit{this, L"WriteInit", &m_setQ7Hidden};
    CSetQ7HiddenState<Machine> m_setQ7Hidden{this, L"SetQ7Hidden", &m_writeTest};
    CWriteCWMemoryState<Machine> m_writeCWMemory{this, L"WriteCWMemory", &m_writeStep};
    CLoopStepState<Machine> m_writeStep{this, L"WriteStep", &m_writeTest};
    CLoopTestState<Machine> m_writeTest{this, L"WriteTest", &m_writeCWMemory, &m_restoreQ7};
    CRestoreQ7State<Machine> m_restoreQ7{this, L"RestoreQ7", &m_final};
};
