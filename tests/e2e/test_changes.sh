# The tree changes under the user: an entry deleted from outside while the
# mouse holds it down neither ends the program nor lingers after the
# release, and the tree then lists what the folder holds.
source "$(dirname "$0")/lib.sh" "$1" "$2" changes

work="$E2E_DIR/quorb"
mkdir -p "$work"
for f in a.txt b.txt c.txt; do printf 'x' >"$work/$f"; done
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "ExecWithDblClick=1" \
    "WorkingFolderOption=2" "Autohide=0"
app=$E2E_LAST_PID

# The listing a user sees, against the folder's own.
listing_is_folder() {
    local i want got
    want=$(cd "$work" && ls -1 | sort | tr '\n' ' ')
    for i in $(seq 30); do
        got=$(probe tree TForm tavrix | awk '$1 > 0 { n = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "", n); print n }' | sort | tr '\n' ' ')
        [ "$got" = "$want" ] && return 0
        sleep 0.1
    done
    echo "tree: $got; folder: $want" >&2
    return 1
}
alive() { kill -0 "$app" 2>/dev/null && [ "$(e2e_window tavrix | cut -d' ' -f1)" != none ]; }

read -r ax ay _ <<<"$(e2e_tree_item a.txt)"
e2e_click "$ax" "$ay"
read -r bx by _ <<<"$(e2e_tree_item b.txt)"
desk=$(xdotool search --name 'Wine desktop' | head -1)
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

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e changes: all checks passed"
