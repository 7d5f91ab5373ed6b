#include "RFGainWizardRules.h"

#include "ErrorText.h"
#include "TextOrId.h"
#include "resource.h"

namespace {

using Role = ERFGCPageRole;
using Needs = ERFGCPageNeeds;

bool IsIncluded(Needs needs, bool secondReceiver, bool advanced)
{
    switch (needs) {
    case Needs::Advanced:
        return advanced;
    case Needs::SecondReceiver:
        return secondReceiver;
    case Needs::SecondReceiverAndAdvanced:
        return secondReceiver && advanced;
    case Needs::Nothing:
        break;
    }
    return true;
}

// After the main receiver: its display for an advanced run, else the
// second receiver, else the end.
UINT AfterMainReceiver(const SRFGCRoute& route)
{
    if (route.advanced)
        return IDD_RFGC_MAIN_DISPLAY;
    return route.secondReceiver ? IDD_RFGC_SUB_KNOBS : IDD_RFGC_COMPLETION;
}

}  // namespace

const SRFGCPage kRFGCPages[14] = {
    {IDD_RFGC_WELCOME, Role::Welcome, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#Welcome", false},
    {IDD_RFGC_CHOOSE_SOURCE, Role::ChooseSource, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#ChooseSource", false},
    {IDD_RFGC_SIG_GEN, Role::SigGen, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#SignalGenerator", false},
    {IDD_RFGC_MAIN_KNOBS, Role::Knobs, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#KnobsMain", true},
    {IDD_RFGC_MAIN_RX, Role::RX, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#CalibrateMain", true},
    {IDD_RFGC_MAIN_SIG_GEN_HIGH, Role::SigGenHigh, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm", false},
    {IDD_RFGC_MAIN_RX_HIGH, Role::RXHigh, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#CalibrateMainHigh", false},
    {IDD_RFGC_MAIN_DISPLAY, Role::Display, RFGC_MAIN_RX, Needs::Advanced, L"RFGainCal.htm", false},
    {IDD_RFGC_SUB_KNOBS, Role::Knobs, RFGC_SUB_RX, Needs::SecondReceiver, L"RFGainCal.htm#KnobsSub", true},
    {IDD_RFGC_SUB_RX, Role::RX, RFGC_SUB_RX, Needs::SecondReceiver, L"RFGainCal.htm#CalibrateSub", true},
    {IDD_RFGC_SUB_SIG_GEN_HIGH, Role::SigGenHigh, RFGC_SUB_RX, Needs::SecondReceiver, L"RFGainCal.htm", false},
    {IDD_RFGC_SUB_RX_HIGH, Role::RXHigh, RFGC_SUB_RX, Needs::SecondReceiver, L"RFGainCal.htm#CalibrateSubHigh", false},
    {IDD_RFGC_SUB_DISPLAY, Role::Display, RFGC_SUB_RX, Needs::SecondReceiverAndAdvanced, L"RFGainCal.htm", false},
    {IDD_RFGC_COMPLETION, Role::Completion, RFGC_MAIN_RX, Needs::Nothing, L"RFGainCal.htm#Completion", true},
};

const SRFGCPage& GetRFGCPage(UINT templateId)
{
    for (const SRFGCPage& page : kRFGCPages) {
        if (page.templateId == templateId)
            return page;
    }
    return kRFGCPages[0];
}

std::vector<UINT> GetRFGainWizardPages(bool secondReceiver, bool advanced)
{
    std::vector<UINT> pages;
    for (const SRFGCPage& page : kRFGCPages) {
        if (IsIncluded(page.needs, secondReceiver, advanced))
            pages.push_back(page.templateId);
    }
    return pages;
}

UINT GetRFGainWizardNext(UINT templateId, const SRFGCRoute& route)
{
    const bool computed = route.choice == RFGC_SOURCE_COMPUTED;
    switch (templateId) {
    case IDD_RFGC_CHOOSE_SOURCE:
        // A stored table needs no signal generator, nor the receiver set up;
        // a technician has the generator connected already.
        if (!computed)
            return IDD_RFGC_MAIN_RX;
        return route.technician ? IDD_RFGC_MAIN_KNOBS : IDD_RFGC_SIG_GEN;
    case IDD_RFGC_MAIN_RX:
        if (!computed)
            return route.secondReceiver ? IDD_RFGC_SUB_RX : IDD_RFGC_COMPLETION;
        // The high level builds on a low-level table.
        return route.tableWritten ? 0 : AfterMainReceiver(route);
    case IDD_RFGC_SUB_RX:
        if (!computed || !route.tableWritten)
            return route.advanced ? IDD_RFGC_SUB_DISPLAY : IDD_RFGC_COMPLETION;
        return 0;
    }
    return 0;
}

UINT GetRFGainWizardBack(UINT templateId)
{
    return GetRFGCPage(templateId).backToChooseSource ? IDD_RFGC_CHOOSE_SOURCE : 0;
}

UINT GetRFGCInstructionId(RFGCSource choice)
{
    switch (choice) {
    case RFGC_SOURCE_FACTORY:
        return IDS_RFGC_CLICK_FACTORY;
    case RFGC_SOURCE_CURRENT:
        return IDS_RFGC_CLICK_CURRENT;
    case RFGC_SOURCE_REGISTRY:
        return IDS_RFGC_CLICK_REGISTRY;
    case RFGC_SOURCE_COMPUTED:
        break;
    }
    return IDS_RFGC_CLICK_COMPUTE;
}

std::wstring GetRFGCFailureText(HRESULT result, const std::wstring& closedPort, bool tableIncomplete)
{
    std::wstring text;
    if (result == static_cast<HRESULT>(E_RFGC_DATA_ZERO))
        text = LoadResString(IDS_RFGC_DATA_ZERO);
    else
        text = FormatFailureText(static_cast<DWORD>(MapResult(result)), closedPort);
    if (tableIncomplete)
        text += L"\n" + LoadResString(IDS_RFGC_TABLE_INCOMPLETE);
    return text;
}

bool IsRFGCFailureBoxed(HRESULT result)
{
    return result != static_cast<HRESULT>(E_RFGC_SIGNAL_TOO_LOW);
}
