// Test main: the process set-up of the program (COM, common controls,
// rich edit) so that code under test meets the same environment.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    HMODULE richEdit = LoadLibraryW(L"RICHED20.DLL");

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    FreeLibrary(richEdit);
    CoUninitialize();
    return result;
}
