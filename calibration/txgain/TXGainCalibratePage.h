// The calibrate pages of the TX gain wizard: 5 W, 50 W, 1 mW, and the
// technician's, which runs every level the radio's option modules allow,
// one after the other. Each shows the machine's progress in its log.
#pragma once

#include <optional>

#include "TXGainPages.h"

// The level a technician's run goes on to after `level`: 50 W with the
// amplifier, 1 mW with the transverter interface; none after the last.
std::optional<unsigned char> GetNextTechnicianLevel(unsigned char level, bool bh7w, bool xq6t);

class CTXGCCalibrationPageImpl : public CTXGCMachinePage {
public:
    // IDD_TXGC_CALIBRATE_5W, _50W, _1MW or _TECH.
    CTXGCCalibrationPageImpl(CTXGCContext& context, UINT templateId);
    ~CTXGCCalibrationPageImpl() override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnSetActive() override;
    void OnMachineFinished(HRESULT result) override;

private:
    void StartCalibration();
    // Starts the machine at m_level; a refusal leaves the page usable again.
    void StartLevel();
    void Log(const std::wstring& text);
    // The machine's word on the state it left the radio in, in a box.
    void WarnOfRadioState();

    const unsigned char m_pageLevel;
    const bool m_technician;
    unsigned char m_level;
    DWORD m_startTick = 0;
    HFONT m_logFont = nullptr;
    CRichEditCtrlContext m_log;
};
