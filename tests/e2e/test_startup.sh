# Start-up, the single-instance guard and Exit, as a user meets them.
source "$(dirname "$0")/lib.sh" "$1" "$2" startup

# Hidden start: nothing becomes visible.
e2e_ini "ShowAppWndOnLaunch=0" "ShowTrayIcon=0"
e2e_start
first=$E2E_LAST_PID
e2e_check "hidden start creates the window" probe wait TForm tavrix hidden 15000
e2e_check "hidden start stays hidden" e2e_stays 1 probe wait TForm tavrix hidden 0
e2e_check "closing the hidden window ends the program" probe close TForm tavrix
e2e_check "the program ended" e2e_wait_exit "$first" 15

# Shown start: the borderless window appears, with no taskbar button.
e2e_ini "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "Left=100" "Top=50" "Right=360" "Bottom=460" \
    "WorkingFolderOption=2"
e2e_start
first=$E2E_LAST_PID
e2e_check "the window appears" probe wait TForm tavrix visible 15000
read -r state x y w h style owned <<<"$(e2e_window tavrix)"
e2e_check "the window has its stored rectangle" test "$x $y $w $h" = "100 50 260 410"
e2e_check "the window has no caption or frame" test "$style" = "style=96000000"
e2e_check "the window has no taskbar button" test "$(probe taskbar)" = 0

# A second copy tells the user and ends; the first keeps running.
e2e_start
second=$E2E_LAST_PID
box=$(probe msgbox Information 15000 close)
e2e_check "the second copy says so" test "$box" = "tavrix is already running!"
e2e_check "the second copy ends" e2e_wait_exit "$second" 15
e2e_check "the first copy keeps running" kill -0 "$first"
e2e_check "the first window is still shown" probe wait TForm tavrix visible 0

# Exit writes the window state and ends the program.
# The button panel stays at the bottom-left corner: 8 from the left, 34 from the bottom.
e2e_click $((x + 8 + 108 + 13)) $((y + h - 34 + 13))
e2e_check "Exit ends the program" e2e_wait_exit "$first" 15
for key in Left Top Right Bottom SelectedNode Expanded; do
    e2e_check "Exit wrote $key" grep -q "^$key=" "$E2E_DIR/tavrix.ini"
done
e2e_check "the rectangle was kept" test "$(e2e_ini_value Left),$(e2e_ini_value Bottom)" = "100,460"
e2e_check "the working folder beside the program was created" test -d "$E2E_DIR/quorb"

# A new copy starts normally afterwards; "Exit" in the menu ends it too.
e2e_start
third=$E2E_LAST_PID
e2e_check "a new copy starts after Exit" probe wait TForm tavrix visible 15000
e2e_check "no box from the new copy" test "$(probe msgbox Information 500)" = none
e2e_click $((x + 8 + 13)) $((y + h - 34 + 13))
e2e_check "the menu button opens the menu" probe wait '#32768' '' visible 5000
e2e_key Up Return
e2e_check "Exit in the menu ends the program" e2e_wait_exit "$third" 15

# A close request that arrives while the menu is open still ends the program.
e2e_start
fourth=$E2E_LAST_PID
e2e_check "another copy starts" probe wait TForm tavrix visible 15000
e2e_click $((x + 8 + 13)) $((y + h - 34 + 13))
e2e_check "the menu opens again" probe wait '#32768' '' visible 5000
probe close TForm tavrix >/dev/null
e2e_check "closing during the menu ends the program" e2e_wait_exit "$fourth" 15
# Logoff ends the program without closing its window: the open folders
# and the window's place are written all the same.
mkdir -p "$E2E_DIR/quorb/Open"
printf 'x' >"$E2E_DIR/quorb/Open/inside.txt"
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" \
    "Left=40" "Top=30" "Right=290" "Bottom=410"
fifth=$E2E_LAST_PID
read -r _ ty tl <<<"$(e2e_tree_item Open)"
e2e_click $((tl - 19 - 10)) "$ty"
e2e_check "a folder is opened" e2e_entry_within present inside.txt 3000
e2e_check "logoff is agreed to" test "$(probe endsession TForm tavrix)" = agreed
kill -9 "$fifth" 2>/dev/null
e2e_check "the program is ended by the system" e2e_wait_exit "$fifth" 15
e2e_check "the open folder was written" grep -q 'quorb\\Open\*' "$E2E_DIR/tavrix.ini"
echo "e2e startup: all checks passed"
