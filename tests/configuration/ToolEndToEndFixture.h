// Shared set-up of the configuration tools' end-to-end tests: the simulated
// transceiver found by the contact machine, a main window that routes like
// the frame, and a watcher that answers boxes and drives the tool's sheet.
#pragma once

#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "SimulatedRadioTest.h"
#include "ToolSheet.h"

class ToolEndToEndTest : public SimulatedRadioTest {
protected:
    // The answers the boxes get, in turn (else OK, Cancel or No).
    explicit ToolEndToEndTest(std::initializer_list<int> answers = {}) : boxes(answers) {}

    // Runs a one-page tool sheet over the main window; `drive` is called on
    // each tick while the sheet is shown, until it returns true.
    INT_PTR RunSheet(CToolSheet& sheet, CPropertyPage& page, const std::wstring& caption,
                     std::function<bool(HWND sheet)> drive)
    {
        boxes.OnDialog(caption, std::move(drive));
        return sheet.Run(window.Handle(), page);
    }

    CBoxWatcher boxes;
};
