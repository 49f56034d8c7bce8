# Finding an entry anywhere below the working folder by typing a few
# letters of its name on the tree: the best matches show in a list, the
# tree selects the chosen one with the folders on the way open, Enter or a
# click opens it. Real keys and clicks only.
source "$(dirname "$0")/lib.sh" "$1" "$2" find

work="$E2E_DIR/quorb"
marker() { printf '@echo off\r\necho ran >> "C:\\e2e\\find\\ran-%s.txt"\r\n' "$1"; }
entry() {  # entry <path below quorb> <marker name>
    mkdir -p "$(dirname "$work/$1")"
    marker "$2" >"$work/$1"
}
entry "a/b/c/zephyr.bat" zephyr
entry "docs/2024/Quarterly report.bat" report
entry "x1/melon.bat" melon
entry "x2/y/melon-ripe.bat" ripe
entry "kiwi.bat" kiwi
entry "z/kiwi-deep.bat" deep
entry "z/olive.bat" olive
entry "z/w/olive-green.bat" green
entry "umber.bat" umber
entry "m1/m2/umbrella.bat" umbrella
entry "lemon.bat" lemon
entry "n/lemonade.bat" lemonade
entry "cv/Résumé.bat" resume
mkdir -p "$work/later"

ran() { e2e_wait_file_has "$E2E_DIR/ran-$1.txt" ran 15; }
runs() { [ "$(grep -c ran "$E2E_DIR/ran-$1.txt" 2>/dev/null)" = "$2" ]; }
# The text of the selected entry.
selected() { probe tree TForm tavrix | awk '$2 ~ /S/ { sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, ""); print; exit }'; }
selected_is() { local s; s=$(selected); [ "$s" = "$1" ] || { echo "selected: $s" >&2; return 1; }; }
# The search line as the window shows it (a visible static text).
find_line() { probe controls TForm tavrix | awk 'tolower($1) == "static" { sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, ""); print }'; }
find_line_is() { local s; s=$(find_line); [ "$s" = "$1" ] || { echo "search line: '$s'" >&2; return 1; }; }
# The list of matches: "S" or "-", x y, name and folder after a tab.
rows() { probe rows TForm tavrix; }
row_names() { rows | cut -d' ' -f4- | tr '\t' '|' | paste -sd, -; }
rows_begin() { local s; s=$(row_names); [[ "$s" == "$1"* ]] || { echo "rows: '$s'" >&2; return 1; }; }
chosen_row_is() { local s; s=$(rows | awk '$1 == "S"' | cut -d' ' -f4- | cut -f1); [ "$s" = "$1" ] || { echo "chosen: '$s'" >&2; return 1; }; }
no_list() { ! probe rows TForm tavrix >/dev/null; }
flags_are() { local s; s=$(e2e_tree_flags "$1"); [ "$s" = "$2" ] || { echo "$1: '$s'" >&2; return 1; }; }
call_up() {
    e2e_key ctrl+alt+z
    e2e_check "Ctrl+Alt+Z shows the window" probe wait TForm tavrix visible 5000
}
# Types the letters, waits until the entry is selected, and opens it.
find_and_open() {  # find_and_open <entry as shown> <keys...>
    local name=$1
    shift
    e2e_key "$@"
    e2e_check "typing selects $name" e2e_until 10 selected_is "$name"
    e2e_key Return
}

e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
app=$E2E_LAST_PID
xdotool mousemove 500 400

call_up
find_and_open zephyr.bat z e p h y r
e2e_check "a name three closed folders deep opens" ran zephyr
e2e_check "the window hides after it" probe wait TForm tavrix hidden 5000
e2e_check "the folders on the way are open" test "$(e2e_tree_flags c)" = E-

call_up
e2e_check "no search line when called up" find_line_is ""
find_and_open "Quarterly report.bat" r e p o r t
e2e_check "a word inside a name finds it" ran report

# Of two matches the shallower comes first, until the other was opened.
call_up
find_and_open melon-ripe.bat m e l o n minus r
e2e_check "the deeper match opens when typed in full" ran ripe
e2e_check "the folder opened for the match passed by closed again" flags_are x1 --
call_up
# Closes y and x2 again, so that neither entry is shown.
e2e_key Left Left Left Left
e2e_check "the opened entry is out of sight" e2e_until 5 e2e_entry_is absent melon-ripe.bat
e2e_check "so is the shallower one" e2e_until 5 e2e_entry_is absent melon.bat
find_and_open melon-ripe.bat m e l o n
e2e_check "the entry opened last wins over the shallower one" e2e_until 15 runs ripe 2
e2e_check "the shallower one did not open" test ! -e "$E2E_DIR/ran-melon.txt"

call_up
find_and_open kiwi.bat k i w i
e2e_check "a shown entry wins over a deeper one" ran kiwi
e2e_check "the deeper one did not open" test ! -e "$E2E_DIR/ran-deep.txt"

# The list: the best matches, the first chosen; Down and Up move through
# it and the tree follows, opening folders for a match and closing them
# again when the search moves on; Enter opens the one chosen.
call_up
e2e_key u m b r
e2e_check "a deep match is selected" e2e_until 10 selected_is umbrella.bat
e2e_check "its folders open" flags_are m2 E-
e2e_key BackSpace
e2e_check "one letter less: the shallower match first" e2e_until 5 rows_begin "umber.bat|,umbrella.bat|m1\m2"
e2e_check "the tree selects it" e2e_until 5 selected_is umber.bat
e2e_check "the folders opened for the passed match close" flags_are m1 --
e2e_key Down
e2e_check "Down chooses the next match" e2e_until 5 chosen_row_is umbrella.bat
e2e_check "and the tree follows" e2e_until 5 selected_is umbrella.bat
e2e_key Up
e2e_check "Up goes back" e2e_until 5 selected_is umber.bat
e2e_check "closing again what Down opened" flags_are m1 --
e2e_key Down Return
e2e_check "Enter opens the match chosen" ran umbrella
e2e_check "the way to it stays open" flags_are m2 E-

# A click on a row opens that match.
call_up
e2e_key l e m
e2e_check "both matches listed" e2e_until 5 rows_begin "lemon.bat|,lemonade.bat|n"
list_name() { probe accnames TForm tavrix | awk -F'\t' '$1 == "SysListView32" { print $2 }'; }
e2e_check "a screen reader names the list by the search" test "$(list_name)" = "Find: lem"
read -r _ rx ry _ <<<"$(rows | sed -n 2p)"
e2e_click "$rx" "$ry"
e2e_check "a click on a row opens it" ran lemonade
e2e_check "the other did not open" test ! -e "$E2E_DIR/ran-lemon.txt"

# The initials of the words, and a name with accents typed without them.
call_up
find_and_open "Quarterly report.bat" q r
e2e_check "initials find a name" e2e_until 15 runs report 2
call_up
find_and_open "Résumé.bat" r e s u m e
e2e_check "accents and case do not matter" ran resume

# Nothing fits: no list, and Enter opens nothing.
call_up
e2e_key x q z
e2e_check "no match says so" e2e_until 5 find_line_is "Find: xqz  (no match)"
e2e_check "and shows no list" no_list
e2e_key Return
e2e_check "Enter opens nothing" e2e_stays 1 probe wait TForm tavrix visible 100
e2e_key Escape Escape
e2e_check "hidden again" probe wait TForm tavrix hidden 5000

# Hidden by another program once the index knows it (the folder that holds
# it reads as unchanged): the tree cannot show it, so the next match is
# selected. Its folders are closed again, and nothing is opened.
wine attrib +h 'C:\e2e\find\quorb\z\olive.bat' >/dev/null 2>&1
if wine attrib 'C:\e2e\find\quorb\z\olive.bat' 2>/dev/null | tr -d '\r' | grep -q '^ *[A-Z ]*H'; then
    call_up
    e2e_key o l i v e
    e2e_check "an entry the tree cannot show gives way to the next match" e2e_until 10 selected_is olive-green.bat
    e2e_check "and the search says it found one" find_line_is "Find: olive"
    e2e_key Left Left Left Left Escape
    e2e_check "hidden again" probe wait TForm tavrix hidden 5000
else
    echo "no hidden files here: the case of a hidden entry is skipped"
fi

# Made from the Linux side in a closed folder while the window is away.
mkdir -p "$work/later/inner"
marker fig >"$work/later/inner/fig.bat"
call_up
find_and_open fig.bat f i g
e2e_check "an entry made later in a closed folder is found without F5" ran fig

# Made from the Linux side in a closed folder while the window is up, where
# an older entry fits too, less well.
call_up
sleep 1  # the call-up's own look at the folders is over
marker portage >"$work/later/inner/portage.bat"
e2e_key p o r t
e2e_check "an entry made while the window is up wins over an older worse fit" e2e_until 10 selected_is portage.bat
e2e_key Escape Escape
e2e_check "hidden again" probe wait TForm tavrix hidden 5000

# The search line shows the text; Esc first ends the search, then hides.
call_up
e2e_key q q x
e2e_check "the search line says nothing fits" e2e_until 5 find_line_is "Find: qqx  (no match)"
# The window made lower by its bottom edge while the line shows: the line
# keeps to the tree's edge, as wide as the tree's rows (its scroll bar, if
# any, stays free).
line_on_tree() {
    local controls tx ty tw th lx ly lw lh
    controls=$(probe controls TForm tavrix)
    read -r tx ty tw th <<<"$(awk '$1 == "SysTreeView32" { print $2, $3, $4, $5 }' <<<"$controls")"
    read -r lx ly lw lh <<<"$(awk 'tolower($1) == "static" { print $2, $3, $4, $5 }' <<<"$controls")"
    [ -n "$lx" ] && [ "$lx" = "$tx" ] && [ $((tw - lw)) -ge 0 ] && [ $((tw - lw)) -le 24 ] &&
        { [ "$ly" = "$ty" ] || [ $((ly + lh)) = $((ty + th)) ]; } ||
        { echo "tree $tx $ty $tw $th, line $lx $ly $lw $lh" >&2; return 1; }
}
read -r _ x y w h _ <<<"$(e2e_window tavrix)"
xdotool mousemove $((x + w / 2)) $((y + h - 3)) mousedown 1 mousemove $((x + w / 2)) $((y + h - 20)) \
    mousemove $((x + w / 2)) $((y + h - 80)) mouseup 1
lower_than() { local now; read -r _ _ _ _ now _ <<<"$(e2e_window tavrix)"; [ "$now" -lt "$1" ]; }
e2e_check "the window got lower" e2e_until 5 lower_than "$h"
e2e_check "the search line keeps to the tree's edge" e2e_until 5 line_on_tree
sleep 1.5  # a user's pause: the next letter starts a new search
e2e_key k
e2e_check "after a pause a letter starts a new search" e2e_until 5 find_line_is "Find: k"
e2e_check "which selects a shown entry" e2e_until 5 selected_is kiwi.bat
e2e_check "in the list too" e2e_until 5 chosen_row_is kiwi.bat
e2e_key Escape
e2e_check "the first Esc ends the search" e2e_until 5 find_line_is ""
e2e_check "and the list" no_list
e2e_check "the window stays after the first Esc" e2e_stays 1 probe wait TForm tavrix visible 100
e2e_key Escape
e2e_check "the next Esc hides the window" probe wait TForm tavrix hidden 5000

# A click on the row of a match deleted since opens nothing, not the one below.
call_up
e2e_key l e m Down  # moved in the list: it stays as it is
e2e_check "the second of two matches chosen" e2e_until 5 eval '[ "$(rows | sed -n 2p | cut -c1)" = S ]'
read -r _ rx ry name <<<"$(rows | head -1 | cut -f1)" && rm -f "$work/$name" "$work/n/$name"
e2e_click "$rx" "$ry"
e2e_check "a row whose entry went opens nothing" e2e_stays 2 eval '[ "$(cat "$E2E_DIR"/ran-lem*.txt | wc -l)" = 1 ]'
e2e_key Escape Escape

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
e2e_check "the entry opened last is remembered first" grep -aqF "0=later\\inner\\fig.bat" "$E2E_DIR/tavrix.ini"
e2e_check "one opened twice is kept where it was opened last" grep -aqF "2=docs\\2024\\Quarterly report.bat" "$E2E_DIR/tavrix.ini"
e2e_check "and once" test "$(grep -ac "Quarterly report" "$E2E_DIR/tavrix.ini")" = 1
echo "e2e find: all checks passed"
