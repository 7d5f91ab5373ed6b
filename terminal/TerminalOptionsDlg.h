// The terminal's idle timeout and font. Each value is written to the
// registry as soon as it is chosen; the page applies the font to its panes
// when the dialog ends with Save.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include "Dialog.h"
#include "Observable.h"
#include "WindowMessages.h"

// "TerminalFontName": a face name as the font dialog gives it. A longer one
// in the registry is none, and the page's default font stays.
class CTerminalFontName : public CPersistable<std::wstring> {
public:
    CTerminalFontName() : CPersistable(L"TerminalFontName", WM_APP_TERMINAL_FONT, L"Courier New", LF_FACESIZE - 1) {}
};

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
