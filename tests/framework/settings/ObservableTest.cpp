#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Observable.h"
#include "TestWindow.h"

namespace {

constexpr UINT kMessage = WM_APP + 0x100;

// A window that records the observable messages it receives.
class Listener {
public:
    explicit Listener(std::vector<std::pair<HWND, WPARAM>>* journal)
        : m_window([this, journal](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
              if (message != kMessage)
                  return false;
              journal->push_back({window, wParam});
              return true;
          }),
          window(m_window.Handle())
    {
    }

private:
    CTestWindow m_window;

public:
    const HWND window;
};

// A private registry key per test process, removed afterwards.
class RegistryTest : public testing::Test {
protected:
    RegistryTest()
        : m_path(L"Software\\Zentrova\\Q7 Utility Tests\\" + std::to_wstring(GetCurrentProcessId())),
          key(m_path.c_str())
    {
    }
    ~RegistryTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }

    DWORD TypeOf(const wchar_t* name, std::vector<BYTE>* data = nullptr)
    {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key.Key(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return REG_NONE;
        if (data) {
            data->resize(size);
            RegQueryValueExW(key.Key(), name, nullptr, &type, data->data(), &size);
        }
        return type;
    }
    void WriteString(const wchar_t* name, const std::wstring& text)
    {
        RegSetValueExW(key.Key(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring ReadString(const wchar_t* name)
    {
        std::wstring text;
        RegistryValue<std::wstring>::Read(key.Key(), name, text, 1024);
        return text;
    }

    std::wstring m_path;
    CAppInfoBase key;
};

}  // namespace

TEST(Observable, NotifiesSynchronouslyInSubscriptionOrderOnlyOnChange)
{
    std::vector<std::pair<HWND, WPARAM>> journal;
    Listener first(&journal), second(&journal);
    CObservable<int, 3> value(kMessage, 7);
    CEventSubscriptions firstSubscriptions, secondSubscriptions;
    secondSubscriptions.Add(second.window, value);
    firstSubscriptions.Add(first.window, value);

    value.Set(1, 7);  // unchanged
    EXPECT_TRUE(journal.empty());

    value.Set(2, 9);
    ASSERT_EQ(journal.size(), 2u);  // both told before Set returned
    EXPECT_EQ(journal[0], std::make_pair(second.window, WPARAM(2)));
    EXPECT_EQ(journal[1], std::make_pair(first.window, WPARAM(2)));
    EXPECT_EQ(value.Get(2), 9);

    value.Set(2, 9);
    value.Set(3, 1);  // beyond N
    EXPECT_EQ(journal.size(), 2u);

    // Changed and changed back: two notices.
    value.Set(0, 1);
    value.Set(0, 7);
    EXPECT_EQ(journal.size(), 6u);
}

TEST(Observable, ComparesWithTheShadowToo)
{
    std::vector<std::pair<HWND, WPARAM>> journal;
    Listener listener(&journal);
    CObservable<std::wstring> text(kMessage, L"radio");
    CEventSubscriptions subscriptions;
    subscriptions.Add(listener.window, text);

    // An owner keeps an edit in the shadow; setting the radio's value again
    // then differs from the shadow and is announced.
    text.m_shadow[0] = L"edit";
    text.Set(L"radio");
    EXPECT_EQ(journal.size(), 1u);
    EXPECT_EQ(text.m_shadow[0], L"radio");
}

TEST(Observable, NotifyWindowSendsEveryElementToThatWindowOnly)
{
    std::vector<std::pair<HWND, WPARAM>> journal;
    Listener subscribed(&journal), fresh(&journal);
    CObservable<unsigned short, 8> versions(kMessage);
    CEventSubscriptions subscriptions;
    subscriptions.Add(subscribed.window, versions);

    versions.NotifyWindow(fresh.window);
    ASSERT_EQ(journal.size(), 8u);
    for (WPARAM i = 0; i < 8; ++i)
        EXPECT_EQ(journal[i], std::make_pair(fresh.window, i));
}

TEST(Observable, SubscriptionsAddOnceAndLeaveAllAtOnce)
{
    std::vector<std::pair<HWND, WPARAM>> journal;
    Listener listener(&journal);
    CObservable<int> a(kMessage), b(kMessage);
    CEventSubscriptions subscriptions;
    subscriptions.Add(listener.window, a);
    subscriptions.Add(listener.window, a);
    subscriptions.Add(listener.window, b);

    a.Set(1);
    EXPECT_EQ(journal.size(), 1u);  // one listener entry, one message

    subscriptions.RemoveAll();
    a.Set(2);
    b.Set(2);
    EXPECT_EQ(journal.size(), 1u);
    EXPECT_FALSE(a.HasListener(listener.window));
}

TEST_F(RegistryTest, PersistablesUseTheirValueNamesAndRegistryTypes)
{
    CPersistable<std::wstring, 32> texts(L"CommandText%u", kMessage, L"", 120);
    CPersistable<unsigned long> speed(L"FixedSerialSpeed", kMessage);
    CPersistable<int> page(L"ActivePage", kMessage);
    CPersistable<unsigned char, 5> bytes(L"Byte%u", kMessage);
    texts.Set(0, L"FA;");
    texts.Set(31, L"FB;");
    speed.Set(9600);
    page.Set(-1);
    bytes.Set(4, 0xA5);

    EXPECT_EQ(texts.Save(key), ERROR_SUCCESS);
    EXPECT_EQ(speed.Save(key), ERROR_SUCCESS);
    EXPECT_EQ(page.Save(key), ERROR_SUCCESS);
    EXPECT_EQ(bytes.Save(key), ERROR_SUCCESS);

    std::vector<BYTE> data;
    EXPECT_EQ(TypeOf(L"CommandText1", &data), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.size(), 8u);  // "FA;" and its terminating NUL
    EXPECT_EQ(ReadString(L"CommandText32"), L"FB;");
    EXPECT_EQ(TypeOf(L"CommandText2"), static_cast<DWORD>(REG_NONE));  // unchanged: never written
    EXPECT_EQ(TypeOf(L"FixedSerialSpeed"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TypeOf(L"ActivePage"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TypeOf(L"Byte5", &data), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::vector<BYTE>{0xA5});

    CPersistable<std::wstring, 32> textsAgain(L"CommandText%u", kMessage, L"default", 120);
    CPersistable<int> pageAgain(L"ActivePage", kMessage);
    CPersistable<unsigned char, 5> bytesAgain(L"Byte%u", kMessage);
    textsAgain.Load(key);
    pageAgain.Load(key);
    bytesAgain.Load(key);
    EXPECT_EQ(textsAgain.Get(0), L"FA;");
    EXPECT_EQ(textsAgain.Get(1), L"default");  // missing: keeps its default
    EXPECT_EQ(textsAgain.Get(31), L"FB;");
    EXPECT_EQ(pageAgain.Get(), -1);
    EXPECT_EQ(bytesAgain.Get(4), 0xA5);
}

TEST_F(RegistryTest, LoadDoesNotNotifyAndASaveRightAfterItWritesNothing)
{
    WriteString(L"Port", L"COM3");
    std::vector<std::pair<HWND, WPARAM>> journal;
    Listener listener(&journal);
    CPersistable<std::wstring> port(L"Port", kMessage, L"", 15);
    CEventSubscriptions subscriptions;
    subscriptions.Add(listener.window, port);

    port.Load(key);
    EXPECT_EQ(port.Get(), L"COM3");
    EXPECT_TRUE(journal.empty());

    // Someone else changes the registry; a save with nothing changed must not
    // overwrite it.
    WriteString(L"Port", L"COM9");
    EXPECT_EQ(port.Save(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadString(L"Port"), L"COM9");

    // Setting the loaded value again changes nothing either.
    port.Set(L"COM3");
    port.Save(key);
    EXPECT_EQ(ReadString(L"Port"), L"COM9");
}

TEST_F(RegistryTest, AValueOfTheWrongTypeKeepsTheDefault)
{
    WriteString(L"FixedSerialSpeed", L"9600");
    CPersistable<unsigned long> speed(L"FixedSerialSpeed", kMessage, 0);
    EXPECT_EQ(speed.Load(key), ERROR_INVALID_DATA);
    EXPECT_EQ(speed.Get(), 0u);
}

TEST_F(RegistryTest, AFailingWriteStopsTheSaveAndIsTriedAgainNextTime)
{
    CPersistable<std::wstring, 2> texts(L"Text%u", kMessage, L"", 15);
    texts.Set(0, L"one");
    texts.Set(1, L"two");

    CAppInfoBase readOnly(m_path.c_str(), KEY_READ);
    EXPECT_NE(texts.Save(readOnly), ERROR_SUCCESS);
    EXPECT_EQ(TypeOf(L"Text1"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(TypeOf(L"Text2"), static_cast<DWORD>(REG_NONE));

    // Nothing was recorded as stored, so the next save writes both.
    EXPECT_EQ(texts.Save(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadString(L"Text1"), L"one");
    EXPECT_EQ(ReadString(L"Text2"), L"two");
}
