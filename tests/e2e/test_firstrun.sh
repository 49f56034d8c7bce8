# The first-run helper of scripts/run: a missing working folder is made with
# real shortcuts a user can open; one that exists is left exactly as it is.
source "$(dirname "$0")/lib.sh" "$1" "$2" firstrun

helper="$(dirname "$TAVRIX_EXE")/../tavrix_firstrun.exe"
favorites=$(ls -d "$WINEPREFIX"/drive_c/users/*/Favorites | grep -v Public | head -1)
[ -d "$favorites" ] || e2e_fail "no Favorites folder in the prefix"
work="$favorites/quorb"
user=$(basename "$(dirname "$favorites")")
win="C:\\users\\$user\\Favorites\\quorb"
saved=
if [ -e "$work" ]; then saved="$E2E_DIR/saved-quorb"; mv "$work" "$saved"; fi
restore() { rm -rf "$work"; [ -n "$saved" ] && mv "$saved" "$work"; e2e_cleanup; }
trap restore EXIT

printf 'readme\r\n' >"$E2E_DIR/README.txt"
wine "$helper" "$E2E_WIN\\README.txt" >/dev/null 2>&1
e2e_check "a missing working folder is made" test -d "$work/Docs"
target() { probe lnktarget "$win\\$1" | tr 'A-Z' 'a-z'; }
e2e_check "Notepad points at notepad.exe" test "$(target Notepad.lnk)" = 'c:\windows\notepad.exe'
e2e_check "Command Prompt points at cmd.exe" test "$(target 'Command Prompt.lnk')" = 'c:\windows\system32\cmd.exe'
e2e_check "Docs\\README points at the README" test "$(target 'Docs\README.lnk')" = "$(tr 'A-Z' 'a-z' <<<"$E2E_WIN\\README.txt")"

# The user's own folder: nothing added, nothing replaced.
rm -rf "$work"
mkdir -p "$work"
printf 'mine' >"$work/Notepad.lnk"
wine "$helper" "$E2E_WIN\\README.txt" >/dev/null 2>&1
e2e_check "an existing working folder is left as it is" \
    test "$(ls -A "$work" | tr '\n' ' ')" = "Notepad.lnk " -a "$(cat "$work/Notepad.lnk")" = mine
echo "e2e firstrun: all checks passed"
