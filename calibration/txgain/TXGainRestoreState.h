// Puts back what the run changed: first it unkeys the radio and leaves an
// open menu, then it takes the saved entries from the top of the stack, after
// a band only the band's own, after a failure or at the end all of them.
// It sends whatever the run's result, removes each entry before sending it
// (a port that fails every write cannot keep it busy), and gives every wait
// a bound: a value the radio answers otherwise costs the entry, logged with
// its code, not the run. An entry that gets no reply at all to any of its
// sends means the radio is gone: the rest is not sent, and the run ends
// with that entry's code. The unkey comes first: a radio that does not say
// it receives ends the run, since nothing else matters while it may transmit.
#pragma once

#include "TXGainStates.h"

struct STXGCRestoreEntry {
    std::wstring a;
    std::wstring b;
    HRESULT code = 0;
    DWORD kind = RESTORE_VALUE;
};

template <typename T>
class CTXGCRestoreState : public CState<T> {
public:
    using CState<T>::CState;

    void Init() override
    {
        T* host = this->m_host;
        host->m_terminators = L";";
        m_step = STEP_NONE;
        m_queries = 0;
        auto& run = host->m_run;
        // An entry that a failed write cut short is still owed.
        if (run.inProgress) {
            run.givenUp.push_back(*run.inProgress);
            run.inProgress.reset();
        }
        // The run's result waits while the restore commands go out.
        if (run.deferredResult == 0) {
            run.deferredResult = host->m_result;
            host->m_result = 0;
        }
    }

    void Enter() override
    {
        T* host = this->m_host;
        auto& run = host->m_run;
        m_step = STEP_NONE;
        run.inProgress.reset();
        // The flag stays until the radio says it receives: a lost or unwritten
        // "RX;" must leave it set.
        if (run.transmitting) {
            Send(L"RX;", kReplyMs, STEP_UNKEY);
            return;
        }
        if (run.menuOpen) {
            run.menuOpen = 0;
            Send(L"MN255;", kExitMs, STEP_NEXT);
            return;
        }
        // Decided before the empty stack goes on: a failed run must not go on
        // to the next band.
        if (IsFailure(host->m_result) || run.deferredResult != 0)
            run.loopIndex = kTXGainBandCount;
        const bool bandRestored =
            run.loopIndex < static_cast<int>(kTXGainBandCount) && run.restoreCount <= run.bandMark;
        if (run.restoreCount == 0 || bandRestored || run.radioSilent) {
            GoOn();
            return;
        }
        m_entry = run.restoreEntries[--run.restoreCount];
        run.inProgress = m_entry;
        m_answered = false;
        host->Trace(L"%s Pop %u %s %s 0x%08X %u", this->m_name, run.restoreCount, m_entry.a.c_str(),
                    m_entry.b.c_str(), static_cast<unsigned>(m_entry.code), static_cast<unsigned>(m_entry.kind));
        m_reads = 0;
        if (m_entry.kind == RESTORE_MENU_VALUE)
            Send(m_entry.a, kValueMs, STEP_MENU_VALUE_OPEN);
        else if (m_entry.kind == RESTORE_MENU_STEPS)
            Send(m_entry.a, kMenuMs, STEP_MENU_STEPS_OPEN);
        else
            Read(m_entry.a + m_entry.b, STEP_VALUE);
    }

    void OnTimeout() override
    {
        switch (m_step) {
        case STEP_UNKEY:
        case STEP_UNKEY_QUERY:
            AskReceiving();
            break;
        case STEP_VALUE:
            Read(m_entry.a + m_entry.b, STEP_VALUE);
            break;
        case STEP_MENU_VALUE_OPEN:
            Send(m_entry.b, kValueMs, STEP_MENU_VALUE_SET);
            break;
        case STEP_MENU_VALUE_SET:
        case STEP_MENU_VALUE_READ:
            Read(L"MP;", STEP_MENU_VALUE_READ);
            break;
        case STEP_MENU_STEPS_OPEN:
        case STEP_MENU_STEPS_DOWN:
        case STEP_MENU_STEPS_READ:
            Read(L"DS;", STEP_MENU_STEPS_READ);
            break;
        default:
            // The menu left, or an entry done.
            Enter();
            break;
        }
    }

    void TraceSend(const wchar_t* command) override { this->m_host->Trace(L"%s send %s", this->m_name, command); }

    void OnResponse() override
    {
        T* host = this->m_host;
        const std::wstring& reply = host->m_receiveBuffer;
        m_answered = true;
        switch (m_step) {
        case STEP_UNKEY_QUERY:
            if (reply == L"TQ0;") {
                host->KillTimer();
                host->m_run.transmitting = 0;
                Enter();
            } else if (reply == L"TQ1;") {
                host->KillTimer();
                host->m_run.unkeyAnswered = true;
                if (m_queries < host->m_retryLimit)
                    Send(L"RX;", kReplyMs, STEP_UNKEY);
                else
                    GiveUpUnkey();
            }
            break;
        case STEP_VALUE:
            if (host->ReplyStartsWith(m_entry.a)) {
                host->KillTimer();
                Enter();
            }
            break;
        case STEP_MENU_VALUE_READ:
            if (reply == m_entry.b) {
                host->KillTimer();
                LeaveMenu();
            }
            break;
        case STEP_MENU_STEPS_READ:
            if (!host->ReplyStartsWith(L"DS"))
                break;
            host->KillTimer();
            if (host->ReplyStartsWith(m_entry.b))
                LeaveMenu();
            else if (m_reads < host->m_retryLimit)
                Send(L"DN;", kMenuMs, STEP_MENU_STEPS_DOWN);
            else
                GiveUp();
            break;
        default:
            break;
        }
    }

private:
    enum Step {
        STEP_NONE,
        STEP_NEXT,  // the wait ends with the next entry
        STEP_UNKEY,  // "RX;" sent; then "TQ;" until "TQ0;"
        STEP_UNKEY_QUERY,
        STEP_VALUE,
        STEP_MENU_VALUE_OPEN,
        STEP_MENU_VALUE_SET,
        STEP_MENU_VALUE_READ,
        STEP_MENU_STEPS_OPEN,
        STEP_MENU_STEPS_READ,
        STEP_MENU_STEPS_DOWN,
    };
    static constexpr UINT kReplyMs = 500;
    static constexpr UINT kValueMs = 10;
    static constexpr UINT kMenuMs = 250;
    static constexpr UINT kExitMs = 10;

    // Nothing may follow a send: a failed write ends the run inside it.
    void Send(const std::wstring& command, UINT ms, Step step)
    {
        m_step = step;
        this->m_host->SendCommand(*this, command.c_str(), ms);
    }
    // An entry's query (a value: its setting and query), sent at most the
    // retry limit's times.
    void Read(const std::wstring& query, Step step)
    {
        if (m_reads >= this->m_host->m_retryLimit) {
            GiveUp();
            return;
        }
        ++m_reads;
        Send(query, kReplyMs, step);
    }
    void GiveUp()
    {
        T* host = this->m_host;
        auto& run = host->m_run;
        host->Report(FormatErrorText(static_cast<DWORD>(m_entry.code)));
        if (run.unrestored == 0)
            run.unrestored = m_entry.code;
        run.givenUp.push_back(m_entry);
        run.inProgress.reset();
        if (!m_answered) {
            run.radioSilent = true;
            if (run.deferredResult == 0)
                run.deferredResult = m_entry.code;
        }
        if (m_entry.kind == RESTORE_VALUE)
            Enter();
        else
            LeaveMenu();
    }
    // "TQ;" as the band's own unkey asks it, at most the retry limit's times.
    void AskReceiving()
    {
        if (m_queries >= this->m_host->m_retryLimit) {
            GiveUpUnkey();
            return;
        }
        ++m_queries;
        Send(L"TQ;", kReplyMs, STEP_UNKEY_QUERY);
    }
    // The run ends here, the radio maybe still keyed; the flag tells the end.
    // A radio that said it transmits did respond: that is all there is to tell.
    void GiveUpUnkey()
    {
        T* host = this->m_host;
        if (host->m_run.unrestored == 0 && !host->m_run.unkeyAnswered)
            host->m_run.unrestored = E_NO_RESPONSE_TQ;
        const HRESULT deferred = host->m_run.deferredResult;
        host->m_result = deferred != 0 ? deferred : E_NO_RESPONSE_TQ;
        this->GoFinal();
    }
    void LeaveMenu() { Send(L"MN255;", kExitMs, STEP_NEXT); }
    void GoOn()
    {
        T* host = this->m_host;
        if (host->m_run.loopIndex < static_cast<int>(kTXGainBandCount)) {
            this->GoNext();
            return;
        }
        if (host->m_run.deferredResult != 0)
            host->m_result = host->m_run.deferredResult;
        this->GoFinal();
    }

    Step m_step = STEP_NONE;
    STXGCRestoreEntry m_entry;
    unsigned m_reads = 0;
    unsigned m_queries = 0;
    // Any reply heard since the entry's first send.
    bool m_answered = false;
};
