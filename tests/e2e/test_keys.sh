# The keyboard path of a quick launcher: a hot key calls the window up with
# the keyboard in the tree, a few keys pick an entry, Enter opens it and
# the window hides. Real keys only.
source "$(dirname "$0")/lib.sh" "$1" "$2" keys

work="$E2E_DIR/quorb"
mkdir -p "$work"
marker() { printf '@echo off\r\necho ran > "C:\\e2e\\keys\\%s"\r\n' "$1"; }
for name in alpha bravo charlie delta; do marker "ran-$name.txt" >"$work/$name.bat"; done

ran() { e2e_wait_file_has "$E2E_DIR/ran-$1.txt" ran 15; }
focused_tree() { local f; f=$(probe focus TForm tavrix); [ "$f" = SysTreeView32 ] || { echo "focus: $f" >&2; return 1; }; }

# Hidden at launch: Ctrl+Alt+Z, Down, Enter opens the entry below the root.
e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
xdotool mousemove 500 400
e2e_key ctrl+alt+z
e2e_check "Ctrl+Alt+Z shows the window" probe wait TForm tavrix visible 5000
e2e_check "the keyboard is in the tree" focused_tree
e2e_key Down Return
e2e_check "Down, Enter opens the first entry" ran alpha
e2e_check "the window hides after it" probe wait TForm tavrix hidden 5000

# Called up again: typing an entry's first letters selects it.
e2e_key ctrl+alt+z
e2e_check "shown again" probe wait TForm tavrix visible 5000
e2e_check "the keyboard is back in the tree" focused_tree
e2e_key c h Return
e2e_check "typing its first letters and Enter opens it" ran charlie
e2e_check "hidden again" probe wait TForm tavrix hidden 5000
e2e_close

# Shown at launch: the same keys work at once, and after a hide and call-up.
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
e2e_check "the keyboard is in the tree at launch" focused_tree
e2e_key d e Return
e2e_check "typing and Enter open an entry at launch" ran delta
e2e_check "the window hides" probe wait TForm tavrix hidden 5000
e2e_key ctrl+alt+z
e2e_check "called up after the launch" probe wait TForm tavrix visible 5000
e2e_key Home Down Down Return
e2e_check "Down, Down, Enter opens the second entry" ran bravo
e2e_close "the program ends again"
echo "e2e keys: all checks passed"
