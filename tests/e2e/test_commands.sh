# Managing links from the tree as in a folder window, with real keys and
# clicks: Delete asks the shell and the entry goes, Shift+F10 and a right
# click open the shell's menu for the entry, Alt+Enter its properties, and
# Ctrl+C / Ctrl+X / Ctrl+V copy and move entries between folders.
source "$(dirname "$0")/lib.sh" "$1" "$2" commands

work="$E2E_DIR/quorb"
mkdir -p "$work/sub"
for name in doomed keep props; do echo "$name" >"$work/$name.txt"; done
# The shell's delete goes to a trash inside the test folder.
export XDG_DATA_HOME="$E2E_DIR/xdg"
mkdir -p "$XDG_DATA_HOME"

# Entries are picked with the keys a user would press: first letters, or
# Home, End and the arrows (typed letters join a search of the letters
# typed just before, so moves between pastes use the arrows).
select_entry() { e2e_key "$@"; }
esc_closes_menu() { e2e_key Escape; probe menu gone 5000 >/dev/null; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"

# Delete: the shell asks, Enter answers Yes, the file goes to the trash and
# its entry leaves the tree.
select_entry d o
e2e_check "typing picks doomed.txt" e2e_until 5 e2e_selected_is doomed.txt
e2e_key Delete
e2e_check "Delete shows the shell's confirmation" probe msgbox "Confirm file deletion" 5000
e2e_key Return
e2e_check "Enter deletes the file" e2e_wait_gone "$work/doomed.txt" 5
e2e_check "the file is in the trash" test -e "$XDG_DATA_HOME/Trash/files/doomed.txt"
e2e_check "its entry leaves the tree" e2e_entry_within absent doomed.txt 5000
e2e_check "the window stays up" probe wait TForm tavrix visible 2000

# Shift+F10: the shell's menu at the selected entry; Esc closes it. The
# deleted entry's neighbour holds the selection: Home moves it away first,
# and ends the search of "do".
select_entry Home
e2e_check "Home picks the working folder" e2e_until 5 e2e_selected_is quorb
select_entry k e
e2e_check "typing picks keep.txt" e2e_until 5 e2e_selected_is keep.txt
e2e_key shift+F10
e2e_check "Shift+F10 opens the shell's menu" probe menu open 5000
import -window root "$E2E_ARTIFACTS/commands-menu.png" 2>/dev/null || true
e2e_check "Esc closes it" esc_closes_menu
e2e_key Menu
e2e_check "the menu key opens it too" probe menu open 5000
e2e_check "Esc closes that one" esc_closes_menu

# F2 is the program's menu here; the tree's own rename stays off.
e2e_key F2
e2e_check "F2 opens the program's menu" probe menu open 5000
e2e_check "Esc closes the program's menu" esc_closes_menu
e2e_check "and no name editor opened" bash -c "! wine '$PROBE_EXE' child TForm tavrix Edit >/dev/null 2>&1"

# A right click selects the entry under the pointer and opens its menu there.
read -r x y _ <<<"$(e2e_tree_item props.txt)"
e2e_click "$x" "$y" 3
e2e_check "a right click opens the shell's menu" probe menu open 5000
e2e_check "for the entry that was clicked" e2e_until 5 e2e_selected_is props.txt
e2e_check "Esc closes the menu" esc_closes_menu

# Alt+Enter: the shell's properties of the entry.
e2e_key alt+Return
e2e_check "Alt+Enter opens the properties" probe msgbox "Properties for props.txt" 5000 close
e2e_check "which closes again" probe wait '#32770' "Properties for props.txt" none 5000

# Ctrl+C on a file, Ctrl+V on a folder: a copy in the folder.
select_entry Home Down Down
e2e_check "the arrows pick keep.txt" e2e_until 5 e2e_selected_is keep.txt
e2e_key ctrl+c
select_entry Home Down
e2e_check "and then the folder" e2e_until 5 e2e_selected_is sub
e2e_key ctrl+v
e2e_check "Ctrl+V copies the file into the folder" e2e_wait_file_has "$work/sub/keep.txt" keep 10
e2e_check "and keeps the original" test -e "$work/keep.txt"

# Ctrl+X, Ctrl+V: the file moves and its entry leaves the root.
select_entry End
e2e_check "End picks props.txt" e2e_until 5 e2e_selected_is props.txt
e2e_key ctrl+x
select_entry Home Down
e2e_check "the folder is picked again" e2e_until 5 e2e_selected_is sub
e2e_key ctrl+v
e2e_check "Ctrl+X, Ctrl+V moves the file" e2e_wait_file_has "$work/sub/props.txt" props 10
e2e_check "from where it was" e2e_wait_gone "$work/props.txt" 5
e2e_check "and its entry leaves the root" e2e_entry_within absent props.txt 5000
select_entry Home Down Right
e2e_check "the opened folder shows the copy" e2e_count_within 2 keep.txt 5000
e2e_check "and the moved file" e2e_entry_within present props.txt 5000

e2e_close
echo "e2e commands: all checks passed"
