# The options dialog and the About box from the keyboard alone, as any
# dialog works: Tab and Shift+Tab round the controls, the arrow keys through
# the folder choices, Space, Enter and Esc; and every caption whole, inside
# its group box, at 96 and at 144 DPI. The hot key gives the dialog the
# keyboard back after a click elsewhere.
source "$(dirname "$0")/lib.sh" "$1" "$2" dialogkeys

set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'set_dpi 96; e2e_cleanup' EXIT
switches=("Show app. window on launch" "Execute with double click" "Follow mouse position" "Autohide after execution"
    "Show tray icon" "Block screen saver" "Timestamp temp files")
radios=('Favorites\quorb' 'Desktop\quorb' 'Application folder\quorb' 'Other\quorb')
flat=(folder OK Cancel)  # the flat buttons, in the dialog's order

# Walks a dialog by keys, a row a press, read from fd 3 (a key's programs
# would read stdin): dialog|key|the control that has the keyboard after
# it[|the flat button that alone shows a focus rectangle then].
walk() {
    local dialog key name drawn
    while IFS='|' read -r -u 3 dialog key name drawn; do
        [[ -z $dialog || $dialog == '#'* ]] && continue
        e2e_check "$key in $dialog gives \"$name\" the keyboard" e2e_key_focus "$dialog" "$key" "$name"
        [ -z "$drawn" ] || e2e_check "flat button $drawn alone shows a focus rectangle" e2e_until 3 focus_drawn_on "$drawn"
    done
}
# Whether flat button n alone shows a dotted focus rectangle, 3 pixels in.
focus_drawn_on() {
    local i x y w h colours
    for i in 1 2 3; do
        read -r _ x y w h _ <<<"$(probe controls TForm Options | grep '^TSpeedButton' | sed -n "${i}p")"
        colours=$(e2e_colours $((x + 4)) $((y + 3)) $((w - 8)) 1)
        if [ "$i" = "$1" ]; then [ "$colours" -gt 1 ]; else [ "$colours" = 1 ]; fi || return 1
    done
}
ini_is() { [ "$(e2e_ini_value "$1")" = "$2" ]; }
# Each switch and choice is as wide as the control says its caption needs,
# or keeps its designed width; nothing reaches past its group box's frame.
captions_fit() {  # captions_fit <designed width>
    local name w ideal
    for name in "${switches[@]}" "${radios[@]}"; do
        read -r _ _ w _ ideal _ <<<"$(probe fit TForm Options "$name")"
        [ "$w" -ge "$ideal" ] && { [ "$w" -le "$1" ] || [[ $name == *quorb ]] || [ "$w" = "$ideal" ]; } ||
            { echo "\"$name\" is $w wide; its caption needs $ideal, the design is $1" >&2; return 1; }
    done
    probe controls TForm Options | awk '$6 == "General" || $6 == "Working" { n++; l[n] = $2; t[n] = $3; r[n] = $2 + $4 - 2; b[n] = $3 + $5 - 2; next }
        { for (i = 1; i <= n; i++) if ($2 > l[i] && $2 < r[i] && $3 > t[i] && $3 < b[i] && ($2 + $4 > r[i] || $3 + $5 > b[i])) { print "past its group box: " $0; bad = 1 } }
        END { exit bad }' >&2
}

# "Other" names the program's own folder, so every choice gives the same
# working folder and OK asks nothing.
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "Autohide=0" "TimestampTempFiles=0" \
    "WorkingFolderOption=3" "WorkingFolderPath=$E2E_WIN"
e2e_open_options
e2e_check "the first switch has the keyboard" e2e_until 3 e2e_focus_is Options "${switches[0]}"
e2e_check "at 96 DPI every caption fits, inside its group" captions_fit 169
walk 3<<'ROWS'
# Tab goes round the dialog in the order of its layout.
Options|Tab|Execute with double click
Options|Tab|Follow mouse position
Options|Tab|Autohide after execution
Options|Tab|Show tray icon
Options|Tab|Block screen saver
Options|Tab|Timestamp temp files
Options|Tab|Other\quorb
Options|Tab|Edit
Options|Tab|folder
Options|Tab|OK|2
Options|Tab|Cancel|3
# Shift+Tab goes back the same way, and round to Cancel.
Options|shift+Tab|OK
Options|shift+Tab|folder
Options|shift+Tab|Edit
Options|shift+Tab|Other\quorb
Options|shift+Tab|Timestamp temp files
Options|shift+Tab|Block screen saver
Options|shift+Tab|Show tray icon
Options|shift+Tab|Autohide after execution
Options|shift+Tab|Follow mouse position
Options|shift+Tab|Execute with double click
Options|shift+Tab|Show app. window on launch
Options|shift+Tab|Cancel
# Tab goes round to the first switch and on to the checked choice.
Options|Tab|Show app. window on launch
Options|Tab|Execute with double click
Options|Tab|Follow mouse position
Options|Tab|Autohide after execution
Options|Tab|Show tray icon
Options|Tab|Block screen saver
Options|Tab|Timestamp temp files
Options|Tab|Other\quorb
# Down goes round the choices, choosing each.
Options|Down|Favorites\quorb
Options|Down|Desktop\quorb
Options|Down|Application folder\quorb
# Tab passes over the folder of Other, now off; Shift+Tab comes back.
Options|Tab|OK
Options|shift+Tab|Application folder\quorb
Options|shift+Tab|Timestamp temp files
ROWS
e2e_key space Return
e2e_check "Enter on a switch is OK" probe wait TForm Options none 5000
e2e_check "Space switched it" e2e_until 5 ini_is TimestampTempFiles 1
e2e_check "the arrow keys chose the folder" ini_is WorkingFolderOption 2

e2e_open_options
e2e_key space Escape
e2e_check "Esc closes the dialog" probe wait TForm Options none 5000
e2e_check "with nothing saved" e2e_stays 1 ini_is ShowAppWndOnLaunch 1
e2e_open_options
e2e_key space shift+Tab Return
e2e_check "Enter presses the focused Cancel" probe wait TForm Options none 5000
e2e_check "which saves nothing" e2e_stays 1 ini_is ShowAppWndOnLaunch 1
e2e_open_options
e2e_key space shift+Tab shift+Tab
e2e_check "Shift+Tab twice reaches OK" e2e_until 3 e2e_focus_is Options OK
# A click on the taskbar takes the keyboard away; the hot key gives it back.
e2e_click 640 1014
e2e_key ctrl+alt+z
e2e_check "the hot key brings the dialog back with OK focused" e2e_until 5 e2e_focus_is Options OK
e2e_key space
e2e_check "Space presses it: the switch is saved" e2e_until 5 ini_is ShowAppWndOnLaunch 0

# About from the menu's keys.
about_by_keys() {
    e2e_key F2
    probe menu open 5000 >/dev/null || { echo "F2 opened no menu" >&2; return 1; }
    e2e_key Down Down Down Return
    probe wait TForm About visible 5000 >/dev/null
}
for close in Return Escape; do
    e2e_check "F2 and the menu's keys open About" about_by_keys
    walk 3<<'ROWS'
# Its OK button keeps the keyboard.
About|Tab|OK
About|shift+Tab|OK
ROWS
    e2e_key $close
    e2e_check "$close closes About" probe wait TForm About none 5000
done
e2e_close

set_dpi 144
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2"
e2e_open_options
e2e_check "at 144 DPI every caption fits, inside its group" captions_fit $(((169 * 144 + 48) / 96))
e2e_key Escape
e2e_check "Esc closes the dialog" probe wait TForm Options none 5000
e2e_close
echo "e2e dialogkeys: all checks passed"
