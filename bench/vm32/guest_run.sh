#!/bin/sh
# Runs in the i386 guest at boot (see guest_boot.sh), from the host's share
# given as $1: the jobs of share/jobs.txt through 32-bit wine, each answer
# timed with its peak RSS. Writes results/table.txt (shape, size MB, exit,
# seconds, peak KB, bytes of out.html, files left in --temp, answered),
# NAME.err (what the host printed on
# standard error: message boxes), NAME.html (but the large html-third ones)
# and results/done. Also run straight on a machine whose kernel starts 32-bit
# programs, with TORVANE_VM32_HOME naming its working folder there.
set -u
S=$1 R=$1/results H=${TORVANE_VM32_HOME:-/root}
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"; fi
export WINEARCH=win32 WINEPREFIX=$H/prefix WINEDEBUG=-all
export TORVANE_WINE=/usr/lib/wine/wine TORVANE_WINESERVER=/usr/lib/wine/wineserver
[ -x $TORVANE_WINESERVER ] || TORVANE_WINESERVER=$(command -v wineserver)
RUN_TIMEOUT=$(cat "$S/run_timeout" 2>/dev/null || echo 3600)
uname -a; grep -E 'MemTotal|HighTotal' /proc/meminfo; $TORVANE_WINE --version
rm -rf "$H/bin" "$H/work" && mkdir -p "$H" && cp -r "$S/bin" "$H/bin" && mkdir -p "$H/work" && cd "$H/work"
t0=$(date +%s)
# A prefix whose making was cut short (the guest stopped, a run failed) is
# not finished by the next start: wine then finds no system32. Made anew.
[ -f "$WINEPREFIX/.torvane-prefix-ready" ] || rm -rf "$WINEPREFIX"
sh "$S/wine_session.sh" start || { tail -20 "$WINEPREFIX/session.log"; touch "$R/done"; exit 1; }
# A crash must end the process, not wait in winedbg's dialog for a click.
$TORVANE_WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
$TORVANE_WINE "$H/bin/torvane-host.exe" --version
echo "wine session ready after $(( $(date +%s) - t0 )) s"

answered=
# run NAME SHAPE SIZE MESSAGE [ARGS...]: one answer, one table line.
run() {
    name=$1 shape=$2 size=$3 message=$4
    shift 4
    rm -rf "t-$name" out.html
    TORVANE_RANDOM_SEED=1 /usr/bin/time -o time.txt -f '%e %M' timeout "$RUN_TIMEOUT" \
        $TORVANE_WINE "$H/bin/torvane-host.exe" "$S/$message" --temp "t-$name" -o out.html "$@" </dev/null 2>"$R/$name.err"
    status=$?
    bytes=$(stat -c %s out.html 2>/dev/null || echo 0)
    # The attachments and pictures it left: a short answer is no full one.
    files=$(find "t-$name" -type f 2>/dev/null | wc -l)
    # Answered: exit 0 and an answer; and for the shapes with attachments
    # and pictures, these saved (past its memory the plug-in can still exit
    # 0 with the message's headers only and cid: pictures).
    answered=
    [ "$status" = 0 ] && [ "$bytes" -gt 0 ] && { [ "$files" -gt 0 ] || [ "$shape" = plain ] || [ "$shape" = check ]; } &&
        answered=1
    verdict=no
    [ -n "$answered" ] && verdict=yes
    set -- $(tail -1 time.txt)
    echo "$shape $size $status $1 $2 $bytes $files $verdict" | tee -a "$R/table.txt"
    [ "$shape" = html-third ] || cp out.html "$R/$name.html" 2>/dev/null
    rm -rf "t-$name"
}
settings_for() { [ "$1" = plain ] && echo "--settings $S/convert-text.ini"; }

while read -r kind shape rest; do
    case $kind in
    check)  # check NAME MESSAGE
        run "$shape" check 0 $rest ;;
    ladder)  # ladder SHAPE SIZES...: up to the first size not answered
        for size in $rest; do
            run "$shape-$size" "$shape" "$size" "messages/$shape-${size}mb.eml" $(settings_for "$shape")
            [ -n "$answered" ] || break
        done ;;
    bisect)  # bisect SHAPE OK SIZES... BAD: binary search, OK answered, BAD not
        set -- $rest
        n=$#
        lo=1 hi=$n
        while [ $((hi - lo)) -gt 1 ]; do
            mid=$(( (lo + hi) / 2 ))
            eval size=\${$mid}
            run "$shape-$size" "$shape" "$size" "messages/$shape-${size}mb.eml" $(settings_for "$shape")
            if [ -n "$answered" ]; then lo=$mid; else hi=$mid; fi
        done ;;
    esac
done <"$S/jobs.txt"
sh "$S/wine_session.sh" stop
echo "guest finished after $(( $(date +%s) - t0 )) s"
touch "$R/done"
