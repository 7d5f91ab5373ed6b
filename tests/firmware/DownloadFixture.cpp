#include "DownloadFixture.h"

#include <gtest/gtest.h>

#include "BoxWatcher.h"
#include "FirmwareDownloadDlg.h"
#include "FirmwareFileSet.h"
#include "HexFixture.h"
#include "Window.h"
#include "resource.h"

namespace {

const wchar_t kCaption[] = L"Copy Files from Zentrova File Server";
// Far beyond any run of the tests; a hung dialog ends with -2.
constexpr DWORD kRunLimitMs = 30000;

}  // namespace

DownloadRun RunDownload(const std::wstring& folder, const std::function<void(HWND dialog)>& onTick, HWND owner)
{
    CFirmwareFileSet files;
    files.Scan(folder);
    DownloadRun run;
    const DWORD start = GetTickCount();
    CBoxWatcher boxes;
    boxes.OnDialog(kCaption, [&](HWND dialog) {
        if (GetTickCount() - start > kRunLimitMs) {
            run.log = GetWindowString(GetDlgItem(dialog, IDC_RICH_EDIT));
            ADD_FAILURE() << "the download dialog hung; its log:\n" << testing::PrintToString(run.log);
            EndDialog(dialog, -2);
            return true;
        }
        if (onTick)
            onTick(dialog);
        if (GetWindowString(GetDlgItem(dialog, IDCANCEL)) != L"Close")
            return false;
        run.offeredClose = true;
        run.log = GetWindowString(GetDlgItem(dialog, IDC_RICH_EDIT));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    run.end = CFtpDlg(folder, files, L"127.0.0.1").DoModal(owner);
    run.ms = GetTickCount() - start;
    EXPECT_EQ(boxes.Count(), 0u);
    return run;
}

std::set<std::wstring> FolderNames(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.insert(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::string FirmwareHexText(size_t bytes, unsigned seed)
{
    CHexImage image;
    image.Put(0x800, RandomBytes(bytes, seed));
    return image.ToHex();
}
