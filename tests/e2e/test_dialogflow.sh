# The folder button of the options from the keyboard, and what arrives
# while its dialog is open: Enter and Space on "..." open the folder dialog
# (never OK), a press on the tray icon and the hot key leave it working,
# and after it the keyboard is back on "..." with the options still open.
# Esc then leaves every setting as it was.
source "$(dirname "$0")/lib.sh" "$1" "$2" dialogflow

mkdir -p "$E2E_DIR/Plain/quorb"
flat=(folder OK Cancel)

browse_open() { probe wait '#32770' 'Browse for Folder' visible 0 >/dev/null; }
options_open() { probe wait TForm Options visible 0 >/dev/null; }
ini_is() { [ "$(e2e_ini_value "$1")" = "$2" ]; }
# The key on "...", then the folder dialog.
key_opens_browse() {
    e2e_key "$1"
    e2e_until 5 browse_open
}
ini_before=

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=1" "Autohide=0" "FollowMousePos=0" "WorkingFolderOption=3" \
    "WorkingFolderPath=$E2E_WIN\\Plain"
app=$E2E_LAST_PID
ini_before=$(tr -d '\r' <"$E2E_DIR/tavrix.ini" | sort)
e2e_check "the icon is in the notification area" e2e_tray_icon
e2e_open_options
e2e_check "the first switch has the keyboard" e2e_until 3 e2e_focus_is Options "Show app. window on launch"
for name in Cancel OK folder; do
    e2e_check "Shift+Tab reaches $name" e2e_key_focus Options shift+Tab "$name"
done

e2e_check "Enter on \"...\" opens the folder dialog" key_opens_browse Return
e2e_check "and leaves the options open" options_open
# Under Wine a press on the icon leaves the keyboard with the taskbar; the
# hot key gives it back to the dialog in front.
e2e_click "$E2E_ICON_X" "$E2E_ICON_Y"
e2e_check "a press on the tray icon leaves the folder dialog open" e2e_stays 1.5 browse_open
e2e_key ctrl+alt+z
e2e_check "so does the hot key" e2e_stays 1.5 browse_open
e2e_check "the program still runs" e2e_not e2e_ended "$app"
e2e_key Escape
e2e_check "Esc closes the folder dialog" probe wait '#32770' 'Browse for Folder' none 5000
e2e_check "the options stay open" e2e_stays 1 options_open
e2e_check "with the keyboard back on \"...\"" e2e_until 3 e2e_focus_is Options folder

e2e_check "Space on \"...\" opens the folder dialog" key_opens_browse space
e2e_key Escape
e2e_check "Esc closes it" probe wait '#32770' 'Browse for Folder' none 5000
e2e_check "and it does not open a second time" e2e_stays 1.5 e2e_not browse_open
e2e_check "the options stay open" options_open

e2e_key Escape
e2e_check "Esc closes the options" probe wait TForm Options none 5000
e2e_check "with the folder choice as it was" ini_is WorkingFolderOption 3
e2e_close
ini_after=$(tr -d '\r' <"$E2E_DIR/tavrix.ini" | sort)
e2e_check "the cancelled options changed no setting" \
    diff <(grep -E '^(ShowAppWndOnLaunch|ShowTrayIcon|Autohide|FollowMousePos|WorkingFolderOption|WorkingFolderPath)=' <<<"$ini_before") \
    <(grep -E '^(ShowAppWndOnLaunch|ShowTrayIcon|Autohide|FollowMousePos|WorkingFolderOption|WorkingFolderPath)=' <<<"$ini_after")
echo "e2e dialogflow: all checks passed"
