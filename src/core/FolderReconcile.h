// A folder read again, matched against the children its node shows: which
// child each listed entry is, which entries are new, which children went.
// An entry listed exactly as before is known by its item's bytes and costs
// no question to the shell; any other is asked its display text, which
// finds the children it may be, and the shell confirms one (two items may
// share a text: a folder "same" beside "same.lnk"). The rules only: the
// shell tree's reader lists the folder and applies the edits.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class TFolderEditKind {
    Keep,    // the child, listed exactly as before
    Renew,   // the child, found by its text: it takes the item as listed now
    Add,     // an entry no child is
    Remove,  // a child no entry is
};

struct TFolderEdit {
    TFolderEditKind Kind;
    size_t Child = 0;   // the child's place among those given (not for Add)
    std::wstring Text;  // the entry's text, when it was asked
};

struct TFolderChild {
    // Its item's bytes, empty for none. They are only looked at, never
    // kept: they must last until the child is renewed or the matching ends.
    std::string_view Bytes;
    std::wstring Text;
};

class TFolderReconcile {
public:
    explicit TFolderReconcile(std::vector<TFolderChild> children);

    // One entry of the listing, in the order listed. Its text is asked
    // only when its bytes name no child still unmatched; sameItem confirms
    // that a child of that text is the entry. A renewed child's old bytes
    // are forgotten here, so the caller may free them at once.
    TFolderEdit Listed(std::string_view bytes, const std::function<std::wstring()>& text,
                       const std::function<bool(size_t child)>& sameItem);
    // The children no entry was, in their order: once the listing ended.
    std::vector<TFolderEdit> Removed() const;

private:
    std::vector<TFolderChild> FChildren;
    std::vector<bool> FMatched;
    std::unordered_map<std::string_view, size_t> FByBytes;
    std::unordered_map<std::wstring, std::vector<size_t>> FByText;
};
