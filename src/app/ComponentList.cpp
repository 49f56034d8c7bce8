#include "app/ComponentList.h"

#include "ui/Menus.h"

ui::TComponent* TComponentList::Find(std::wstring_view name) const {
    for (const auto& c : FComponents)
        if (c->Name == name) return c.get();
    // Menu items belong to their menu.
    std::vector<const ui::TMenuItem*> items;
    for (const auto& c : FComponents)
        if (const auto* menu = dynamic_cast<const ui::TPopupMenu*>(c.get())) items.push_back(&menu->Items);
    while (!items.empty()) {
        const ui::TMenuItem* item = items.back();
        items.pop_back();
        for (const auto& child : item->Items()) {
            if (child->Name == name) return child.get();
            items.push_back(child.get());
        }
    }
    return nullptr;
}
