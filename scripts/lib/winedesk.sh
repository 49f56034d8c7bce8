# Shared helpers for running tavrix and its tests under Wine on an X display.
# Source this file; it defines functions and changes nothing by itself.

# Starts Xvfb on a free display and exports DISPLAY. Sets XVFB_PID.
winedesk_start_xvfb() {
    local n
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if [ ! -e "/tmp/.X11-unix/X$n" ]; then
        echo "winedesk: Xvfb did not start on :$n" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

# Creates the prefix when it is new and makes the virtual desktop "shell"
# its default, so every wine process shares one desktop with a taskbar.
winedesk_prepare_prefix() {
    export WINEDEBUG=${WINEDEBUG:--all}
    # No .NET or browser engine to install; and shortcuts the tests make
    # never turn into entries of the Linux desktop's menus.
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml,winemenubuilder.exe="}
    if [ ! -f "$WINEPREFIX/.tavrix-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.tavrix-ready"
    fi
    if [ ! -f "$WINEPREFIX/.tavrix-nodebugger" ]; then
        # A crashing test ends at once instead of waiting in the debugger
        # until its time runs out.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d 'false' /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.tavrix-nodebugger"
    fi
    if [ ! -f "$WINEPREFIX/.tavrix-txt" ]; then
        # Text files open in Notepad, as on every Windows system; some new
        # prefixes lack the extension's link to its file type.
        wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.tavrix-txt"
    fi
}

# Starts a persistent wineserver for the prefix. Sets WINESERVER_PID.
winedesk_start_server() {
    wineserver -p -f >/dev/null 2>&1 &
    WINESERVER_PID=$!
}

# Brings the desktop and Wine's system processes up from a process of its
# own and keeps them, so that test programs never start them as children
# (they would inherit the test runner's output pipes and hold it open).
# Sets HOLD_PID.
winedesk_hold_desktop() {
    local probe=$1 i
    wine "$probe" hold </dev/null >/dev/null 2>&1 &
    HOLD_PID=$!
    for i in $(seq 1 300); do
        xdotool search --name 'Wine desktop' >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "winedesk: the Wine desktop did not come up" >&2
    return 1
}

# Ends what the functions above started, by the ids they recorded.
winedesk_stop() {
    if [ -n "${HOLD_PID:-}" ]; then
        kill "$HOLD_PID" 2>/dev/null || true
        wait "$HOLD_PID" 2>/dev/null || true
        HOLD_PID=
    fi
    if [ -n "${WINESERVER_PID:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        kill "$WINESERVER_PID" 2>/dev/null || true
        wait "$WINESERVER_PID" 2>/dev/null || true
        WINESERVER_PID=
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
