// Reading and writing one receiver's crystal-filter settings (and, for the
// main receiver, the transmit filter choices) in the radio's EEPROM. Each
// group of bytes is read whole and written whole when any of it changed;
// after a write the radio is reset and found again.
#pragma once

#include "EepromStates.h"
#include "XtalFilterRules.h"

// Where a group lies for a receiver (0 main, 1 sub).
using FilterGroupAddress = unsigned (*)(unsigned receiver);

// A group a receiver does not have is skipped: the sub receiver has no
// transmit filters, and there are only two receivers.
inline bool HasFilterGroup(unsigned receiver, bool mainOnly)
{
    return mainOnly ? receiver == 0 : receiver < 2;
}

// What a group's read and write share: its bytes, where they lie, and the
// observable they end in once the radio holds them.
template <typename TBase, size_t N>
class CFilterGroupState : public TBase {
protected:
    // `transfer` ends the base's arguments after the group's bytes.
    template <typename T, typename... Transfer>
    CFilterGroupState(T* host, const wchar_t* name, CState<T>* next, CObservable<BYTE, N>& values,
                      FilterGroupAddress address, bool mainOnly, Transfer... transfer)
        : TBase(host, name, next, 0, N, m_bytes, transfer...), m_values(values), m_address(address),
          m_mainOnly(mainOnly)
    {
    }
    // False (and on to the next state) for a group the receiver lacks.
    bool AimAtGroup()
    {
        const unsigned receiver = this->m_host->m_receiver.Get();
        if (!HasFilterGroup(receiver, m_mainOnly)) {
            this->GoNext();
            return false;
        }
        this->SetRange(m_address(receiver), N);
        return true;
    }
    void StoreGroup()
    {
        for (size_t i = 0; i < N; ++i)
            m_values.Set(i, m_bytes[i]);
        this->GoNext();
    }

    BYTE m_bytes[N] = {};
    CObservable<BYTE, N>& m_values;

private:
    FilterGroupAddress m_address;
    bool m_mainOnly;
};

template <typename T, size_t N>
class CReadFilterGroupState : public CFilterGroupState<CReadPicPromState<T>, N> {
public:
    CReadFilterGroupState(T* host, const wchar_t* name, CState<T>* next, CObservable<BYTE, N>& values,
                          FilterGroupAddress address, bool mainOnly = false)
        : CFilterGroupState<CReadPicPromState<T>, N>(host, name, next, values, address, mainOnly, N)
    {
    }
    void Enter() override
    {
        if (this->AimAtGroup())
            CReadPicPromState<T>::Enter();
    }
    void Process() override { this->StoreGroup(); }
};

// Written whole when any byte of it changed.
template <typename T, size_t N>
class CWriteFilterGroupState : public CFilterGroupState<CWritePicPromState<T>, N> {
public:
    CWriteFilterGroupState(T* host, const wchar_t* name, CState<T>* next, CObservable<BYTE, N>& values,
                           FilterGroupAddress address, bool mainOnly = false)
        : CFilterGroupState<CWritePicPromState<T>, N>(host, name, next, values, address, mainOnly)
    {
    }
    void Enter() override
    {
        if (!IsGroupModified(this->m_values)) {
            this->GoNext();
            return;
        }
        if (!this->AimAtGroup())
            return;
        std::copy(this->m_values.m_shadow, this->m_values.m_shadow + N, this->m_bytes);
        CWritePicPromState<T>::Enter();
    }
    void OnAllWritten() override { this->StoreGroup(); }

    static bool IsGroupModified(const CObservable<BYTE, N>& values)
    {
        return !std::equal(values.m_value, values.m_value + N, values.m_shadow);
    }
};

class CXtalFilterStateMachine : public CStateHost<CXtalFilterStateMachine> {
public:
    CXtalFilterStateMachine() : CStateHost(TIMER_XTAL_FILTER) {}

    bool StartRead() { return Start(m_textTerminalOff); }
    bool StartWrite() { return Start(m_setQ7HiddenForWrite); }
    // The transmit bytes count only for the main receiver.
    bool IsModified() const;
    // A write ended with a block gone out and a group still unwritten: the
    // radio holds some of the edits, or all of them but unconfirmed.
    bool IsPartlyWritten() const { return m_eepromWrites != 0 && IsModified(); }

    // m_value: what the radio holds; m_shadow: the edit.
    CObservable<BYTE> m_receiver{WM_APP_FILTER_RECEIVER};
    CObservable<BYTE, FILTER_SLOTS> m_bandwidth{WM_APP_FILTER_BANDWIDTH};
    CObservable<BYTE, FILTER_SLOTS> m_gain{WM_APP_FILTER_GAIN};
    CObservable<BYTE, FILTER_SLOTS> m_offset{WM_APP_FILTER_OFFSET};
    CObservable<BYTE, FILTER_MODES> m_modeMap{WM_APP_FILTER_MODE_MAP};
    CObservable<BYTE> m_txAm{WM_APP_TX_AM_FILTER};
    CObservable<BYTE> m_txCw{WM_APP_TX_CW_FILTER};
    CObservable<BYTE> m_txSsb{WM_APP_TX_SSB_FILTER};
    std::wstring m_savedModeReply;

    using Machine = CXtalFilterStateMachine;
    template <size_t N>
    using Read = CReadFilterGroupState<Machine, N>;
    template <size_t N>
    using Write = CWriteFilterGroupState<Machine, N>;
    static unsigned TxCw(unsigned) { return GetTXCWFilterAddress(); }
    static unsigned TxSsb(unsigned) { return GetTXSSBFilterAddress(); }
    static unsigned TxAm(unsigned) { return GetTXAMFilterAddress(); }

    // Reading.
    CTextTerminalOffState<Machine> m_textTerminalOff{this, L"TextTerminalOff", &m_getOptionModule};
    CGetOptionModuleState<Machine> m_getOptionModule{this, L"GetOptionModule", &m_setQ7Hidden};
    CSetQ7HiddenState<Machine> m_setQ7Hidden{this, L"SetQ7Hidden", &m_readBandwidth};
    Read<FILTER_SLOTS> m_readBandwidth{this, L"ReadFilterBandwidth", &m_readOffset, m_bandwidth,
                                       GetFilterBandwidthAddress};
    Read<FILTER_SLOTS> m_readOffset{this, L"ReadFilterOffset", &m_readGain, m_offset, GetFilterOffsetAddress};
    Read<FILTER_SLOTS> m_readGain{this, L"ReadFilterGain", &m_readModeMap, m_gain, GetFilterGainAddress};
    Read<FILTER_MODES> m_readModeMap{this, L"FilterReadModeMap", &m_readTxCw, m_modeMap, GetFilterModeMapAddress};
    Read<1> m_readTxCw{this, L"ReadTXCW", &m_readTxSsb, m_txCw, TxCw, true};
    Read<1> m_readTxSsb{this, L"ReadTXSSB", &m_readTxAm, m_txSsb, TxSsb, true};
    Read<1> m_readTxAm{this, L"ReadTXAM", &m_restoreQ7, m_txAm, TxAm, true};
    CRestoreQ7State<Machine> m_restoreQ7{this, L"RestoreQ7", &m_final};

    // Writing.
    CSetQ7HiddenState<Machine> m_setQ7HiddenForWrite{this, L"SetQ7Hidden", &m_writeBandwidth};
    Write<FILTER_SLOTS> m_writeBandwidth{this, L"WriteFilterWidth", &m_writeOffset, m_bandwidth,
                                         GetFilterBandwidthAddress};
    Write<FILTER_SLOTS> m_writeOffset{this, L"WriteFilterOffset", &m_writeGain, m_offset, GetFilterOffsetAddress};
    Write<FILTER_SLOTS> m_writeGain{this, L"WriteFilterGain", &m_writeModeMap, m_gain, GetFilterGainAddress};
    Write<FILTER_MODES> m_writeModeMap{this, L"FilterWriteModeMap", &m_writeTxCw, m_modeMap,
                                       GetFilterModeMapAddress};
    Write<1> m_writeTxCw{this, L"WriteTXCW", &m_writeTxSsb, m_txCw, TxCw, true};
    Write<1> m_writeTxSsb{this, L"WriteTXSSB", &m_writeTxAm, m_txSsb, TxSsb, true};
    Write<1> m_writeTxAm{this, L"WriteTXAM", &m_restoreQ7AfterWrite, m_txAm, TxAm, true};
    CRestoreQ7State<Machine> m_restoreQ7AfterWrite{this, L"RestoreQ7", &m_resetMcu};
    CResetMcuState<Machine> m_resetMcu{this, L"ResetMcu", &m_findSpeed};
    CFindSpeedState<Machine> m_findSpeed{this, L"FindSpeed", &m_final};
};
