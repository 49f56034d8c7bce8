// Finding an entry by typing a few letters of its name on the tree. The
// best matches below the working folder (the entry index, TFindIndex) show
// in a list under the line that shows the text; the tree selects the chosen
// one, opening its folders on the way, and closes again those it opened for
// a match the user passed by. The program takes the tree's own type-ahead
// over, so both are one search.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ComponentList.h"
#include "app/ExpandGate.h"
#include "app/FindIndex.h"
#include "shelltree/ShellControls.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

class TTreeFind {
public:
    // Makes the line and the list on the form, over the tree. onOpen opens
    // the entry the tree selected for a click on the list.
    TTreeFind(ui::TForm& form, TKesShellTree& tree, TExpandGate& gate, TFindIndex& index,
              TComponentList& components, std::function<void()> onOpen);
    TTreeFind(const TTreeFind&) = delete;
    TTreeFind& operator=(const TTreeFind&) = delete;

    // The text typed so far, empty when no search is active, the line that
    // shows it and the list of the best matches under it.
    const std::wstring& Text() const noexcept { return FFindText; }
    ui::TLabel* Line() const noexcept { return lblFind; }
    ui::TListView* List() const noexcept { return lstFind; }
    TEntryIndex* EntryIndex() const noexcept { return FIndex.Get(); }

    // A letter typed on the tree; false when it is no letter of a name.
    bool FindKeyPress(wchar_t key);
    // Backspace: false when no search is active.
    bool FindBackspace();
    // Down or Up in the list of matches; false when no match is chosen.
    bool FindMove(int by);
    // Whether Enter must open nothing: a search that found nothing.
    bool FindEnterRefused() const;
    // Ends an active search; false when there was none.
    bool EndFind();
    // A folder the tree opens: one the search opens is closed again when
    // the search passes it by.
    void NoteFolderOpened(ui::TTreeNode* node);
    // The index may offer better matches now.
    void EntryIndexChanged();
    // Keeps an opened entry at the front of the recent list.
    static void RememberOpened(const std::wstring& path);

private:
    struct TFindRow {
        std::wstring Path;
        std::wstring Name;
        std::wstring Folder;  // below the working folder
    };

    void RunFind(bool fresh);
    // Chooses the row, or the next one in the step's direction the tree
    // can show; false when none.
    bool ChooseFindRow(int row, int step);
    void lstFindClick(int row);
    ui::TTreeNode* FindShownEntry(const std::wstring& text, bool fresh);
    // The folders whose entries the tree shows, below the working folder.
    std::vector<std::wstring> ShownFolders() const;
    bool SelectIndexedEntry(const std::wstring& path);
    void CloseFoldersPassedBy();
    int FindRowImage(int row);
    void ShowFindLine(bool noMatch, bool rowsChanged);

    ui::TForm& FForm;
    TKesShellTree& FTree;
    TExpandGate& FGate;
    TFindIndex& FIndex;
    std::function<void()> FOnOpen;
    ui::TLabel* lblFind;
    ui::TListView* lstFind;

    // The search: its text, when its last letter came, and whether it
    // found nothing; its matches, the one chosen, whether the user moved
    // in them; the folders shown when it began, those it opened, and the
    // matches' icons.
    std::wstring FFindText;
    ULONGLONG FFindLastKey = 0;
    bool FFindNoMatch = false;
    std::vector<TFindRow> FFindRows;
    int FFindRow = -1;
    bool FFindMoved = false;
    std::vector<std::wstring> FFindShownFolders;
    std::vector<std::unique_ptr<ui::TNodeWatch>> FFindOpened;
    bool FFindLocating = false;
    bool FFindRerun = false;  // the index changed while the tree read a folder for the search
    unsigned FFindRun = 0;    // counts the search's runs and ends
    std::map<std::wstring, int> FFindImages;
    bool FFindImagesSet = false;
};
