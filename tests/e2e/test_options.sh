# The options dialog as a user works it: a switch turned off and Enter
# saves it and acts at once; another base folder and Yes moves every link
# there, the tree shows it, typing finds its entries and the previous
# folder goes a few seconds later; a move the user stops halfway keeps the
# previous folder and every link.
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

icon_gone() { e2e_until 5 plain_square; }
plain_square() { [ "$(e2e_colours $E2E_ICON_SQUARE)" = 1 ]; }
ini_is() { [ "$(e2e_ini_value "$1")" = "$2" ]; }
ini_becomes() { e2e_until 5 ini_is "$1" "$2"; }
box_says() { wine "$PROBE_EXE" msgbox "$1" 5000 2>/dev/null | tr -d '\r' | grep -qF -- "$2"; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=1" "Autohide=0" "WorkingFolderOption=2"
app=$E2E_LAST_PID
e2e_check "the icon is in the notification area" e2e_tray_icon

# A switch: Show tray icon off, Enter.
e2e_open_options
e2e_click_control Options "Show tray icon"
e2e_key Return
e2e_check "Enter closes the dialog" probe wait TForm Options none 5000
e2e_check "the setting is saved" ini_becomes ShowTrayIcon 0
e2e_check "and the tray icon is gone at once" icon_gone

# Another base folder, and Yes: every link moves, the tree follows.
e2e_open_options
e2e_click_control Options 'Desktop\quorb'
e2e_key Return
e2e_check "the move is asked about" box_says Information "Would you like to move the contents?"
e2e_key Return
e2e_check "Yes moves the links" e2e_wait_file_has "$desktop/quorb/sub/two.txt" two 10
e2e_check "all of them" test -f "$desktop/quorb/one.txt"
e2e_check "the choice is saved" ini_becomes WorkingFolderOption 1
e2e_check "the tree shows the moved folder" e2e_entry_within present one.txt 5000
e2e_check "the previous folder goes a few seconds later" e2e_wait_gone "$app_folder" 10
# Typing finds an entry of the moved folder that no open folder shows,
# without calling the window up again.
e2e_key t w o
e2e_check "typing finds an entry in a closed folder of the moved folder" e2e_until 10 e2e_selected_is two.txt
e2e_key Escape

# Back again, into a folder that holds a file of the same name: that file
# is not replaced, so the move stops short. Nothing is lost.
mkdir -p "$app_folder"
echo mine >"$app_folder/one.txt"
# Deeper down too: a link that must stay in the first of six folders,
# the five others arriving whole.
mkdir -p "$app_folder/Apps" "$desktop/quorb/Apps"
echo theirs >"$app_folder/Apps/x.txt"
echo kept >"$desktop/quorb/Apps/x.txt"
for f in B C D E F; do mkdir -p "$desktop/quorb/$f" "$app_folder/$f"; echo "$f" >"$desktop/quorb/$f/$f.txt"; done
e2e_open_options
e2e_click_control Options 'Application folder\quorb'
e2e_key Return
e2e_check "the move back is asked about" box_says Information "Would you like to move the contents?"
e2e_key Return
e2e_check "the user is told the previous folder was kept" box_says tavrix "the previous folder was kept"
# The tree, the search's index and any count had let go of the folder, as
# a move on Windows needs.
let_go() { [ "$(cat "$E2E_DIR"/Logs/*.log | grep -cE 'BeforeFolderMove +Info +0 handles open inside ')" = 2 ]; }
e2e_check "nothing of the program was open inside the folder at either move" let_go
probe msgbox tavrix 2000 close >/dev/null
e2e_check "the file of the same name stays in the previous folder" test "$(cat "$desktop/quorb/one.txt")" = one
e2e_check "the file that was there is untouched" test "$(cat "$app_folder/one.txt")" = mine
e2e_check "the rest arrived" test -f "$app_folder/sub/two.txt"
e2e_check "and the previous folder is still there afterwards, for longer than the deletion delay" \
    e2e_stays 4 test -f "$desktop/quorb/one.txt"
e2e_check "with the link kept in its first folder" test "$(cat "$desktop/quorb/Apps/x.txt")" = kept
e2e_check "while the five sibling folders arrived" test -f "$app_folder/F/F.txt"

e2e_close

# A hurried user: a refused OK and Cancel change no switch; a hot key or
# the tray icon while a dialog is open bring that dialog to the front and
# nothing else, so Exit never runs under it.
rm -rf "$app_folder" "$desktop/quorb"
mkdir -p "$app_folder/sub"
echo mine >"$app_folder/sub/mine.txt"
printf '@echo off\r\necho ran > "C:\\e2e\\options\\ran.txt"\r\n' >"$app_folder/run.bat"
has_keyboard() { local out; out=$(probe focus "$1" "$2"); [ "$out" != none ] && [[ $out != *"in front"* ]]; }
in_front() { e2e_until 3 has_keyboard "$1" "$2"; }
no_menu() { ! probe menu open 1500 >/dev/null; }
# The taskbar may hold the keyboard for a moment after a click on the icon:
# the key waits until the window has it.
key_closes() {  # key_closes <key> <class> <title>
    in_front "$2" "$3" || return 1
    e2e_key "$1"
    if [ "$2" = TForm ]; then probe wait TForm "$3" none 5000 >/dev/null
    else e2e_until 5 box_gone "$3"; fi
}
box_gone() { ! probe msgbox "$1" 0 >/dev/null; }
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=1" "Autohide=1" "WorkingFolderOption=2"
app=$E2E_LAST_PID
e2e_check "the icon is in the notification area again" e2e_tray_icon
icon_x=$E2E_ICON_X icon_y=$E2E_ICON_Y

e2e_open_options
e2e_click_control Options "Autohide after execution"
e2e_click_control Options 'Desktop\quorb'
e2e_key Return
e2e_check "the move is asked about" box_says Information "Would you like to move the contents?"
e2e_key Escape
e2e_check "Esc on the question leaves the dialog open" probe wait TForm Options visible 2000
e2e_key Escape
e2e_check "Cancel closes it" probe wait TForm Options none 5000
e2e_check "nothing is written" test "$(e2e_ini_value Autohide)" = 1
read -r cx cy _ <<<"$(e2e_tree_item run.bat)"
e2e_click "$cx" "$cy"
e2e_check "the entry runs" e2e_wait_file_has "$E2E_DIR/ran.txt" ran 15
e2e_check "and the window hides: Autohide is as it was" probe wait TForm tavrix hidden 5000

e2e_key ctrl+alt+z
e2e_check "the hot key calls the window up" probe wait TForm tavrix visible 5000
e2e_key F2
e2e_check "F2 opens the menu" probe menu open 5000
e2e_key Down Down Down Return
e2e_check "About opens" probe wait TForm About visible 5000
e2e_key ctrl+alt+z
e2e_key ctrl+alt+z
e2e_check "hot keys leave About in front" in_front TForm About
e2e_click $icon_x $icon_y
e2e_check "and so does a click on the icon" in_front TForm About
# Under Wine a click on the icon keeps the keyboard with the taskbar while
# the foreground window stays the same; a user clicks the box. Under the
# main window (as before) that click would reach nothing.
click_body() { local state x y w h; read -r state x y w h _ <<<"$(e2e_window "$1")"; e2e_click $((x + w / 2)) $((y + h / 3)); }
click_body About
e2e_check "where Esc reaches it" key_closes Escape TForm About
probe wait TForm tavrix visible 500 >/dev/null || e2e_key ctrl+alt+z
e2e_check "the window is there again" probe wait TForm tavrix visible 5000

e2e_open_options
e2e_click_control Options 'Desktop\quorb'
e2e_key Return
e2e_check "the move is asked about again" box_says Information "Would you like to move the contents?"
e2e_click $icon_x $icon_y 3
e2e_check "a right click on the icon opens no menu with Exit" no_menu
e2e_check "it brings the question to the front" in_front '#32770' Information
e2e_key ctrl+alt+z
e2e_check "and so does the hot key" in_front '#32770' Information
read -r _ bx by bw bh _ <<<"$(probe window '#32770' Information)"
e2e_click $((bx + bw / 2)) $((by + bh / 3))
e2e_check "where Enter answers Yes" key_closes Return '#32770' Information
e2e_check "Yes moves the links" e2e_wait_file_has "$desktop/quorb/sub/mine.txt" mine 10
e2e_check "the program is still running" kill -0 "$app"
e2e_check "the choice is saved" ini_becomes WorkingFolderOption 1
e2e_check "the tree shows the moved folder" e2e_entry_within present run.bat 5000
e2e_check "the previous folder goes a few seconds later" e2e_wait_gone "$app_folder" 10
e2e_check "and the links are all in one place" test -f "$desktop/quorb/run.bat"
e2e_click $icon_x $icon_y 3
e2e_check "with no dialog open, the icon's menu opens" probe menu open 5000
e2e_click 600 500
e2e_check "a click elsewhere closes it" probe menu gone 5000
e2e_close
e2e_check "tavrix.ini names the new place" test "$(e2e_ini_value WorkingFolderOption)" = 1
echo "e2e options: all checks passed"
