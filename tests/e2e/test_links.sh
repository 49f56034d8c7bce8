# Links made from Linux in the working folder (to a folder and a file
# elsewhere, to its own parent) stay where they are when it moves.
source "$(dirname "$0")/lib.sh" "$1" "$2" links

app_folder="$E2E_DIR/quorb" elsewhere="$E2E_DIR/elsewhere"
mkdir -p "$app_folder/Sub" && echo keep >"$app_folder/Sub/keep.txt"
for f in A B C; do mkdir -p "$elsewhere/$f"; echo "$f" >"$elsewhere/$f/$f.txt"; done
ln -s "$elsewhere" "$app_folder/docs"
ln -s "$elsewhere/A/A.txt" "$app_folder/Sub/note.txt"
# A Desktop of the prefix's own, whose quorb exists: the move merges.
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -1)
desktop="${user_dir%/}/Desktop"
[ -L "$desktop" ] && rm "$desktop"
rm -rf "$desktop/quorb" && mkdir -p "$desktop/quorb"

listing() { (cd "$1" && find . -printf '%p %y %l\n' -type f -exec cat {} \; | sort); }
elsewhere_before=$(listing "$elsewhere")
box_says() { wine "$PROBE_EXE" msgbox "$1" 1000 2>/dev/null | tr -d '\r' | grep -qF -- "$2"; }
move_to() {  # Options, the base folder, Enter for OK, Enter for Yes
    e2e_open_options
    e2e_click_control Options "$1"
    e2e_key Return
    e2e_check "the move is asked about" e2e_until 5 box_says Information "Would you like to move the contents?"
    e2e_key Return
}
untouched() { [ "$(listing "$elsewhere")" = "$elsewhere_before" ]; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=2"
app=$E2E_LAST_PID
move_to 'Desktop\quorb'
e2e_check "the move ends with the entries there" e2e_wait_file_has "$desktop/quorb/Sub/keep.txt" keep 20
e2e_check "the folder elsewhere keeps every entry in its place" untouched
e2e_check "the links stay, leading where they led" \
    test "$(readlink "$app_folder/docs") $(readlink "$app_folder/Sub/note.txt")" = "$elsewhere $elsewhere/A/A.txt"
e2e_check "the user is told" e2e_until 10 box_says tavrix "Links stay where they are: "
e2e_key Return
e2e_check "the previous folder is kept past the deletion delay" e2e_stays 4 test -L "$app_folder/docs"

# Back again, with a link to the Desktop, the working folder's parent, and
# a folder whose name is a link in the target: not filled through it.
ln -s .. "$desktop/quorb/up"
mkdir -p "$desktop/quorb/docs" && echo mine >"$desktop/quorb/docs/mine.txt"
desktop_before=$(ls -A "$desktop")
move_to 'Application folder\quorb'
e2e_check "the move back ends" e2e_wait_file_has "$app_folder/Sub/keep.txt" keep 20
e2e_check "the loop stays, and so does the folder" test "$(readlink "$desktop/quorb/up")" = .. -a -f "$desktop/quorb/docs/mine.txt"
e2e_check "the Desktop keeps its entries" test "$(ls -A "$desktop")" = "$desktop_before"
e2e_check "the folder elsewhere is untouched still" untouched
e2e_check "the user is told of the loop" e2e_until 10 box_says tavrix "Links stay where they are: up"
e2e_key Return

e2e_close
rm -rf "$desktop/quorb"
echo "e2e links: all checks passed"
