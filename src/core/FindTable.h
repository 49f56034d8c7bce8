// The entries the search chooses from, held compactly: every name, folded
// and as listed, in one buffer of bytes (FindFold.h), the rest in parallel
// arrays of numbers, and each folder's path once for all of its entries.
// No string or pointer of its own per entry: 100,000 entries take about
// 30 bytes each plus their names and their share of the folders.
//
// A folder listed again replaces its own entries (SetFolder); what it no
// longer holds stays as a gap that matches nothing until half of the table
// is gaps, when the table closes them up. The index's worker keeps one table
// and hands out copies; a copy takes only the bytes in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One entry as listed: its file name, and how much of it the tree shows (a
// hidden ".lnk" or ".url" left out).
struct TFindName {
    std::wstring_view FileName;
    size_t ShownLength = 0;
};

class TFindTable {
public:
    using TEntryId = uint32_t;
    using TFolderId = uint32_t;

    // Longer names are left out: no file system makes one, and the
    // lengths of the rest fit 16 bits folded (a unit folds to at most 18
    // of 3 bytes).
    static constexpr size_t kLongestName = 1000;

    // Sets the entries of a folder given below the working folder, with
    // backslashes ("" for the working folder itself), replacing those it
    // had; its sub-folders' entries are theirs. Folders are told apart
    // ordinally, as the file system lists them. A folder new to the table
    // keeps every id given so far and its entries take the next ones, in the
    // order given; replacing or removing a folder may renumber all.
    void SetFolder(std::wstring_view relative, std::span<const TFindName> names);
    // Forgets the folder's own entries.
    void RemoveFolder(std::wstring_view relative);
    void Clear();

    size_t Count() const noexcept { return FLive; }
    // The bytes the table holds, names included.
    size_t Bytes() const noexcept;

    // Entries: ids run below End(); a gap's Mask is 0.
    TEntryId End() const noexcept { return static_cast<TEntryId>(FMask.size()); }
    const uint32_t* Masks() const noexcept { return FMask.data(); }
    // The name as the tree shows it, folded.
    std::string_view Folded(TEntryId id) const noexcept { return {FText.data() + FAt[id], FFoldedLength[id]}; }
    // Word starts of the folded name as bits (bit n: byte n); valid when
    // the folded name is at most kStartBits bytes long.
    static constexpr size_t kStartBits = 64;
    uint64_t StartBits(TEntryId id) const noexcept { return FStarts[id]; }
    // The mask (findfold::CharMask) of the words' first letters.
    uint32_t InitialsMask(TEntryId id) const noexcept { return FInitials[id]; }
    TFolderId FolderOf(TEntryId id) const noexcept { return FFolder[id]; }
    uint32_t Depth(TEntryId id) const noexcept { return FFolders[FFolder[id]].Depth; }
    // The listed name's bytes, and where its hidden part begins.
    std::string_view NameBytes(TEntryId id) const noexcept {
        return {FText.data() + FAt[id] + FFoldedLength[id], FNameLength[id]};
    }
    size_t ShownBytes(TEntryId id) const noexcept { return FShownLength[id]; }

    std::wstring Name(TEntryId id) const;  // as the tree shows it
    std::wstring FileName(TEntryId id) const;
    std::wstring RelativePath(TEntryId id) const;

    // Folders, with their paths as bytes.
    std::string_view FolderPath(TFolderId f) const noexcept { return Text(FFolders[f].Path, FFolders[f].PathLength); }
    std::string_view FolderFolded(TFolderId f) const noexcept {
        return Text(FFolders[f].Folded, FFolders[f].FoldedLength);
    }
    // The folder's entries: ids from first, count of them.
    TEntryId FolderFirst(TFolderId f) const noexcept { return FFolders[f].First; }
    uint32_t FolderCount(TFolderId f) const noexcept { return FFolders[f].Count; }
    // The folders whose folded path is this.
    std::span<const TFolderId> FoldersFoldedAs(std::string_view folded) const;

private:
    struct TFolder {
        uint32_t Path = 0, PathLength = 0;      // in FText, as listed
        uint32_t Folded = 0, FoldedLength = 0;  // in FText
        TEntryId First = 0;
        uint32_t Count = 0;
        uint32_t Depth = 0;  // of its entries: 0 in the working folder
        bool Held = true;    // false once removed: its record waits for the next compaction
    };

    std::string_view Text(uint32_t at, uint32_t length) const noexcept { return {FText.data() + at, length}; }
    // The place of the folder in FByPath, and whether it is there.
    size_t FindFolder(std::string_view path, bool& found) const;
    void Drop(TFolderId f);
    void Compact();

    std::string FText;  // per entry its folded name, then its name; per folder its path, then folded
    // Per entry:
    std::vector<uint32_t> FMask;
    std::vector<uint64_t> FStarts;
    std::vector<uint32_t> FInitials;
    std::vector<uint32_t> FAt;
    std::vector<uint16_t> FFoldedLength, FNameLength, FShownLength;
    std::vector<TFolderId> FFolder;
    // Per folder:
    std::vector<TFolder> FFolders;
    std::vector<TFolderId> FByPath;    // held folders by path
    std::vector<TFolderId> FByFolded;  // held folders by folded path
    size_t FLive = 0;
    size_t FGone = 0;  // entries in gaps
};
