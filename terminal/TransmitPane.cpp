#include "TransmitPane.h"

#include <richedit.h>

bool CTransmitPane::TouchesSentText(bool deletesBack) const
{
    if (internalEdit)
        return false;
    CHARRANGE selection{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG reach = deletesBack && selection.cpMin == selection.cpMax ? selection.cpMin - 1 : selection.cpMin;
    return reach < sendPosition;
}

bool CTransmitPane::RefusesKey(WPARAM key) const
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_BACK:
        return TouchesSentText(true);
    case VK_DELETE:
        return TouchesSentText(false);
    case VK_INSERT:
        return shift && TouchesSentText(false);
    case 'X':
    case 'V':
        return ctrl && TouchesSentText(false);
    }
    return false;
}

bool CTransmitPane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == EM_REPLACESEL && TouchesSentText(false)) {
        result = 0;
        return true;
    }
    return CRichEditCtrlContext::OnMessage(message, wParam, lParam, result);
}

// The dialog manager would select everything when the focus comes back,
// and only text before the caret is sent.
bool CTransmitPane::OnGetDlgCode(const MSG*, LRESULT& code)
{
    code &= ~DLGC_HASSETSEL;
    return true;
}

bool CTransmitPane::OnKeyDown(UINT key)
{
    return RefusesKey(key);
}

// Printable characters, Enter, Tab and Backspace change the text.
bool CTransmitPane::OnChar(wchar_t character)
{
    return (character >= 0x20 || character == '\r' || character == '\t' || character == '\b') &&
           TouchesSentText(character == '\b');
}
