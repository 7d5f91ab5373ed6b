// Reading and writing a range of the radio's EEPROM in chunks: block commands
// from MCU firmware 383, one byte at a time before it.
#pragma once

#include <array>

#include "CommandStates.h"
#include "EepromAccess.h"

// What the read and write states share: the chunking and the command family.
template <typename T>
class CPicPromState : public CCommandResponseRetryState<T> {
public:
    CPicPromState(T* host, const wchar_t* name, CState<T>* next, unsigned start, unsigned count,
                  HRESULT blockErrorCode)
        : CCommandResponseRetryState<T>(host, name, next, L"", kTimeoutMs, blockErrorCode),
          m_total(count),
          m_start(start),
          m_blockErrorCode(blockErrorCode)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        this->m_errorCode = UsesBlocks() ? m_blockErrorCode : E_NO_RESPONSE_READ_EEPROM;
    }
    void Enter() override
    {
        m_done = 0;
        SendNextChunk();
    }
    void OnMatch() override
    {
        Advance();
        SendNextChunk();
    }
    virtual void Advance()
    {
        m_done += m_chunk;
        this->m_host->Progress(m_chunk);
    }

    // Sets the range before the machine enters the state.
    void SetRange(unsigned start, unsigned count)
    {
        m_start = start;
        m_total = count;
    }

    static bool UsesBlocks() { return GetModel().McuVersion() >= MCU_BLOCK_EEPROM_VERSION; }

    unsigned m_chunk = 0;
    unsigned m_total;
    unsigned m_done = 0;
    unsigned m_start;

protected:
    static constexpr UINT kTimeoutMs = 2000;

    virtual void AllDone() = 0;
    virtual bool InRange(unsigned address, unsigned count) = 0;
    // The command for the chunk at `address`; byte commands set m_chunk to 1.
    virtual std::wstring ChunkCommand(unsigned address) = 0;

    void SendNextChunk()
    {
        const unsigned left = m_total - m_done;
        if (left == 0) {
            AllDone();
            return;
        }
        const unsigned address = m_start + m_done;
        // Each chunk has the whole retry limit to itself.
        this->m_retries = 0;
        m_chunk = std::min(left, EEPROM_CHUNK);
        // A chunk never crosses a 256-byte page.
        if ((address >> 8) != ((address + m_chunk - 1) >> 8))
            m_chunk = (address | 0xFF) - address + 1;
        if (!InRange(address, m_chunk)) {
            this->Abort(E_INVALID_EEPROM_ADDRESS);
            return;
        }
        this->m_command = ChunkCommand(address);
        if (this->m_command.empty())
            this->GoNext();
        else
            this->Send();
    }

private:
    HRESULT m_blockErrorCode;
};

template <typename T>
class CReadPicPromState : public CPicPromState<T> {
public:
    // With no destination the bytes go to the state's own small buffer. A
    // destination's capacity, when given, is checked against the count.
    CReadPicPromState(T* host, const wchar_t* name, CState<T>* next, unsigned start, unsigned count,
                      BYTE* destination = nullptr, unsigned capacity = kUnknownCapacity)
        : CPicPromState<T>(host, name, next, start, count, E_NO_RESPONSE_READ_EEPROM_BLOCK)
    {
        SetDestination(destination, capacity);
    }

    // A count the destination cannot hold is refused before anything is sent.
    void Enter() override
    {
        if (this->m_total > m_capacity) {
            this->Abort(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
            return;
        }
        CPicPromState<T>::Enter();
    }

    BOOL IsMatch() override
    {
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        BYTE* target = m_destination + this->m_done;
        if (this->UsesBlocks())
            return ParseErReply(this->m_command, reply, this->m_chunk, target);
        BYTE value = 0;
        if (!ParseLdprReply(this->m_command, reply, &value))
            return FALSE;
        // A byte counts when two reads in a row agree.
        if (value == m_lastValue) {
            ++m_equalReads;
        } else {
            m_equalReads = 1;
            m_lastValue = value;
        }
        if (m_equalReads < m_requiredEqualReads) {
            this->m_host->KillTimer();
            this->Send();
            return FALSE;
        }
        *target = value;
        return TRUE;
    }

    // Sets where the bytes go; the machine calls it before the state runs.
    void SetDestination(BYTE* destination, unsigned capacity = kUnknownCapacity)
    {
        m_destination = destination ? destination : m_inline.data();
        m_capacity = destination ? capacity : static_cast<unsigned>(m_inline.size());
    }
    const BYTE* Data() const { return m_destination; }

    BYTE m_equalReads = 0;
    BYTE m_requiredEqualReads = 2;
    BYTE m_lastValue = 0;

protected:
    void AllDone() override { this->Process(); }
    bool InRange(unsigned address, unsigned count) override { return IsValidEepromRange(address, count); }
    std::wstring ChunkCommand(unsigned address) override
    {
        if (this->UsesBlocks())
            return FormatErCommand(address, this->m_chunk);
        this->m_chunk = 1;
        m_equalReads = 0;
        return FormatLdprCommand(address);
    }

private:
    static constexpr unsigned kUnknownCapacity = ~0u;
    BYTE* m_destination = nullptr;
    unsigned m_capacity = 0;
    std::array<BYTE, 16> m_inline{};
};

template <typename T>
class CWritePicPromState : public CPicPromState<T> {
public:
    CWritePicPromState(T* host, const wchar_t* name, CState<T>* next, unsigned start, unsigned count,
                       const BYTE* source)
        : CPicPromState<T>(host, name, next, start, count, E_NO_RESPONSE_WRITE_EEPROM_BLOCK), m_source(source)
    {
    }

    BOOL IsMatch() override
    {
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        if (this->UsesBlocks())
            return ParseEwReply(this->m_command, reply);
        return reply == m_expected;
    }
    virtual void OnAllWritten() { this->GoNext(); }
    void OnSent() override { ++this->m_host->m_eepromWrites; }

    void SetSource(const BYTE* source) { m_source = source; }

    std::wstring m_expected;

protected:
    void AllDone() override { OnAllWritten(); }
    bool InRange(unsigned address, unsigned count) override { return InWritableEepromRegion(address, count); }
    std::wstring ChunkCommand(unsigned address) override
    {
        const BYTE* data = m_source + this->m_done;
        if (this->UsesBlocks())
            return FormatEwCommand(address, data, this->m_chunk);
        this->m_chunk = 1;
        const std::wstring write = FormatLdpwCommand(address, *data);
        if (write.empty())
            return {};
        // The read-back of the written byte confirms it.
        m_expected = FormatLdprReply(address, *data);
        return write + FormatLdprCommand(address);
    }

private:
    const BYTE* m_source;
};
