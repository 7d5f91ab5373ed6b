// Controls follow the dialog by their rules; the dialog cannot shrink below
// its first size; the size grip sits in the corner.
#include <gtest/gtest.h>

#include "Dialog.h"
#include "DialogResize.h"
#include "resource.h"

namespace {

// The release-notes template: a rich edit that grows and a Close button that moves.
class CResizableDialog : public CDialog {
public:
    CResizableDialog() : CDialog(IDD_RELEASE_NOTES) {}
    const CDialogResize& Resize() const { return m_resize; }

protected:
    BOOL OnInitDialog() override
    {
        m_resize.Init(m_hwnd, {{IDC_RICH_EDIT, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}},
                      true);
        return TRUE;
    }
};

RECT ChildRect(HWND dialog, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

TEST(DialogResizeTest, ControlsFollowTheirRulesAndTheDialogKeepsItsFirstSizeAsMinimum)
{
    CResizableDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND window = dialog.Handle();
    RECT frame;
    GetWindowRect(window, &frame);
    const RECT edit = ChildRect(window, IDC_RICH_EDIT);
    const RECT close = ChildRect(window, IDCANCEL);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CLIPCHILDREN);

    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 50,
                 SWP_NOMOVE | SWP_NOZORDER);
    const RECT grownEdit = ChildRect(window, IDC_RICH_EDIT);
    const RECT movedClose = ChildRect(window, IDCANCEL);
    EXPECT_EQ(grownEdit.left, edit.left);
    EXPECT_EQ(grownEdit.top, edit.top);
    EXPECT_EQ(grownEdit.right, edit.right + 100);
    EXPECT_EQ(grownEdit.bottom, edit.bottom + 50);
    EXPECT_EQ(movedClose.left, close.left + 100);
    EXPECT_EQ(movedClose.top, close.top + 50);
    EXPECT_EQ(movedClose.right - movedClose.left, close.right - close.left);

    // The grip follows the corner.
    RECT client;
    GetClientRect(window, &client);
    const HWND grip = FindWindowExW(window, nullptr, L"ScrollBar", nullptr);
    ASSERT_TRUE(grip);
    RECT gripRect;
    GetWindowRect(grip, &gripRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&gripRect), 2);
    EXPECT_EQ(gripRect.right, client.right);
    EXPECT_EQ(gripRect.bottom, client.bottom);

    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    dialog.Destroy();
    EXPECT_EQ(CWindow::FromHandle(window), nullptr);
}

TEST(DialogResizeTest, AResizeRepaintsTheControlsAsWellAsTheDialog)
{
    CResizableDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND window = dialog.Handle();
    ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_FALSE(GetUpdateRect(GetDlgItem(window, IDCANCEL), nullptr, FALSE));

    RECT frame;
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 80, frame.bottom - frame.top + 40,
                 SWP_NOMOVE | SWP_NOZORDER);
    // The dialog clips its children, so its own repaint leaves them alone.
    for (int id : {IDC_RICH_EDIT, IDCANCEL})
        EXPECT_TRUE(GetUpdateRect(GetDlgItem(window, id), nullptr, FALSE)) << id;
    dialog.Destroy();
}
