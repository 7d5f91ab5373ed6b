#include "UpdateUI.h"

CUpdateUI::CUpdateUI(std::initializer_list<UINT> ids)
{
    for (UINT id : ids)
        m_items.push_back(Item{id});
}

CUpdateUI::Item* CUpdateUI::Find(UINT id)
{
    for (Item& item : m_items) {
        if (item.id == id)
            return &item;
    }
    return nullptr;
}

const CUpdateUI::Item* CUpdateUI::Find(UINT id) const
{
    return const_cast<CUpdateUI*>(this)->Find(id);
}

void CUpdateUI::SetCheck(UINT id, bool checked)
{
    if (Item* item = Find(id))
        item->checked = checked;
}

void CUpdateUI::SetText(UINT id, const std::wstring& text)
{
    if (Item* item = Find(id)) {
        item->hasText = true;
        item->text = text;
    }
}

void CUpdateUI::Enable(UINT id, bool enabled)
{
    if (Item* item = Find(id))
        item->enabled = enabled;
}

bool CUpdateUI::IsChecked(UINT id) const
{
    const Item* item = Find(id);
    return item && item->checked;
}

void CUpdateUI::UpdateMenu(HMENU popup) const
{
    const int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        const Item* item = Find(GetMenuItemID(popup, position));
        if (!item)
            continue;
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_STATE;
        info.fState = (item->checked ? MFS_CHECKED : MFS_UNCHECKED) | (item->enabled ? MFS_ENABLED : MFS_GRAYED);
        if (item->hasText) {
            info.fMask |= MIIM_STRING;
            info.dwTypeData = const_cast<wchar_t*>(item->text.c_str());
        }
        SetMenuItemInfoW(popup, position, TRUE, &info);
    }
}

bool CUpdateUI::SwallowsCommand(UINT id, UINT code) const
{
    const Item* item = code == 1 ? Find(id) : nullptr;
    return item && !item->enabled;
}
