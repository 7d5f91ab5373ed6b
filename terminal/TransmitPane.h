// The terminal's transmit pane: text before the send position has gone to
// the radio and may not change. The sent text is also marked protected, but
// not every rich edit honours that (Wine's sends no EN_PROTECTED), so the
// pane refuses such edits itself.
#pragma once

#include "RichEditCtrlContext.h"

class CTransmitPane : public CRichEditCtrlContext {
public:
    // Characters before this have been taken for sending.
    LONG sendPosition = 0;
    // Lets the page itself change sent text.
    bool internalEdit = false;

    // An edit at the selection would change sent text; `deletesBack` for
    // Backspace, which reaches the character before an empty selection.
    bool TouchesSentText(bool deletesBack) const;

protected:
    // EM_REPLACESEL, a control message, is refused as a paste is.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnGetDlgCode(const MSG* key, LRESULT& code) override;
    bool OnKeyDown(UINT key) override;
    bool OnChar(wchar_t character) override;
    bool OnCut() override { return TouchesSentText(false); }
    bool OnPaste() override { return TouchesSentText(false); }
    bool OnClear() override { return TouchesSentText(false); }

private:
    bool RefusesKey(WPARAM key) const;
};
