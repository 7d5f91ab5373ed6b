// Window placement in the registry: ten values written and read back, and
// nothing applied unless all ten are there and of the right size.
#include <gtest/gtest.h>

#include "WindowPlacement.h"

namespace {

// A key of its own, so the test needs no lock on the program's key.
const wchar_t kTestKey[] = L"Software\\Zentrova\\Q7 Utility Tests\\Placement";

class WindowPlacementTest : public testing::Test {
protected:
    WindowPlacementTest()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        HKEY key;
        RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegCloseKey(key);
        window = CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 100, 120, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    }
    ~WindowPlacementTest() override
    {
        DestroyWindow(window);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    static RECT NormalRect(HWND window)
    {
        WINDOWPLACEMENT placement{sizeof placement};
        GetWindowPlacement(window, &placement);
        return placement.rcNormalPosition;
    }

    HKEY OpenSubkey(const wchar_t* subkey)
    {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\" + subkey).c_str(), 0, KEY_ALL_ACCESS, &key);
        return key;
    }

    HWND window;
};

}  // namespace

TEST_F(WindowPlacementTest, APlacementSavedUnderWindowIsRestored)
{
    ASSERT_TRUE(SaveWindowPlacement(window, kTestKey));
    HKEY key = OpenSubkey(L"Window");
    ASSERT_TRUE(key);
    for (const wchar_t* name :
         {L"flags", L"showCmd", L"minPosX", L"minPosY", L"maxPosX", L"maxPosY", L"left", L"top", L"right", L"bottom"}) {
        DWORD value = 0;
        EXPECT_EQ(ReadRegistryDword(key, name, value), ERROR_SUCCESS) << name;
    }
    DWORD left = 0;
    ReadRegistryDword(key, L"left", left);
    EXPECT_EQ(left, 100u);
    RegCloseKey(key);

    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW, 10, 10, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr);
    ASSERT_TRUE(RestoreWindowPlacement(other, kTestKey));
    const RECT restored = NormalRect(other);
    const RECT saved = NormalRect(window);
    EXPECT_TRUE(EqualRect(&restored, &saved));
    DestroyWindow(other);
}

TEST_F(WindowPlacementTest, AMissingOrMisshapenValueLeavesTheWindowAsItIs)
{
    ASSERT_TRUE(SaveWindowPlacement(window, kTestKey, L"Other"));
    SetWindowPos(window, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const RECT moved = NormalRect(window);

    HKEY key = OpenSubkey(L"Other");
    const WORD shortValue = 5;
    RegSetValueExW(key, L"right", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&shortValue), sizeof shortValue);
    DWORD value = 0;
    EXPECT_EQ(ReadRegistryDword(key, L"right", value), ERROR_INVALID_DATA);
    EXPECT_FALSE(RestoreWindowPlacement(window, kTestKey, L"Other"));

    RegDeleteValueW(key, L"right");
    EXPECT_EQ(ReadRegistryDword(key, L"right", value), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(RestoreWindowPlacement(window, kTestKey, L"Other"));
    RegCloseKey(key);

    const RECT after = NormalRect(window);
    EXPECT_TRUE(EqualRect(&after, &moved));
    EXPECT_FALSE(RestoreWindowPlacement(window, kTestKey, L"Missing"));
}

TEST_F(WindowPlacementTest, SignedValuesReadBackNegative)
{
    HKEY key = OpenSubkey(L"");
    const DWORD minusOne = 0xFFFFFFFF;
    RegSetValueExW(key, L"minPosX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&minusOne), sizeof minusOne);
    LONG value = 0;
    EXPECT_EQ(ReadRegistryDword(key, L"minPosX", value), ERROR_SUCCESS);
    EXPECT_EQ(value, -1);
    RegCloseKey(key);
}

TEST_F(WindowPlacementTest, AWindowSavedMinimisedComesBackAsItWasBeforeMinimising)
{
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised);
        ShowWindow(window, maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        ShowWindow(window, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(window));
        ASSERT_TRUE(SaveWindowPlacement(window, kTestKey));

        const HWND next = CreateWindowExW(0, L"STATIC", L"next", WS_OVERLAPPEDWINDOW, 10, 10, 50, 50, nullptr,
                                          nullptr, nullptr, nullptr);
        ASSERT_TRUE(RestoreWindowPlacement(next, kTestKey));
        EXPECT_FALSE(IsIconic(next));
        EXPECT_EQ(IsZoomed(next) != FALSE, maximised);
        EXPECT_TRUE(IsWindowVisible(next));
        const RECT restored = NormalRect(next);
        const RECT saved = NormalRect(window);
        EXPECT_TRUE(EqualRect(&restored, &saved));
        DestroyWindow(next);
        ShowWindow(window, SW_RESTORE);
    }
}
