// The Firmware tab: the firmware folder, the versions it holds against those
// installed in the radio, the activity log of firmware work, and the sends
// that run the loader dialogs one after the other.
#pragma once

#include "FirmwareFileSet.h"
#include "FirmwareSendDriver.h"
#include "LogText.h"
#include "Model.h"
#include "Observable.h"
#include "PropertyPage.h"
#include "RichEditCtrlContext.h"

// The folder edit: Enter moves on to the next control, as Tab does; the
// page takes the folder when the edit loses the focus.
class CFolderEdit : public CWindow {
protected:
    bool OnGetDlgCode(const MSG* key, LRESULT& code) override;
    bool OnKeyDown(UINT key) override;
    bool OnChar(wchar_t character) override { return character == L'\r'; }
};

class CFirmwarePage : public CPropertyPage {
public:
    CFirmwarePage();

    CPersistable<unsigned long> LoadCheckbox{L"LoadCheckbox", WM_APP_LOAD_CHECKBOX, 0};

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnShow(bool shown, UINT reason) override;
    void OnDestroy() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // A time-stamped line in the log.
    void OnPageText(LPARAM text);
    void OnInstalledVersion(unsigned index);
    void OnLoadCheckbox();
    void OnBoxClicked(UINT id);
    void OnFolderEdited();
    void OnBrowse();
    void OnCheckVersionsNow();
    void OnCopyNewFiles();
    void OnSend(SendMode mode);

    void Refresh();
    void UpdateLoadColumn();
    void EnableBoxes();
    void EnableButtons();
    void CheckReleaseNotes();
    void SetFolder(const std::wstring& folder);
    SendContext Context() const { return {m_files, LoadCheckbox.Get()}; }

    CModel& m_model;
    CFirmwareFileSet m_files;
    bool m_sending = false;
    bool m_subscribing = false;
    CFontHandle m_logFont;
    CFolderEdit m_folderEdit;
    CRichEditCtrlContext m_log;
};
