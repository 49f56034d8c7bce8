# Adding links the way the program is meant to be used: a file dragged from
# another program onto the tree becomes a shortcut in the folder dropped on,
# and one dropped below the entries a shortcut in the working folder; a click
# on the new entry runs its target. A dropped shortcut is copied. Entries drag out to other programs as
# files; the root does not drag.
source "$(dirname "$0")/lib.sh" "$1" "$2" drag

work="$E2E_DIR/quorb"
src="$E2E_DIR/src"
mkdir -p "$work/sub" "$src"
echo keep >"$work/keep.txt"
for name in build tool; do
    printf '@echo off\r\necho ran > "C:\\e2e\\drag\\ran-%s.txt"\r\n' "$name" >"$src/$name.bat"
done

# Runs a probe window in the background; its output goes to a file.
helper() {  # helper <output file> <probe arguments...>
    local out=$1
    shift
    wine "$PROBE_EXE" "$@" >"$out" 2>/dev/null &
    E2E_PIDS+=("$!")
    e2e_wait_file_has "$out" ready 15 || e2e_fail "the probe's $1 window did not come up"
    e2e_wait_mapped "probe $(tr -d '\r' <"$out" | sed -n 's/^ready //p')" 10 || e2e_fail "the probe's window is not on the screen"
}
lnk_target() { [ "$(probe lnktarget "$1")" = "$2" ]; }

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"

# A .bat dragged from another program onto the folder "sub".
helper "$E2E_DIR/source1.txt" dragsource "C:\\e2e\\drag\\src\\build.bat" 600 300 20000
read -r x y _ <<<"$(e2e_tree_item sub)"
e2e_drag 650 330 "$x" "$y"
e2e_check "the drag ends" e2e_wait_file_has "$E2E_DIR/source1.txt" effect 10
e2e_check "dropping on a folder makes a shortcut there" e2e_wait_file_has "$work/sub/build.lnk" "" 10
e2e_check "which points at the dropped file" lnk_target "C:\\e2e\\drag\\quorb\\sub\\build.lnk" "C:\\e2e\\drag\\src\\build.bat"
e2e_check "the original stays where it was" test -e "$src/build.bat"
e2e_check "and gets no second shortcut" test ! -e "$work/sub/build (2).lnk"

# Opening the folder shows the new entry; a click on it runs the .bat.
e2e_key Home Down Right
# A shortcut's entry shows without its extension.
e2e_check "the folder shows the shortcut" e2e_entry_within present build 5000
read -r x y _ <<<"$(e2e_tree_item build)"
e2e_click "$x" "$y"
e2e_check "a click on it runs the dropped .bat" e2e_wait_file_has "$E2E_DIR/ran-build.txt" ran 15
e2e_check "and the window hides" probe wait TForm tavrix hidden 5000
e2e_key ctrl+alt+z
e2e_check "called up again" probe wait TForm tavrix visible 5000

# Dropped on the empty space below the entries: a shortcut in the working folder.
helper "$E2E_DIR/source2.txt" dragsource "C:\\e2e\\drag\\src\\tool.bat" 600 300 20000
read -r wx wy ww wh <<<"$(e2e_window tavrix | cut -d' ' -f2-5)"
e2e_drag 650 330 $((wx + 120)) $((wy + wh - 80))
e2e_check "dropping below the entries makes a shortcut in the working folder" \
    e2e_wait_file_has "$work/tool.lnk" "" 10
e2e_check "the working folder shows it" e2e_entry_within present tool 5000

# A shortcut dragged in, as from a Start menu, arrives as a copy of itself
# (the shell copies shortcut files rather than link to them), not as a
# second shortcut pointing at the dropped one.
probe mklnk "C:\\e2e\\drag\\src\\Tool.lnk" "C:\\e2e\\drag\\src\\tool.bat" >/dev/null || e2e_fail "no shortcut to drag"
helper "$E2E_DIR/source3.txt" dragsource "C:\\e2e\\drag\\src\\Tool.lnk" 600 300 20000
read -r x y _ <<<"$(e2e_tree_item sub)"
e2e_drag 650 330 "$x" "$y"
e2e_check "the drag ends" e2e_wait_file_has "$E2E_DIR/source3.txt" effect 10
e2e_check "the log says what was copied" e2e_wait_file_has "$(ls "$E2E_DIR"/Logs/*.log 2>/dev/null | head -1)" \
    'copied here: C:\e2e\drag\src\Tool.lnk as C:\e2e\drag\quorb\sub\Tool.lnk' 10
e2e_check "the copy is the dropped shortcut itself" cmp -s "$src/Tool.lnk" "$work/sub/Tool.lnk"
e2e_check "so it points where the original points" \
    lnk_target "C:\\e2e\\drag\\quorb\\sub\\Tool.lnk" "C:\\e2e\\drag\\src\\tool.bat"
e2e_check "and no second link was made" \
    test "$(ls "$work/sub" | LC_ALL=C sort | tr '\n' ' ')" = "Tool.lnk build.lnk "
e2e_check "the folder shows the copy" e2e_entry_within present Tool 5000

# An entry dragged out arrives as a file; the root does not drag.
helper "$E2E_DIR/target1.txt" droptarget 600 300 15000
read -r x y _ <<<"$(e2e_tree_item keep.txt)"
e2e_drag "$x" "$y" 650 330
e2e_check "an entry dragged out arrives as its file" e2e_wait_file_has "$E2E_DIR/target1.txt" 'C:\e2e\drag\quorb\keep.txt' 10
e2e_check "and dragging it opened nothing" probe wait TForm tavrix visible 1000
helper "$E2E_DIR/target2.txt" droptarget 600 300 3000
read -r x y _ <<<"$(e2e_tree_item quorb)"
e2e_drag "$x" "$y" 650 330
e2e_check "the root does not drag" e2e_wait_file_has "$E2E_DIR/target2.txt" none 10

e2e_close
echo "e2e drag: all checks passed"
