#include "BoxWatcher.h"

#include <algorithm>

namespace {

// The one watcher of this thread; a thread timer has no context of its own.
thread_local CBoxWatcher* t_watcher = nullptr;

// Control ids of the system's message box template.
constexpr int kBoxTextId = 0xFFFF;
constexpr int kBoxIconId = 0x0440;

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

UINT IconOf(HWND box)
{
    const HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, kBoxIconId, STM_GETICON, 0, 0));
    if (!icon)
        return 0;
    const struct {
        LPCWSTR id;
        UINT style;
    } icons[] = {{IDI_HAND, MB_ICONHAND},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& candidate : icons) {
        if (LoadIconW(nullptr, candidate.id) == icon)
            return candidate.style;
    }
    return 0;
}

}  // namespace

CBoxWatcher::CBoxWatcher(std::initializer_list<int> answers)
{
    for (int answer : answers)
        m_answers.push_back({answer, nullptr});
    t_watcher = this;
    m_timer = SetTimer(nullptr, 0, 15, &CBoxWatcher::OnTick);
}

CBoxWatcher::~CBoxWatcher()
{
    KillTimer(nullptr, m_timer);
    t_watcher = nullptr;
}

void CALLBACK CBoxWatcher::OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (!t_watcher)
        return;
    // Forget boxes that are gone, so a new box with a reused handle is seen.
    auto& answered = t_watcher->m_answered;
    answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND box) { return !IsWindow(box); }),
                   answered.end());
    auto& handled = t_watcher->m_handled;
    handled.erase(std::remove_if(handled.begin(), handled.end(), [](HWND dialog) { return !IsWindow(dialog); }),
                  handled.end());
    EnumThreadWindows(GetCurrentThreadId(), &CBoxWatcher::OnThreadWindow, 0);
}

BOOL CALLBACK CBoxWatcher::OnThreadWindow(HWND window, LPARAM)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    if (!t_watcher)
        return TRUE;
    // Message boxes have a text control with the id 0xFFFF.
    if (GetDlgItem(window, kBoxTextId))
        t_watcher->Answer(window);
    else
        t_watcher->Handle(window);
    return TRUE;
}

void CBoxWatcher::OnDialog(const std::wstring& caption, std::function<bool(HWND dialog)> handler)
{
    m_dialogHandlers.push_back({caption, std::move(handler)});
}

void CBoxWatcher::Handle(HWND dialog)
{
    if (std::find(m_handled.begin(), m_handled.end(), dialog) != m_handled.end())
        return;
    const std::wstring caption = WindowText(dialog);
    for (DialogHandler& handler : m_dialogHandlers) {
        if (handler.caption == caption) {
            if (handler.handle(dialog))
                m_handled.push_back(dialog);
            return;
        }
    }
}

void CBoxWatcher::Answer(HWND box)
{
    if (std::find(m_answered.begin(), m_answered.end(), box) != m_answered.end())
        return;
    const std::wstring caption = WindowText(box);
    // The first answer for this caption, else the first for any box.
    auto pending = std::find_if(m_answers.begin(), m_answers.end(),
                                [&](const PendingAnswer& a) { return a.caption.empty() || a.caption == caption; });
    if (pending != m_answers.end() && pending->when && !pending->when())
        return;
    m_answered.push_back(box);
    SeenBox seen;
    seen.caption = caption;
    seen.text = WindowText(GetDlgItem(box, kBoxTextId));
    seen.icon = IconOf(box);
    seen.owner = GetWindow(box, GW_OWNER);
    m_boxes.push_back(seen);

    int answer = 0;
    if (pending != m_answers.end()) {
        answer = pending->answer;
        m_answers.erase(pending);
    } else {
        for (int id : {IDOK, IDCANCEL, IDNO}) {
            if (GetDlgItem(box, id)) {
                answer = id;
                break;
            }
        }
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}
