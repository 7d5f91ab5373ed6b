// The firmware release notes: the RTF file "hfwnotes.rtf" of the firmware
// folder in a modeless, resizable viewer. The main frame keeps at most one.
#pragma once

#include <string>

#include "Dialog.h"
#include "RichEditCtrlContext.h"

class CReleaseInfoDlg : public CDialog {
public:
    // Failures are reported in boxes owned by `owner`.
    explicit CReleaseInfoDlg(HWND owner);

protected:
    BOOL OnInitDialog() override;
    bool OnCancel() override;

private:
    bool LoadFile(const std::wstring& path);

    HWND m_owner;
    CRichEditCtrlContext m_text;
};

// A new viewer of the folder's notes, shown; null (after an error box) when
// the folder has no notes.
CReleaseInfoDlg* ShowReleaseNotes(HWND owner, const std::wstring& firmwareFolder);
// Closes the viewer's window if it is still open and deletes the viewer.
void CloseReleaseNotes(CReleaseInfoDlg* dialog);
