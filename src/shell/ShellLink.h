// The hub that keeps shell controls in step: a selection or refresh in one
// is repeated in every other control attached to it. It also owns the
// selection list behind check boxes.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/KesSelectionList.h"
#include "ui/WinControl.h"

class TKesShellLink;

// What a control attached to a hub does when another one acts.
class IKesShellControl {
public:
    virtual void SetShellLink(TKesShellLink* link) = 0;
    virtual TKesShellLink* GetShellLink() const = 0;
    virtual void SelectIDList(LPCITEMIDLIST list) = 0;
    virtual void SelectFileIDList(LPCITEMIDLIST folder, LPCITEMIDLIST file) = 0;
    virtual void SelectionChanged() = 0;
    virtual void RefreshAll() = 0;
    virtual void RefreshSelected() = 0;
    virtual bool GoUp() = 0;

protected:
    ~IKesShellControl() = default;
};

// Controls without duplicates, in the order they were added.
class TKesShellControlList {
public:
    void Add(IKesShellControl* control);
    void Remove(IKesShellControl* control);
    const std::vector<IKesShellControl*>& Items() const noexcept { return FItems; }

private:
    std::vector<IKesShellControl*> FItems;
};

class TKesShellLink : public ui::TComponent {
public:
    TKesShellLink() = default;
    // Every attached control lets go of the hub.
    ~TKesShellLink() override;

    std::wstring Version() const { return L"TKesShellLink V3.33"; }
    bool Enabled = true;
    std::function<void()> OnChange;

    void RegisterControl(IKesShellControl* control) { FControls.Add(control); }
    void UnregisterControl(IKesShellControl* control) { FControls.Remove(control); }
    const TKesShellControlList& Controls() const noexcept { return FControls; }

    void BroadcastSelect(IKesShellControl* sender, LPCITEMIDLIST list);
    void BroadcastFileSelect(IKesShellControl* sender, LPCITEMIDLIST folder, LPCITEMIDLIST file);
    void BroadcastSelectionChanged(IKesShellControl* sender);
    void BroadcastRefreshAll(IKesShellControl* sender);
    void BroadcastRefreshSelected(IKesShellControl* sender);

    TKesSelectionList& SelectionList() noexcept { return FSelectionList; }

private:
    // The others, on a copy: a control may leave the hub while it reacts.
    void ForOthers(IKesShellControl* sender, const std::function<void(IKesShellControl&)>& step);
    TKesShellControlList FControls;
    TKesSelectionList FSelectionList;
};
