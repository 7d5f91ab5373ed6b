// Test main: the process set-up of the program (COM, common controls,
// rich edit) so that code under test meets the same environment.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>

#include "Model.h"

namespace {

// The model is one per process, and every test of a program shares it: each
// test starts with a new one, so that a failure points at its own cause and
// not at what an earlier test left behind.
class CFreshModel : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        CModel& model = GetModel();
        model.~CModel();
        new (&model) CModel();
    }
};

// The program's settings under a key of this test program's own: test
// programs run side by side, and each would change what another reads. The
// key starts empty: the prefix lives on from run to run, and what a run cut
// short left there must not decide the next one.
void UseOwnSettingsKey()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    SetAppKeyPath(std::wstring(kAppKeyPath) + L" Tests\\" + name.substr(0, name.rfind(L'.')));
    RegDeleteTreeW(HKEY_CURRENT_USER, AppKeyPath().c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    UseOwnSettingsKey();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    HMODULE richEdit = LoadLibraryW(L"RICHED20.DLL");

    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new CFreshModel);
    const int result = RUN_ALL_TESTS();

    FreeLibrary(richEdit);
    CoUninitialize();
    return result;
}
