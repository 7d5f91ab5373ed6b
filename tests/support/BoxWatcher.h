// Finds the modal boxes that the code under test opens on this thread, reads
// them and answers them, so that a test never hangs on a box.
//
//     CBoxWatcher boxes;             // answers OK (or Cancel, or No)
//     CodeThatShowsABox();
//     ASSERT_EQ(boxes.Count(), 1u);
//     EXPECT_EQ(boxes[0].text, L"...");
//
// Answers given to the constructor are used in turn (IDYES, IDNO, ...).
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0.
    UINT icon = 0;
    // The box's owner window.
    HWND owner = nullptr;
};

class CBoxWatcher {
public:
    explicit CBoxWatcher(std::initializer_list<int> answers = {});
    ~CBoxWatcher();
    CBoxWatcher(const CBoxWatcher&) = delete;
    CBoxWatcher& operator=(const CBoxWatcher&) = delete;

    size_t Count() const { return m_boxes.size(); }
    const SeenBox& operator[](size_t i) const { return m_boxes.at(i); }
    const std::vector<SeenBox>& Boxes() const { return m_boxes; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnThreadWindow(HWND window, LPARAM);
    void Answer(HWND box);

    UINT_PTR m_timer = 0;
    std::deque<int> m_answers;
    std::vector<SeenBox> m_boxes;
    std::vector<HWND> m_answered;
};
