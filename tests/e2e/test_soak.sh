# A run of use: 40 call-ups and 10 refreshes. The program's windows,
# handles and working set stay flat. Sized to catch a handle lost on each
# call-up (40 against the 5 of noise allowed), and no larger.
source "$(dirname "$0")/lib.sh" "$1" "$2" soak

mkdir -p "$E2E_DIR/quorb/sub"
for i in $(seq -w 1 50); do echo x >"$E2E_DIR/quorb/entry$i.txt"; done

e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
cycle() {  # one call-up, refreshes while shown, and away again
    e2e_key ctrl+alt+z
    probe wait TForm tavrix visible 5000 >/dev/null || return 1
    local r
    for ((r = 0; r < $1; r++)); do e2e_key F5; done
    e2e_key ctrl+alt+z
    probe wait TForm tavrix hidden 5000 >/dev/null
}
for i in $(seq 10); do cycle 0 || e2e_fail "warm-up call-up $i"; done
read -r windows0 handles0 memory0 <<<"$(probe resources TForm tavrix)"
for i in $(seq 40); do
    refreshes=0
    [ $((i % 4)) = 0 ] && refreshes=1
    cycle "$refreshes" || e2e_fail "call-up $i"
done
read -r windows1 handles1 memory1 <<<"$(probe resources TForm tavrix)"
echo "windows $windows0 -> $windows1, handles $handles0 -> $handles1, working set $memory0 -> $memory1 KB"
e2e_check "no window is left behind" test "$windows1" -le "$windows0"
e2e_check "no handle is left behind" test "$handles1" -le $((handles0 + 5))
e2e_check "the working set stays flat" test "$memory1" -le $((memory0 + 8192))
e2e_close
echo "e2e soak: all checks passed"
