# The core loop as a user meets it: hot keys call the window up at the
# pointer, a click opens the entry through the shell, the window hides.
# (The keyboard's way, a hot key, keys and Enter, is test_keys.sh.)
source "$(dirname "$0")/lib.sh" "$1" "$2" core

work="$E2E_DIR/quorb"
mkdir -p "$work/Tools" "$work/Odd, name folder"
# Batch files that leave a marker when they run.
marker() { printf '@echo off\r\necho ran > "C:\\e2e\\core\\%s"\r\n' "$1"; }
marker ran-link.txt >"$E2E_DIR/target one.bat"
marker ran-comma.txt >"$work/Odd, name folder/run, me.bat"
marker ran-space.txt >"$work/Tools/with space.bat"
probe mklnk "$E2E_WIN\\quorb\\Run me.lnk" "$E2E_WIN\\target one.bat" >/dev/null
# A stranger's explorer.exe beside the program (as a download could leave
# one): entries open through the system's Explorer, never through it.
cp "$PROBE_EXE" "$E2E_DIR/explorer.exe"

e2e_ini "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2" \
    "Left=10" "Top=10" "Right=260" "Bottom=390"
e2e_start
e2e_check "the window starts hidden" probe wait TForm tavrix hidden 15000
e2e_check "start-up finishes with the working folder" e2e_wait_root quorb 15

at() { local wx wy; read -r _ wx wy _ <<<"$(e2e_window tavrix)"; [ "$wx $wy" = "$1 $2" ] || { echo "window at $wx $wy" >&2; return 1; }; }
spans() { local wx ww; read -r _ wx _ ww _ <<<"$(e2e_window tavrix)"; [ "$wx $ww" = "$1 $2" ] || { echo "window at $wx, $ww wide" >&2; return 1; }; }
window_is_at() { e2e_until 3 at "$@"; }  # window_is_at <x> <y>: a move lands a moment later
window_spans() { e2e_until 3 spans "$@"; }  # window_spans <x> <width>

# Ctrl+Alt+Z: the window comes up centred on the pointer (the tree's middle
# on the pointer's height), inside the work area.
xdotool mousemove 600 500
e2e_key ctrl+alt+z
e2e_check "Ctrl+Alt+Z shows the window" probe wait TForm tavrix visible 5000
e2e_check "centred on the pointer" window_is_at $((600 - 125)) $((500 - (380 - 49) / 2))
e2e_key ctrl+alt+z
e2e_check "a second Ctrl+Alt+Z hides it" probe wait TForm tavrix hidden 5000

xdotool mousemove 1270 1000
e2e_key super+slash
e2e_check "Win+/ shows the window" probe wait TForm tavrix visible 5000
e2e_check "kept inside the work area" window_is_at $((1280 - 250)) $((1004 - 380))
e2e_key super+slash
e2e_check "a second Win+/ hides it" probe wait TForm tavrix hidden 5000

# A click on a shortcut runs its target and hides the window.
xdotool mousemove 400 300
e2e_key ctrl+alt+z
e2e_check "shown for a click" probe wait TForm tavrix visible 5000
read -r ix iy _ <<<"$(e2e_tree_item "Run me")"
e2e_check "the shortcut is in the tree" test -n "$ix"
e2e_click "$ix" "$iy"
e2e_check "the shortcut ran" e2e_wait_file_has "$E2E_DIR/ran-link.txt" ran 15
e2e_check "the window hid after the start" probe wait TForm tavrix hidden 5000

# F5 shows what was added meanwhile.
printf 'x' >"$work/added later.txt"
e2e_key ctrl+alt+z
e2e_check "shown for F5" probe wait TForm tavrix visible 5000
e2e_key F5
has_item() { probe tree TForm tavrix | grep -q " $1\$"; }
e2e_check "F5 shows a file added meanwhile" has_item "added later.txt"

# A click on an expand button opens the folder and starts nothing; the
# entries inside open with spaces and commas in their paths.
# The button sits left of the icon (16 pixels and a gap) in the indent.
read -r fx fy fl <<<"$(e2e_tree_item "Odd, name folder")"
e2e_click $((fl - 19 - 10)) "$fy"
expanded() { [[ "$(e2e_tree_flags "$1")" == E* ]]; }
e2e_check "a click on the button expands the folder" expanded "Odd, name folder"
e2e_check "the folder click started nothing" probe wait TForm tavrix visible 0
read -r cx cy _ <<<"$(e2e_tree_item "run, me.bat")"
e2e_click "$cx" "$cy"
e2e_check "an entry with a comma in its path runs" e2e_wait_file_has "$E2E_DIR/ran-comma.txt" ran 15

e2e_key ctrl+alt+z
e2e_check "shown for the spaces" probe wait TForm tavrix visible 5000
read -r tx ty tl <<<"$(e2e_tree_item "Tools")"
e2e_click $((tl - 19 - 10)) "$ty"
e2e_check "the button opened Tools" expanded "Tools"
read -r sx sy _ <<<"$(e2e_tree_item "with space.bat")"
e2e_check "the sub-folder opened" test -n "$sx"
e2e_click "$sx" "$sy"
e2e_check "an entry with spaces in its path runs" e2e_wait_file_has "$E2E_DIR/ran-space.txt" ran 15
e2e_check "the explorer.exe beside the program never ran" test ! -e "$E2E_DIR/explorer.exe.ran"

# The frameless window moves by its margin and resizes by its edges.
e2e_key ctrl+alt+z
e2e_check "shown for dragging" probe wait TForm tavrix visible 5000
read -r _ x y w h _ <<<"$(e2e_window tavrix)"
xdotool mousemove $((x + w - 40)) $((y + h - 20)) mousedown 1 mousemove $((x + w - 20)) $((y + h - 10)) \
    mousemove $((x + w + 20)) $((y + h + 10)) mouseup 1
e2e_check "dragging the margin moves the window" window_is_at $((x + 60)) $((y + 30))
read -r _ x y w h _ <<<"$(e2e_window tavrix)"
xdotool mousemove $((x + w - 3)) $((y + 100)) mousedown 1 mousemove $((x + w + 10)) $((y + 100)) \
    mousemove $((x + w + 40)) $((y + 100)) mouseup 1
e2e_check "dragging the right edge widens the window" window_spans "$x" $((w + 43))

e2e_close

# Another program holds Ctrl+Alt+Z: logged, and the other keys still work.
wine "$PROBE_EXE" holdkey >"$E2E_DIR/holdkey.txt" 2>/dev/null &
holder=$!
E2E_PIDS+=("$holder")
e2e_check "another program holds Ctrl+Alt+Z" e2e_wait_file_has "$E2E_DIR/holdkey.txt" held 15
e2e_start
e2e_check "started with the key taken" probe wait TForm tavrix hidden 15000
e2e_check "start-up finishes again" e2e_wait_root quorb 15
e2e_check "the taken key is logged" \
    e2e_wait_file_has "$(ls "$E2E_DIR"/Logs/*.log 2>/dev/null | head -1)" \
    "RegisterHotkeys      Error      Unable to register Ctrl + Alt + Z as hotkey." 5
e2e_key super+slash
e2e_check "Win+/ still works" probe wait TForm tavrix visible 5000
e2e_close "the program ends again"
echo "e2e core: all checks passed"
