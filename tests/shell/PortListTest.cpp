// The serial-port list from the registry and the technician's Port menu.
#include "ShellFixture.h"

#include <algorithm>

#include "SerialPorts.h"
#include "resource.h"

namespace {

std::vector<std::wstring> MenuItems(HMENU menu)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> Checked(HMENU menu)
{
    std::vector<std::wstring> checked;
    const std::vector<std::wstring> items = MenuItems(menu);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED)
            checked.push_back(items[i]);
    }
    return checked;
}

// Only the names of interest, in their order: other tests' simulators come
// and go in the same list.
std::vector<std::wstring> Only(const std::vector<std::wstring>& names, std::initializer_list<const wchar_t*> wanted)
{
    std::vector<std::wstring> kept;
    for (const std::wstring& name : names) {
        if (std::find_if(wanted.begin(), wanted.end(), [&](const wchar_t* w) { return name == w; }) != wanted.end())
            kept.push_back(name);
    }
    return kept;
}

}  // namespace

TEST_F(ShellTest, ThePortListKeepsRegistryOrderAndSkipsWhatIsNoPort)
{
    // Names in creation order are also in alphabetical order, the order in
    // which Wine lists values; the port names themselves are not sorted.
    ports.Add(L"Q7Test1", L"COM234");
    ports.Add(L"Q7Test2", L"");
    const DWORD number = 233;
    ports.AddRaw(L"Q7Test3", REG_DWORD, &number, sizeof number);
    // Too long for a port name; the ports after it are still listed.
    ports.Add(L"Q7Test4", std::wstring(40, L'X'));
    ports.Add(L"Q7Test5", L"COM231");
    // Sixteen characters fill the buffer with no terminator stored.
    const std::wstring sixteen = L"COM2345678901234";
    ports.AddRaw(L"Q7Test6", REG_SZ, (sixteen + L"X").c_str(), 32);
    ports.Add(L"winachsf0", L"COM232");

    const std::vector<std::wstring> listed = EnumerateSerialPorts();
    EXPECT_EQ(Only(listed, {L"COM234", L"COM231", L"COM2345678901234", L"COM232", L"", L"233"}),
              (std::vector<std::wstring>{L"COM234", L"COM231", sixteen}));
    for (const std::wstring& port : listed)
        EXPECT_LE(port.size(), 16u);
}

TEST_F(ShellTest, ThePortMenuIsThereOnlyForTechnicians)
{
    OpenFrame();
    EXPECT_EQ(MenuItems(GetMenu(Frame())), (std::vector<std::wstring>{L"&File", L"&View", L"&Help"}));
}

class PortMenuTest : public ShellTest {
protected:
    PortMenuTest()
    {
        ports.Add(L"Q7MenuTest1", L"COM241");
        ports.Add(L"Q7MenuTest2", L"COM242");
        WriteSetting(L"TechnicianTXGainCalibration", 1);
    }
    HMENU PortMenu()
    {
        wchar_t text[16] = {};
        GetMenuStringW(GetMenu(Frame()), 1, text, 16, MF_BYPOSITION);
        EXPECT_STREQ(text, L"&Port");
        return GetSubMenu(GetMenu(Frame()), 1);
    }
    UINT IdOf(const std::wstring& port)
    {
        const std::vector<std::wstring> items = MenuItems(PortMenu());
        const auto found = std::find(items.begin(), items.end(), port);
        return GetMenuItemID(PortMenu(), static_cast<int>(found - items.begin()));
    }
};

TEST_F(PortMenuTest, ListsNoneAndThePortsAndChecksTheCurrentOne)
{
    WriteSetting(L"Port", std::wstring(L"COM242"));
    OpenFrame();
    const std::vector<std::wstring> items = MenuItems(PortMenu());
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0], L"NONE");
    EXPECT_EQ(Only(items, {L"COM241", L"COM242"}), (std::vector<std::wstring>{L"COM241", L"COM242"}));
    // Ids follow the positions.
    for (int i = 0; i < GetMenuItemCount(PortMenu()); ++i)
        EXPECT_EQ(GetMenuItemID(PortMenu(), i), static_cast<UINT>(ID_PORT_MENU_FIRST + i));
    EXPECT_EQ(Checked(PortMenu()), std::vector<std::wstring>{L"COM242"});

    SendMessageW(Frame(), WM_COMMAND, IdOf(L"COM241"), 0);
    EXPECT_EQ(model.Port.Get(), L"COM241");
    EXPECT_EQ(Checked(PortMenu()), std::vector<std::wstring>{L"COM241"});
    EXPECT_NE(Title().find(L" on COM241 closed"), std::wstring::npos);
}

TEST_F(PortMenuTest, NoneEmptiesThePortAndNothingElseHappensWhenItIsEmptyAlready)
{
    OpenFrame();
    SelectTab(CTabView::TAB_FIRMWARE);
    const std::wstring logBefore = FirmwareLog();
    SendMessageW(Frame(), WM_COMMAND, ID_PORT_MENU_FIRST, 0);
    EXPECT_EQ(model.Port.Get(), L"");
    EXPECT_EQ(FirmwareLog(), logBefore) << "no port change, no contact run";

    SendMessageW(Frame(), WM_COMMAND, IdOf(L"COM241"), 0);
    ASSERT_EQ(model.Port.Get(), L"COM241");
    const size_t attemptsBefore = FirmwareLog().size();
    SendMessageW(Frame(), WM_COMMAND, ID_PORT_MENU_FIRST, 0);
    EXPECT_EQ(model.Port.Get(), L"");
    EXPECT_TRUE(Checked(PortMenu()).empty());
    EXPECT_EQ(Title().find(L" on "), std::wstring::npos);
    EXPECT_EQ(FirmwareLog().find(L"Opening serial port", attemptsBefore), std::wstring::npos);
}

TEST_F(PortMenuTest, CommandsBeyondTheMenuAreIgnored)
{
    OpenFrame();
    const int count = GetMenuItemCount(PortMenu());
    SendMessageW(Frame(), WM_COMMAND, ID_PORT_MENU_FIRST + count, 0);
    SendMessageW(Frame(), WM_COMMAND, ID_PORT_MENU_LAST, 0);
    EXPECT_EQ(model.Port.Get(), L"");
    EXPECT_EQ(GetMenuItemCount(PortMenu()), count);
}
