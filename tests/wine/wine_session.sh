#!/bin/sh
# Starts (start) or stops (stop) the wine session of a test run: one prefix,
# initialised once and kept in the build tree, and one persistent wineserver,
# so that each wine program starts in a fraction of a second.
# Needs WINEPREFIX, and an X display (the test script runs under xvfb-run).
set -eu
: "${WINEPREFIX:?WINEPREFIX must be set}"
WINE=${TORVANE_WINE:-/usr/lib/wine/wine64}
WINESERVER=${TORVANE_WINESERVER:-/usr/lib/wine/wineserver}
READY="$WINEPREFIX/.torvane-prefix-ready"

# The server and the programs wine starts for the prefix (services, the
# desktop) outlive this script: their output goes to a log, not to CTest's
# pipe, which CTest would otherwise wait on until the server ends.
LOG="$WINEPREFIX/session.log"

case "${1:-}" in
start)
    if [ -z "${DISPLAY:-}" ]; then
        echo "no X display: run the wine tests under xvfb-run -a" >&2
        exit 1
    fi
    mkdir -p "$WINEPREFIX"
    : >"$LOG"
    "$WINESERVER" -p </dev/null >>"$LOG" 2>&1
    if [ ! -f "$READY" ]; then
        echo "initialising the wine prefix $WINEPREFIX (about a minute)"
        "$WINE" wineboot -i </dev/null >>"$LOG" 2>&1
        # One virtual desktop: without a window manager, hiding a real
        # top-level window (every message box) waits two seconds for X.
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >>"$LOG" 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f </dev/null >>"$LOG" 2>&1
        # The desktop already running was made before the setting: restart.
        "$WINESERVER" -k >>"$LOG" 2>&1 || true
        "$WINESERVER" -w >>"$LOG" 2>&1 || true
        "$WINESERVER" -p </dev/null >>"$LOG" 2>&1
        touch "$READY"
    fi
    # Start the services and the desktop now, with their output in the log.
    "$WINE" wineboot </dev/null >>"$LOG" 2>&1
    ;;
stop)
    "$WINESERVER" -k >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: wine_session.sh start|stop" >&2
    exit 2
    ;;
esac
