# Damaged settings never cost the user a working program: a stored window
# rectangle that gives no usable window, a working-folder choice that names
# no folder, a log that cannot be written. Each start is checked for what
# the user gets: a window of a usable size on the screen, the working
# folder, a clean end that writes sane values back.
source "$(dirname "$0")/lib.sh" "$1" "$2" damaged

mkdir -p "$E2E_DIR/quorb"
usable_window() {
    local state x y w h
    read -r state x y w h _ <<<"$(e2e_window tavrix)"
    [ "$state" = visible ] && [ "$w" -ge 100 ] && [ "$h" -ge 120 ] && [ "$w" -le 1280 ] && [ "$h" -le 1024 ] &&
        [ $((x + w)) -gt 0 ] && [ "$x" -lt 1280 ] && [ $((y + h)) -gt 0 ] && [ "$y" -lt 1024 ] ||
        { echo "window: $state $x $y $w $h" >&2; return 1; }
}
sane_rect_written() {
    local l t r b
    l=$(e2e_ini_value Left) t=$(e2e_ini_value Top) r=$(e2e_ini_value Right) b=$(e2e_ini_value Bottom)
    [ $((r - l)) -ge 100 ] && [ $((b - t)) -ge 120 ] && [ $((r - l)) -le 1280 ] || { echo "written: $l $t $r $b" >&2; return 1; }
}

# One table of damaged rectangles, with the pointer or the stored place deciding.
while read -r what follow left top right bottom; do
    e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "WorkingFolderOption=2" "FollowMousePos=$follow" \
        "Left=$left" "Top=$top" "Right=$right" "Bottom=$bottom"
    e2e_check "$what: a usable window on the screen" usable_window
    e2e_close "$what: the program ends"
    e2e_check "$what: the values written back are the window's" sane_rect_written
done <<'CASES'
zero-sized 1 0 0 0 0
negative 0 -500 -500 -400 -300
inverted 0 300 300 100 100
three-pixel 1 10 10 13 13
wider-than-the-screens 0 0 0 32767 400
off-every-monitor 0 5000 5000 5250 5380
CASES

# Working-folder choices that name no folder: the default folder, and a note.
for value in 7 -3 0x10; do
    rm -rf "$E2E_DIR/Logs"
    e2e_ini "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "WorkingFolderOption=$value"
    e2e_start
    e2e_check "WorkingFolderOption=$value: the window comes up" probe wait TForm tavrix visible 15000
    e2e_check "WorkingFolderOption=$value: in the default working folder" e2e_wait_root quorb 15
    e2e_check "WorkingFolderOption=$value: the log says why" \
        bash -c "grep -h 'WorkingFolderOption=$value' '$E2E_DIR'/Logs/*.log | grep -q Warning"
    e2e_close "WorkingFolderOption=$value: the program ends"
done

# A working folder that cannot be opened: told once, the window still comes
# up (empty) with a working menu, and F5 tries again.
long_path="C:\\$(printf 'x%.0s' $(seq 300))"
e2e_ini "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "WorkingFolderOption=3" "WorkingFolderPath=$long_path"
e2e_start
e2e_check "a folder that cannot be opened is reported" probe msgbox tavrix 15000 close
# Once the box is gone, one press of the hot key calls the window up.
e2e_key ctrl+alt+z
e2e_check "the window still comes up" probe wait TForm tavrix visible 5000
e2e_check "without telling it again" bash -c "! wine '$PROBE_EXE' msgbox tavrix 1500 >/dev/null 2>&1"
e2e_key F2
e2e_check "and its menu works" probe menu open 5000
e2e_key Escape
e2e_check "the menu closes" probe menu gone 5000
e2e_key F5
e2e_check "F5 tries again and says why it failed" probe msgbox tavrix 5000 close
e2e_close

# A log that cannot be written, and something to log (a hot key another
# program holds): the user hears it once, the program works and ends.
rm -rf "$E2E_DIR/Logs"
echo "not a folder" >"$E2E_DIR/Logs"
wine "$PROBE_EXE" holdkey >"$E2E_DIR/holdkey.txt" 2>/dev/null &
E2E_PIDS+=("$!")
e2e_check "another program holds Ctrl+Alt+Z" e2e_wait_file_has "$E2E_DIR/holdkey.txt" held 15
e2e_ini "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "WorkingFolderOption=2" "Left=40" "Top=40" "Right=290" "Bottom=420"
e2e_start
e2e_check "the user is told that logging is off" \
    bash -c "wine '$PROBE_EXE' msgbox tavrix 15000 close 2>/dev/null | tr -d '\r' | grep -q 'Logging is off'"
e2e_check "the window comes up all the same" probe wait TForm tavrix visible 15000
e2e_check "in the working folder" e2e_wait_root quorb 15
e2e_close "Exit ends the program"
e2e_check "and the window state is written" test "$(e2e_ini_value SelectedNode)" = 0
echo "e2e damaged: all checks passed"
