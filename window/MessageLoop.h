// The thread's message loop, with the filters that may take a message before
// it is dispatched (accelerators, dialog keys) and the handlers that run
// while the queue is empty.
#pragma once

#include <windows.h>

#include <vector>

#include "NonCopyable.h"

class CMessageFilter {
public:
    // True when the message was consumed.
    virtual bool PreTranslateMessage(MSG* message) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    virtual void OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop : private CNonCopyable {
public:
    // The loop registers itself as the thread's loop for its lifetime.
    CMessageLoop();
    ~CMessageLoop();

    // The loop of the calling thread, or null.
    static CMessageLoop* Current();

    void AddMessageFilter(CMessageFilter* filter);
    void RemoveMessageFilter(CMessageFilter* filter);
    void AddIdleHandler(CIdleHandler* handler);
    void RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam.
    int Run();
    // The filters in turn; true when one consumed the message.
    bool PreTranslateMessage(MSG* message);
    void OnIdle();

private:
    CMessageLoop* m_previous;
    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
};
