# At 144 DPI (150%) the window is laid out 1.5 times the designed size: its
# first rectangle, the buttons with images drawn at 24 pixels (found pixel
# for pixel, so not stretched), the 15-pixel edge band that resizes, and the
# options dialog. A
# stored rectangle is kept in the screen's pixels. At 96 DPI all is as
# designed.
source "$(dirname "$0")/lib.sh" "$1" "$2" dpi

res="$(dirname "$0")/../../src/app/res"
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'set_dpi 96; e2e_cleanup' EXIT
mkdir -p "$E2E_DIR/quorb/Tools"
for name in alpha beta gamma; do echo x >"$E2E_DIR/quorb/$name.txt"; done

# The menu button's image of the strip drawn for <size> pixels, found in the
# button panel as the screen shows it (over the panel's own colour).
image_drawn() {  # image_drawn <size> <strip suffix>
    local size=$1 strip=$2 x y w h desk background
    read -r _ x y w h _ <<<"$(e2e_window tavrix)"
    desk=$(e2e_desktop)
    # The bottom eighth of the window, where the buttons are.
    import -window "$desk" -crop "$((w / 2))x$((h / 8))+$x+$((y + h - h / 8))" +repage "$E2E_DIR/panel.png" 2>/dev/null
    background=$(convert "$E2E_DIR/panel.png" -crop 1x1+3+3 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)
    convert "$res/glyphs$strip.bmp" -crop "${size}x${size}+0+0" +repage -background "$background" -flatten \
        "$E2E_DIR/glyph.png"
    compare -metric AE -fuzz 6% -subimage-search "$E2E_DIR/panel.png" "$E2E_DIR/glyph.png" null: 2>&1 |
        grep -q '^0 '
}
size_is() { [ "$(e2e_window tavrix | cut -d' ' -f4,5)" = "$1" ]; }

set_dpi 144
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2"
e2e_check "at 150% the first window is 1.5 times the designed 250 by 380" size_is "375 570"
e2e_check "the menu button shows its 24-pixel image, unstretched" image_drawn 24 24
# 12 pixels in from the right edge: inside the band at 150% (15), on the
# caption at 100% (10), where the same drag would move the window.
read -r _ x y w h _ <<<"$(e2e_window tavrix)"
resized() {  # the left edge kept, the width 35 to 45 pixels more
    read -r _ x2 y2 w2 h2 _ <<<"$(e2e_window tavrix)"
    [ "$x2" = "$x" ] && [ "$w2" -ge $((w + 35)) ] && [ "$w2" -le $((w + 45)) ] ||
        { echo "width $w -> $w2, left $x -> $x2" >&2; return 1; }
}
e2e_drag $((x + w - 12)) $((y + h / 2)) $((x + w + 28)) $((y + h / 2))
e2e_check "a drag 12 pixels inside the right edge resizes" e2e_until 3 resized
read -r _ x2 y2 w2 h2 _ <<<"$(e2e_window tavrix)"
# The Options button, where it lies at 150%; the dialog's client area of
# 457 by 249 comes up 1.5 times as large (the frame is the system's).
e2e_click $((x2 + 12 + 81 + 19)) $((y2 + h2 - 51 + 19))
e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
read -r _ _ _ ow oh _ <<<"$(probe window TForm Options)"
e2e_check "the options dialog is 1.5 times as large (${ow}x$oh)" \
    test "$ow" -ge 685 -a "$ow" -le 705 -a "$oh" -ge 373 -a "$oh" -le 430
e2e_key Escape
e2e_check "Esc closes it" probe wait TForm Options none 5000
e2e_close
e2e_check "the stored width is the window's own" test $(($(e2e_ini_value Right) - $(e2e_ini_value Left))) = "$w2"

e2e_start
e2e_check "the window comes up again" probe wait TForm tavrix visible 15000
e2e_check "with the stored size, not scaled again" size_is "$w2 $h2"
e2e_close "the program ends again"

# A stored rectangle that gives no usable window gives way to the designed
# one, at this DPI as well.
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" \
    "Left=100" "Top=100" "Right=100" "Bottom=100"
e2e_check "a damaged rectangle gives the designed window at 150%" size_is "375 570"
e2e_close "the program ends once more"

set_dpi 96
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2"
e2e_check "at 100% the first window is the designed 250 by 380" size_is "250 380"
e2e_check "the menu button shows its 16-pixel image" image_drawn 16 ""
e2e_close "the program ends at 100%"
echo "e2e dpi: all checks passed"
