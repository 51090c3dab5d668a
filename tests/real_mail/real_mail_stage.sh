#!/usr/bin/env bash
# The real-mail stage of scripts/test.sh: the shipped i686 programs
# (testtorvane.dll through torvane-host.exe, and torvane.exe) answer a corpus
# of real mail under 32-bit wine, in the build's prefix with one persistent
# wineserver, beside the native tool (compare_real_mail.py). Where 32-bit
# wine cannot run, the x86_64 build runs under wine64 instead.
#   real_mail_stage.sh [--list]   from the repository's root, under xvfb-run
# TORVANE_REAL_MAIL_WORK sets the work folder (default build/<preset>/real-mail);
# TORVANE_KEEP_WINESERVER=1 leaves the wineserver running afterwards.
set -u
root=$(pwd)
native=$root/build/native/tools/torvane/torvane
if bash scripts/setup-i686.sh --check >/dev/null; then
    build=$root/build/win32 which="i686 under 32-bit wine"
    export WINEARCH=win32 TORVANE_WINE=/usr/lib/wine/wine
else
    build=$root/build/win64 which="x86_64 under wine64, 32-bit wine cannot run here"
    export TORVANE_WINE=/usr/lib/wine/wine64
fi
export WINEPREFIX=$build/wineprefix TORVANE_WINESERVER=/usr/lib/wine/wineserver WINEDEBUG=-all
for program in "$native" "$build/bin/testtorvane.dll" "$build/bin/torvane-host.exe" "$build/tools/torvane/torvane.exe"; do
    [ -f "$program" ] || { echo "real mail: $program is not built"; exit 1; }
done
sh tests/wine/wine_session.sh start || { tail -20 "$WINEPREFIX/session.log"; exit 1; }
[ -n "${TORVANE_KEEP_WINESERVER:-}" ] || trap 'sh tests/wine/wine_session.sh stop' EXIT
# The first programs of a fresh session wait for wine's services: start one
# before the corpus, so that its 20 s per message measure the programs.
"$TORVANE_WINE" "$build/bin/torvane-host.exe" --version >/dev/null 2>&1
"$TORVANE_WINE" "$build/tools/torvane/torvane.exe" --version >/dev/null 2>&1
python3 tests/real_mail/compare_real_mail.py --native "$native" --win-build "$build" --wine "$TORVANE_WINE" \
    --which "$which" --work "${TORVANE_REAL_MAIL_WORK:-$build/real-mail}" "$@"
