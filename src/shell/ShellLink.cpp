#include "shell/ShellLink.h"

#include <algorithm>

#include "ui/ScopeExit.h"

void TKesShellControlList::Add(IKesShellControl* control) {
    if (control && std::find(FItems.begin(), FItems.end(), control) == FItems.end()) FItems.push_back(control);
}

void TKesShellControlList::Remove(IKesShellControl* control) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), control), FItems.end());
}

TKesShellLink::~TKesShellLink() {
    const std::vector<IKesShellControl*> attached = FControls.Items();
    for (IKesShellControl* control : attached)
        if (control->GetShellLink() == this) control->SetShellLink(nullptr);
}

void TKesShellLink::ForOthers(IKesShellControl* sender, const std::function<void(IKesShellControl&)>& step) {
    const std::vector<IKesShellControl*> controls = FControls.Items();
    for (IKesShellControl* control : controls)
        if (control != sender && std::find(FControls.Items().begin(), FControls.Items().end(), control) !=
                                     FControls.Items().end())
            step(*control);
}

void TKesShellLink::BroadcastSelect(IKesShellControl* sender, LPCITEMIDLIST list) {
    if (!Enabled) return;
    {
        // A control that answers by selecting again reaches nobody.
        ui::TRestoreOnExit<bool> guard(Enabled, false);
        ForOthers(sender, [&](IKesShellControl& c) { c.SelectIDList(list); });
    }
    if (OnChange) OnChange();
}

void TKesShellLink::BroadcastFileSelect(IKesShellControl* sender, LPCITEMIDLIST folder, LPCITEMIDLIST file) {
    if (!Enabled) return;
    {
        ui::TRestoreOnExit<bool> guard(Enabled, false);
        ForOthers(sender, [&](IKesShellControl& c) { c.SelectFileIDList(folder, file); });
    }
    if (OnChange) OnChange();
}

void TKesShellLink::BroadcastSelectionChanged(IKesShellControl* sender) {
    if (Enabled) ForOthers(sender, [](IKesShellControl& c) { c.SelectionChanged(); });
}

void TKesShellLink::BroadcastRefreshAll(IKesShellControl* sender) {
    if (Enabled) ForOthers(sender, [](IKesShellControl& c) { c.RefreshAll(); });
}

void TKesShellLink::BroadcastRefreshSelected(IKesShellControl* sender) {
    if (Enabled) ForOthers(sender, [](IKesShellControl& c) { c.RefreshSelected(); });
}
