#!/usr/bin/env bash
# The 32-bit wine session of the i686 build: one WINEARCH=win32 prefix in the
# build tree with a persistent wineserver (wine_session.sh does both), and one
# test-host process run in it. Where 32-bit wine cannot start here (no
# wine32, or a kernel that does not start 32-bit programs itself), every
# step exits with 77, which CTest reports as skipped, with the reason.
#   i686_wine.sh start | stop
#   i686_wine.sh run PROGRAM ARGUMENTS...   passes only when the program
#       exits with 0 after exactly one GoogleTest case passed
set -u
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32
WINE=${TORVANE_WINE:-/usr/lib/wine/wine}

skip_unless_32bit_wine() {
    if ! reason=$(bash "$here/../../scripts/setup-i686.sh" --check); then
        echo "$reason"
        echo "skipping the 32-bit run (TORVANE_SKIP_I686=1 leaves it out of scripts/test.sh)"
        exit 77
    fi
}

case "${1:-}" in
start)
    skip_unless_32bit_wine
    started=$(date +%s)
    if ! sh "$here/wine_session.sh" start; then
        tail -20 "$WINEPREFIX/session.log"
        exit 1
    fi
    echo "32-bit wine session ready in $(( $(date +%s) - started )) s"
    ;;
stop)
    sh "$here/wine_session.sh" stop
    ;;
run)
    shift
    skip_unless_32bit_wine
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    started=$(date +%s)
    "$WINE" "$@" >"$log" 2>&1
    status=$?
    cat "$log"
    echo "the 32-bit test host ran for $(( $(date +%s) - started )) s, exit status $status"
    [ "$status" = 0 ] || exit 1
    if ! grep -q '^\[  PASSED  \] 1 test\.' "$log"; then
        echo "expected exactly one test case to run and pass" >&2
        exit 1
    fi
    ;;
*)
    echo "usage: i686_wine.sh start | stop | run PROGRAM ARGUMENTS..." >&2
    exit 2
    ;;
esac
