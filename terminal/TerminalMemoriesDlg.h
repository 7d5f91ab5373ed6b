// The 16 memory labels and texts of one terminal mode. Save writes them to
// the registry at once; the page's buttons follow through the labels'
// notices.
#pragma once

#include "Dialog.h"
#include "Observable.h"

class CTerminalMemoriesDlg : public CDialog {
public:
    static constexpr size_t kMemoryCount = 16;
    // What the dialog's edits take by default, as Windows documents it
    // (Wine's 30,000 is less).
    static constexpr size_t kLongestMemoryText = 32767;

    // The labels or the texts of one mode; a longer one in the registry is
    // none.
    class CMemoryArray : public CPersistable<std::wstring, kMemoryCount> {
    public:
        CMemoryArray(const wchar_t* valueName, UINT message)
            : CPersistable(valueName, message, std::wstring(), kLongestMemoryText)
        {
        }
    };

    CTerminalMemoriesDlg(unsigned mode, CMemoryArray& captions, CMemoryArray& texts);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    bool OnOK() override;
    bool OnCancel() override;

    unsigned m_mode;
    CMemoryArray& m_captions;
    CMemoryArray& m_texts;
    bool m_filled = false;
};
