// The one device model: every setting, every fact about the link and the
// radio, the serial port, the contact machine, and the routing of serial
// notices and timer ticks to the busy machine.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppInfo.h"
#include "DeviceFacts.h"
#include "Folders.h"
#include "Observable.h"
#include "SerialPort.h"
#include "StateMachineInterface.h"
#include "WindowMessages.h"

class CContactStateMachine;
class CModelBase;

// The open port's speed, read from the port's line settings.
template <typename Model>
class CSerialPortSpeedValue : public CEventSource {
public:
    explicit CSerialPortSpeedValue(Model& model) : CEventSource(WM_APP_PORT_SPEED), m_model(model) {}
    DWORD Get() const { return m_model.GetPortSpeed(); }
    // Changes the speed when it can and always tells the listeners.
    void Set(DWORD baud)
    {
        m_model.SetPortSpeed(baud);
        SendToListeners(0, 0);
    }

private:
    Model& m_model;
};

// What the machines need of the line. The serial port serves it; unit tests
// put a scripted peer in its place.
class ISerialLink {
public:
    virtual bool IsOpen() = 0;
    virtual bool PurgeRx() = 0;
    virtual bool WriteBytes(const void* buffer, DWORD count) = 0;
    virtual bool Read(void* buffer, DWORD count, DWORD* read) = 0;
    virtual DWORD GetSpeed() = 0;
    virtual bool SetSpeed(DWORD baud) = 0;

protected:
    ~ISerialLink() = default;
};

class CModelBase {
public:
    CModelBase();
    virtual ~CModelBase();
    CModelBase(const CModelBase&) = delete;
    CModelBase& operator=(const CModelBase&) = delete;

    virtual void ClosePort();
    virtual bool PurgeRx();
    virtual void ResetDeviceFacts();
    virtual std::wstring DescribeConnection();
    // The port state says "open" (0).
    virtual bool IsPortOpen();
    virtual bool IsQ7Device() = 0;
    virtual bool LoadSettings();
    virtual bool SaveSettings();
    virtual bool WriteText(const wchar_t* text);
    virtual bool WriteBytes(const void* buffer, DWORD count);

    std::wstring DescribeBootLoaderConnection();
    bool ReadPort(void* buffer, DWORD count, DWORD* read);
    // The port (or the peer standing in for it) is physically open.
    bool IsLinkOpen();
    // The port's name once it is no longer open (a pulled cable closes it),
    // else empty: what the failure texts name (FormatFailureText).
    std::wstring LostPort();

    // "??.??", "Loading", " N/A " or "%02u.%02u"; empty outside 0..7.
    std::wstring FormatVersion(unsigned index);
    bool HasVersion(unsigned index);
    unsigned short McuVersion() { return FirmwareVersion.Get(VERSION_MCU); }

    DWORD GetPortSpeed();
    bool SetPortSpeed(DWORD baud);
    // Tells a running radio to change its speed, before the PC port follows.
    void SendBaudRateCommand(DWORD baud);

    void SetMainWindow(HWND window);
    HWND MainWindow() const { return m_mainWindow; }

    // Routing of WM_APP_SERIAL_DATA and WM_TIMER: the contact machine while
    // it is busy, else the registered active machine while it is busy. A
    // machine's handler is never entered again while it runs (a box it shows
    // runs a message loop): its ticks are dropped meanwhile, and a notice
    // waits, with its bytes in the port, until the handler has returned.
    bool IsIdle();
    LRESULT DispatchReceive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    IStateMachine* ActiveMachine() const { return m_activeMachine; }
    void SetActiveMachine(IStateMachine* machine) { m_activeMachine = machine; }
    // Leaves the registration, unless another machine has taken it since.
    void ReleaseActiveMachine(IStateMachine* machine)
    {
        if (m_activeMachine == machine)
            m_activeMachine = nullptr;
    }
    CContactStateMachine& Contact() { return *m_contact; }
    // Contacts the radio afresh after an operation that may have changed its
    // firmware or mode (CStateHost2::EndOperation). The model fills it with
    // its contact machine's restart at "FindSpeed"; a test may put its own.
    void SetRecontact(std::function<void()> recontact) { m_recontact = std::move(recontact); }
    void Recontact() { m_recontact(); }

    std::wstring GetDefaultFirmwareFolder();
    void AddPersistable(IPersistable* setting) { m_persistables.push_back(setting); }

    CSerialPort& SerialPort() { return m_port; }
    CAppInfoBase& AppKey() { return m_appInfo; }
    // Puts a scripted peer in place of the serial port (tests); null restores it.
    void SetSerialLink(ISerialLink* link) { m_link = link; }

    // Settings, loaded at start and saved (when changed) at exit.
    CPersistable<int> ActivePage{L"ActivePage", 0, 0};
    CPersistable<unsigned long> AdvancedMode{L"AdvancedMode", WM_APP_ADVANCED_MODE, 0};
    CPersistable<std::wstring> FirmwareFolder{L"FirmwareFolder", WM_APP_FIRMWARE_FOLDER, L"", kLongestPath};
    CPersistable<unsigned long> FirmwareLoadRetryLimit{L"FirmwareLoadRetryLimit", 0, 10};
    CPersistable<unsigned long> FixedSerialSpeed{L"FixedSerialSpeed", WM_APP_FIXED_SERIAL_SPEED, 0};
    CPersistable<unsigned long> LoaderFlags{L"LoaderFlags", WM_APP_LOADER_FLAGS, 0};
    CPersistable<std::wstring> Port{L"Port", WM_APP_PORT, L"", kLongestPortName};
    CPersistable<int> Trace{L"Trace", 0, 0};
    CPersistable<int> VerboseLogging{L"VerboseLogging", 0, 0};

    // Facts about the link and the radio, never saved.
    CObservable<ZentrovaDevice> DeviceKind{0, DEVICE_UNKNOWN};
    CObservable<FirmwareStatusEnum> ConnectionStatus{WM_APP_CONNECTION_STATUS, FIRMWARE_STATUS_UNKNOWN};
    CObservable<unsigned short, VERSION_COUNT> FirmwareVersion{WM_APP_FIRMWARE_VERSION, VERSION_UNREAD};
    CEventSource MachineFinished{WM_APP_MACHINE_FINISHED};
    CObservable<unsigned short> SerialNumber{WM_APP_SERIAL_NUMBER, SERIAL_NUMBER_UNKNOWN};
    CSerialPortSpeedValue<CModelBase> PortSpeed{*this};
    CObservable<int> PortState{WM_APP_PORT_STATE, -1};  // 0 open, -1 closed or failed

    // Set to 1 by the main frame at the end of its window creation.
    int MainWindowReady = 0;

private:
    // A machine's handler on the stack, and whether a notice came for it meanwhile.
    struct SHandler {
        IStateMachine* machine;
        SHandler* outer;
        bool noticeWaits;
    };

    bool NoticeLostPort(bool succeeded);
    IStateMachine* BusyMachine();
    SHandler* FindHandler(IStateMachine* machine);
    // Runs one handler of the machine; true when a notice waits after it.
    template <typename Call>
    bool RunHandler(IStateMachine* machine, Call call);

    CAppInfoT<CModelBase> m_appInfo{AppKeyPath().c_str()};
    HWND m_mainWindow = nullptr;
    std::unique_ptr<CContactStateMachine> m_contact;
    std::function<void()> m_recontact;
    IStateMachine* m_activeMachine = nullptr;
    SHandler* m_handlers = nullptr;
    std::vector<IPersistable*> m_persistables;
    CSerialPort m_port;
    ISerialLink* m_link = nullptr;
};

class CModel : public CModelBase {
public:
    CModel();

    void ResetDeviceFacts() override;
    bool IsQ7Device() override;

    // A reply of at least 16 characters that begins with "OM" is kept;
    // anything else empties the kept reply.
    bool StoreOptionModuleReply(const std::wstring& reply);
    const std::wstring& OptionModuleReply() const { return m_optionModuleReply; }
    void ClearOptionModuleReply() { m_optionModuleReply.clear(); }

    SubRxFlag SecondReceiver = SUBRX_UNKNOWN;

    CPersistable<int> Accessibility{L"Accessibility", 0, 0};
    CPersistable<int> TechnicianTXGainCalibration{L"TechnicianTXGainCalibration", 0, 0};

private:
    std::wstring m_optionModuleReply;
};

// The one model, built on first use.
CModel& GetModel();
