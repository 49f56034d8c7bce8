# The options dialog as a user works it: a switch turned off and Enter
# saves it and acts at once; another base folder and Yes moves every link
# there, the tree shows it and the previous folder goes a few seconds
# later; a move the user stops halfway keeps the previous folder and
# every link.
source "$(dirname "$0")/lib.sh" "$1" "$2" options

app_folder="$E2E_DIR/quorb"
mkdir -p "$app_folder/sub"
echo one >"$app_folder/one.txt"
echo two >"$app_folder/sub/two.txt"
# The prefix's Desktop may lead out of the prefix: a folder of its own.
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -1)
desktop="${user_dir%/}/Desktop"
[ -L "$desktop" ] && rm "$desktop"
rm -rf "$desktop/quorb"
mkdir -p "$desktop"

click_control() {  # click_control <dialog title> <control text>
    local x y
    read -r x y <<<"$(probe where TForm "$1" "$2")"
    [ -n "$x" ] && [ "$x" != none ] || e2e_fail "no control \"$2\" in \"$1\""
    e2e_click "$x" "$y"
}
open_options() {
    local state wx wy ww wh
    read -r state wx wy ww wh _ <<<"$(e2e_window tavrix)"
    e2e_click $((wx + 8 + 54 + 13)) $((wy + wh - 34 + 13))  # the Options button
    e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
}
icon_gone() { local i; for i in $(seq 50); do [ "$(e2e_colours 1262 1006 16 16)" = 1 ] && return 0; sleep 0.1; done; return 1; }
ini_becomes() { local i; for i in $(seq 50); do [ "$(e2e_ini_value "$1")" = "$2" ] && return 0; sleep 0.1; done; return 1; }
box_says() { wine "$PROBE_EXE" msgbox "$1" 5000 2>/dev/null | tr -d '\r' | grep -qF -- "$2"; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=1" "Autohide=0" "WorkingFolderOption=2"
app=$E2E_LAST_PID

# A switch: Show tray icon off, Enter.
open_options
click_control Options "Show tray icon"
e2e_key Return
e2e_check "Enter closes the dialog" probe wait TForm Options none 5000
e2e_check "the setting is saved" ini_becomes ShowTrayIcon 0
e2e_check "and the tray icon is gone at once" icon_gone

# Another base folder, and Yes: every link moves, the tree follows.
open_options
click_control Options 'Desktop\quorb'
e2e_key Return
e2e_check "the move is asked about" box_says Information "Would you like to move the contents?"
e2e_key Return
e2e_check "Yes moves the links" e2e_wait_file_has "$desktop/quorb/sub/two.txt" two 10
e2e_check "all of them" test -f "$desktop/quorb/one.txt"
e2e_check "the choice is saved" ini_becomes WorkingFolderOption 1
e2e_check "the tree shows the moved folder" e2e_entry_within present one.txt 5000
e2e_check "the previous folder goes a few seconds later" e2e_wait_gone "$app_folder" 10

# Back again, into a folder that holds a file of the same name: that file
# is not replaced, so the move stops short. Nothing is lost.
mkdir -p "$app_folder"
echo mine >"$app_folder/one.txt"
open_options
click_control Options 'Application folder\quorb'
e2e_key Return
e2e_check "the move back is asked about" box_says Information "Would you like to move the contents?"
e2e_key Return
e2e_check "the user is told the previous folder was kept" box_says tavrix "the previous folder was kept"
probe msgbox tavrix 2000 close >/dev/null
e2e_check "the file of the same name stays in the previous folder" test "$(cat "$desktop/quorb/one.txt")" = one
e2e_check "the file that was there is untouched" test "$(cat "$app_folder/one.txt")" = mine
e2e_check "the rest arrived" test -f "$app_folder/sub/two.txt"
sleep 4  # longer than the deletion delay
e2e_check "and the previous folder is still there afterwards" test -f "$desktop/quorb/one.txt"

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e options: all checks passed"
