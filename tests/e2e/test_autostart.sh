# "Start with Windows" in the menu: ticked, a shortcut to this copy appears
# in the Startup folder and the item shows a check; unticked, it goes. Other
# shortcuts there stay as they are; an unusable Startup folder is told.
source "$(dirname "$0")/lib.sh" "$1" "$2" autostart

# The prefix's own Startup folder: a folder on the way that links out of
# the prefix is replaced by a real one first, so nothing outside is touched.
startup=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -1)
for part in AppData Roaming Microsoft Windows 'Start Menu' Programs StartUp; do
    startup="${startup%/}/$part"
    if [ -L "$startup" ] || [ -f "$startup" ]; then rm "$startup"; fi
    mkdir -p "$startup"
done
ours() { find "$startup" -maxdepth 1 -iname 'tavrix*.lnk' ! -name tavrix.lnk; }
# Nothing of this test may start with the prefix next time.
restore() {
    [ -f "$startup" ] && rm "$startup" && mkdir "$startup"
    rm -f "$startup/tavrix.lnk" "$startup/Other.lnk"
    ours | xargs -r -d '\n' rm -f
}
trap 'restore; e2e_cleanup' EXIT

mkdir -p "$E2E_DIR/quorb" "$E2E_DIR/copy"
cp "$TAVRIX_EXE" "$E2E_DIR/copy/tavrix.exe"
restore
probe mklnk "$(winepath -w "$startup/tavrix.lnk")" "$E2E_WIN\\copy\\tavrix.exe" >/dev/null
probe mklnk "$(winepath -w "$startup/Other.lnk")" 'C:\windows\notepad.exe' >/dev/null
foreign=$(md5sum "$startup/tavrix.lnk" "$startup/Other.lnk")

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=2"
app=$E2E_LAST_PID
xdotool mousemove 1250 40  # the pointer stays off the menu: no item lit
# The open menu as the screen shows it.
menu_shot() {
    local state x y w h desk
    read -r state x y w h _ <<<"$(probe menu open 5000)"
    [ "$state" = visible ] || return 1
    desk=$(e2e_desktop)
    import -window "$desk" -crop "${w}x${h}+${x}+${y}" +repage "$E2E_DIR/$1.png"
}
same_picture() { [ "$(compare -metric AE "$E2E_DIR/$1.png" "$E2E_DIR/$2.png" null: 2>&1)" = 0 ]; }
none_of_ours() { [ -z "$(ours)" ]; }
target_is_this_copy() {  # exactly one shortcut of ours, to this copy
    local link
    link=$(ours)
    [ -n "$link" ] && [ "$(wc -l <<<"$link")" = 1 ] &&
        [ "$(probe lnktarget "$(winepath -w "$link")" | tr 'A-Z' 'a-z')" = "$(tr 'A-Z' 'a-z' <<<"$E2E_WIN\\tavrix.exe")" ]
}
toggle() { e2e_key F2; e2e_check "the menu opens ($1)" menu_shot "$1"; e2e_key Up Up Return; }
look() { e2e_key F2; e2e_check "the menu opens ($1)" menu_shot "$1"; e2e_key Escape; e2e_check "and closes" probe menu gone 5000; }

toggle unticked
e2e_check "a shortcut to this copy is made beside the foreign one" e2e_until 5 target_is_this_copy
look ticked
e2e_check "the item shows a check now" e2e_not same_picture unticked ticked
toggle ticked-again
e2e_check "unticked, the shortcut goes" e2e_until 5 none_of_ours
e2e_check "the foreign shortcuts are untouched" md5sum --quiet -c <<<"$foreign"
look unticked-again
e2e_check "the check is gone" same_picture unticked unticked-again

# A file where the Startup folder should be: the user is told.
rm -f "$startup"/*.lnk && rmdir "$startup" && printf x >"$startup"
toggle broken
box=$(probe msgbox tavrix 5000 close)
e2e_check "a box tells what failed" test "$box" = "The Startup folder \"$(winepath -w "$startup")\" could not be found."
restore
probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e autostart: all checks passed"
