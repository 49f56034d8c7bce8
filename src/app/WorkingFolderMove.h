// The move of the working folder: the tree lets go of the folder while it
// moves, and the previous folder is removed only once everything in it has
// verifiably arrived.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ComponentList.h"
#include "settings/uOptions.h"
#include "shelltree/ShellControls.h"
#include "ui/Timer.h"

class TWorkingFolderMove {
public:
    // letGo: what else holds the folder lets go of it before it moves (the
    // search and its index). folderChanged: the working folder is another
    // one now, the window shows it.
    TWorkingFolderMove(TKesShellTree& tree, TComponentList& components, std::function<void()> letGo,
                       std::function<void()> folderChanged);
    TWorkingFolderMove(const TWorkingFolderMove&) = delete;
    TWorkingFolderMove& operator=(const TWorkingFolderMove&) = delete;

    void CheckWorkingFolderChange(const TOptionsRec& before, const TOptionsRec& after);
    // Around the move the options dialog makes.
    void BeforeFolderMove(const std::wstring& from);
    void AfterFolderMove(const std::wstring& previous, const std::wstring& current);

private:
    void ScheduleFolderDeletion(UINT delay, const std::wstring& path);
    void tmrDelDirTimer();

    TKesShellTree& FTree;
    std::function<void()> FLetGo;
    std::function<void()> FFolderChanged;
    ui::TTimer* tmrDelDir;
    std::wstring FFolderToDelete;
    // The entries of the working folder while it moves.
    std::vector<std::wstring> FMovingEntries;
};
