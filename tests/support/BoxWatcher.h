// Finds the modal boxes that the code under test opens on this thread, reads
// them and answers them, so that a test never hangs on a box.
//
//     CBoxWatcher boxes;             // answers OK (or Cancel, or No)
//     CodeThatShowsABox();
//     ASSERT_EQ(boxes.Count(), 1u);
//     EXPECT_EQ(boxes[0].text, L"...");
//
// Answers given to the constructor are used in turn (IDYES, IDNO, ...).
//
// Other modal dialogs are left alone unless a handler is given for their
// caption; it runs on each tick while such a dialog is shown and enabled,
// until it returns true:
//
//     boxes.OnDialog(L"About", [](HWND dialog) { ...; PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); return true; });
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "NonCopyable.h"

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0.
    UINT icon = 0;
    // The box's owner window.
    HWND owner = nullptr;
};

class CBoxWatcher : private CNonCopyable {
public:
    explicit CBoxWatcher(std::initializer_list<int> answers = {});
    ~CBoxWatcher();

    size_t Count() const { return m_boxes.size(); }
    const SeenBox& operator[](size_t i) const { return m_boxes.at(i); }
    const std::vector<SeenBox>& Boxes() const { return m_boxes; }

    void OnDialog(const std::wstring& caption, std::function<bool(HWND dialog)> handler);
    // Used after the constructor's answers; with `when`, the box waits
    // until it returns true.
    void AddAnswer(int answer, std::function<bool()> when = nullptr)
    {
        m_answers.push_back({answer, std::move(when), {}});
    }
    // For the next box with this caption only, ahead of the answers above,
    // while another box may come and go (or wait) meanwhile.
    void AddAnswerFor(const std::wstring& caption, int answer, std::function<bool()> when = nullptr)
    {
        m_answers.push_front({answer, std::move(when), caption});
    }

private:
    struct DialogHandler {
        std::wstring caption;
        std::function<bool(HWND)> handle;
    };

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnThreadWindow(HWND window, LPARAM);
    void Answer(HWND box);
    void Handle(HWND dialog);

    UINT_PTR m_timer = 0;
    struct PendingAnswer {
        int answer;
        std::function<bool()> when;
        // Empty: any box.
        std::wstring caption;
    };
    std::deque<PendingAnswer> m_answers;
    std::vector<SeenBox> m_boxes;
    std::vector<HWND> m_answered;
    std::vector<DialogHandler> m_dialogHandlers;
    std::vector<HWND> m_handled;
};
