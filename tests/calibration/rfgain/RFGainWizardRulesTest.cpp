// The RF gain wizard's pages and ways, without windows: which pages a run
// has, where Next and Back lead, and what the RX pages and a failure say.
#include <gtest/gtest.h>

#include "ErrorText.h"
#include "RFGainWizardRules.h"
#include "TextOrId.h"

namespace {

// Dialog ids: Welcome 12000, ChooseSource 12002, SigGen 12004; main
// receiver Knobs 12010, RX 12012, SigGenHigh 12014, RXHigh 12016, Display
// 12018; second receiver 12020-12028 likewise; Completion 12030.
TEST(RFGainWizardRules, PagesBySecondReceiverAndAdvancedRun)
{
    struct Row {
        bool secondReceiver;
        bool advanced;
        std::vector<UINT> pages;
    } rows[] = {
        {false, false, {12000, 12002, 12004, 12010, 12012, 12014, 12016, 12030}},
        {false, true, {12000, 12002, 12004, 12010, 12012, 12014, 12016, 12018, 12030}},
        {true, false, {12000, 12002, 12004, 12010, 12012, 12014, 12016, 12020, 12022, 12024, 12026, 12030}},
        {true, true,
         {12000, 12002, 12004, 12010, 12012, 12014, 12016, 12018, 12020, 12022, 12024, 12026, 12028, 12030}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(GetRFGainWizardPages(row.secondReceiver, row.advanced), row.pages)
            << row.secondReceiver << row.advanced;
}

TEST(RFGainWizardRules, NextLeadsByTheSourceTheTableAndThePagesThere)
{
    const auto computed = RFGC_SOURCE_COMPUTED;
    const auto factory = RFGC_SOURCE_FACTORY;
    const auto current = RFGC_SOURCE_CURRENT;
    const auto registry = RFGC_SOURCE_REGISTRY;
    struct Row {
        UINT page;
        SRFGCRoute route;  // choice, technician, advanced, second receiver, table written
        UINT next;         // 0: the next page of the set
    } rows[] = {
        // A stored table goes straight to the main receiver's RX page; a
        // technician's computed run skips the generator's page.
        {12002, {factory, false, false, true, false}, 12012},
        {12002, {current, true, true, true, false}, 12012},
        {12002, {registry, false, true, false, false}, 12012},
        {12002, {computed, true, false, true, false}, 12010},
        {12002, {computed, false, true, true, false}, 12004},
        // Main receiver: a stored table goes on to the second receiver's RX page.
        {12012, {factory, false, true, true, true}, 12022},
        {12012, {current, false, true, false, false}, 12030},
        // Computed: the high level only after a table was written.
        {12012, {computed, false, true, true, true}, 0},
        {12012, {computed, false, true, true, false}, 12018},
        {12012, {computed, false, false, true, false}, 12020},
        {12012, {computed, true, false, false, false}, 12030},
        // Second receiver: its display for an advanced run, or the end.
        {12022, {factory, false, true, true, true}, 12028},
        {12022, {registry, false, false, true, true}, 12030},
        {12022, {computed, false, true, true, false}, 12028},
        {12022, {computed, false, false, true, false}, 12030},
        {12022, {computed, false, false, true, true}, 0},
        // Elsewhere the next page of the set.
        {12000, {factory, true, true, true, true}, 0},
        {12004, {computed, false, false, false, false}, 0},
        {12016, {computed, false, false, false, false}, 0},
        {12018, {computed, false, true, true, true}, 0},
    };
    for (const Row& row : rows) {
        const SRFGCRoute& r = row.route;
        EXPECT_EQ(GetRFGainWizardNext(row.page, r), row.next)
            << row.page << " choice " << int(r.choice) << " technician " << r.technician << " advanced "
            << r.advanced << " second " << r.secondReceiver << " written " << r.tableWritten;
    }
}

TEST(RFGainWizardRules, BackFromTheKnobsRXAndCompletionPagesChoosesTheSourceAgain)
{
    for (UINT page : {12010u, 12012u, 12020u, 12022u, 12030u})
        EXPECT_EQ(GetRFGainWizardBack(page), 12002u) << page;
    for (UINT page : {12000u, 12002u, 12004u, 12014u, 12016u, 12018u, 12024u, 12026u, 12028u})
        EXPECT_EQ(GetRFGainWizardBack(page), 0u) << page;
}

TEST(RFGainWizardRules, TheRXPagesSayWhatCalibrateWillDo)
{
    struct Row {
        RFGCSource choice;
        const wchar_t* text;
    } rows[] = {
        {RFGC_SOURCE_COMPUTED, L"Click \"Calibrate\" to begin RF Gain calibration"},
        {RFGC_SOURCE_FACTORY, L"Click \"Calibrate\" to store factory default data"},
        {RFGC_SOURCE_CURRENT, L"Click \"Calibrate\" to store current calibration data"},
        {RFGC_SOURCE_REGISTRY, L"Click \"Calibrate\" to store RF Gain calibration table from registry value"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LoadResString(GetRFGCInstructionId(row.choice)), row.text);
}

TEST(RFGainWizardRules, AZeroTableIsExplainedAClosedPortNamedAndATooLowSignalNotBoxedAgain)
{
    EXPECT_EQ(GetRFGCFailureText(static_cast<HRESULT>(0xE20000B3)),
              L"RF Gain calibration data is zero.\nNo signal source was detected.\nTurn Q7 power off and back on, "
              L"supply an appropriate signal source, and perform RF Gain calibration again.");
    EXPECT_EQ(GetRFGCFailureText(static_cast<HRESULT>(0xE20000B6)), FormatErrorText(0xE20000B6));
    EXPECT_NE(FormatErrorText(0xE20000B6).find(L"Missing or invalid RF Gain calibration table registry value"),
              std::wstring::npos);
    // A lost device's write fails with 21 under Wine, 5 or 1167 on Windows,
    // and 6 once the port is closed: each names the port that has closed.
    for (DWORD code : {ERROR_INVALID_HANDLE, ERROR_NOT_READY, ERROR_ACCESS_DENIED, ERROR_DEVICE_NOT_CONNECTED}) {
        EXPECT_EQ(GetRFGCFailureText(code, L"COM3"), L"Serial port COM3 is closed") << code;
        EXPECT_EQ(GetRFGCFailureText(code), FormatErrorText(code)) << code;
    }
    EXPECT_EQ(GetRFGCFailureText(0xE20000B6, L"COM3"), FormatErrorText(0xE20000B6));
    EXPECT_FALSE(IsRFGCFailureBoxed(static_cast<HRESULT>(0xE20000A2)));
    for (DWORD code : {0xE20000B3u, 0xE20000B6u, 0xE20000A0u})
        EXPECT_TRUE(IsRFGCFailureBoxed(static_cast<HRESULT>(code))) << std::hex << code;
}

}  // namespace
