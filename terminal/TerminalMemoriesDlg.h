// The 16 memory labels and texts of one terminal mode. Save writes them to
// the registry at once; the page's buttons follow through the labels'
// notices.
#pragma once

#include "Dialog.h"
#include "Observable.h"

class CTerminalMemoriesDlg : public CDialog {
public:
    static constexpr size_t kMemoryCount = 16;
    using CMemoryArray = CPersistable<std::wstring, kMemoryCount>;

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
