// Wizard97 wizards: a sheet with a watermark bitmap beside its exterior pages
// (the first and the last, full height, no header) and a header bitmap above
// its interior pages, Back/Next/Finish buttons, help on every page, and the
// two fonts of the exterior pages: a bold title font and the bullet font
// (the letter "h" in Marlett draws a bullet).
//
//     class CMyWizard : public CWizard97Sheet {
//     public:
//         CMyWizard() : CWizard97Sheet(IDS_MY_TITLE, IDB_MY_WATERMARK, IDB_MY_HEADER)
//         {
//             AddPage(m_welcome);          // pages in the order shown
//             AddPage(m_step);
//             SetHelpTopic(L"My.htm");     // F1 where no page answers
//         }
//     private:
//         CMyWelcomePage m_welcome;        // CWizard97Page(IDD_MY_WELCOME, WizardPageKind::Exterior)
//         CMyStepPage m_step;              // CWizard97Page(IDD_MY_STEP, WizardPageKind::Interior)
//     };
//     CMyWizard wizard;
//     wizard.DoModal(owner);
//
// A page sets the buttons on each activation (SetWizardButtons in
// OnSetActive) and gives its controls the sheet's fonts (UseTitleFont,
// UseBulletFont in OnInitDialog).
#pragma once

#include "PropertySheet.h"

enum class WizardPageKind {
    // The first and last pages: on the watermark, without the header.
    Exterior,
    Interior,
};

class CWizard97Page : public CPropertyPage {
public:
    CWizard97Page(UINT templateId, WizardPageKind kind);

protected:
    void OnShow(bool shown, UINT reason) override;

    // PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH; 0 disables them all. Posted,
    // as the sheet wants it from an activation.
    void SetWizardButtons(DWORD buttons) const;
    // PSBTN_CANCEL and the others, posted: the sheet acts once this page's
    // handler has returned.
    void PressButton(int button) const;
    void UseTitleFont(int controlId) const;
    void UseBulletFont(int controlId) const;
};

class CWizard97Sheet : public CPropertySheet {
public:
    // Bitmaps and caption are resource ids.
    CWizard97Sheet(UINT captionId, UINT watermarkId, UINT headerId);
    ~CWizard97Sheet() override;

    // The messages a page sends its sheet for the two fonts (an HFONT back).
    static UINT TitleFontMessage();
    static UINT BulletFontMessage();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The current page's help, else the sheet's topic.
    bool OnHelp() override;

private:
    HBITMAP m_watermark;
    HBITMAP m_headerBitmap;
    HFONT m_titleFont;
    HFONT m_bulletFont;
};
