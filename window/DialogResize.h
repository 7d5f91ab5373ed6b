// Moving and sizing a dialog's controls with the dialog: each rule names a
// control and how it follows the change of the dialog's client size. An
// optional size grip sits in the bottom right corner, and the dialog cannot
// be made smaller than it started.
//
//     const ResizeRule rules[] = {{IDC_LOG, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}};
//     m_resize.Init(m_hwnd, rules, true);        // in OnInitDialog
// (CDialog hands it WM_SIZE and WM_GETMINMAXINFO.)
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

enum : unsigned {
    DLSZ_SIZE_X = 0x01,
    DLSZ_SIZE_Y = 0x02,
    DLSZ_MOVE_X = 0x04,
    DLSZ_MOVE_Y = 0x08,
};

struct ResizeRule {
    int id;
    unsigned flags;
};

class CDialogResize {
public:
    // Records the layout as it is now. WS_CLIPCHILDREN is added to the
    // dialog's style to keep resizing from flickering.
    void Init(HWND dialog, std::initializer_list<ResizeRule> rules, bool sizeGrip, bool minimumTrackSize = true)
    {
        Init(dialog, std::vector<ResizeRule>(rules), sizeGrip, minimumTrackSize);
    }
    // For rules made at run time (rows of controls).
    void Init(HWND dialog, const std::vector<ResizeRule>& rules, bool sizeGrip, bool minimumTrackSize = true);

    // WM_SIZE lays the controls out; WM_GETMINMAXINFO gives the minimum
    // size. False before Init.
    bool OnSize(UINT type, int width, int height);
    bool OnGetMinMaxInfo(MINMAXINFO& info) const;

    void Layout(int clientWidth, int clientHeight);
    SIZE MinimumTrackSize() const { return m_minimumTrackSize; }

private:
    struct Control {
        HWND window;
        unsigned flags;
        RECT rect;
    };

    HWND m_dialog = nullptr;
    SIZE m_initialClient{};
    SIZE m_minimumTrackSize{};
    std::vector<Control> m_controls;
    HWND m_grip = nullptr;
};
