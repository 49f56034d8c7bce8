# Harness for the end-to-end scripts: runs the real tavrix.exe in the Wine
# desktop, finds its windows through the probe, presses keys and clicks with
# xdotool, and waits for conditions through e2e_until. Source it from a
# test script as: source lib.sh <tavrix.exe> <tavrix_probe.exe> <name>
set -u -o pipefail

TAVRIX_EXE=$1
PROBE_EXE=$2
E2E_NAME=$3

if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    echo "e2e: WINEPREFIX and DISPLAY must be set (run through scripts/test)" >&2
    exit 1
fi

E2E_DIR="$WINEPREFIX/drive_c/e2e/$E2E_NAME"
E2E_WIN="C:\\e2e\\$E2E_NAME"
E2E_ARTIFACTS="${E2E_ARTIFACTS:-$(dirname "$TAVRIX_EXE")/../e2e-artifacts}"
E2E_PIDS=()
E2E_FAILED=0
E2E_UNTIL_ERR=$(mktemp)

rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR" "$E2E_ARTIFACTS"
cp "$TAVRIX_EXE" "$E2E_DIR/tavrix.exe"

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -f "$E2E_UNTIL_ERR"
    [ "$E2E_FAILED" = 0 ] && rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

# Writes tavrix.ini beside the copy: one "key=value" argument per line.
e2e_ini() {
    {
        printf '[OPTIONS]\r\n'
        local line
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$E2E_DIR/tavrix.ini"
}

# Writes the INI lines, starts tavrix.exe and waits until its window is
# visible or hidden (the first argument) and start-up has rooted the
# working folder "quorb". The pid goes to E2E_LAST_PID.
e2e_launch() {
    local state=$1
    shift
    e2e_ini "$@"
    e2e_start
    e2e_check "the window is $state after the launch" probe wait TForm tavrix "$state" 15000
    e2e_check "start-up roots the working folder" e2e_wait_root quorb 15
}

# Starts a copy of tavrix.exe; its pid goes to E2E_LAST_PID.
e2e_start() {
    (cd "$E2E_DIR" && exec wine "$E2E_WIN\\tavrix.exe") >>"$E2E_DIR/stdout.txt" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

probe() { wine "$PROBE_EXE" "$@" 2>/dev/null | tr -d '\r'; }

# Closes tavrix's window as the system does, and waits for the program
# started last to end.
e2e_close() {  # e2e_close [<what the check says>]
    probe close TForm tavrix >/dev/null
    e2e_check "${1:-the program ends}" e2e_wait_exit "$E2E_LAST_PID" 15
}

e2e_fail() {
    E2E_FAILED=1
    local shot="$E2E_ARTIFACTS/$E2E_NAME-failure.png"
    import -window root "$shot" 2>/dev/null || true
    echo "FAIL: $*" >&2
    echo "      $(probe keystate 2>/dev/null); X focus: $(xdotool getwindowfocus getwindowname 2>/dev/null)" >&2
    echo "      screenshot: $shot" >&2
    exit 1
}

e2e_check() {  # e2e_check <description> <command...>
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        e2e_fail "$what"
    fi
}

# The one way the scripts wait: runs the command every 0.1 s until it
# succeeds or <seconds> (a decimal number) have passed, and tries it once
# more at the end. On a timeout it says what it waited for, with what the
# last try wrote to stderr, and returns 1.
e2e_until() {  # e2e_until <seconds> <command...>
    local seconds=$1 whole fraction deadline err
    shift
    whole=${seconds%%.*} fraction=${seconds#"$whole"}
    fraction=${fraction#.}000000
    deadline=$((${EPOCHREALTIME/./} + ${whole:-0} * 1000000 + 10#${fraction:0:6}))
    err=$E2E_UNTIL_ERR
    while :; do
        "$@" 2>"$err" && return 0
        [ "${EPOCHREALTIME/./}" -ge "$deadline" ] && break
        sleep 0.1
    done
    "$@" 2>"$err" && return 0
    cat "$err" >&2 2>/dev/null
    echo "e2e: gave up after $seconds s waiting for: $*" >&2
    return 1
}

e2e_not() { ! "$@"; }

# Whether the command keeps succeeding for <seconds>: it is tried every
# 0.1 s, and the first failure ends the wait.
e2e_stays() {  # e2e_stays <seconds> <command...>
    local seconds=$1
    shift
    ! e2e_until "$seconds" e2e_not "$@" 2>/dev/null
}

e2e_ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits up to <seconds> for the process to end.
e2e_wait_exit() {
    e2e_until "$2" e2e_ended "$1" || return 1
    wait "$1" 2>/dev/null
    return 0
}

# Waits up to <seconds> for a file to contain a text.
e2e_wait_file_has() { e2e_until "$3" grep -qF -- "$2" "$1"; }

# Waits up to <seconds> for a file to be gone.
e2e_wait_gone() { e2e_until "$2" test ! -e "$1"; }

# Whether the tree's root is the given folder name. The whole listing is
# read: a reader that stops early would end the probe's pipe with an error
# in a large tree.
e2e_root_is() { [[ "$(probe tree TForm tavrix 2>/dev/null | sed -n 1p)" == "0 "*" $1" ]]; }

# Waits until the tree's root is the given folder name: by then start-up
# has finished (hot keys registered, the working folder rooted).
e2e_wait_root() { e2e_until "$2" e2e_root_is "$1"; }

# The probe's lines of a tree (probe tree: level, flags, x, y, left, text)
# or of a window's controls (probe controls: class, x, y, w, h, text) with
# tabs between the fields, so that awk -F'\t' finds a text with blanks
# whole in $6. The window is tavrix's unless named. Every line is read: a
# reader that stops early would end the probe's pipe with an error.
e2e_rows() {  # e2e_rows tree|controls [<class> <title>]
    local what=$1
    shift
    [ $# -gt 0 ] || set -- TForm tavrix
    probe "$what" "$@" | awk '{ t = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "", t); print $1 "\t" $2 "\t" $3 "\t" $4 "\t" $5 "\t" t }'
}

# "x y left" of a tree entry's label on the screen; nothing when absent or
# hidden inside a closed folder, where a user cannot see it.
e2e_tree_item() {
    e2e_rows tree | awk -F'\t' -v t="$1" '!done && $6 == t && !($3 == 0 && $4 == 0) { print $3, $4, $5; done = 1 }'
}

# How many entries a user sees with the text.
e2e_tree_count() {
    e2e_rows tree | awk -F'\t' -v t="$1" '$6 == t && !($3 == 0 && $4 == 0) { c++ } END { print c + 0 }'
}

# The texts of every entry below the root, sorted, on one line.
e2e_tree_texts() { e2e_rows tree | awk -F'\t' '$1 > 0 { print $6 }' | sort | tr '\n' ' '; }

# The text of the selected entry.
e2e_selected() { e2e_rows tree | awk -F'\t' '!done && $2 ~ /S/ { print $6; done = 1 }'; }
# Whether the selected entry is the one with the text; says which it is if not.
e2e_selected_is() {
    local s
    s=$(e2e_selected)
    [ "$s" = "$1" ] || { echo "selected: $s" >&2; return 1; }
}

# Whether a user sees the entry (present) or not (absent).
e2e_entry_is() {  # e2e_entry_is present|absent <text>
    if [ -n "$(e2e_tree_item "$2")" ]; then [ "$1" = present ]; else [ "$1" = absent ]; fi
}

# Waits up to <ms> for an entry to be visible in the tree (present) or not.
e2e_entry_within() {  # e2e_entry_within present|absent <text> <ms>
    e2e_until "$(e2e_seconds "$3")" e2e_entry_is "$1" "$2"
}

e2e_count_is() { [ "$(e2e_tree_count "$2")" = "$1" ]; }

# Waits up to <ms> for the tree to show <count> entries with the text.
e2e_count_within() {  # e2e_count_within <count> <text> <ms>
    e2e_until "$(e2e_seconds "$3")" e2e_count_is "$1" "$2"
}

# Milliseconds as the decimal seconds e2e_until takes.
e2e_seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# The state flags of a tree entry ("E" expanded, "S" selected, "-" not), in
# tavrix's tree or the one of the window named after the text.
e2e_tree_flags() {  # e2e_tree_flags <text> [<class> <title>]
    e2e_rows tree "${@:2}" | awk -F'\t' -v t="$1" '!done && $6 == t { print $2; done = 1 }'
}

# Screen position of a window of ours: "state x y w h".
e2e_window() { probe window TForm "$1"; }

# Clicks the middle of a control of one of our windows, found by its text
# (a flat button's text is its hint).
e2e_click_control() {  # e2e_click_control <window title> <control text>
    local x y
    read -r x y <<<"$(probe where TForm "$1" "$2")"
    [ -n "$x" ] && [ "$x" != none ] || e2e_fail "no control \"$2\" in \"$1\""
    e2e_click "$x" "$y"
}

# A click on the Options button, and the options dialog opens. The pointer
# then leaves the buttons, which light up under it.
e2e_open_options() {
    e2e_click_control tavrix Options
    e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
    xdotool mousemove 1200 900
}

# The Wine desktop's X window. xdotool's search fails outright when a
# window goes while it looks (a dialog closing), so it looks again then.
e2e_desktop() {
    local i desk
    for i in 1 2 3 4 5; do
        desk=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1) || desk=
        [ -n "$desk" ] && break
        sleep 0.2
    done
    printf '%s\n' "$desk"
}

# Clicks at a point of the Wine desktop (the desktop's X window is the
# reference, so this holds wherever that window lies on the X screen).
e2e_click() {  # e2e_click <x> <y> [button]
    local x=$1 y=$2 button=${3:-1} desk
    desk=$(e2e_desktop)
    [ -n "$desk" ] || e2e_fail "no Wine desktop window to click into"
    xdotool windowfocus --sync "$desk" 2>/dev/null || true
    xdotool mousemove --window "$desk" "$x" "$y" click "$button"
}

# Whether a window with the title is on the X screen.
e2e_mapped() {
    local w
    for w in $(xdotool search --name "^$1\$" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q "Map State: IsViewable" && return 0
    done
    return 1
}

# Waits up to <seconds> until a window with the title is on the X screen
# (Wine maps a new window a moment after it exists for Windows programs).
e2e_wait_mapped() { e2e_until "$2" e2e_mapped "$1"; }  # e2e_wait_mapped <title> <seconds>

# A left-button drag in the Wine desktop, moved in steps as a hand moves
# it, and held a moment over the target so that it sees the pointer there.
e2e_drag() {  # e2e_drag <x1> <y1> <x2> <y2>
    local x1=$1 y1=$2 x2=$3 y2=$4 desk i
    desk=$(e2e_desktop)
    [ -n "$desk" ] || e2e_fail "no Wine desktop window to drag in"
    xdotool mousemove --window "$desk" "$x1" "$y1" mousedown 1
    sleep 0.3  # pressed a moment before it moves, as a hand does
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --window "$desk" $((x1 + (x2 - x1) * i / 8)) $((y1 + (y2 - y1) * i / 8))
        sleep 0.05
    done
    for i in 1 2 3; do
        xdotool mousemove --window "$desk" $((x2 + i % 2)) "$y2"
        sleep 0.1
    done
    xdotool mouseup 1
}

# The X window Wine shows a window in front in: of the desktop's children
# (as xwininfo -children lists them), the one of the same place and size
# that is on the screen. Prints its id.
e2e_front_x_window() {  # e2e_front_x_window <children list>
    local x y w h child
    read -r x y w h <<<"$(probe front 2>/dev/null)" || return 1
    [ -n "$h" ] || return 1
    for child in $(awk -v g="${w}x${h}+${x}+${y}" 'NF > 2 && $(NF - 1) == g { print $1 }' <<<"$1"); do
        [[ $(xwininfo -id "$child" 2>/dev/null) == *IsViewable* ]] && { echo "$child"; return 0; }
    done
    return 1
}

# Moves the X focus where Wine takes keys. Keys go where the X focus is. A
# Wine window that has it (a child of the desktop's X window) keeps it, as
# it would for a user. On the desktop's own X window Wine drops every key
# (measured): a click leaves it there (e2e_click) when no window of Wine's
# takes it after, so it goes to the X window of the window in front.
e2e_x_focus() {
    local desk focus front children
    desk=$(e2e_desktop)
    [ -n "$desk" ] || e2e_fail "no Wine desktop window for keys"
    focus=$(xdotool getwindowfocus 2>/dev/null) || focus=
    # The list is read whole: grep -q in a pipe would end xwininfo early,
    # and pipefail would take a good focus for a bad one.
    children=$(xwininfo -children -id "$desk" 2>/dev/null) || children=
    if [ "$focus" = "$desk" ] || ! { [[ $focus =~ ^[0-9]+$ ]] &&
        grep -q "^ *$(printf '0x%x' "$focus") " <<<"$children"; }; then
        front=$(e2e_front_x_window "$children") || front=$desk
        if [ "$front" != "$focus" ]; then
            [ "$front" = "$desk" ] || echo "e2e: the X focus was on $(xdotool getwindowname "${focus:-0}" 2>/dev/null || echo none); keys go to the window in front" >&2
            xdotool windowfocus --sync "$front" 2>/dev/null || true
        fi
    fi
}

# Every key Wine takes in goes to a log of the probe's (a low-level hook):
# its virtual key, and "program" when a window of tavrix's had the
# keyboard, "hotkey" for a registered hot key, else what had it.
E2E_KEYLOG=
e2e_keylog_start() {
    [ -n "$E2E_KEYLOG" ] && return 0
    E2E_KEYLOG="$E2E_DIR/keys.log"
    wine "$PROBE_EXE" keylog tavrix.exe >"$E2E_KEYLOG" 2>/dev/null &
    E2E_PIDS+=("$!")
    e2e_until 15 grep -q ready "$E2E_KEYLOG" || e2e_fail "the probe's key log did not start"
}

# Presses one key (an xdotool key combination) and says whether a window of
# the program (or a hot key) took it; E2E_WHY says what happened if not.
e2e_press() {
    local lines from owner deadline
    mapfile -t lines <"$E2E_KEYLOG"
    from=${#lines[@]}
    xdotool key "$1"
    [[ $1 == @(ctrl|shift|alt|super) ]] && return 0  # a modifier alone is not logged
    # Taken keys are logged as soon as the program reads them from X: a
    # busy program is given a few seconds before a key counts as dropped.
    deadline=$((${EPOCHREALTIME/./} + 5000000))
    while mapfile -t lines <"$E2E_KEYLOG" && [ "${#lines[@]}" -le "$from" ]; do
        [ "${EPOCHREALTIME/./}" -lt "$deadline" ] || { E2E_WHY="it never reached Wine"; return 1; }
        sleep 0.01
    done
    owner=${lines[from]#* }
    owner=${owner%$'\r'}
    [[ $owner == @(program|hotkey) ]] && return 0
    E2E_WHY="no window of tavrix had the keyboard ($owner had it)"
    return 1
}

# Presses keys as a user does, one after the other (real XTEST events: Wine
# ignores events sent to a window directly). Wine under Xvfb now and then
# drops a key: when the key log shows that no window of the program had
# it, that key is pressed once more, and that is said. Nothing else
# presses again: a key the program itself swallowed fails the check that
# follows.
e2e_key() {
    local key mod state
    e2e_keylog_start
    e2e_x_focus
    for key in "$@"; do
        e2e_press "$key" && continue
        state=$(probe keystate)
        echo "e2e: Wine dropped $key: $E2E_WHY; $state; pressing it again" >&2
        # A release Wine missed leaves a modifier held for the whole desktop.
        for mod in ctrl shift alt; do
            [[ $state == *"held:"*" $mod"* ]] && xdotool key "$mod"
        done
        e2e_x_focus
        e2e_press "$key" || { echo "e2e: Wine dropped $key again: $E2E_WHY" >&2; return 1; }
    done
}

# Sends keys in one burst, with no pause between them, as a fast typist
# does right after the hot key. Never pressed again: the checks that follow
# show a key that went astray.
e2e_burst() {
    e2e_x_focus
    xdotool key --delay 0 "$@"
}

# The colour of a point of the Wine desktop as the X screen shows it, as
# "#RRGGBB".
e2e_pixel() {  # e2e_pixel <x> <y>
    local desk
    desk=$(e2e_desktop)
    import -window "$desk" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}' | head -1
}

# How many colours a rectangle of the Wine desktop shows.
e2e_colours() {  # e2e_colours <x> <y> <width> <height>
    local desk
    desk=$(e2e_desktop)
    import -window "$desk" -crop "$3x$4+$1+$2" -format '%k' info: 2>/dev/null
}

# Finds tavrix's notification icon through the taskbar, waiting up to 5
# seconds for it: E2E_ICON_X and E2E_ICON_Y are its middle, where a user
# clicks, and E2E_ICON_SQUARE "x y w h" the square its 16-pixel picture
# fills there.
e2e_tray_icon() {
    local out left top w h
    out=$(probe trayicon tavrix 5000) || { echo "e2e: no notification icon of tavrix's" >&2; return 1; }
    read -r E2E_ICON_X E2E_ICON_Y left top w h <<<"$out"
    E2E_ICON_SQUARE="$((left + (w - 16) / 2)) $((top + (h - 16) / 2)) 16 16"
}

e2e_ini_value() {  # e2e_ini_value <key>: the value stored in tavrix.ini
    tr -d '\r' <"$E2E_DIR/tavrix.ini" | sed -n "s/^$1=//p"
}

# What has the keyboard in dialog $1: a button by its caption, a flat one by
# its place, named by the caller's array `flat` in the dialog's order.
e2e_focused_name() {
    local cls x y w h text n
    read -r cls x y w h text <<<"$(probe focused TForm "$1")"
    n=$(probe controls TForm "$1" | grep '^TSpeedButton' | grep -n "^$cls $x $y $w $h " | cut -d: -f1)
    if [ -n "$n" ]; then echo "${flat[n - 1]}"; else echo "${text:-$cls}"; fi
}
e2e_focus_is() {  # e2e_focus_is <dialog> <name>
    local f
    f=$(e2e_focused_name "$1")
    [ "$f" = "$2" ] || { echo "the focus is on \"$f\", not \"$2\"" >&2; return 1; }
}
# Presses a key that moves the keyboard in dialog $1 and waits until control
# $3 has it.
e2e_key_focus() {  # e2e_key_focus <dialog> <key> <name>
    e2e_key "$2"
    e2e_until 3 e2e_focus_is "$1" "$3"
}
