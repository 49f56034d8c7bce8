# The release as a user gets it: scripts/package makes the zip, which is
# unpacked into a new Wine prefix of its own, and the
# program started from there comes up on its hot key.
set -u -o pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
probe_exe=$1
[ -n "${DISPLAY:-}" ] || { echo "package: DISPLAY must be set (run through scripts/test)" >&2; exit 1; }

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

out=$("$root/scripts/package" 2>&1) || { echo "$out" >&2; fail "scripts/package"; }
zip=$(sed -n 's/^package: \(.*\.zip\)$/\1/p' <<<"$out")
echo "$out" | grep '^package:'
[ -f "$zip" ] || fail "no zip was made"
listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }' | sort | tr '\n' ' ')
[ "$listing" = "LICENSE.txt README.txt tavrix.exe " ] || fail "the zip holds: $listing"
ok "the zip holds tavrix.exe, README.txt and LICENSE.txt"

export WINEPREFIX="$root/build/package-prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
# A virtual desktop, as in the other tests: keys reach Wine programs
# through the window that has the X focus.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d package /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v package /d 1024x768 /f >/dev/null 2>&1
wineserver -w
server_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    [ -n "$server_pid" ] && { kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; }
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineserver -p -f >/dev/null 2>&1 &
server_pid=$!

home="$WINEPREFIX/drive_c/tavrix"
python3 -m zipfile -e "$zip" "$home"
(cd "$home" && exec wine 'C:\tavrix\tavrix.exe') >/dev/null 2>&1 &
app_pid=$!
probe() { wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
probe wait TForm tavrix hidden 30000 >/dev/null || fail "the program did not start"
ok "the unpacked program starts, hidden as on a first run"
desk=$(xdotool search --name '^package - Wine desktop$' | head -1)
[ -n "$desk" ] || fail "no desktop window for the program"
for attempt in 1 2 3 4 5; do
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key ctrl+alt+z
    probe wait TForm tavrix visible 3000 >/dev/null && break
done
probe wait TForm tavrix visible 0 >/dev/null || fail "Ctrl+Alt+Z did not bring the window up"
ok "Ctrl+Alt+Z brings its window up"
probe close TForm tavrix >/dev/null
for i in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
app_pid=
[ -f "$home/tavrix.ini" ] || fail "no tavrix.ini beside the program after Exit"
ok "it ends and leaves its tavrix.ini beside it"
echo "package: all checks passed"
