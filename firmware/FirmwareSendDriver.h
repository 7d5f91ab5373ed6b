// Which firmware a send loads, in what order, at what line speed; and the
// rules the Firmware page enables its boxes and buttons by. Every rule reads
// the model as it is at that moment: after an MCU load the radio has been
// contacted again and its versions are new.
#pragma once

#include <string>

#include "FirmwareFileSet.h"
#include "Model.h"

// LoadCheckbox bits.
enum LoadCheckboxBit : DWORD {
    LOAD_MCU = 0x01,
    LOAD_DSP1 = 0x02,
    LOAD_FPF = 0x04,
    LOAD_DSP2 = 0x08,
    LOAD_DATA_TABLES = 0x10,
};

// AdvancedMode bit that shows the "Always load DSP data tables" box.
inline constexpr unsigned long ADVANCED_DATA_TABLES = 0x20;
// The FPF is loaded only into radios with at least this MCU version.
inline constexpr unsigned short MCU_FPF_VERSION = 179;
// The oldest MCU file a send may load.
inline constexpr WORD MCU_OLDEST_LOADABLE = 137;
// FPF and DSP loads run at this speed when the speed is automatic.
inline constexpr DWORD LOAD_SPEED = 38400;

enum class SendMode { NewOnly = 0, CheckedOrAll = 1 };

// The installed version as the rules compare it: a load in progress counts
// as nothing installed, so a radio left in its boot loader is loaded again.
unsigned short InstalledVersion(unsigned index);

// The view the rules take of the page.
struct SendContext {
    const CFirmwareFileSet& files;
    DWORD loadCheckbox;
};

bool IsBoxEnabled(const SendContext& context, FirmwareFileKind kind);
bool IsNewerAvailable(const SendContext& context);
bool CanSend(const SendContext& context);

struct LoadRequest {
    FirmwareFileKind kind;
    std::wstring path;       // MCU, FPF or DSP program
    std::wstring companion;  // MCU: the boot-block-B image
    std::wstring tinyBoot;   // DSP
    std::wstring dataTable;  // DSP; empty: no table
};

class CFirmwareSendDriver {
public:
    explicit CFirmwareSendDriver(const SendContext& context) : m_context(context) {}
    virtual ~CFirmwareSendDriver() = default;

    // The whole send: MCU, FPF, DSP1, DSP2; a failure of any but DSP2 ends it.
    void Run(SendMode mode);

protected:
    // Runs one loader; true when it ended with success.
    virtual bool RunLoader(const LoadRequest& request) = 0;
    // False for a kind whose loader is not part of this program yet.
    virtual bool HasLoader(FirmwareFileKind kind) = 0;
    virtual void SwitchSpeed(DWORD baud);
    virtual void RestartContact();
    virtual void Status(const std::wstring& text);

private:
    bool Wants(SendMode mode, FirmwareFileKind kind, DWORD bit);
    bool Load(const LoadRequest& request, bool atLoadSpeed);

    SendContext m_context;
};
