// One command to the radio's DSP through the pass-through "!" (main
// receiver) or "@" (second receiver), and the commands built on it: the
// signal level with its verdict, and the table read and write.
//
// The exchange: a 100 ms pause; the sync, "!02" then "02" until as many
// replies in a row were not "(FD)" as the sync limit asks; ";" (no reply,
// 10 ms); the command in pieces of 3, then 2 characters, each answered
// "(hh)", the final ";" again unanswered; then the replies are verified.
// A silent piece or a failed verification starts the sync again; the second
// such failure ends the state.
#pragma once

#include "CommandStates.h"
#include "RFGainDspExchange.h"
#include "RFGainReplies.h"

template <typename T>
class CRFGCSendDspCommandState : public CCommandResponseState<T> {
public:
    CRFGCSendDspCommandState(T* host, const wchar_t* name, CState<T>* next, HRESULT errorCode, const wchar_t* text,
                             UINT progressTextId = 0)
        : CCommandResponseState<T>(host, name, next, L"", kTimeoutMs, errorCode),
          m_text(text),
          m_progressTextId(progressTextId)
    {
    }

    void Init() override
    {
        CCommandResponseState<T>::Init();
        m_step = 0;
        m_syncLimit = 1;
        this->m_retries = 0;
        m_position = 0;
        this->m_host->m_run.dspReplyHex.clear();
        if (!m_text.empty() && (m_text[0] == L'!' || m_text[0] == L'@'))
            m_text[0] = this->m_host->m_run.receiver == 1 ? L'@' : L'!';
        StartSync();
    }
    void Enter() override
    {
        switch (m_step) {
        case 0:
            this->m_command.clear();
            m_step = 1;
            this->m_host->Report(IDS_RFGC_DELAY);
            this->m_host->ArmTimer(kDelayMs);
            break;
        case 1:
            SendPiece(this->m_host->m_run.receiver == 1 ? L"@02" : L"!02", kTimeoutMs);
            break;
        case 2:
            SendPiece(L"02", kTimeoutMs);
            break;
        case 3:
        case 5:
            SendPiece(L";", kTerminatorMs);
            break;
        case 4: {
            const size_t length = DspPieceLength(m_text, m_position);
            const std::wstring piece = m_text.substr(m_position, length);
            m_position += length;
            if (length == 1) {
                m_step = 5;
                SendPiece(piece, kTerminatorMs);
            } else {
                SendPiece(piece, kTimeoutMs);
            }
            break;
        }
        }
    }
    const wchar_t* GetTerminators() override { return L";)"; }
    // Only "(hh)" is a DSP reply; its digits are collected. Nothing is
    // awaited during the first pause.
    BOOL IsMatch() override
    {
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        BYTE value = 0;
        if (this->m_command.empty() || reply.size() != 4 || reply[0] != L'(' || reply[3] != L')' || !HexPairToByte(reply[1], reply[2], value))
            return FALSE;
        this->m_host->m_run.dspReplyHex += reply.substr(1, 2);
        return TRUE;
    }
    void OnMatch() override
    {
        T* host = this->m_host;
        switch (m_step) {
        case 1:
        case 2:
            if (EqualsNoCase(host->m_receiveBuffer, L"(FD)")) {
                m_unmatched = 0;
                // A DSP that only ever says "(FD)" must not keep the sync going.
                if (++m_fdRun >= kLongestFDRun) {
                    RetryOrAbort(this->m_errorCode, FirstSyncLimit());
                    return;
                }
            } else {
                ++m_unmatched;
                m_fdRun = 0;
            }
            m_step = m_unmatched < m_syncLimit ? 2 : 3;
            host->m_run.dspReplyHex.clear();
            Enter();
            break;
        case 3:
            host->m_run.dspReplyHex.clear();
            m_position = 0;
            m_step = 4;
            if (m_progressTextId)
                host->Report(m_progressTextId);
            Enter();
            break;
        case 4:
            if (m_position < m_text.size())
                Enter();
            else
                Verify();
            break;
        case 5:
            Verify();
            break;
        }
    }
    void OnTimeout() override
    {
        // ";" ends the pass-through and is never answered.
        if (this->m_command == L";")
            OnMatch();
        else
            RetryOrAbort(this->m_errorCode, FirstSyncLimit());
    }

protected:
    static constexpr UINT kTimeoutMs = 500;

    std::wstring m_text;

private:
    static constexpr UINT kDelayMs = 100;
    static constexpr UINT kTerminatorMs = 10;
    static constexpr unsigned kSyncLimitAfterFailure = 8;
    static constexpr unsigned kLongestFDRun = 256;

    // Each attempt counts its sync replies from nothing.
    void StartSync()
    {
        m_unmatched = 0;
        m_fdRun = 0;
    }
    void SendPiece(const std::wstring& piece, UINT timeout)
    {
        this->m_command = piece;
        this->m_delay = timeout;
        this->Send();
    }
    void Verify()
    {
        T* host = this->m_host;
        BYTE command = 0, reply = 0;
        const HRESULT hr = VerifyDspResponse(m_text, host->m_run.dspReplyHex, command, reply);
        if (hr == 0) {
            host->Trace(IDS_RFGC_VERIFY_PASSED, this->m_name, command, reply);
            this->Process();
            return;
        }
        host->Report(IDS_RFGC_VERIFY_FAILED, this->m_name, static_cast<unsigned>(hr), m_text.c_str(),
                     host->m_run.dspReplyHex.c_str());
        RetryOrAbort(hr, kSyncLimitAfterFailure);
    }
    unsigned FirstSyncLimit() const { return static_cast<unsigned>(m_text.size() / 2); }
    // The end of the first delay starts the first attempt this way too.
    void RetryOrAbort(HRESULT code, unsigned syncLimit)
    {
        if (++this->m_retries >= this->m_host->m_retryLimit) {
            this->Abort(code);
            return;
        }
        m_step = 1;
        m_syncLimit = syncLimit;
        StartSync();
        Enter();
    }

    UINT m_progressTextId;
    unsigned m_step = 0;
    unsigned m_unmatched = 0;
    unsigned m_fdRun = 0;
    unsigned m_syncLimit = 1;
    size_t m_position = 0;
};

// "!bd0000;": the third reply is the level the DSP receives; a level too low
// for a calibration is the user's to judge (Abort, Retry, Ignore).
template <typename T>
class CRFGCCheckSignalLevelState : public CRFGCSendDspCommandState<T> {
public:
    CRFGCCheckSignalLevelState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCSendDspCommandState<T>(host, name, next, E_NO_RESPONSE_MAIN_DSP_DBM, L"!bd0000;")
    {
    }

    void Init() override
    {
        this->m_host->Report(IDS_RFGC_READ_SIGNAL_LEVEL);
        CRFGCSendDspCommandState<T>::Init();
    }
    void Process() override
    {
        T* host = this->m_host;
        if (!ParseSignalLevel(host->m_run.dspReplyHex, host->m_run.level)) {
            this->Abort(E_DSP_RESPONSE_CORRUPT);
            return;
        }
        switch (host->CheckSignalLevel()) {
        case IDOK:
        case IDIGNORE:
            this->GoNext();
            break;
        case IDRETRY:
            Init();
            this->Enter();
            break;
        default:
            this->Abort(E_RFGC_SIGNAL_TOO_LOW);
        }
    }
};

// "!bb00" and 128 zero bytes: the DSP answers each with a byte of its table.
template <typename T>
class CRFGCReadDspTableState : public CRFGCSendDspCommandState<T> {
public:
    CRFGCReadDspTableState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCSendDspCommandState<T>(host, name, next, E_NO_RESPONSE_RFGC_TABLE_READ, L"")
    {
    }

    void Init() override
    {
        this->m_text = DspTableReadCommand();
        this->m_host->m_run.dspTable.fill(0);
        this->m_host->Report(IDS_RFGC_READ_DSP_TABLE);
        CRFGCSendDspCommandState<T>::Init();
    }
    void Process() override
    {
        T* host = this->m_host;
        if (!ParseDspTableReply(host->m_run.dspReplyHex, host->m_run.dspTable)) {
            this->Abort(E_RFGC_TABLE_READ_UNEXPECTED);
            return;
        }
        host->m_run.dspReplyHex.clear();
        this->GoNext();
    }
};

// "!bc" and the machine's table.
template <typename T>
class CRFGCWriteDspTableState : public CRFGCSendDspCommandState<T> {
public:
    CRFGCWriteDspTableState(T* host, const wchar_t* name, CState<T>* next)
        : CRFGCSendDspCommandState<T>(host, name, next, E_NO_RESPONSE_RFGC_TABLE_WRITE, L"")
    {
    }

    void Init() override
    {
        this->m_text = DspTableWriteCommand(this->m_host->m_run.dspTable);
        this->m_host->Report(IDS_RFGC_WRITE_DSP_TABLE);
        CRFGCSendDspCommandState<T>::Init();
    }
};
