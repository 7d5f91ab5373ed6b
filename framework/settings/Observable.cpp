#include "Observable.h"

#include <algorithm>

void CEventSource::NotifyWindow(HWND window)
{
    SendMessageW(window, m_message, 0, 0);
}

void CEventSource::SendToListeners(WPARAM wParam, LPARAM lParam)
{
    if (m_message == 0)
        return;
    // A listener may leave (or join) while it is being told.
    const std::vector<HWND> listeners = m_listeners;
    for (HWND window : listeners) {
        if (HasListener(window))
            SendMessageW(window, m_message, wParam, lParam);
    }
}

void CEventSource::AddListener(HWND window)
{
    if (!HasListener(window))
        m_listeners.push_back(window);
}

void CEventSource::RemoveListener(HWND window)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), window), m_listeners.end());
}

bool CEventSource::HasListener(HWND window) const
{
    return std::find(m_listeners.begin(), m_listeners.end(), window) != m_listeners.end();
}

void CEventSubscriptions::Add(HWND window, CEventSource& source)
{
    if (!m_window)
        m_window = window;
    m_sources.push_back(&source);
    source.AddListener(window);
}

void CEventSubscriptions::RemoveAll()
{
    for (CEventSource* source : m_sources)
        source->RemoveListener(m_window);
    m_sources.clear();
    m_window = nullptr;
}
