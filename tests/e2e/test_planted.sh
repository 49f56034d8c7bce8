# Libraries planted beside the program: tavrix.exe's import table names
# neither version.dll nor uxtheme.dll, and a version.dll planted in its
# folder, with Wine told to prefer such copies (the order Windows itself
# uses for libraries that are not known ones), never serves the program:
# not at start-up, a call-up or in the About box, which still shows the
# version read from the program file. (Wine's own user32 imports
# version.dll, so the copy is loaded into every program there; what counts
# is whether the program's code calls it.)
source "$(dirname "$0")/lib.sh" "$1" "$2" planted

planted="$(dirname "$PROBE_EXE")/planted/version.dll"
mkdir -p "$E2E_DIR/quorb"
cp "$planted" "$E2E_DIR/version.dll"
overrides="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}version=n,b"

imports_neither() {
    local list
    list=$(i686-w64-mingw32-objdump -p "$TAVRIX_EXE" | sed -n 's/^.*DLL Name: //p' | tr 'A-Z' 'a-z') || return 1
    grep -qx kernel32.dll <<<"$list" && ! grep -qx -e version.dll -e uxtheme.dll <<<"$list"
}
e2e_check "the program file imports neither library" imports_neither

not_called() {
    [ ! -e "$E2E_DIR/version.dll.called" ] || { echo "the program called the planted version.dll" >&2; return 1; }
}

# The planted copy works: a program in that folder that loads the name in
# the usual search order gets it, and its calls are seen.
cp "$PROBE_EXE" "$E2E_DIR/loader.exe"
loaded_by_name() {
    [ "$(WINEDLLOVERRIDES=$overrides wine "$E2E_WIN\\loader.exe" loadlib version.dll 2>/dev/null | tr -d '\r')" = "$E2E_WIN\\version.dll" ] &&
        [ -e "$E2E_DIR/version.dll.loaded" ]
}
e2e_check "a planted version.dll is what a plain load by name finds" loaded_by_name
rm -f "$E2E_DIR"/version.dll.* "$E2E_DIR/loader.exe"

WINEDLLOVERRIDES=$overrides e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=1" "WorkingFolderOption=2"
e2e_check "Wine loads the planted copy into the program" test -e "$E2E_DIR/version.dll.loaded"
e2e_check "start-up never calls it" not_called

xdotool mousemove 600 500
e2e_key Escape
e2e_check "Esc hides the window" probe wait TForm tavrix hidden 5000
e2e_key ctrl+alt+z
e2e_check "Ctrl+Alt+Z calls it up" probe wait TForm tavrix visible 5000

about_says() { probe texts TForm About | grep -qF -- "$1"; }
e2e_key F2
e2e_check "F2 opens the menu" probe menu open 5000
e2e_key Down Down Down Return
e2e_check "About opens" probe wait TForm About visible 5000
e2e_check "it shows the version from the program file" about_says "1.0.0.1"
e2e_key Escape
e2e_check "Esc closes it" probe wait TForm About none 5000
e2e_check "neither a call-up nor About calls the planted copy" not_called

e2e_close
e2e_check "nor does the way out" not_called
echo "e2e planted: all checks passed"
