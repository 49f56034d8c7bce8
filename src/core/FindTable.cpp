#include "core/FindTable.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <type_traits>

#include "core/FindFold.h"

namespace {

constexpr TFindTable::TFolderId kNoFolder = std::numeric_limits<TFindTable::TFolderId>::max();

std::string Encoded(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) findfold::AppendUnit(bytes, static_cast<uint32_t>(c));
    return bytes;
}

uint32_t Offset(size_t at) {
    if (at > std::numeric_limits<uint32_t>::max()) throw std::length_error("find table: too many names");
    return static_cast<uint32_t>(at);
}

template <typename V>
size_t CapacityBytes(const V& v) noexcept {
    return v.capacity() * sizeof(typename V::value_type);
}

}  // namespace

size_t TFindTable::FindFolder(std::string_view path, bool& found) const {
    const auto it = std::lower_bound(FByPath.begin(), FByPath.end(), path,
                                     [this](TFolderId f, std::string_view p) { return FolderPath(f) < p; });
    found = it != FByPath.end() && FolderPath(*it) == path;
    return static_cast<size_t>(it - FByPath.begin());
}

std::span<const TFindTable::TFolderId> TFindTable::FoldersFoldedAs(std::string_view folded) const {
    const auto [first, last] = std::equal_range(
        FByFolded.begin(), FByFolded.end(), folded,
        [this](const auto& a, const auto& b) {
            if constexpr (std::is_same_v<std::decay_t<decltype(a)>, TFolderId>)
                return FolderFolded(a) < b;
            else
                return a < FolderFolded(b);
        });
    return {FByFolded.data() + (first - FByFolded.begin()), static_cast<size_t>(last - first)};
}

void TFindTable::Drop(TFolderId f) {
    TFolder& folder = FFolders[f];
    for (TEntryId id = folder.First; id < folder.First + folder.Count; ++id) FMask[id] = 0;
    FLive -= folder.Count;
    FGone += folder.Count;
    folder.Count = 0;
}

void TFindTable::SetFolder(std::wstring_view relative, std::span<const TFindName> names) {
    const std::string path = Encoded(relative);
    bool found = false;
    const size_t place = FindFolder(path, found);
    TFolderId f;
    if (found) {
        f = FByPath[place];
        Drop(f);
    } else {
        f = static_cast<TFolderId>(FFolders.size());
        TFolder folder;
        folder.Path = Offset(FText.size());
        folder.PathLength = Offset(path.size());
        FText += path;
        folder.Folded = Offset(FText.size());
        AppendFolded(relative, FText);
        folder.FoldedLength = Offset(FText.size() - folder.Folded);
        if (!relative.empty())
            folder.Depth = static_cast<uint32_t>(std::count(relative.begin(), relative.end(), L'\\')) + 1;
        FFolders.push_back(folder);
        FByPath.insert(FByPath.begin() + static_cast<std::ptrdiff_t>(place), f);
        const std::string_view folded = FolderFolded(f);
        const auto at = std::upper_bound(FByFolded.begin(), FByFolded.end(), folded,
                                         [this](std::string_view a, TFolderId b) { return a < FolderFolded(b); });
        FByFolded.insert(at, f);
    }
    FFolders[f].First = End();

    TFoldedText folded;
    for (const TFindName& name : names) {
        if (name.FileName.size() > kLongestName) continue;
        const std::wstring_view shown = name.FileName.substr(0, std::min(name.ShownLength, name.FileName.size()));
        FoldForFind(shown, folded);
        const size_t at = FText.size();
        FText += folded.Text;
        const size_t nameAt = FText.size();
        for (const wchar_t c : shown) findfold::AppendUnit(FText, static_cast<uint32_t>(c));
        const size_t shownBytes = FText.size() - nameAt;
        for (const wchar_t c : name.FileName.substr(shown.size()))
            findfold::AppendUnit(FText, static_cast<uint32_t>(c));
        const size_t nameBytes = FText.size() - nameAt;
        uint64_t starts = 0;
        uint32_t initials = 0;
        for (const uint32_t s : folded.Starts) {
            if (s < kStartBits) starts |= uint64_t{1} << s;
            uint32_t initial = 0;
            findfold::DecodeUnit(folded.Text, s, initial);
            initials |= findfold::CharMask(initial);
        }
        FMask.push_back(folded.Mask);
        FStarts.push_back(starts);
        FInitials.push_back(initials);
        FAt.push_back(Offset(at));
        FFoldedLength.push_back(static_cast<uint16_t>(folded.Text.size()));
        FNameLength.push_back(static_cast<uint16_t>(nameBytes));
        FShownLength.push_back(static_cast<uint16_t>(shownBytes));
        FFolder.push_back(f);
        ++FFolders[f].Count;
        ++FLive;
    }
    if (FGone > FLive) Compact();
}

void TFindTable::RemoveFolder(std::wstring_view relative) {
    bool found = false;
    const size_t place = FindFolder(Encoded(relative), found);
    if (!found) return;
    const TFolderId f = FByPath[place];
    Drop(f);
    FFolders[f].Held = false;
    FByPath.erase(FByPath.begin() + static_cast<std::ptrdiff_t>(place));
    FByFolded.erase(std::find(FByFolded.begin(), FByFolded.end(), f));
    if (FGone > FLive) Compact();
}

void TFindTable::Clear() {
    *this = TFindTable();
}

// Copies what is held into a fresh table, in the same order.
void TFindTable::Compact() {
    TFindTable fresh;
    std::vector<TFolderId> renumbered(FFolders.size(), kNoFolder);
    fresh.FText.reserve(FText.size());
    for (TFolderId f = 0; f < FFolders.size(); ++f) {
        if (!FFolders[f].Held) continue;
        renumbered[f] = static_cast<TFolderId>(fresh.FFolders.size());
        TFolder folder = FFolders[f];
        folder.Path = Offset(fresh.FText.size());
        fresh.FText += FolderPath(f);
        folder.Folded = Offset(fresh.FText.size());
        fresh.FText += FolderFolded(f);
        folder.Count = 0;
        fresh.FFolders.push_back(folder);
    }
    for (TEntryId id = 0; id < End(); ++id) {
        const TFolder& old = FFolders[FFolder[id]];
        const TFolderId f = renumbered[FFolder[id]];
        if (f == kNoFolder || id < old.First || id >= old.First + old.Count) continue;
        TFolder& folder = fresh.FFolders[f];
        if (folder.Count++ == 0) folder.First = fresh.End();
        fresh.FMask.push_back(FMask[id]);
        fresh.FStarts.push_back(FStarts[id]);
        fresh.FInitials.push_back(FInitials[id]);
        fresh.FAt.push_back(Offset(fresh.FText.size()));
        fresh.FText.append(FText, FAt[id], size_t{FFoldedLength[id]} + FNameLength[id]);
        fresh.FFoldedLength.push_back(FFoldedLength[id]);
        fresh.FNameLength.push_back(FNameLength[id]);
        fresh.FShownLength.push_back(FShownLength[id]);
        fresh.FFolder.push_back(f);
    }
    for (const TFolderId f : FByPath) fresh.FByPath.push_back(renumbered[f]);
    for (const TFolderId f : FByFolded) fresh.FByFolded.push_back(renumbered[f]);
    fresh.FLive = FLive;
    *this = std::move(fresh);
}

size_t TFindTable::Bytes() const noexcept {
    return sizeof(*this) + FText.capacity() + CapacityBytes(FMask) + CapacityBytes(FStarts) +
           CapacityBytes(FInitials) + CapacityBytes(FAt) + CapacityBytes(FFoldedLength) + CapacityBytes(FNameLength) +
           CapacityBytes(FShownLength) + CapacityBytes(FFolder) + CapacityBytes(FFolders) + CapacityBytes(FByPath) +
           CapacityBytes(FByFolded);
}

std::wstring TFindTable::Name(TEntryId id) const {
    return findfold::DecodeText(NameBytes(id).substr(0, ShownBytes(id)));
}

std::wstring TFindTable::FileName(TEntryId id) const {
    return findfold::DecodeText(NameBytes(id));
}

std::wstring TFindTable::RelativePath(TEntryId id) const {
    std::wstring path = findfold::DecodeText(FolderPath(FolderOf(id)));
    if (!path.empty()) path += L'\\';
    return path += FileName(id);
}
