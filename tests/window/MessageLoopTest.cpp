// The message loop: filters take messages before dispatch, the latest filter
// first; idle handlers run when the queue is empty; WM_QUIT's code is the result.
#include <gtest/gtest.h>

#include <vector>

#include "MessageLoop.h"

namespace {

constexpr UINT kPing = WM_APP + 1;

class CRecordingFilter : public CMessageFilter {
public:
    CRecordingFilter(std::vector<int>& order, int name, bool consume) : m_order(order), m_name(name), m_consume(consume) {}
    bool PreTranslateMessage(MSG* message) override
    {
        if (message->message != kPing)
            return false;
        m_order.push_back(m_name);
        return m_consume;
    }

private:
    std::vector<int>& m_order;
    int m_name;
    bool m_consume;
};

// Posts the pings, then ends the loop the next time it goes idle.
class CQuitWhenIdle : public CIdleHandler {
public:
    void OnIdle() override
    {
        ++calls;
        if (calls == 1) {
            PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
            PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
        } else {
            PostQuitMessage(7);
        }
    }
    int calls = 0;
};

}  // namespace

TEST(MessageLoopTest, FiltersSeeMessagesLatestFirstAndIdleHandlersRunWhenTheQueueEmpties)
{
    CMessageLoop loop;
    ASSERT_EQ(CMessageLoop::Current(), &loop);
    std::vector<int> order;
    CRecordingFilter first(order, 1, false), second(order, 2, true);
    loop.AddMessageFilter(&first);
    loop.AddMessageFilter(&second);
    CQuitWhenIdle idle;
    loop.AddIdleHandler(&idle);

    EXPECT_EQ(loop.Run(), 7);
    // The second filter consumed both pings, so the first never saw them.
    EXPECT_EQ(order, (std::vector<int>{2, 2}));
    EXPECT_EQ(idle.calls, 2);

    loop.RemoveMessageFilter(&second);
    MSG message{nullptr, kPing};
    EXPECT_FALSE(loop.PreTranslateMessage(&message));
    EXPECT_EQ(order.back(), 1);
}
