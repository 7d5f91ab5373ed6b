// What the firmware loaders share: the loader host that drives a progress
// bar and ends by contacting the radio again, the states every load opens
// with, and the packet and resynchronisation states with their retry rules.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "CommandStates.h"
#include "Folders.h"
#include "N8States.h"
#include "ProgressBarStateHost.h"

// The code of a failed image load that left no last error; the load ends
// before anything is sent.
inline constexpr DWORD kUnknownLoadFailure = 0x306;

template <typename T>
class CLoaderStateHost : public CProgressBarStateHost<T> {
public:
    CLoaderStateHost(const wchar_t* name) : CProgressBarStateHost<T>(TIMER_LOADER), m_name(name) {}

    // The contact machine's end, after the restart, is what the dialog hears.
    // A failed load that left the processor without complete firmware says
    // so first.
    void OnFinished() override
    {
        if (IsFailure(this->m_result))
            TellIfIncomplete();
        this->EndOperation();
    }
    // The user has given the load up (its dialog closed mid-load). A load
    // already over (the contact run after it may go on) has told its end.
    virtual void GiveUp()
    {
        const bool running = !this->IsIdle();
        this->Abandon();
        if (running)
            TellIfIncomplete();
    }

    // The dialog's progress bar.
    void SetUpLoadProgress(int total) { this->SetUpProgress(GetDlgItem(this->m_owner, IDC_LOADER_PROGRESS), total); }

    // Per-load bookkeeping, cleared by every StartLoad.
    void ResetLoadBookkeeping()
    {
        m_highestRetries = 0;
        m_totalRetries = 0;
        m_fillBytes = 0;
        m_erased = false;
    }
    void CountRetries(unsigned retries)
    {
        m_highestRetries = std::max(m_highestRetries, retries);
        m_totalRetries += retries;
    }

    // The closing check of every load: the version the radio reports after
    // the reset against the one in the sent file's name.
    HRESULT VerifyVersion(const std::wstring& path, unsigned index)
    {
        CModel& model = GetModel();
        if (model.FirmwareVersion.Get(index) == ParseFileNameVersion(path)) {
            this->Report(IDS_VERSION_VERIFIED, m_name);
            return 0;
        }
        this->Report(IDS_VERSION_MISMATCH, m_name, path.c_str(), kDeviceWord, model.FormatVersion(index).c_str());
        this->Report(IDS_VERSION_VERIFY_FAILED, m_name);
        return E_VERSION_VERIFY_FAILED;
    }

    const wchar_t* m_name;
    unsigned m_highestRetries = 0;
    unsigned m_totalRetries = 0;
    unsigned m_fillBytes = 0;
    DWORD m_loadAddress = 0;
    unsigned m_n8Probe = N8_NOT_PROBED;
    // The command that gives up the processor's firmware (its erase) has
    // gone out in this load: until a load ends well the processor has none
    // complete, and a resend without a power cycle does not reach it.
    bool m_erased = false;

protected:
    // Who has no complete firmware after this load, as the advice names it;
    // null when the load has left the firmware whole.
    virtual const wchar_t* LeftIncomplete() const { return m_erased ? m_name : nullptr; }

private:
    void TellIfIncomplete()
    {
        if (const wchar_t* who = LeftIncomplete())
            this->Report(IDS_NO_COMPLETE_FIRMWARE, who);
    }
};

// Q7 or not yet known goes on; any other device ends the load.
template <typename T>
class CVerifyExpectedDeviceState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        if (GetModel().IsQ7Device())
            this->GoNext();
        else
            this->Abort(E_UNEXPECTED_DEVICE);
    }
};

// The states every load opens with: the N8 probe and its pass-through, the
// option module, then the device check, which goes on to `next`, the load's
// own first state.
template <typename T>
struct SLoadOpening {
    SLoadOpening(T* host, CState<T>* next)
        : verifyDevice(host, L"VerifyExpectedDevice", next), getOptionModule(host, L"GetOptionModule", &verifyDevice),
          n8PassThruOff(host, &getOptionModule), n8PassThruOn(host, &n8PassThruOff),
          determineN8(host, &n8PassThruOff, &getN8Version, &switchOffN8),
          switchOffN8(host, &n8PassThruOn, &determineN8), getN8Version(host, &switchOffN8)
    {
    }

    CVerifyExpectedDeviceState<T> verifyDevice;
    CGetOptionModuleState<T> getOptionModule;
    CSetN8PassThruOffState<T> n8PassThruOff;
    CSetN8PassThruOnState<T> n8PassThruOn;
    CDetermineN8FirmwareState<T> determineN8;
    CSwitchOffN8State<T> switchOffN8;
    CGetN8McuVersionState<T> getN8Version;
};

template <typename T>
class CLoadResyncState;

// One image packet after another, each acknowledged. A refused packet is sent
// again, with one resynchronisation halfway through the host's retry limit;
// a silent radio is resynchronised up to FirmwareLoadRetryLimit times.
template <typename T>
class CPacketState : public CCommandResponseRetryState<T> {
public:
    // `terminators` end a reply and start with the acknowledgement.
    CPacketState(T* host, const wchar_t* name, CState<T>* next, CState<T>* resync, const wchar_t* terminators,
                 UINT timeout)
        : CCommandResponseRetryState<T>(host, name, next, L";", timeout, E_NO_RESPONSE_FIRMWARE_PACKET),
          m_resync(resync), m_terminators(terminators)
    {
    }

    void Init() override
    {
        CCommandResponseRetryState<T>::Init();
        this->m_host->m_fillBytes = 0;
    }
    void Enter() override
    {
        if (this->m_host->BuildNextLoadPacket())
            Send();
        else
            this->GoNext();
    }
    const wchar_t* GetTerminators() override { return m_terminators.c_str(); }

    void OnResponse() override
    {
        T* host = this->m_host;
        if (host->ReplyContainsChar(m_terminators[0])) {
            host->KillTimer();
            if (this->m_retries != 0) {
                if (host->m_fillBytes == 0)
                    host->Report(IDS_RETRY_SUCCEEDED, this->m_retries, host->m_loadAddress);
                else
                    host->Report(IDS_RETRY_SUCCESSFUL_FILL, this->m_retries, host->m_loadAddress, host->m_fillBytes);
                host->CountRetries(this->m_retries);
                this->m_retries = 0;
            }
            host->m_fillBytes = 0;
            Enter();
        } else if (host->ReplyContainsChar(L'N')) {
            host->KillTimer();
            const unsigned before = this->m_retries++;
            if (before == host->m_retryLimit / 2)
                host->Transition(*m_resync);
            else if (this->m_retries < host->m_retryLimit)
                Send();
            else
                this->Abort(E_RETRY_LIMIT_EXHAUSTED);
        }
        // Anything else (the MCU's 'C') is dropped and the packet's time-out runs on.
    }
    void OnTimeout() override
    {
        const unsigned before = this->m_retries++;
        if (before < GetModel().FirmwareLoadRetryLimit.Get())
            this->m_host->Transition(*m_resync);
        else
            this->Abort(this->m_errorCode);
    }
    void GoFinal() override
    {
        T* host = this->m_host;
        host->Report(IDS_SEND_FAILED_AT, host->m_name, host->m_loadAddress);
        host->CountRetries(this->m_retries);
        CCommandResponseRetryState<T>::GoFinal();
    }

    // The packet the host has built, as it stands.
    void Send() override
    {
        T* host = this->m_host;
        host->m_terminators = m_terminators;
        host->TracePacket(this->m_name);
        host->m_receiveBuffer.clear();
        CModel& model = GetModel();
        if (model.PurgeRx() && host->WritePacket()) {
            host->ArmTimer(this->m_delay);
            this->OnSent();
            return;
        }
        host->m_result = static_cast<HRESULT>(GetLastError());
        CState<T>::GoFinal();
    }

protected:
    CState<T>* m_resync;
    std::wstring m_terminators;
};

// ";" polls fill the radio's partly received packet buffer until it refuses
// it; then the same packet goes out again.
template <typename T>
class CLoadResyncState : public CCommandResponseState<T> {
public:
    CLoadResyncState(T* host, const wchar_t* name, const wchar_t* terminators, unsigned limit)
        : CCommandResponseState<T>(host, name, nullptr, L";", kPollMs, E_NO_RESPONSE_RESYNC_POLL),
          m_resyncTerminators(terminators), m_limit(limit)
    {
    }

    void SetReturn(CPacketState<T>* packet) { m_return = packet; }

    void Init() override
    {
        CCommandResponseState<T>::Init();
        this->m_retries = 0;
        this->m_host->m_fillBytes = 1;
    }
    const wchar_t* GetTerminators() override { return m_resyncTerminators; }
    void OnResponse() override
    {
        T* host = this->m_host;
        for (const wchar_t* c = m_resyncTerminators; *c; ++c) {
            if (host->ReplyContainsChar(*c)) {
                host->KillTimer();
                GoNext();
                return;
            }
        }
    }
    // Back to the packet state without Init or Enter: the packet is resent.
    void GoNext() override
    {
        this->m_host->m_current = m_return;
        m_return->Send();
    }
    void OnTimeout() override
    {
        if (this->m_host->m_fillBytes++ < m_limit)
            this->Send();
        else
            this->Abort(this->m_errorCode);
    }

private:
    static constexpr UINT kPollMs = 100;
    const wchar_t* m_resyncTerminators;
    unsigned m_limit;
    CPacketState<T>* m_return = nullptr;
};
