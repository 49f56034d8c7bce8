#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/FolderReconcile.h"

namespace {

// An item by a word: "a" is item a shown as "a"; "a2" the same item with
// other bytes (written since); "f/same" item f shown as "same".
struct TItem {
    std::string Bytes;
    std::wstring Text;
};
std::vector<TItem> Items(const std::string& words) {
    std::vector<TItem> items;
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        const size_t slash = w.find('/');
        const std::string text = slash == std::string::npos ? w.substr(0, 1) : w.substr(slash + 1);
        items.push_back({w.substr(0, slash), std::wstring(text.begin(), text.end())});
    }
    return items;
}

// The edits, a word each: "=a" child a kept, "~a" child a renewed, "+a"
// entry a added, "-a" child a removed.
std::string Reconcile(const std::string& now, const std::string& listing) {
    const std::vector<TItem> children = Items(now);
    std::vector<TFolderChild> given;
    for (const TItem& c : children) given.push_back({c.Bytes, c.Text});
    TFolderReconcile reconcile(given);
    std::string edits;
    for (const TItem& entry : Items(listing)) {
        int asked = 0;
        const TFolderEdit edit = reconcile.Listed(
            entry.Bytes, [&] { return ++asked == 1 ? entry.Text : L"asked twice"; },
            [&](size_t child) { return children[child].Bytes[0] == entry.Bytes[0]; });
        EXPECT_EQ(asked, edit.Kind == TFolderEditKind::Keep ? 0 : 1) << entry.Bytes << ": asked only when needed";
        if (edit.Kind == TFolderEditKind::Add) {
            EXPECT_EQ(edit.Text, entry.Text);
        }
        const char* marks = "=~+";
        edits += std::string(" ") + marks[static_cast<int>(edit.Kind)] +
                 (edit.Kind == TFolderEditKind::Add ? entry.Bytes : children[edit.Child].Bytes);
    }
    for (const TFolderEdit& gone : reconcile.Removed()) edits += " -" + children[gone.Child].Bytes;
    return edits.empty() ? edits : edits.substr(1);
}

TEST(FolderReconcile, MatchesTheListingAgainstTheChildren) {
    const struct {
        const char *Now, *Listing, *Edits;
    } rows[] = {
        {"a b c", "a b c", "=a =b =c"},
        {"a b c", "c a b", "=c =a =b"},           // listed in another order
        {"a b", "b c", "=b +c -a"},               // one new, one gone
        {"a b", "x b", "+x =b -a"},               // renamed: another item
        {"a b", "a2 b", "~a =b"},                 // the same item, written since
        {"", "a b", "+a +b"},                     // read empty before
        {"a b", "", "-a -b"},                     // emptied
        {"f/same l/same", "f l2/same", "=f ~l"},  // one text, two items
        {"f/same l/same", "l2/same", "~l -f"},    // the item decides, not the text
        {"f/same l/same", "l2/same f2/same", "~l ~f"},
        {"f/same", "g/same", "+g -f"},
        {"a", "a a", "=a +a"},                    // listed twice: one child, one new
        {"a1 b", "a2 a1", "~a1 +a1 -b"},          // renewed bytes are not matched again
    };
    for (const auto& row : rows)
        EXPECT_EQ(Reconcile(row.Now, row.Listing), row.Edits) << row.Now << " | " << row.Listing;
}

}  // namespace
