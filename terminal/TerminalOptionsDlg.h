// The terminal's idle timeout and font. Each value is written to the
// registry as soon as it is chosen; the page applies the font to its panes
// when the dialog ends with Save.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include "Dialog.h"
#include "Observable.h"

// The page's persisted font values.
struct STerminalFontSettings {
    CPersistable<int>& bold;
    CPersistable<int>& italic;
    CPersistable<std::wstring>& name;
    CPersistable<unsigned long>& size;
};

class CTerminalOptionsDlg : public CDialog {
public:
    static constexpr int kTimeoutDigits = 5;

    CTerminalOptionsDlg(CPersistable<unsigned long>& activityTimeout, const STerminalFontSettings& font,
                        CHARFORMAT2W& format);

    // The font dialog's choice into the settings (saved) and the format.
    void ApplyChosenFont(const CHOOSEFONTW& choice);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnOK() override;
    bool OnCancel() override;

private:
    void OnFont();

    CPersistable<unsigned long>& m_activityTimeout;
    STerminalFontSettings m_font;
    CHARFORMAT2W& m_format;
};
