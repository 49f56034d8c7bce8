# The window as a user sees it at its designed size: the tree fills the
# window but for an even margin and the button row below it; the six
# buttons stand side by side in their order at the bottom-left corner, each
# naming itself when the pointer rests on it; the window's own grey shows in
# the margin and a frame line runs along each edge; the tree has no border
# of its own, and a right click selects the entry under the pointer.
source "$(dirname "$0")/lib.sh" "$1" "$2" layout

mkdir -p "$E2E_DIR/quorb"
echo x >"$E2E_DIR/quorb/alpha.txt"
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "Autohide=0" "WorkingFolderOption=2" \
    "Left=100" "Top=50" "Right=349" "Bottom=447"
read -r _ wx wy ww wh _ <<<"$(e2e_window tavrix)"
e2e_check "the window has its designed size (${ww}x$wh)" test "$ww $wh" = "249 397"

# The controls' rectangles relative to the window: "class x y w h".
probe controls TForm tavrix | awk -v X="$wx" -v Y="$wy" '{ print $1, $2 - X, $3 - Y, $4, $5 }' >"$E2E_DIR/controls.txt"
rect_of() { awk -v c="$1" '$1 == c { print $2, $3, $4, $5 }' "$E2E_DIR/controls.txt"; }
read -r tx ty tw th <<<"$(rect_of SysTreeView32)"
read -r px py pw ph <<<"$(rect_of TPanel)"
mapfile -t buttons < <(rect_of TSpeedButton | sort -n)
e2e_check "the tree is visible" test -n "$tx"
e2e_check "the button row is visible" test -n "$px"
e2e_check "with six buttons" test "${#buttons[@]}" = 6

# Inside the window, apart from each other, in one row from left to right.
inside() { [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le "$ww" ] && [ $(($2 + $4)) -le "$wh" ]; }
e2e_check "the tree lies inside the window" inside "$tx" "$ty" "$tw" "$th"
e2e_check "and the button row below it" test "$py" -ge $((ty + th))
row_ok() {
    local i x y w h lx=-1 ly
    for i in "${!buttons[@]}"; do
        read -r x y w h <<<"${buttons[$i]}"
        inside "$x" "$y" "$w" "$h" || { echo "button $i outside: $x $y $w $h" >&2; return 1; }
        [ "$w $h" = "26 26" ] || { echo "button $i is ${w}x$h" >&2; return 1; }
        [ "$y" = "$py" ] || { echo "button $i off the row: $y" >&2; return 1; }
        [ "$lx" -lt 0 ] || [ "$x" = $((lx + 27)) ] || { echo "button $i at $x after $lx" >&2; return 1; }
        lx=$x
    done
    [ "${buttons[0]%% *}" = "$px" ] && [ $((lx + 26)) = $((px + pw)) ] || { echo "row $px+$pw, buttons to $((lx + 26))" >&2; return 1; }
}
e2e_check "the buttons stand side by side, 26 square with 1 between, filling their row" row_ok

# The tree takes the rest: an even margin of 8 on three sides, the row 7
# below it and 8 above the bottom edge, at the left margin.
e2e_check "the tree starts at the margin ($tx,$ty)" test "$tx $ty" = "8 8"
e2e_check "and ends at the margin on the right ($tw wide)" test $((tx + tw)) = $((ww - 8))
e2e_check "the row sits 7 below the tree ($py)" test "$py" = $((ty + th + 7))
e2e_check "and 8 above the bottom edge, at the left margin ($px,$((py + ph)))" test "$px $((py + ph))" = "8 $((wh - 8))"

# Each button names itself, in the designed order.
hints=("Menu (F2)" "Refresh (F5)" "Options" "Save View" "Exit" "Hide (Esc)")
desk=$(e2e_desktop)
no_tip() { ! probe tooltip 0 >/dev/null; }
for i in "${!buttons[@]}"; do
    read -r bx by _ <<<"${buttons[$i]}"
    xdotool mousemove --window "$desk" $((wx + tx + tw / 2)) $((wy + ty + th / 2))
    e2e_until 5 no_tip
    xdotool mousemove --window "$desk" $((wx + bx + 13)) $((wy + by + 13))
    tip=$(probe tooltip 5000)
    e2e_check "button $((i + 1)) says \"${hints[$i]}\" (\"$tip\")" test "$tip" = "${hints[$i]}"
done

# A screen reader announces each button by its hint and the tree by the
# working folder's name, here and in the options dialog the buttons open.
names() { probe accnames TForm "$1" | awk -F'\t' -v c="$2" '$1 == c { print $2 }' | sort | paste -sd'|'; }
expected=$(printf '%s\n' "${hints[@]}" | sort | paste -sd'|')
e2e_check "the six buttons are announced by their hints ($(names tavrix TSpeedButton))" \
    test "$(names tavrix TSpeedButton)" = "$expected"
e2e_check "the tree by the working folder's name ($(names tavrix SysTreeView32))" \
    test "$(names tavrix SysTreeView32)" = quorb
read -r bx by _ <<<"${buttons[2]}"
e2e_click $((wx + bx + 13)) $((wy + by + 13))
e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
dialog_names() { [ "$(names Options TSpeedButton | tr '|' '\n' | grep -vx '\.\.\.' | paste -sd'|')" = "Cancel|OK" ]; }
e2e_check "its OK and Cancel are announced by their captions ($(names Options TSpeedButton))" e2e_until 5 dialog_names
e2e_key Escape
e2e_check "Esc closes the dialog" probe wait TForm Options none 5000

# The window's grey in the margin, a frame line on each edge.
e2e_check "the margin shows the window's grey" test "$(e2e_pixel $((wx + 4)) $((wy + 200)))" = "#DDDDDD"
for edge in "$wx $((wy + 200))" "$((wx + ww - 1)) $((wy + 200))" "$((wx + 120)) $wy" "$((wx + 120)) $((wy + wh - 1))"; do
    e2e_check "a frame line at $edge" test "$(e2e_pixel $edge)" != "#DDDDDD"
done

# The tree's bottom-left corner shows its own background, as its middle
# does: no edge is drawn around it.
e2e_check "the tree has no border" \
    test "$(e2e_pixel $((wx + tx)) $((wy + ty + th - 1)))" = "$(e2e_pixel $((wx + tx + tw / 2)) $((wy + ty + th - 4)))"

read -r ax ay _ <<<"$(e2e_tree_item alpha.txt)"
e2e_click "$ax" "$ay" 3
e2e_check "a right click selects the entry" e2e_until 3 e2e_selected_is alpha.txt
e2e_check "and opens its menu" probe menu open 5000
e2e_key Escape
e2e_check "Esc closes it" probe menu gone 5000

e2e_close
echo "e2e layout: all checks passed"
