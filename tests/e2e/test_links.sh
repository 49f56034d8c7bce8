# Links in the working folder, made from Linux, through a move of the
# working folder: a link to a folder elsewhere, and a link to the working
# folder's own parent (a loop). Each stays where it is, what it leads to
# keeps every entry in its place, the move ends, the user is told, and the
# previous folder that holds the link is kept.
source "$(dirname "$0")/lib.sh" "$1" "$2" links

app_folder="$E2E_DIR/quorb"
elsewhere="$E2E_DIR/elsewhere"
mkdir -p "$app_folder/Sub"
echo keep >"$app_folder/Sub/keep.txt"
for f in A B C; do mkdir -p "$elsewhere/$f"; echo "$f" >"$elsewhere/$f/$f.txt"; done
ln -s "$elsewhere" "$app_folder/docs"
# The prefix's Desktop may lead out of the prefix: a folder of its own,
# whose quorb exists already, so the move merges.
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -1)
desktop="${user_dir%/}/Desktop"
[ -L "$desktop" ] && rm "$desktop"
rm -rf "$desktop/quorb"
mkdir -p "$desktop/quorb"
echo theirs >"$desktop/quorb/theirs.txt"

# Every entry below a folder with its contents, links not followed.
tree_of() { (cd "$1" && find . -printf '%p %y %l\n' -type f -exec cat {} \; | sort); }
elsewhere_before=$(tree_of "$elsewhere")
elsewhere_kept() { [ "$(tree_of "$elsewhere")" = "$elsewhere_before" ]; }
click_control() {  # click_control <dialog title> <control text>
    local x y
    read -r x y <<<"$(probe where TForm "$1" "$2")"
    [ -n "$x" ] && [ "$x" != none ] || e2e_fail "no control \"$2\" in \"$1\""
    e2e_click "$x" "$y"
}
box_says() { wine "$PROBE_EXE" msgbox "$1" 1000 2>/dev/null | tr -d '\r' | grep -qF -- "$2"; }
box_gone() { ! wine "$PROBE_EXE" msgbox "$1" 200 >/dev/null 2>&1; }
# Options, the base folder, Enter for OK and Enter for Yes.
move_to() {
    local state wx wy ww wh
    read -r state wx wy ww wh _ <<<"$(e2e_window tavrix)"
    e2e_click $((wx + 8 + 54 + 13)) $((wy + wh - 34 + 13))  # the Options button
    e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
    click_control Options "$1"
    e2e_key Return
    e2e_check "the move is asked about" e2e_until 5 box_says Information "Would you like to move the contents?"
    e2e_key Return
}
# The box that names what stayed; Enter closes it.
told() {
    e2e_check "the user is told that $1 stays" e2e_until 10 box_says tavrix "Links stay where they are: $1"
    e2e_key Return
    e2e_check "Enter closes the box" e2e_until 5 box_gone tavrix
}

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=2"
app=$E2E_LAST_PID

move_to 'Desktop\quorb'
e2e_check "the working folder's own entries arrive" e2e_wait_file_has "$desktop/quorb/Sub/keep.txt" keep 20
e2e_check "the folder elsewhere keeps every entry in its place" elsewhere_kept
e2e_check "the link stays in the previous folder, leading where it led" \
    test "$(readlink "$app_folder/docs")" = "$elsewhere"
e2e_check "and nothing of it is in the new folder" test ! -e "$desktop/quorb/docs" -a ! -L "$desktop/quorb/docs"
told docs
e2e_check "the previous folder is kept for longer than the deletion delay" e2e_stays 4 test -L "$app_folder/docs"
e2e_check "the tree shows the moved folder" e2e_entry_within present theirs.txt 5000

# Back again, with a link to the Desktop, the working folder's parent.
ln -s .. "$desktop/quorb/up"
desktop_before=$(ls -A "$desktop")
move_to 'Application folder\quorb'
e2e_check "the entries come back" e2e_wait_file_has "$app_folder/Sub/keep.txt" keep 20
e2e_check "and so does the file that was there" test -f "$app_folder/theirs.txt"
e2e_check "the loop stays where it is" test "$(readlink "$desktop/quorb/up")" = ..
e2e_check "the Desktop keeps its entries" test "$(ls -A "$desktop")" = "$desktop_before"
e2e_check "the folder elsewhere is still untouched" elsewhere_kept
told up
e2e_check "the program still answers" probe wait TForm tavrix visible 2000

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
rm -rf "$desktop/quorb"
echo "e2e links: all checks passed"
