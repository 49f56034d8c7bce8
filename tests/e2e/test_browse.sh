# The folder dialog of the options ("..." beside "Other"), as a user works
# it: it opens on the base folder, selected; a folder the user picks stays
# picked; and when the base folder is one its tree does not show (a hidden
# one), the folders on the way that the user closes stay closed while the
# dialog keeps trying to get there.
source "$(dirname "$0")/lib.sh" "$1" "$2" browse

mkdir -p "$E2E_DIR/.links/quorb" "$E2E_DIR/Plain/quorb"

open_folder_dialog() {  # a click on "...", the first flat button of the options
    local x y w h
    read -r _ x y w h _ <<<"$(probe controls TForm Options | grep '^TSpeedButton' | sed -n 1p)"
    e2e_click $((x + w / 2)) $((y + h / 2))
    e2e_check "\"...\" opens the folder dialog" probe wait '#32770' 'Browse for Folder' visible 5000
}
flags_of() { e2e_tree_flags "$1" '#32770' 'Browse for Folder'; }
click_folder() {
    local x y
    read -r x y <<<"$(e2e_rows tree '#32770' 'Browse for Folder' |
        awk -F'\t' -v t="$1" '!done && $6 == t && $3 != 0 { print $3, $4; done = 1 }')"
    [ -n "$x" ] || e2e_fail "the folder dialog shows no \"$1\""
    e2e_click "$x" "$y"
}
is_selected() { [[ "$(flags_of "$1")" == ?S ]]; }
is_open() { [[ "$(flags_of "$1")" == E? ]]; }
is_closed() { [[ "$(flags_of "$1")" == -? ]]; }
close_options() {
    e2e_key Escape
    e2e_check "Esc closes the options" probe wait TForm Options none 5000
}

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=3" \
    "WorkingFolderPath=$E2E_WIN\\Plain"
e2e_open_options
open_folder_dialog
e2e_check "it opens on the base folder, selected" e2e_until 3 is_selected Plain
click_folder "Program Files"
e2e_check "a folder the user clicks is selected" e2e_until 3 is_selected "Program Files"
e2e_check "and stays so while the dialog would still try" e2e_stays 2.5 is_selected "Program Files"
e2e_key Return
e2e_check "Enter takes it and closes the folder dialog" probe wait '#32770' 'Browse for Folder' none 5000
close_options
e2e_close

# A base folder whose name begins with a dot is hidden, and so missing from
# the dialog's tree: each try opens the folders on the way and gets no
# further. The user closes one of them; it stays closed.
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=3" \
    "WorkingFolderPath=$E2E_WIN\\.links"
e2e_open_options
open_folder_dialog
e2e_check "the folders on the way to a hidden base folder are open" e2e_until 3 is_open browse
click_folder e2e
e2e_key Left
e2e_check "Left closes the folder the user picked on the way" e2e_until 3 is_closed e2e
e2e_check "and it stays closed while the dialog would still try" e2e_stays 2.5 is_closed e2e
e2e_key Escape
e2e_check "Esc closes the folder dialog" probe wait '#32770' 'Browse for Folder' none 5000
close_options
e2e_close
echo "e2e browse: all checks passed"
