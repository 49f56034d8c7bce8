# The notification-area icon: it is there with the setting, a left click
# calls the hidden window up at the taskbar's corner, a right click opens
# the program's menu and leaves the window hidden; About shows the version
# and the hot key another program holds; a "tavrix.ico" beside the program
# is the icon drawn; Exit takes the icon away.
source "$(dirname "$0")/lib.sh" "$1" "$2" tray

mkdir -p "$E2E_DIR/quorb"

# The icon's square holds a picture, or only the taskbar's plain colour.
pictured() { [ "$(e2e_colours $E2E_ICON_SQUARE)" -gt 1 ]; }
plain() { [ "$(e2e_colours $E2E_ICON_SQUARE)" = 1 ]; }
icon_shown() { e2e_tray_icon && icon_x=$E2E_ICON_X icon_y=$E2E_ICON_Y && e2e_until 5 pictured; }
icon_gone() { e2e_until 5 plain; }
at_taskbar_corner() {  # right and bottom edges on the work area's corner (1280 by 1004)
    local state x y w h
    read -r state x y w h _ <<<"$(e2e_window tavrix)"
    [ "$state" = visible ] && [ $((x + w)) = 1280 ] && [ $((y + h)) = 1004 ]
}
tree_has_keyboard() { [ "$(probe focus TForm tavrix)" = SysTreeView32 ]; }
focused_tree() { e2e_until 3 tree_has_keyboard; }
about_says() { probe texts TForm About | grep -qF -- "$1"; }

# Another program holds Ctrl+Alt+Z.
wine "$PROBE_EXE" holdkey >"$E2E_DIR/holdkey.txt" 2>/dev/null &
E2E_PIDS+=("$!")
e2e_check "another program holds Ctrl+Alt+Z" e2e_wait_file_has "$E2E_DIR/holdkey.txt" held 15

e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=1" "Autohide=1" "WorkingFolderOption=2"
e2e_check "the icon is in the notification area" icon_shown
e2e_click $icon_x $icon_y
e2e_check "a left click calls the window up at the taskbar's corner" probe wait TForm tavrix visible 5000
e2e_check "whose corner it fills" at_taskbar_corner
e2e_check "with the keyboard in the tree" focused_tree

# About, from the menu: the version, and why Ctrl+Alt+Z does nothing.
e2e_key F2
e2e_check "F2 opens the menu" probe menu open 5000
e2e_key Down Down Down Return
e2e_check "About opens" probe wait TForm About visible 5000
e2e_check "it shows the version" about_says "1.0.0.1"
e2e_check "and the hot key another program holds" about_says "Ctrl+Alt+Z is used by another program"
e2e_key Escape
e2e_check "Esc closes it" probe wait TForm About none 5000
e2e_check "the keyboard is back in the tree" focused_tree

# A right click opens the menu where the pointer is; the window stays hidden.
e2e_key Escape
e2e_check "Esc hides the window" probe wait TForm tavrix hidden 5000
e2e_click $icon_x $icon_y 3
e2e_check "a right click opens the menu" probe menu open 5000
e2e_check "and leaves the window hidden" probe wait TForm tavrix hidden 500
e2e_click 600 500
e2e_check "a click elsewhere closes the menu" probe menu gone 5000
e2e_close
e2e_check "and its icon goes" icon_gone

# The user's own picture beside the program.
convert -size 16x16 xc:'#ff0000' "$E2E_DIR/tavrix.ico"
e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=1" "WorkingFolderOption=2"
e2e_check "the icon is back in the notification area" e2e_tray_icon
icon_x=$E2E_ICON_X icon_y=$E2E_ICON_Y
drawn_red() { [ "$(e2e_pixel $icon_x $icon_y)" = "#FF0000" ]; }
red() { e2e_until 5 drawn_red; }
e2e_check "a tavrix.ico beside the program is the icon drawn" red
e2e_close "the program ends again"
echo "e2e tray: all checks passed"
