// The RF gain calibration's other states: where a table comes from and where
// it goes (factory, registry, EEPROM), the check that a table is not empty,
// the waits that tell the user why, the option refresh, and the start and
// the steps of the restore.
#pragma once

#include "EepromStates.h"
#include "RFGainTables.h"
#include "SettingReplies.h"

template <typename T>
class CRFGCGetFactoryDefaultState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        this->m_host->Report(IDS_RFGC_FACTORY_TABLE);
        this->m_host->m_run.dspTable = kFactoryRFGainTable;
        this->GoNext();
    }
};

template <typename T>
class CRFGCGetRegistryValueState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        T* host = this->m_host;
        if (!host->LoadRegistryTable(host->m_run.receiver)) {
            this->Abort(E_RFGC_REGISTRY_TABLE_INVALID);
            return;
        }
        host->Report(IDS_RFGC_USING_REGISTRY_VALUE, RFGainRegistryValueName(host->m_run.receiver));
        this->GoNext();
    }
};

// A DSP that measured no signal computes a table of zeros.
template <typename T>
class CRFGCVerifyDspDataTableState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        for (const BYTE value : this->m_host->m_run.dspTable) {
            if (value != 0) {
                this->GoNext();
                return;
            }
        }
        this->Abort(E_RFGC_DATA_ZERO);
    }
};

// A wait or a command whose start is reported, so the user knows why
// nothing seems to happen.
template <typename T>
class CRFGCLongDelayState : public CDelayState<T> {
public:
    CRFGCLongDelayState(T* host, const wchar_t* name, CState<T>* next)
        : CDelayState<T>(host, name, next, kComputeMs)
    {
    }
    void Init() override { this->m_host->Report(IDS_RFGC_WAIT_FOR_TABLE); }

private:
    static constexpr UINT kComputeMs = 8000;
};

template <typename T>
class CRFGCReportedCommandState : public CCommandDelayState<T> {
public:
    CRFGCReportedCommandState(T* host, const wchar_t* name, CState<T>* next, const wchar_t* command, UINT textId)
        : CCommandDelayState<T>(host, name, next, command, 10), m_textId(textId)
    {
    }
    void Init() override { this->m_host->Report(m_textId); }

private:
    UINT m_textId;
};

// The receiver's table from EEPROM into the machine's EEPROM buffer.
template <typename T>
class CRFGCReadPromState : public CReadPicPromState<T> {
public:
    CRFGCReadPromState(T* host, const wchar_t* name, CState<T>* next)
        : CReadPicPromState<T>(host, name, next, 0, RF_GAIN_TABLE_SIZE)
    {
    }
    void Init() override
    {
        CReadPicPromState<T>::Init();
        T* host = this->m_host;
        this->SetRange(RFGainTableAddress(host->m_run.receiver), RF_GAIN_TABLE_SIZE);
        this->SetDestination(host->m_run.eepromTable.data(), RF_GAIN_TABLE_SIZE);
        host->Report(IDS_RFGC_READ_EEPROM_TABLE);
    }
};

// The machine's table into the receiver's EEPROM; a computed table counts
// as the receiver's calibration.
template <typename T>
class CRFGCWritePromState : public CWritePicPromState<T> {
public:
    CRFGCWritePromState(T* host, const wchar_t* name, CState<T>* next)
        : CWritePicPromState<T>(host, name, next, 0, RF_GAIN_TABLE_SIZE, nullptr)
    {
    }
    void Init() override
    {
        CWritePicPromState<T>::Init();
        T* host = this->m_host;
        this->SetRange(RFGainTableAddress(host->m_run.receiver), RF_GAIN_TABLE_SIZE);
        this->SetSource(host->m_run.dspTable.data());
        host->Report(IDS_RFGC_WRITE_EEPROM_TABLE);
    }
    void OnAllWritten() override
    {
        T* host = this->m_host;
        host->m_run.tableStored = true;
        if (host->m_run.markWritten)
            host->m_wizard.tableWritten[host->m_run.receiver == 1 ? 1 : 0] = 1;
        this->GoNext();
    }
};

// "OM;" again for the second receiver; the device kind stays as the contact
// found it.
template <typename T>
class CRFGCGetOptionModuleState : public CGetOptionModuleState<T> {
public:
    using CGetOptionModuleState<T>::CGetOptionModuleState;

protected:
    void SetDeviceKind(ZentrovaDevice) override {}
};

// The restore starts clean: what ended the chain before it is kept to be
// reported at its end. A chain started after it runs the prepare first.
template <typename T>
class CRFGCInitializeRestoreState : public CState<T> {
public:
    using CState<T>::CState;
    void Enter() override
    {
        T* host = this->m_host;
        host->m_run.restoring = true;
        if (host->m_run.firstFailure == 0)
            host->m_run.firstFailure = host->m_result;
        host->m_result = 0;
        host->m_wizard.restorePending = 0;
        // The radio is no longer as the prepare left it.
        host->m_wizard.prepareDue = true;
        this->GoNext();
    }
};

// The command mode put back, owed while one is saved.
template <typename T>
class CRFGCRestoreQ7State : public CRestoreQ7State<T> {
public:
    using CRestoreQ7State<T>::CRestoreQ7State;
    std::wstring NotPutBack() const
    {
        const std::wstring& saved = this->m_host->m_savedModeReply;
        return saved.empty() ? std::wstring() : DescribeUnrestored(NameSetting(E_NO_RESPONSE_Q7), saved);
    }
};

// What a step of the restore owes the radio: "Mode (MD$): MD$1", or nothing.
class IRFGCRestoreStep {
public:
    virtual std::wstring NotPutBack() const = 0;

protected:
    ~IRFGCRestoreStep() = default;
};

// A step of the restore that fails keeps its code for the end. One the radio
// answered otherwise is given up alone, and the rest of the radio is put
// back: auto information and the command mode come last. One the radio did
// not answer at all means the radio is gone, and a port that fails a write
// is gone: the chain ends there, and the rest is owed. Either way a restore
// is due again.
template <typename Step>
class CRFGCRestoreStep : public Step, public IRFGCRestoreStep {
public:
    using Step::Step;
    void Init() override
    {
        Step::Init();
        m_answered = false;
    }
    void OnResponse() override
    {
        m_answered = true;
        Step::OnResponse();
    }
    void Abort(HRESULT hr) override
    {
        auto* host = this->m_host;
        if (host->m_run.firstFailure == 0)
            host->m_run.firstFailure = hr != 0 ? hr : E_FAIL;
        if (!m_answered) {
            this->GoFinal();
            return;
        }
        host->m_wizard.restorePending = 1;
        if (const std::wstring owed = NotPutBack(); !owed.empty())
            host->m_run.givenUp.push_back(owed);
        this->GoNext();
    }
    void GoFinal() override
    {
        auto* host = this->m_host;
        host->m_wizard.restorePending = 1;
        host->m_run.stoppedAt = this;
        Step::GoFinal();
    }
    std::wstring NotPutBack() const override { return Step::NotPutBack(); }

private:
    bool m_answered = false;
};
