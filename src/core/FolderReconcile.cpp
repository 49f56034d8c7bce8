#include "core/FolderReconcile.h"

#include <utility>

TFolderReconcile::TFolderReconcile(std::vector<TFolderChild> children)
    : FChildren(std::move(children)), FMatched(FChildren.size(), false) {
    // Each lookup in constant time: a folder of thousands is read again
    // on every change in it.
    for (size_t i = 0; i < FChildren.size(); ++i) {
        FByText[FChildren[i].Text].push_back(i);
        if (!FChildren[i].Bytes.empty()) FByBytes.emplace(FChildren[i].Bytes, i);
    }
}

TFolderEdit TFolderReconcile::Listed(std::string_view bytes, const std::function<std::wstring()>& text,
                                     const std::function<bool(size_t child)>& sameItem) {
    if (auto same = FByBytes.find(bytes); same != FByBytes.end() && !FMatched[same->second]) {
        FMatched[same->second] = true;
        return {TFolderEditKind::Keep, same->second, {}};
    }
    TFolderEdit edit{TFolderEditKind::Add, 0, text()};
    auto candidates = FByText.find(edit.Text);
    if (candidates == FByText.end()) return edit;
    for (size_t i : candidates->second) {
        if (FMatched[i] || !sameItem(i)) continue;
        FMatched[i] = true;
        // Its old bytes leave the map before the caller frees them.
        if (auto mine = FByBytes.find(FChildren[i].Bytes); mine != FByBytes.end() && mine->second == i)
            FByBytes.erase(mine);
        FChildren[i].Bytes = {};
        edit.Kind = TFolderEditKind::Renew;
        edit.Child = i;
        break;
    }
    return edit;
}

std::vector<TFolderEdit> TFolderReconcile::Removed() const {
    std::vector<TFolderEdit> removed;
    for (size_t i = 0; i < FChildren.size(); ++i)
        if (!FMatched[i]) removed.push_back({TFolderEditKind::Remove, i, {}});
    return removed;
}
