# The popup menu's commands, as a user reaches them: the menu button and F2
# open the menu at the button; Clipboard, Comma String shows the
# clipboard's text one word a line in its program; Execute with an empty
# clipboard says what failed; the screen saver is kept off only while the
# setting asks for it.
source "$(dirname "$0")/lib.sh" "$1" "$2" menu

mkdir -p "$E2E_DIR/quorb"
# Views go to the user's own temporary folder (%TEMP%, what GetTempPath gives).
temp_dir=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
[ -d "$temp_dir" ] || e2e_fail "no temporary folder of the user's: '$temp_dir'"
temp_file="$temp_dir/tavrix-temp.txt"
rm -f "$temp_file" "$WINEPREFIX/drive_c/windows/temp/tavrix-temp.txt"

menu_at() {  # the open menu's top-left corner
    local state x y
    read -r state x y _ <<<"$(probe menu open 5000)"
    [ "$state" = visible ] && [ "$x" = "$1" ] && [ "$y" = "$2" ]
}
viewer_window() { xdotool search --name 'tavrix-temp.txt' >/dev/null 2>&1; }
wait_viewer() { e2e_until 10 viewer_window; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=2" "BlockScrSvr=0"
read -r _ wx wy _ wh _ <<<"$(e2e_window tavrix)"
panel_y=$((wy + wh - 34))  # the button row keeps its distance to the bottom edge

# F2: the menu opens 8 right of and 15 below the menu button's corner.
e2e_key F2
e2e_check "F2 opens the menu below the menu button" menu_at $((wx + 8 + 8)) $((panel_y + 15))
e2e_key Escape
e2e_check "Esc closes it" probe menu gone 5000

# The menu button, then Clipboard > Comma String, with the keys.
e2e_check "a text is on the clipboard" probe setclip "alpha,beta,gamma"
e2e_click $((wx + 8 + 13)) $((panel_y + 13))
e2e_check "the menu button opens the menu" probe menu open 5000
e2e_key Down Right Down Return
e2e_check "Comma String writes the text one word a line" e2e_wait_file_has "$temp_file" gamma 10
e2e_check "exactly those lines" test "$(cat "$temp_file")" = "$(printf 'alpha\r\nbeta\r\ngamma\r')"
e2e_check "and nothing in the shared Windows folder" test ! -e "$WINEPREFIX/drive_c/windows/temp/tavrix-temp.txt"
e2e_check "and its program shows it" wait_viewer
probe close "" "tavrix-temp.txt - Notepad" >/dev/null
e2e_check "which closes again" e2e_until 5 e2e_not viewer_window

# An empty clipboard: Execute says what failed, with the code -1.
e2e_check "the clipboard is emptied" probe setclip --empty
e2e_key F2
e2e_check "the menu opens again" probe menu open 5000
e2e_key Down Right Up Return
e2e_check "Execute with nothing to start says so" \
    bash -c "wine '$PROBE_EXE' msgbox tavrix 5000 close 2>/dev/null | tr -d '\r' | grep -qF 'Execution of \"\" failed! ErrorCode: -1'"

# The screen-saver blocker: off, nothing counts as input for the system; on,
# a synthesised move does every 10 seconds. Nothing else is pressed meanwhile.
e2e_check "with BlockScrSvr off the system sees no input" bash -c "! wine '$PROBE_EXE' idlereset 11000 >/dev/null 2>&1"
e2e_close
e2e_check "and its temporary file goes" e2e_wait_gone "$temp_file" 5
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "WorkingFolderOption=2" "BlockScrSvr=1"
read -r _ px py _ < <(xdotool getmouselocation --shell | tr '\n' ' ' | sed 's/X=\([0-9]*\) Y=\([0-9]*\).*/_ \1 \2/')
e2e_check "with it on the system sees input within 10 seconds" probe idlereset 11000
e2e_check "and the pointer has not moved" test "$(xdotool getmouselocation --shell | head -2 | tr '\n' ' ')" = "X=$px Y=$py "
e2e_close "the program ends again"
echo "e2e menu: all checks passed"
