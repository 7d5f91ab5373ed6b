// Values that windows watch: an observable keeps its value and a shadow copy
// and, when a new value differs, sends its own message to every subscribed
// window (wParam = element index). A persistable also loads and saves itself
// under the application's registry key.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

#include "AppInfo.h"
#include "NonCopyable.h"
#include "RegistryValue.h"

class CEventSource : private CNonCopyable {
public:
    explicit CEventSource(UINT message) : m_message(message) {}
    virtual ~CEventSource() = default;

    // Tells one window the current state: SendMessageW(window, message, 0, 0).
    virtual void NotifyWindow(HWND window);

    // SendMessageW to every listener, in subscription order.
    void SendToListeners(WPARAM wParam, LPARAM lParam);

    void AddListener(HWND window);
    void RemoveListener(HWND window);
    bool HasListener(HWND window) const;
    UINT Message() const { return m_message; }

private:
    UINT m_message;
    std::vector<HWND> m_listeners;
};

template <typename T, size_t N = 1>
class CObservable : public CEventSource {
    static_assert(N >= 1);

public:
    explicit CObservable(UINT message, const T& initial = T()) : CEventSource(message)
    {
        for (size_t i = 0; i < N; ++i)
            m_value[i] = m_shadow[i] = initial;
    }

    static constexpr size_t Count() { return N; }
    const T& Get(size_t index = 0) const { return m_value[index]; }

    // Notifies only when the value differs from the current value or the
    // shadow; an index beyond N is ignored.
    void Set(size_t index, const T& value)
    {
        if (index >= N || (value == m_value[index] && value == m_shadow[index]))
            return;
        m_value[index] = m_shadow[index] = value;
        SendToListeners(index, 0);
    }
    void Set(const T& value) { Set(0, value); }

    // The edit of an owner that edits a value before it reaches the radio.
    const T& Edited(size_t index = 0) const { return m_shadow[index]; }
    void Edit(size_t index, const T& value)
    {
        if (index < N)
            m_shadow[index] = value;
    }

    // One message for each element, so a new listener shows every value.
    void NotifyWindow(HWND window) override
    {
        for (size_t i = 0; i < N; ++i)
            SendMessageW(window, Message(), i, 0);
    }

    // The value; owners that edit a value before it reaches the radio keep
    // the radio's value here and the edit in the shadow.
    T m_value[N];
    T m_shadow[N];
};

class IPersistable {
public:
    virtual LONG Load(CAppInfoBase& key) = 0;
    virtual LONG Save(CAppInfoBase& key) = 0;

protected:
    ~IPersistable() = default;
};

template <typename T, size_t N = 1>
class CPersistable : public CObservable<T, N>, public IPersistable {
public:
    // The pattern is kept as a pointer: pass a literal. For N > 1 its "%u"
    // stands for the 1-based element number.
    CPersistable(const wchar_t* valueName, UINT message, const T& initial = T())
        : CPersistable(valueName, message, initial, 0)
    {
        static_assert(!std::is_same_v<T, std::wstring>, "a text setting names the longest text it takes");
    }
    // A text setting takes back no text longer than its editor or the system
    // lets it hold: a longer value in the registry reads as missing.
    CPersistable(const wchar_t* valueName, UINT message, const T& initial, size_t longest)
        : CObservable<T, N>(message, initial), m_valueName(valueName), m_longest(longest)
    {
        for (size_t i = 0; i < N; ++i)
            m_stored[i] = initial;
    }

    // Reads every element without notifying; a value missing or unreadable
    // keeps its current value. Returns the status of the last read.
    LONG Load(CAppInfoBase& key) override
    {
        if (!m_valueName || !*m_valueName)
            return ERROR_SUCCESS;
        LONG status = ERROR_SUCCESS;
        for (size_t i = 0; i < N; ++i) {
            T value;
            if constexpr (std::is_same_v<T, std::wstring>)
                status = RegistryValue<T>::Read(key.Key(), ValueName(i).c_str(), value, m_longest);
            else
                status = RegistryValue<T>::Read(key.Key(), ValueName(i).c_str(), value);
            if (status == ERROR_SUCCESS)
                m_stored[i] = this->m_value[i] = this->m_shadow[i] = value;
        }
        return status;
    }


    // Writes only the elements changed since they were read or written; the
    // first failing write ends the save.
    LONG Save(CAppInfoBase& key) override
    {
        if (!m_valueName || !*m_valueName)
            return ERROR_SUCCESS;
        for (size_t i = 0; i < N; ++i) {
            if (this->m_value[i] == m_stored[i])
                continue;
            const LONG status = RegistryValue<T>::Write(key.Key(), ValueName(i).c_str(), this->m_value[i]);
            if (status != ERROR_SUCCESS)
                return status;
            m_stored[i] = this->m_value[i];
        }
        return ERROR_SUCCESS;
    }

    std::wstring ValueName(size_t index) const
    {
        if (N == 1)
            return m_valueName;
        wchar_t name[256];
        _snwprintf(name, 256, m_valueName, static_cast<unsigned>(index + 1));
        name[255] = L'\0';
        return name;
    }

private:
    const wchar_t* m_valueName;
    size_t m_longest;
    T m_stored[N];
};

// The sources one window listens to, so that it can leave them all at once.
class CEventSubscriptions : private CNonCopyable {
public:
    ~CEventSubscriptions() { RemoveAll(); }

    void Add(HWND window, CEventSource& source);
    void RemoveAll();

private:
    HWND m_window = nullptr;
    std::vector<CEventSource*> m_sources;
};
