# The release as a user gets it: scripts/package makes one zip for 32-bit
# and one for 64-bit Windows; each is unpacked into a folder of its own in a
# new Wine prefix (a 64-bit one, which runs both), and the program started
# from there comes up on its hot key.
set -u -o pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
probe_exe=$1
[ -n "${DISPLAY:-}" ] || { echo "package: DISPLAY must be set (run through scripts/test)" >&2; exit 1; }

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

out=$("$root/scripts/package" 2>&1) || { echo "$out" >&2; fail "scripts/package"; }
echo "$out" | grep '^package:'
zips=$(sed -n 's/^package: \(.*\.zip\)$/\1/p' <<<"$out")
zip32=$(grep -- '-win32\.zip$' <<<"$zips")
zip64=$(grep -- '-win64\.zip$' <<<"$zips")
[ "$(wc -l <<<"$zips")" = 2 ] && [ -f "$zip32" ] && [ -f "$zip64" ] || fail "no zip for each of win32 and win64: $zips"

# The processor a zip's tavrix.exe is built for, from its PE header, and
# the one its manifest names (a 64-bit program that asks for the 32-bit
# common controls does not start on Windows).
exe_machine() {
    python3 - "$1" <<'EOF'
import struct, sys, zipfile
exe = zipfile.ZipFile(sys.argv[1]).read("tavrix.exe")
pe = struct.unpack_from("<I", exe, 0x3C)[0]
assert exe[pe:pe + 4] == b"PE\0\0"
print({0x14C: "x86", 0x8664: "amd64"}.get(struct.unpack_from("<H", exe, pe + 4)[0], "other"))
EOF
}
manifest_arch() {
    python3 - "$1" <<'EOF'
import re, sys, zipfile
exe = zipfile.ZipFile(sys.argv[1]).read("tavrix.exe")
print(" ".join(sorted(set(a.decode() for a in re.findall(rb'processorArchitecture="([^"]*)"', exe)))))
EOF
}

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
probe() { wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }

check_zip() {  # check_zip <zip> <win32|win64> <x86|amd64>
    local zip=$1 arch=$2 machine=$3 listing home folder attempt i desk
    listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }' | sort | tr '\n' ' ')
    [ "$listing" = "LICENSE.txt README.txt tavrix.exe " ] || fail "the $arch zip holds: $listing"
    ok "the $arch zip holds tavrix.exe, README.txt and LICENSE.txt"
    [ "$(exe_machine "$zip")" = "$machine" ] || fail "the $arch zip's tavrix.exe is for $(exe_machine "$zip")"
    [ "$(manifest_arch "$zip")" = "$machine" ] || fail "the $arch zip's manifest names $(manifest_arch "$zip")"
    ok "its tavrix.exe and its manifest are for $machine"

    folder="tavrix-$arch"
    home="$WINEPREFIX/drive_c/$folder"
    python3 -m zipfile -e "$zip" "$home"
    (cd "$home" && exec wine "C:\\$folder\\tavrix.exe") >/dev/null 2>&1 &
    app_pid=$!
    probe wait TForm tavrix hidden 30000 >/dev/null || fail "the unpacked $arch program did not start"
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
}

check_zip "$zip32" win32 x86
check_zip "$zip64" win64 amd64
# Called up at the same pointer, the two store the very same settings.
cmp -s "$WINEPREFIX/drive_c/tavrix-win32/tavrix.ini" "$WINEPREFIX/drive_c/tavrix-win64/tavrix.ini" ||
    fail "the two programs stored different tavrix.ini files"
ok "both store the same tavrix.ini"
echo "package: all checks passed"
