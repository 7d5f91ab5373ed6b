// The terminal's transmit pane: text before the send position has gone to
// the radio and may not change. The sent text is also marked protected, but
// not every rich edit honours that (Wine's sends no EN_PROTECTED), so the
// pane refuses such edits itself; where EN_PROTECTED comes (Windows), its
// answer is the same rule.
#pragma once

#include <richedit.h>

#include "RichEditCtrlContext.h"

class CTransmitPane : public CRichEditCtrlContext {
public:
    // What a new font for the panes changes: bold, italic, size and face.
    static constexpr DWORD kFontMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_FACE;

    // Characters before this have been taken for sending.
    LONG sendPosition = 0;
    // Lets the page itself change sent text.
    bool internalEdit = false;

    // An edit at the selection (or the range) would change sent text;
    // `deletesBack` for Backspace, which reaches the character before an
    // empty selection.
    bool TouchesSentText(bool deletesBack) const;
    bool TouchesSentText(const CHARRANGE& range, bool deletesBack) const;
    // EN_PROTECTED, sent before any change to protected text, a change of
    // format included: a change at or after the send position, or a new
    // font, may go on.
    bool AllowsProtectedChange(const ENPROTECTED& change) const;

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
