#include "MessageLoop.h"

#include <algorithm>

namespace {

thread_local CMessageLoop* t_current = nullptr;

template <typename T>
void Remove(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

CMessageLoop::CMessageLoop() : m_previous(t_current)
{
    t_current = this;
}

CMessageLoop::~CMessageLoop()
{
    t_current = m_previous;
}

CMessageLoop* CMessageLoop::Current()
{
    return t_current;
}

void CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    if (std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end())
        m_filters.push_back(filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter)
{
    Remove(m_filters, filter);
}

void CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), handler) == m_idleHandlers.end())
        m_idleHandlers.push_back(handler);
}

void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler)
{
    Remove(m_idleHandlers, handler);
}

int CMessageLoop::Run()
{
    MSG message;
    for (;;) {
        // Once each time the queue runs empty; GetMessageW then waits.
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
            OnIdle();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;
        if (!PreTranslateMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

bool CMessageLoop::PreTranslateMessage(MSG* message)
{
    // The latest filter first. A filter may leave (a dialog closing) while
    // the list is walked.
    const std::vector<CMessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(m_filters.begin(), m_filters.end(), *it) != m_filters.end() && (*it)->PreTranslateMessage(message))
            return true;
    }
    return false;
}

void CMessageLoop::OnIdle()
{
    const std::vector<CIdleHandler*> handlers = m_idleHandlers;
    for (CIdleHandler* handler : handlers)
        handler->OnIdle();
}
