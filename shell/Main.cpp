// Process entry of the Q7 Utility.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "MainFrame.h"
#include "MessageLoop.h"

namespace {

// The message loop's result, or 0 when the frame cannot be made.
int Run(LPWSTR /*commandLine*/, int showCommand)
{
    CMessageLoop loop;
    CMainFrame frame;
    if (!frame.CreateMainFrame())
        return 0;
    ShowWindow(frame.Handle(), showCommand);
    return loop.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    CoInitialize(nullptr);
    // Makes sure user32 is set up before the first window class.
    DefWindowProcW(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const HMODULE richEdit = LoadLibraryW(L"RICHED20.DLL");

    const int result = Run(commandLine, showCommand);

    if (richEdit)
        FreeLibrary(richEdit);
    CoUninitialize();
    return result;
}
