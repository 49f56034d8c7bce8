# The tree changes under the user: an entry deleted from outside while the
# mouse holds it down neither ends the program nor lingers after the
# release, and the tree then lists what the folder holds; a press on a
# folder's button acts on that folder, never on one whose opening was
# refused before.
source "$(dirname "$0")/lib.sh" "$1" "$2" changes

work="$E2E_DIR/quorb"
mkdir -p "$work/Alpha" "$work/Tools"
for f in a.txt b.txt c.txt Alpha/in-alpha.txt Tools/in-tools.txt; do printf 'x' >"$work/$f"; done
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "ExecWithDblClick=1" \
    "WorkingFolderOption=2" "Autohide=0" 'Expanded=C:\e2e\changes\quorb*C:\e2e\changes\quorb\Alpha*'
app=$E2E_LAST_PID

# The listing a user sees, against the folder's own.
listing_matches() {
    local want got
    want=$( (cd "$work" && ls -1 && ls -1 Alpha) | sort | tr '\n' ' ')
    got=$(e2e_tree_texts)
    [ "$got" = "$want" ] || { echo "tree: $got; folder: $want" >&2; return 1; }
}
listing_is_folder() { e2e_until 3 listing_matches; }
alive() { kill -0 "$app" 2>/dev/null && [ "$(e2e_window tavrix | cut -d' ' -f1)" != none ]; }

read -r ax ay _ <<<"$(e2e_tree_item a.txt)"
e2e_click "$ax" "$ay"
read -r bx by _ <<<"$(e2e_tree_item b.txt)"
desk=$(e2e_desktop)
xdotool mousemove --window "$desk" "$bx" "$by" mousedown 1
rm "$work/b.txt"
sleep 1.5  # the watch and its refresh run while the button is held
xdotool mouseup 1
e2e_check "the program is alive after the release" alive
e2e_check "the deleted entry is gone and the tree lists the folder" listing_is_folder

# The same with the right button, whose release opens the shell's menu.
read -r cx cy _ <<<"$(e2e_tree_item c.txt)"
xdotool mousemove --window "$desk" "$cx" "$cy" mousedown 3
rm "$work/c.txt"
sleep 1.5
xdotool mouseup 3
e2e_key Escape
e2e_check "the program is alive after a right press" alive
e2e_check "and the tree lists the folder again" listing_is_folder

# A double-click on Tools opens it through the shell; the tree refuses to
# open it in place. A later press on Alpha's button acts on Alpha alone.
expanded() { [[ "$(e2e_tree_flags "$1")" == E* ]]; }
read -r tx ty _ <<<"$(e2e_tree_item Tools)"
xdotool mousemove --window "$desk" "$tx" "$ty" click --repeat 2 --delay 80 1
e2e_check "the double-click opened Tools through the shell" probe wait '' Tools visible 15000
probe close '' Tools >/dev/null
probe wait '' Tools none 5000 >/dev/null
e2e_check "the window is still there once that folder window is closed" probe wait TForm tavrix visible 5000
read -r _ ay al <<<"$(e2e_tree_item Alpha)"
e2e_click $((al - 19 - 10)) "$ay"
e2e_check "the pressed button closes Alpha" e2e_entry_within absent in-alpha.txt 1500
e2e_check "and Tools, refused before, stays closed" bash -c '! [[ "$0" == E* ]]' "$(e2e_tree_flags Tools)"

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e changes: all checks passed"
