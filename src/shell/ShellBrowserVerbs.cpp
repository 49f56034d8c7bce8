// The navigator's verbs: renaming the current object, running a shell verb
// on it (or on several objects of the folder) and the shell's context menu
// merged with the application's own items.
#include "shell/ShellBrowser.h"
#include "shell/ShellClipboard.h"
#include "ui/Application.h"
#include "ui/MessageParams.h"
#include "ui/ScopeExit.h"
#include "ui/TreeView.h"
#include "ui/WindowProc.h"


namespace {

constexpr UINT kMaxObjects = 60000;
constexpr UINT kLastCommand = 0x7FFF;

bool IsVerb(const std::wstring& verb, const wchar_t* name) { return SameText(verb, name); }

std::string AnsiVerb(const std::wstring& verb) {
    // Verbs are plain ASCII names.
    std::string text;
    for (wchar_t c : verb) text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return text;
}

HRESULT Invoke(IContextMenu* menu, HWND owner, LPCSTR verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    // A verb may run the shell's own modal boxes (a confirmation, a
    // property sheet) with the program's state up the stack.
    ui::TModalScope modal;
    return menu->InvokeCommand(&info);
}

HRESULT InvokeOffset(IContextMenu* menu, HWND owner, UINT offset) {
    return Invoke(menu, owner, MAKEINTRESOURCEA(offset));
}

// The verb of a command, read in the W form where the shell offers it.
std::wstring CommandVerb(IContextMenu* menu, UINT offset) {
    wchar_t wide[MAX_PATH + 1]{};
    if (SUCCEEDED(menu->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), MAX_PATH)) &&
        wide[0])
        return wide;
    char narrow[MAX_PATH + 1]{};
    if (FAILED(menu->GetCommandString(offset, GCS_VERBA, nullptr, narrow, MAX_PATH))) return {};
    std::wstring verb;
    for (const char* c = narrow; *c; ++c) verb.push_back(static_cast<unsigned char>(*c));
    return verb;
}

// Whether the object's menu offers a verb at all.
bool MenuOffersVerb(IContextMenu* menu, const wchar_t* verb) {
    ui::TMenuOwner probe(CreatePopupMenu());
    HRESULT hr = menu->QueryContextMenu(probe.Get(), 0, 1, kLastCommand, CMF_NORMAL);
    if (FAILED(hr)) return false;
    for (int i = 0, n = GetMenuItemCount(probe.Get()); i < n; ++i) {
        UINT id = GetMenuItemID(probe.Get(), i);
        if (id != 0 && id != static_cast<UINT>(-1) && IsVerb(CommandVerb(menu, id - 1), verb)) return true;
    }
    return false;
}

// The default command of the object: the one item of a default-only menu,
// or, where the shell fills no such menu, the default of its full menu.
HRESULT InvokeDefault(IContextMenu* menu, HWND owner, HRESULT found) {
    for (UINT flags : {static_cast<UINT>(CMF_DEFAULTONLY), static_cast<UINT>(CMF_NORMAL)}) {
        ui::TMenuOwner popup(CreatePopupMenu());
        if (FAILED(menu->QueryContextMenu(popup.Get(), 0, 1, kLastCommand, flags))) return found;
        UINT id = GetMenuDefaultItem(popup.Get(), FALSE, 0);
        if (id != 0 && id != static_cast<UINT>(-1)) return InvokeOffset(menu, owner, id - 1);
        if (GetMenuItemCount(popup.Get()) > 0) return found;  // a menu without a default
    }
    return found;
}

// The hidden window that owns the open menu and hears its messages. A
// message whose handling failed still gets the default answer.
std::unique_ptr<ui::TMessageWindow> CreateMenuWindow(TShellBrowser* browser, HWND owner) {
    return std::make_unique<ui::TMessageWindow>(
        L"TShellBrowserMenuWindow", owner, [browser](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return ui::Guarded(false, [&] {
                ui::TMessage m{msg, wParam, lParam, 0};
                if (!browser->ContextMenuWndProc(m)) return false;
                result = m.Result;
                return true;
            });
        });
}

// Every item of a menu tree, for telling own items from the shell's.
bool IsOwnItem(ui::TMenuItem& parent, const ui::TMenuItem* item) {
    for (auto& child : parent.Items())
        if (child.get() == item || IsOwnItem(*child, item)) return true;
    return false;
}

}  // namespace

void TShellBrowser::RenameObject(std::wstring& name) {
    ui::TWaitCursor wait;
    if (FShellFolder && FObjectIDList) {
        PITEMID_CHILD renamed = nullptr;
        HRESULT hr = FShellFolder->SetNameOf(GetParentWindow(), FObjectIDList.Get(), name.c_str(),
                                             SHGDN_INFOLDER | SHGDN_FORPARSING, &renamed);
        TChildIDList owned(renamed);
        if (hr == S_OK && owned) SetObjectIDList(owned.Get());
    }
    name = GetDisplayName();
}

std::vector<TChildIDList> TShellBrowser::GetObjectIDLists() {
    std::vector<TChildIDList> lists;
    ui::TScopeExit clear([this] { MultiObjects.clear(); });
    if (MultiObjects.empty()) {
        if (FObjectIDList) lists.push_back(CopyObjectIDList());
        return lists;
    }
    if (MultiObjects.size() > kMaxObjects) throw EShellBrowserError(L"Too many objects for one command.");
    TChildIDList kept = CopyObjectIDList();
    ui::TScopeExit restore([&] {
        if (kept) SetObjectIDList(kept.Get());
    });
    const std::vector<std::wstring> names = MultiObjects;
    for (const std::wstring& name : names) {
        // A name of the folder parses to one of its items.
        TChildIDList list = AsChildIDList(PathToIDList(FShellFolder.Get(), name));
        if (!list) {
            SetObjectName(name);
            list = CopyObjectIDList();
        }
        lists.push_back(std::move(list));
    }
    return lists;
}

bool TShellBrowser::ExecuteVerb(const std::wstring& verbText) {
    ui::TScopeExit clear([this] { MultiObjects.clear(); });
    bool execute = true;
    if (OnContextMenuSelect) OnContextMenuSelect(verbText, execute);
    if (!execute || (!FObjectIDList && MultiObjects.empty()) || !FShellFolder) return false;
    const std::wstring verb = verbText.empty() ? L"default" : verbText;
    const bool single = MultiObjects.empty();
    if (IsVerb(verb, L"delete") && single && !(GetAttributes(SFGAO_CANDELETE) & SFGAO_CANDELETE)) return false;
    ui::TWaitCursor wait;
    const std::wstring path = single ? IDListToPath(GetAbsoluteObjectIDList()) : std::wstring();
    // A paste into a file goes into the file's folder.
    const std::wstring pasteTarget = single && !IsFolder() ? Folder() : path;
    std::vector<TChildIDList> lists = GetObjectIDLists();
    if (lists.empty()) return false;
    std::vector<PCUITEMID_CHILD> raw;
    for (const TChildIDList& l : lists) raw.push_back(l.Get());
    const HWND owner = GetParentWindow();
    ui::TComPtr<IContextMenu> menu;
    HRESULT hr = FShellFolder->GetUIObjectOf(owner, static_cast<UINT>(raw.size()), raw.data(), IID_IContextMenu,
                                             nullptr, menu.PutVoid());
    if (SUCCEEDED(hr) && menu) {
        if (IsVerb(verb, L"default")) {
            hr = InvokeDefault(menu.Get(), owner, hr);
        } else if (IsVerb(verb, L"rename")) {
            if (OnRename) OnRename(*this);
        } else if (IsVerb(verb, L"paste")) {
            // Where the object's menu has no paste, or its paste failed, the
            // clipboard's files are pasted here with a file operation.
            bool offered = MenuOffersVerb(menu.Get(), L"paste");
            if (offered) hr = Invoke(menu.Get(), owner, "paste");
            if (!offered || (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_CANCELLED)))
                hr = PasteClipboardFiles(owner, pasteTarget) ? S_OK : E_FAIL;
        } else {
            hr = Invoke(menu.Get(), owner, AnsiVerb(verb).c_str());
        }
    }
    bool result = SUCCEEDED(hr);
    if (IsVerb(verb, L"delete") && !path.empty() && FileOrFolderExists(path)) result = false;
    if (result && IsVerb(verb, L"cut")) MarkClipboardCut();
    return result;
}

void TShellBrowser::ShowContextMenu(POINT at, ui::TPopupMenu* own, std::wstring& verb) {
    verb.clear();
    ui::TScopeExit clear([this] { MultiObjects.clear(); });
    if (!FShellFolder || (!FObjectIDList && MultiObjects.empty())) return;
    const std::wstring path = MultiObjects.empty() ? IDListToPath(GetAbsoluteObjectIDList()) : std::wstring();
    std::vector<TChildIDList> lists = GetObjectIDLists();
    if (lists.empty()) return;
    std::vector<PCUITEMID_CHILD> raw;
    for (const TChildIDList& l : lists) raw.push_back(l.Get());
    const HWND owner = GetParentWindow();
    ui::TComPtr<IContextMenu> menu;
    if (FAILED(FShellFolder->GetUIObjectOf(owner, static_cast<UINT>(raw.size()), raw.data(), IID_IContextMenu,
                                           nullptr, menu.PutVoid())) ||
        !menu)
        return;
    // Menus without IContextMenu2 draw no owner-drawn items; they still work.
    ui::TComPtr<IContextMenu2> menu2;
    if (FAILED(menu->QueryInterface(IID_PPV_ARGS(menu2.Put())))) menu2.Reset();

    // The own items keep the commands their menu numbers them with; the
    // shell's take the numbers above, so no choice can stand for both.
    ui::TMenuOwner merged = own ? own->BuildMenu() : ui::TMenuOwner(CreatePopupMenu());
    const UINT ownTop = static_cast<UINT>(GetMenuItemCount(merged.Get()));
    const UINT first = (own ? own->CommandCount() : 0) + 1;
    const UINT position = ShowContextMenuOnTop ? 0 : ownTop;
    HRESULT hr = menu->QueryContextMenu(merged.Get(), position, first, kLastCommand, CMF_EXPLORE);
    if (FAILED(hr)) return;
    const UINT shellCount = HRESULT_CODE(hr);
    const UINT shellItems = static_cast<UINT>(GetMenuItemCount(merged.Get())) - ownTop;
    if (ownTop > 0 && shellItems > 0) {
        // A line between the two groups.
        UINT line = ShowContextMenuOnTop ? shellItems : ownTop;
        InsertMenuW(merged.Get(), line, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    }

    UINT command = 0;
    {
        std::unique_ptr<ui::TMessageWindow> window = CreateMenuWindow(this, owner);
        FContextMenu2 = std::move(menu2);
        FMenu = merged.Get();
        FOwnMenu = own;
        FShellFirst = first;
        FShellCount = shellCount;
        ui::TScopeExit closed([this] {
            FContextMenu2.Reset();
            FMenu = nullptr;
            FOwnMenu = nullptr;
            FShellCount = 0;
            if (ui::Application) ui::Application->Hint.clear();
        });
        if (own && own->OnPopup) own->OnPopup(*own);
        const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
        HWND trackOwner = window->Handle() ? window->Handle() : owner;
        command = own ? own->Track(merged.Get(), at.x, at.y, trackOwner, flags)
                      : static_cast<UINT>(TrackPopupMenu(merged.Get(), flags, at.x, at.y, 0, trackOwner, nullptr));
    }
    if (command == 0) return;
    // Own items are matched first; their handlers run once the menu is gone.
    if (ui::TMenuItem* ownItem = own && command < first ? own->ItemForCommand(command) : nullptr) {
        ownItem->Click();
        return;
    }
    if (command < first || command >= first + shellCount) return;
    const UINT offset = command - first;
    verb = CommandVerb(menu.Get(), offset);
    bool execute = true;
    if (OnContextMenuSelect)
        OnContextMenuSelect(verb, execute);
    else if (ReadOnly && (IsVerb(verb, L"delete") || IsVerb(verb, L"cut") || IsVerb(verb, L"paste")))
        execute = false;
    if (!execute) {
        verb.clear();
        return;
    }
    if (IsVerb(verb, L"rename") && OnRename) {
        OnRename(*this);
        return;
    }
    if (FAILED(InvokeOffset(menu.Get(), owner, offset))) {
        verb.clear();
        return;
    }
    if (IsVerb(verb, L"delete") && !path.empty() && FileOrFolderExists(path)) verb.clear();
    if (IsVerb(verb, L"cut")) MarkClipboardCut();
}

bool TShellBrowser::IsOwnMenu(HMENU menu) const {
    // Own commands lie below the shell's; an empty menu is the shell's
    // (it fills sub-menus such as "Send To" when they open).
    if (!FOwnMenu || !menu || GetMenuItemCount(menu) <= 0) return false;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    if (!GetMenuItemInfoW(menu, 0, TRUE, &info)) return false;
    return info.wID < FShellFirst;
}

void TShellBrowser::ShowMenuHint(WPARAM wParam, HMENU menu) {
    if (!ui::Application) return;
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    std::wstring& hint = ui::Application->Hint;
    hint.clear();
    if (flags == 0xFFFF && !menu) return;  // the menu closed
    if (!(flags & MF_POPUP) && IsShellCommand(item)) {
        wchar_t text[261]{};
        if (SUCCEEDED(FContextMenu2->GetCommandString(item - FShellFirst, GCS_HELPTEXTW, nullptr,
                                                      reinterpret_cast<LPSTR>(text), 260)))
            hint = text;
        return;
    }
    if (!FOwnMenu || !menu) return;
    if ((flags & MF_POPUP) && !IsOwnMenu(GetSubMenu(menu, static_cast<int>(item)))) return;
    if (!(flags & MF_POPUP) && item >= FShellFirst) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(menu, item, (flags & MF_POPUP) ? TRUE : FALSE, &info)) return;
    auto* own = ui::ParamAs<ui::TMenuItem*>(info.dwItemData);
    if (own && IsOwnItem(FOwnMenu->Items, own)) hint = own->Hint;
}

bool TShellBrowser::ContextMenuWndProc(ui::TMessage& msg) {
    if (!FContextMenu2 || (ui::Application && ui::Application->Terminated())) return false;
    switch (msg.Msg) {
    case WM_INITMENUPOPUP:
        if (IsOwnMenu(ui::ParamAs<HMENU>(msg.WParam))) return false;
        FContextMenu2->HandleMenuMsg(msg.Msg, msg.WParam, msg.LParam);
        msg.Result = 0;
        return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
        const auto* measure = ui::ParamAs<const MEASUREITEMSTRUCT*>(msg.LParam);
        const auto* draw = ui::ParamAs<const DRAWITEMSTRUCT*>(msg.LParam);
        UINT type = msg.Msg == WM_MEASUREITEM ? measure->CtlType : draw->CtlType;
        UINT id = msg.Msg == WM_MEASUREITEM ? measure->itemID : draw->itemID;
        if (type != ODT_MENU) return false;
        if (id < FShellFirst) {
            if (!ui::TPopupMenu::HandleOwnerDraw(msg.Msg, msg.LParam)) return false;
        } else {
            FContextMenu2->HandleMenuMsg(msg.Msg, msg.WParam, msg.LParam);
        }
        msg.Result = TRUE;
        return true;
    }
    case WM_MENUSELECT:
        ShowMenuHint(msg.WParam, ui::ParamAs<HMENU>(msg.LParam));
        msg.Result = 0;
        return true;
    default:
        return false;
    }
}
