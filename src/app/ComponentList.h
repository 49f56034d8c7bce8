// The components of a form as designed, owned in the order they were made
// and found by their designed name. The form's parts put the controls they
// make here, so that one list answers for the whole window.
#pragma once

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/WinControl.h"

class TComponentList {
public:
    TComponentList() = default;
    TComponentList(const TComponentList&) = delete;
    TComponentList& operator=(const TComponentList&) = delete;
    ~TComponentList() { Clear(); }

    template <typename T, typename... Args>
    T* Own(Args&&... args) {
        auto c = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = c.get();
        FComponents.push_back(std::move(c));
        return raw;
    }

    // The component of that name, a popup menu's items included; null
    // when there is none.
    ui::TComponent* Find(std::wstring_view name) const;

    // The last made goes first: children before their parents.
    void Clear() noexcept {
        while (!FComponents.empty()) FComponents.pop_back();
    }

private:
    std::vector<std::unique_ptr<ui::TComponent>> FComponents;
};
