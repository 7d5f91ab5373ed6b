// A wizard that owns and runs a machine. What its pages share (the machine
// among it) is built before the pages:
//
//     class CMyWizard : public CMachineWizard<CMyContext> {   // CMyContext::Machine()
//         CMyWizard() : CMachineWizard(WizardRegistration::WhileShown, IDS_MY_TITLE, IDB_MY_WATERMARK,
//                                      IDB_MY_HEADER), m_page(m_context) { AddPage(m_page); }
//     };
//
// The machine is the model's active machine for the wizard's life or while
// it shows, by the wizard's rule, and never after its window is gone. The
// sheet is the machine's owner, for its boxes; its lines and its end go to
// the page that started the run (RunPage.h).
#pragma once

#include <utility>

#include "Model.h"
#include "Wizard97Sheet.h"

enum class WizardRegistration {
    // From construction to the window's end.
    ForLife,
    WhileShown,
};

template <class Context>
class CMachineWizard : public CWizard97Sheet {
public:
    auto& Machine() { return m_context.Machine(); }

protected:
    // The context's own arguments come last.
    template <class... ContextArgs>
    CMachineWizard(WizardRegistration registration, UINT captionId, UINT watermarkId, UINT headerId,
                   ContextArgs&&... contextArgs)
        : CWizard97Sheet(captionId, watermarkId, headerId),
          m_context(std::forward<ContextArgs>(contextArgs)...),
          m_registration(registration)
    {
        if (registration == WizardRegistration::ForLife)
            GetModel().SetActiveMachine(&Machine());
    }
    ~CMachineWizard() override { Release(); }

    void OnInitialized() override
    {
        CWizard97Sheet::OnInitialized();
        Machine().m_owner = m_hwnd;
    }
    void OnShow(bool shown, UINT reason) override
    {
        CWizard97Sheet::OnShow(shown, reason);
        if (m_registration != WizardRegistration::WhileShown)
            return;
        // The system hides an owned wizard with its owner being minimised, or
        // another window maximised (WM_SHOWWINDOW's reasons; a second hide
        // gives none, and the owner may not be iconic yet), and shows it
        // again after: the run goes on meanwhile. Only the user's own hide
        // comes without a reason first.
        if (!shown && (reason != 0 || m_hiddenBySystem)) {
            m_hiddenBySystem = true;
            return;
        }
        m_hiddenBySystem = false;
        if (shown)
            GetModel().SetActiveMachine(&Machine());
        else
            Release();
    }
    void OnDestroy() override
    {
        Release();
        CWizard97Sheet::OnDestroy();
    }

    Context m_context;

private:
    void Release() { GetModel().ReleaseActiveMachine(&Machine()); }

    const WizardRegistration m_registration;
    bool m_hiddenBySystem = false;
};
