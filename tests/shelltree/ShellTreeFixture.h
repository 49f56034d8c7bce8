// A shell tree on a form, rooted in a temporary folder, and the ways the
// shell tree suites reach its nodes.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "shelltree/ShellControls.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace testutil {

// Display names may hide known extensions; compare without them.
inline std::wstring Stem(const std::wstring& name) { return name.substr(0, name.find(L'.')); }
inline std::vector<std::wstring> Stems(std::vector<std::wstring> names) {
    for (auto& n : names) n = Stem(n);
    return names;
}

// The texts of a node's children; none for no node.
inline std::vector<std::wstring> Children(ui::TTreeNode* node) {
    std::vector<std::wstring> names;
    for (ui::TTreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling())
        names.push_back(c->Text());
    return names;
}
inline ui::TTreeNode* Child(ui::TTreeNode* node, const std::wstring& text) {
    for (ui::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        if (c->Text() == text) return c;
    return nullptr;
}

// Pumps messages until done holds or ms passed; says whether it holds.
template <typename F>
bool PumpUntil(F&& done, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        ui::Application->ProcessMessages();
        if (done()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(5);
    }
}

template <class TTree = TKesShellTree>
class TShellTreeFixture : public ::testing::Test {
protected:
    explicit TShellTreeFixture(int height = 400) : Tree(std::make_unique<TTree>(&Form)) {
        Form.SetBounds(0, 0, 300, height);
        Tree->SetBounds(0, 0, 300, height);
    }
    void TearDown() override { Tree.reset(); }

    // Entries of the folder: a name ending in a backslash is a folder.
    void Make(std::initializer_list<std::wstring> names) {
        for (const std::wstring& name : names) {
            if (name.back() == L'\\') CreateDirectoryW((Dir / name).c_str(), nullptr);
            else WriteFileBytes(Dir / name, "x");
        }
    }
    void Root(TKesShellShowOptions options) {
        // The first reading of a folder changed since its last reading moves
        // its access time (relatime), which the shell's items carry: every
        // folder is read once now, so that opening one in the tree does not
        // make its entry in its parent look changed to the next refresh.
        ReadEveryFolder(Dir.Path());
        Tree->SetShowOptions(options);
        Tree->SetRootedAtFileSystemFolder(Dir.Path());
    }
    static void ReadEveryFolder(const std::wstring& dir) {
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = data.cFileName;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
                ReadEveryFolder(dir + L"\\" + name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }

    ui::TTreeNode* RootNode() { return Tree->Items.GetFirstNode(); }
    static std::vector<std::wstring> Children(ui::TTreeNode* node) { return testutil::Children(node); }
    std::vector<std::wstring> Children(const std::wstring& path) { return Children(Find(path)); }
    // An entry of the root by its name without extension.
    ui::TTreeNode* Entry(const std::wstring& stem) {
        for (ui::TTreeNode* c = RootNode()->GetFirstChild(); c; c = c->GetNextSibling())
            if (Stem(c->Text()) == stem) return c;
        return nullptr;
    }
    ui::TTreeNode* Find(const std::wstring& path) {
        for (ui::TTreeNode* n = RootNode(); n; n = n->GetNext())
            if (Tree->GetNodePath(n) == path) return n;
        return nullptr;
    }

    // Shows the form and draws every row in view.
    void ShowDrawn() {
        Form.Show();
        UpdateWindow(Tree->Handle());
        ui::Application->ProcessMessages();
    }
    // The icon the shell gives a node's item now, and the one the control drew.
    static int ShellIcon(ui::TTreeNode* node) {
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(TKesShellTree::ItemOf(node)->AbsoluteIDList.Get()), 0, &info,
                       sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        return info.iIcon;
    }
    int DrawnIcon(ui::TTreeNode* node) {
        TVITEMW row{};
        row.mask = TVIF_IMAGE;
        row.hItem = node->ItemId();
        EXPECT_TRUE(SendMessageW(Tree->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)));
        return row.iImage;
    }

    TTempDir Dir;
    ui::TForm Form;
    std::unique_ptr<TTree> Tree;
};

}  // namespace testutil
