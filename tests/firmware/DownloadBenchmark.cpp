// Fetches a firmware set of about 1 MB from the loopback FTP server and prints
// how long the connection, the directory change and the listing took, and
// the transfer; then cancels a transfer that the server holds and prints how
// long the dialog took to go. Needs port 21 of 127.0.0.1 (root).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "DownloadFixture.h"
#include "FtpServer.h"
#include "MessagePump.h"
#include "TempFolder.h"

namespace {

unsigned TimeOf(const CFtpServer& server, const char* what, bool last = false)
{
    unsigned ms = 0;
    for (const CFtpServer::Event& event : server.Events()) {
        if (event.what == what) {
            ms = event.ms;
            if (!last)
                break;
        }
    }
    return ms;
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    InitCommonControls();
    const HMODULE richEdit = LoadLibraryW(L"RICHED20.DLL");

    CTempFolder root;
    CTempFolder local;
    root.MakeFolder(L"Q7");
    root.MakeFolder(L"Q7\\firmware");
    size_t bytes = 0;
    unsigned seed = 1;
    for (const wchar_t* name : {L"hmcu0460.hex", L"hmcu0460b.hex", L"hdsp0240.hex", L"hfpf0140.hex"}) {
        const std::string text = FirmwareHexText(92 * 1024, seed++);
        root.Write(std::wstring(L"Q7\\firmware\\") + name, text);
        bytes += text.size();
    }
    root.Write(L"Q7\\firmware\\hfwnotes.rtf", "{\\rtf1 notes}");

    CFtpServer server;
    int exitCode = 1;
    if (server.Start(root.Path())) {
        const unsigned start = server.Now();
        const DownloadRun run = RunDownload(local.Path());
        server.Poll();
        const unsigned listed = TimeOf(server, "listed");
        const unsigned firstAsked = TimeOf(server, "retr");
        const unsigned lastSent = TimeOf(server, "sent", true);
        std::printf("fetched %u bytes in 5 files, dialog end %d\n", static_cast<unsigned>(bytes),
                    static_cast<int>(run.end));
        std::printf("connect, directory change and listing: %.3f s\n", (listed - start) / 1000.0);
        std::printf("transfers: %.3f s (%.0f KB/s)\n", (lastSent - firstAsked) / 1000.0,
                    bytes / 1024.0 / ((lastSent - firstAsked + 1) / 1000.0));
        std::printf("whole dialog: %.3f s\n", run.ms / 1000.0);
        exitCode = run.end == IDOK ? 0 : 1;

        CTempFolder other;
        server.Stall(64 * 1024);
        DWORD cancelledAt = 0;
        const DownloadRun cancelled = RunDownload(other.Path(), [&](HWND dialog) {
            server.Poll();
            if (!cancelledAt && server.Saw("stalled")) {
                cancelledAt = GetTickCount();
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
        std::printf("cancel of a held transfer: dialog end %d, gone %.3f s after Cancel\n",
                    static_cast<int>(cancelled.end), (GetTickCount() - cancelledAt) / 1000.0);
        // WinINet ends the held transfer and lets go of its file.
        server.Stall(0);
        PumpFor(1000);
        server.Stop();
    }
    FreeLibrary(richEdit);
    CoUninitialize();
    return exitCode;
}
