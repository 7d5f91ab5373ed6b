// The RF gain wizard apart from its windows: its pages, which of them a run
// has, where Next and Back lead, and what a failed chain tells the user.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "RFGainStateMachine.h"

// What a page does; the main and second receivers' pages share theirs.
enum class ERFGCPageRole {
    Welcome,       // prepares the radio
    ChooseSource,  // where the stored table comes from
    SigGen,        // connect the signal generator
    Knobs,         // sets the receiver up
    RX,            // stores the table of the source
    SigGenHigh,    // the generator to -33 dBm
    RXHigh,        // the optional high-level calibration
    Display,       // both copies of the table side by side
    Completion,    // restores the radio
};

// When a page is in the wizard.
enum class ERFGCPageNeeds {
    Nothing,
    Advanced,
    SecondReceiver,
    SecondReceiverAndAdvanced,
};

struct SRFGCPage {
    UINT templateId;
    ERFGCPageRole role;
    BYTE receiver;
    ERFGCPageNeeds needs;
    const wchar_t* helpTopic;
    // Back leads to ChooseSource, to pick another source, not to the page before.
    bool backToChooseSource;
};

// Every page, in the order shown.
extern const SRFGCPage kRFGCPages[14];

const SRFGCPage& GetRFGCPage(UINT templateId);

// The pages of a run by dialog id: with the second receiver's pages when it
// is installed, with the display pages for `AdvancedRFGainCalibration`.
std::vector<UINT> GetRFGainWizardPages(bool secondReceiver, bool advanced);

// What the way on depends on.
struct SRFGCRoute {
    RFGCSource choice;
    bool technician;
    bool advanced;
    bool secondReceiver;
    // A computed table of the page's receiver is in EEPROM.
    bool tableWritten;
};
// Where Next leads from a page: a dialog id, or 0 for the next page.
UINT GetRFGainWizardNext(UINT templateId, const SRFGCRoute& route);
// Where Back leads: ChooseSource, or 0 for the page before.
UINT GetRFGainWizardBack(UINT templateId);

// The RX pages' instruction for the source.
UINT GetRFGCInstructionId(RFGCSource choice);

// What a failed chain tells the user: a zero table its own explanation,
// anything else its text as FormatFailureText gives it (`closedPort`, empty
// while the port is open); and, when the EEPROM write stopped part way,
// that the table must be stored again.
std::wstring GetRFGCFailureText(HRESULT result, const std::wstring& closedPort = {}, bool tableIncomplete = false);
// Whether the failure needs a box: a signal too low was the machine's own
// box, which the user has just answered with Abort.
bool IsRFGCFailureBoxed(HRESULT result);
