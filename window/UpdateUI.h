// Check marks, enabled states and texts of menu items, kept in a table and
// brought into each popup menu as it opens (WM_INITMENUPOPUP).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

class CUpdateUI {
public:
    // The items whose state this table keeps.
    explicit CUpdateUI(std::initializer_list<UINT> ids);

    void SetCheck(UINT id, bool checked);
    void SetText(UINT id, const std::wstring& text);
    void Enable(UINT id, bool enabled);
    bool IsChecked(UINT id) const;

    // Brings the popup's items in line with the table.
    void UpdateMenu(HMENU popup) const;

    // An accelerator's command (code 1) of a disabled item is swallowed.
    bool SwallowsCommand(UINT id, UINT code) const;

private:
    struct Item {
        UINT id;
        bool checked = false;
        bool enabled = true;
        bool hasText = false;
        std::wstring text;
    };
    Item* Find(UINT id);
    const Item* Find(UINT id) const;

    std::vector<Item> m_items;
};
