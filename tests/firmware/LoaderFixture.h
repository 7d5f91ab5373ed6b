// Shared set-up of the loader tests: a hidden main window that routes like
// the main frame, a radio with boot loader and optional N8 in the test
// process, a clean model, and MCU hex files made from known bytes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "ContactStateMachine.h"
#include "HexFixture.h"
#include "LoaderPeer.h"
#include "MachineTestWindow.h"
#include "McuLoaderStateMachine.h"
#include "TempFolder.h"

struct McuFile {
    std::wstring path;
    // The window 0x800..0x1FD80 as the radio must end up holding it.
    Bytes window;
};

// `size` random bytes from 0x800, the reconciling word in their first two.
McuFile WriteMcuFile(const CTempFolder& folder, const std::wstring& name, size_t size, uint32_t seed);
// The bytes from address 0, as DSP files hold them.
std::wstring WriteWholeFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes);
// The bytes from 0x40 and the 16-byte record at 0xFF00 whose last two bytes
// reconcile them; the record is returned in `header`.
std::wstring WriteFrontPanelFile(const CTempFolder& folder, const std::wstring& name, const Bytes& bytes,
                                 std::array<BYTE, 16>& header);

class LoaderTest : public testing::Test {
protected:
    LoaderTest();
    ~LoaderTest() override;

    // Registers the machine as the dialog does and runs it to its end (the
    // contact run after a load included).
    template <typename Machine>
    bool RunLoad(Machine& machine, DWORD timeoutMs = 30000)
    {
        GetModel().SetActiveMachine(&machine);
        machine.StartLoad(window.Handle());
        return window.WaitForFinish(timeoutMs);
    }

    bool Logged(const std::wstring& line) const
    {
        return std::find(window.logTexts.begin(), window.logTexts.end(), line) != window.logTexts.end();
    }
    // The image the boot loader kept, as one window.
    Bytes ReceivedWindow() const;

    CMachineTestWindow window;
    CLoaderPeer peer;
    CTempFolder folder;
};
