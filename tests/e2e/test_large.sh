# A large working folder: 300 shortcuts at the top and 40 open folders
# (with 5 recorded folders that are gone). At the first call-up the buttons
# are drawn before the tree, the open folders come back, and F5 keeps them
# and the selected entry; the folders that are gone are not recorded again.
source "$(dirname "$0")/lib.sh" "$1" "$2" large

work="$E2E_DIR/quorb"
mkdir -p "$work"
probe mklnk "$E2E_WIN\\model.lnk" 'C:\windows\notepad.exe' >/dev/null
for i in $(seq -w 1 300); do cp "$E2E_DIR/model.lnk" "$work/link $i.lnk"; done
q="$E2E_WIN\\quorb"
expanded="$q*"
for i in $(seq -w 1 40); do
    mkdir "$work/open $i"
    for j in $(seq -w 1 20); do echo x >"$work/open $i/f$i-$j.txt"; done
    expanded+="$q\\open $i*"
done
for i in 1 2 3 4 5; do expanded+="$q\\gone $i*"; done

e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "FollowMousePos=0" "Autohide=0" \
    "Left=100" "Top=50" "Right=349" "Bottom=447" "WorkingFolderOption=2" "Expanded=$expanded"

# Every frame a user sees from the call-up on: once the tree's area is
# there, the button panel (client 8,363 161x26) is there too, never what
# lay beneath; once the tree shows its rows, the panel shows its glyphs.
desk=$(e2e_desktop)
e2e_key ctrl+alt+z
frames=0
painted=0
fewest=
for ((i = 0; i < 150 && painted < 4; i++)); do
    import -window "$desk" -crop 249x397+100+50 +repage "$E2E_DIR/frame.png" 2>/dev/null || continue
    tree=$(convert "$E2E_DIR/frame.png" -crop 150x150+40+100 +repage -format '%[fx:mean]' info: 2>/dev/null)
    panel=$(convert "$E2E_DIR/frame.png" -crop 161x26+8+363 +repage -format '%[fx:mean]' info: 2>/dev/null)
    [ -n "$tree" ] || continue
    awk -v t="$tree" 'BEGIN { exit !(t > 0.8) }' || continue  # the window is not there yet
    frames=$((frames + 1))
    awk -v p="$panel" 'BEGIN { exit !(p > 0.5) }' || {
        cp "$E2E_DIR/frame.png" "$E2E_ARTIFACTS/$E2E_NAME-frame.png"
        e2e_fail "the buttons were not drawn with the tree (panel mean $panel; frame: $E2E_NAME-frame.png)"
    }
    # Once the tree shows its rows (the paint that asks for icons), the
    # panel shows its glyphs, not only its erased plain colour.
    rows=$(convert "$E2E_DIR/frame.png" -crop 150x150+40+100 +repage -format '%k' info: 2>/dev/null)
    [ "${rows:-1}" -gt 2 ] || continue
    painted=$((painted + 1))
    glyphs=$(convert "$E2E_DIR/frame.png" -crop 161x26+8+363 +repage -format '%k' info: 2>/dev/null)
    [ "${glyphs:-0}" -gt 8 ] || {
        cp "$E2E_DIR/frame.png" "$E2E_ARTIFACTS/$E2E_NAME-frame.png"
        e2e_fail "the button panel showed no glyphs with the tree ($glyphs colours; frame: $E2E_NAME-frame.png)"
    }
    [ -n "$fewest" ] && [ "$fewest" -le "$glyphs" ] || fewest=$glyphs
done
e2e_check "the window came up" test "$frames" -gt 0
e2e_check "the tree showed its rows" test "$painted" -gt 0
echo "ok: the buttons were there in each of the first $frames frames, with their glyphs once the rows showed (at least $fewest colours)"

open_both() {
    case "$(e2e_tree_flags "open 01")$(e2e_tree_flags "open 40")" in *E*E*) return 0 ;; esac
    return 1
}
wait_open() { e2e_until 10 open_both; }
e2e_check "the first and the last open folder are open again" wait_open
e2e_check "an entry in the last open folder shows" e2e_entry_within present "f40-20.txt" 3000

# The last entry picked by key (the folders come first); F5 keeps it and
# the open folders.
wait_selected() { e2e_until 3 e2e_selected_is "$1"; }
e2e_key End
e2e_check "End selects the last entry" wait_selected "link 300"
# The wheel first turns the view away from it: its coming back into view
# shows that F5 has been handled (the tree's area is 58 to 406 on the screen).
in_view() { local y; read -r _ y _ <<<"$(e2e_tree_item "link 300")"; [ -n "$y" ] && [ "$y" -ge 58 ] && [ "$y" -le 406 ]; }
xdotool mousemove --window "$desk" 220 250 click --repeat 10 --delay 30 4
e2e_check "the wheel turns the view away from the selected entry" e2e_until 3 e2e_not in_view
e2e_key F5
e2e_check "F5 brings the selected entry into view" e2e_until 10 in_view
e2e_check "after F5 the folders are still open" wait_open
e2e_check "after F5 the same entry is selected" wait_selected "link 300"

e2e_close
stored=$(e2e_ini_value Expanded)
e2e_check "the open folders are recorded again" test "$(grep -o '\*' <<<"$stored" | wc -l)" = 41
case "$stored" in *gone*) e2e_fail "folders that are gone are recorded again" ;; esac
echo "e2e large: all checks passed"
