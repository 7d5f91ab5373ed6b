#include "ConfigEndToEnd.h"

#include <commctrl.h>

#include <cstdio>

#include "ConfigFixture.h"
#include "ContactStateMachine.h"
#include "WindowMessages.h"
#include "resource.h"

using namespace configtest;

namespace {

BOOL CALLBACK FindVisibleEdit(HWND child, LPARAM context)
{
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (wcscmp(name, L"Edit") != 0 || !IsWindowVisible(child))
        return TRUE;
    *reinterpret_cast<HWND*>(context) = child;
    return FALSE;
}

// The file-name box of the common file dialogs, old style or new.
HWND FindFileNameEdit(HWND dialog)
{
    for (int id : {0x47C /* cmb13 */, 0x480 /* edt1 */}) {
        if (HWND control = GetDlgItem(dialog, id); control && IsWindowVisible(control))
            return control;
    }
    HWND found = nullptr;
    EnumChildWindows(dialog, &FindVisibleEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

void ConfigEndToEndTest::Connect(unsigned speed, unsigned mcuVersion)
{
    ASSERT_TRUE(radio.Start());
    radio.SetMcuVersion(mcuVersion);
    radio.SetSpeed(speed);
    WriteSetting(L"Port", radio.PortName());
    WriteSetting(L"ActivePage", CTabView::TAB_CONFIGURATION);
    OpenFrame();
    SetWindowSubclass(Frame(), &ConfigEndToEndTest::RecordStatus, 1, reinterpret_cast<DWORD_PTR>(this));
    ASSERT_TRUE(PumpUntil(
        [&] { return model.ConnectionStatus.Get() == FIRMWARE_STATUS_RUNNING && model.Contact().IsIdle(); }, 20000))
        << "the radio was not found";
    ASSERT_EQ(Tabs().GetCurrentIndex(), CTabView::TAB_CONFIGURATION);
}

void ConfigEndToEndTest::AnswerFileDialog(const std::wstring& caption, const std::wstring& path)
{
    AnswerFileDialogs(caption, [path] { return path; });
}

void ConfigEndToEndTest::AnswerFileDialogs(const std::wstring& caption, std::function<std::wstring()> pathNow)
{
    boxes.OnDialog(caption, [this, pathNow](HWND dialog) {
        const std::wstring path = pathNow();
        if (!path.empty()) {
            const HWND edit = FindFileNameEdit(dialog);
            if (!edit)
                return false;
            SetWindowTextW(edit, path.c_str());
        }
        ++fileDialogs;
        const int button = path.empty() ? IDCANCEL : IDOK;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        return true;
    });
}

void ConfigEndToEndTest::Press(int buttonId)
{
    const HWND page = Page(CTabView::TAB_CONFIGURATION);
    const HWND button = GetDlgItem(page, buttonId);
    ASSERT_TRUE(IsWindowEnabled(button));
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ConfigEndToEndTest::DriveToolDialog(const std::wstring& caption, std::function<bool(HWND dialog)> step)
{
    boxes.OnDialog(caption, [this, step, done = false](HWND dialog) mutable {
        wchar_t text[16] = {};
        GetDlgItemTextW(dialog, IDCANCEL, text, 16);
        if (wcscmp(text, L"Close") == 0) {
            toolFailed = true;
            return Cancel(dialog);
        }
        done = done || step(dialog);
        return false;
    });
}

HWND ConfigEndToEndTest::FileNameEdit(HWND dialog)
{
    return FindFileNameEdit(dialog);
}

bool ConfigEndToEndTest::Cancel(HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    return true;
}

LRESULT CALLBACK ConfigEndToEndTest::RecordStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR self)
{
    if (message == WM_APP_STATUS_TEXT && lParam)
        reinterpret_cast<ConfigEndToEndTest*>(self)->statusTexts.push_back(reinterpret_cast<const wchar_t*>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

std::vector<uint8_t> ConfigEndToEndTest::SavedRegions()
{
    std::vector<uint8_t> bytes;
    for (unsigned region = 0; region < GetSavedRegionCount(); ++region) {
        const std::vector<uint8_t> part = radio.ReadEeprom(GetSavedRegionStart(region), GetSavedRegionLength(region));
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

std::vector<uint8_t> ConfigEndToEndTest::Mem2Bytes(const std::string& file)
{
    std::vector<uint8_t> bytes;
    for (const std::string& line : SplitLines(file)) {
        unsigned high, low, count;
        char data[160] = {};
        if (sscanf(line.c_str(), "MEM2 %2X %2X %2X %159s", &high, &low, &count, data) != 4)
            continue;
        for (unsigned i = 0; i < count; ++i) {
            unsigned value = 0;
            sscanf(data + 2 * i, "%2X", &value);
            bytes.push_back(static_cast<uint8_t>(value));
        }
    }
    return bytes;
}

std::string ConfigEndToEndTest::FileOf(const std::vector<std::pair<unsigned, std::vector<uint8_t>>>& runs)
{
    std::vector<std::string> lines{"*Configuration saved by a test"};
    for (const auto& [start, bytes] : runs) {
        for (size_t done = 0; done < bytes.size(); done += 32) {
            const size_t count = std::min<size_t>(32, bytes.size() - done);
            const unsigned address = start + static_cast<unsigned>(done);
            char line[96];
            int length = snprintf(line, sizeof line, "MEM2 %02X %02X %02X ", address >> 8, address & 0xFF,
                                  static_cast<unsigned>(count));
            for (size_t i = 0; i < count; ++i)
                length += snprintf(line + length, sizeof line - length, "%02X", bytes[done + i]);
            lines.push_back(line);
        }
    }
    return Sealed(lines);
}
