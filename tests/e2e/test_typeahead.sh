# Keys typed in one burst with the hot key go to the search in order, before
# the window is up: the program that had the keyboard gets none of them.
source "$(dirname "$0")/lib.sh" "$1" "$2" typeahead

work="$E2E_DIR/quorb"
mkdir -p "$work/deep/er" "$work/more"
for i in $(seq 1 300); do : >"$work/more/filler $i.txt"; done
marker() { printf '@echo off\r\necho ran >> "C:\\e2e\\typeahead\\ran-%s.txt"\r\n' "$1"; }
marker kiwi >"$work/deep/er/kiwi.bat"
marker iwi >"$work/iwi.bat"  # shown at the top, where a search that lost its "k" would stop

# A notepad holds the keyboard before each hot key.
wine notepad >/dev/null 2>&1 &
E2E_PIDS+=("$!")
e2e_check "notepad is up" probe wait Notepad "Untitled - Notepad" visible 15000
read -r _ nx ny nw nh _ <<<"$(probe window Notepad "Untitled - Notepad")"
notepad_text() { probe controls Notepad "Untitled - Notepad" | awk '$1 == "Edit" { sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ ?/, ""); print }'; }
notepad_in_front() { [[ $(probe keystate) == 'front: Notepad '* ]]; }
runs() { [ "$(grep -c ran "$E2E_DIR/ran-kiwi.txt" 2>/dev/null)" = "$1" ]; }

burst() {  # burst <what> <runs of kiwi.bat after it>
    e2e_click $((nx + nw / 2)) $((ny + nh / 2))
    e2e_check "notepad has the keyboard ($1)" e2e_until 5 notepad_in_front
    e2e_burst ctrl+alt+z k i w i Return
    e2e_check "the typed entry opens ($1)" e2e_until 15 runs "$2"
    e2e_check "notepad got no key ($1)" test -z "$(notepad_text)"
    e2e_check "no shorter match opened ($1)" test ! -e "$E2E_DIR/ran-iwi.txt"
    e2e_check "the window hides after it ($1)" probe wait TForm tavrix hidden 5000
}

runs=0
for pause in 0 2; do  # at once after the launch; then the first call-up two seconds in
    e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
    sleep "$pause"
    runs=$((runs + 1))
    burst "$pause s after launch" "$runs"
    probe close TForm tavrix >/dev/null
    e2e_check "the program ends" e2e_wait_exit "$E2E_LAST_PID" 15
done
echo "e2e typeahead: all checks passed"
