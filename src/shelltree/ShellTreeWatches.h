// The shell tree's watches: its notifier reports to it, and every open
// folder below the root is watched; a folder that closes or leaves the tree
// lets its watch go, and one opened again reads what changed meanwhile.
#pragma once

#include <string>
#include <unordered_map>

#include "ui/TreeView.h"

class TKesShellTree;

class TKesShellTreeWatches {
public:
    explicit TKesShellTreeWatches(TKesShellTree& tree) noexcept : FTree(tree) {}
    TKesShellTreeWatches(const TKesShellTreeWatches&) = delete;
    TKesShellTreeWatches& operator=(const TKesShellTreeWatches&) = delete;

    // Points the tree's notifier at the reports a tree follows, and at the tree.
    void HookUp();
    // Files shown: reports about files count too.
    void FollowFiles();

    // The node's folder is about to be read: its write time now, for the
    // watch made after the reading.
    void NoteReading(ui::TTreeNode* node);
    // Watches a node's folder while it is open, or read empty.
    void WatchOpenFolder(ui::TTreeNode* node);
    // Lets the watch go; a closing folder remembers its write time.
    void UnwatchFolder(ui::TTreeNode* node, bool closing);
    // The node's folder is read again: a watch that died (its folder deleted
    // and made again, or the system gave up on it) is made anew.
    void Rearm(ui::TTreeNode* node);
    // The node's folder is watched and nothing changed in it since it was
    // read (or since its last report, which the tree has followed).
    bool Quiet(ui::TTreeNode* node);
    // The node's folder is watched, but the folder at its path now is
    // another one (moved away, or deleted and made anew).
    bool Replaced(ui::TTreeNode* node);
    // Every handle on folders closed, and none opened, until Resume.
    void Suspend();
    void Resume();

private:
    TKesShellTree& FTree;
    std::unordered_map<ui::TTreeNode*, std::wstring> FWatchedFolders;
};
