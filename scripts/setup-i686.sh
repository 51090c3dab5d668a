#!/usr/bin/env bash
# Makes 32-bit wine usable for the end-to-end runs of the shipping i686
# programs. Installs wine32 when missing. Only a kernel that starts 32-bit
# programs itself will do: 32-bit wine under qemu-user crashes, so where
# only the emulator could start them the 32-bit runs are skipped. An entry
# for qemu-i386 in binfmt_misc (earlier versions of this script made one)
# would send every 32-bit program through the emulator: it is disabled.
#   setup-i686.sh          set up as far as possible
#   setup-i686.sh --check  change nothing, only tell whether it works
# Exit status 0: 32-bit wine works; 1: it cannot work here (reason printed).
set -u

# The 32-bit loader; TORVANE_WINE names another (as the tests set it).
WINE32=${TORVANE_WINE:-/usr/lib/wine/wine}
QEMU_ENTRY=/proc/sys/fs/binfmt_misc/qemu-i386

say() { echo "setup-i686: $*"; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

emulated() { [ "$(head -1 "$QEMU_ENTRY" 2>/dev/null)" = enabled ]; }

# The 32-bit loader is itself an i386 program: it starts only where the
# kernel runs such programs.
runs_32bit() { ! emulated && [ -x "$WINE32" ] && "$WINE32" --version >/dev/null 2>&1; }

# Whether the 64-bit index has version $2 of package $1.
available() {
    apt-cache madison "$1" | awk -v v="$2" -F'|' '{gsub(/ /, "", $2)} $2 == v && $3 ~ / amd64 Packages/ {f = 1} END {exit !f}'
}

# A mirror whose i386 index of the security archive stays broken (seen for
# days) leaves only the main archive's i386 libraries, while the 64-bit twins
# installed may come from either archive or from an older image: Multi-Arch
# libraries must have one version on both architectures. So each 64-bit
# library that wine32 needs is moved to the version the i386 index has; then,
# until a trial install goes through, the i386 libraries apt's resolver gives
# up on are named to it, and a package tied by an exact version to one that
# moved moves with it (or that one to it). Nothing installed is removed.
install_matching_versions() {
    local package version candidate pins="" trial added x y wanted kept pin round
    for package in $(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
                         --no-breaks --no-replaces --no-enhances wine32:i386 2>/dev/null |
                     sed -n 's/^\([^ ]*\):i386$/\1/p' | sort -u); do
        version=$(dpkg-query -W -f='${Multi-Arch} ${Version}' "$package:amd64" 2>/dev/null) || continue
        [ "${version%% *}" = same ] || continue
        candidate=$(apt-cache policy "$package:i386" | awk '/Candidate:/ {print $2}')
        [ -n "$candidate" ] && [ "$candidate" != "(none)" ] && [ "$candidate" != "${version#* }" ] || continue
        available "$package" "$candidate" && pins="$pins $package:amd64=$candidate"
    done
    for round in $(seq 1 20); do
        # shellcheck disable=SC2086
        if trial=$(apt-get install -s -q --no-install-recommends --no-remove --allow-downgrades wine32:i386 $pins 2>&1); then
            # shellcheck disable=SC2086
            apt-get install -y -q --no-install-recommends --no-remove --allow-downgrades wine32:i386 $pins \
                </dev/null >/dev/null 2>&1
            return
        fi
        added=""
        for pin in $(echo "$trial" | grep -oE 'Depends: [^ ]+:i386' | awk '{print $2}' | sort -u); do
            case " $pins $added " in *" $pin "*) ;; *) added="$added $pin" ;; esac
        done
        # "X : Depends: Y (= wanted) but kept is to be installed", continuation lines without "X :".
        while read -r x y wanted kept; do
            case " $pins " in
            *" $x="* | *" $x:amd64="*) pin="$y=$wanted"; available "$y" "$wanted" || continue ;;
            *) pin="$x=$kept"; available "$x" "$kept" || continue ;;
            esac
            case " $pins $added " in *" ${pin%%=*}="*) ;; *) added="$added $pin" ;; esac
        done < <(echo "$trial" |
                 sed -n 's/^ *\([^ ]*\) : Depends: \([^ ]*\) (= \([^)]*\)) but \([^ ]*\) is to be installed.*/\1 \2 \3 \4/p
                         s/^ *Depends: \([^ ]*\) (= \([^)]*\)) but \([^ ]*\) is to be installed.*/- \1 \2 \3/p' |
                 awk '$1 != "-" {x = $1; print; next} {print x, $2, $3, $4}')
        [ -n "$added" ] || return 1
        pins="$pins$added"
    done
    return 1
}

if [ "${1:-}" = --check ]; then
    if runs_32bit; then exit 0; fi
    if [ ! -x "$WINE32" ]; then
        say "32-bit wine is not installed (run scripts/setup-i686.sh as root)"
    elif emulated; then
        say "32-bit programs start here only through qemu-i386, under which 32-bit wine crashes (run scripts/setup-i686.sh as root to disable that entry)"
    else
        say "this kernel does not start 32-bit programs, and 32-bit wine under qemu-user crashes: the 32-bit runs are skipped"
    fi
    exit 1
fi

if emulated; then
    if [ "$(id -u)" != 0 ]; then say "the qemu-i386 entry of binfmt_misc is enabled, and disabling it needs root"; exit 1; fi
    echo 0 >"$QEMU_ENTRY" || { say "cannot disable the qemu-i386 entry of binfmt_misc"; exit 1; }
    say "disabled the qemu-i386 entry of binfmt_misc: 32-bit wine crashes under the emulator"
fi
if ! installed wine32:i386; then
    if [ "$(id -u)" != 0 ]; then
        say "wine32:i386 missing, and installing needs root"; exit 1
    fi
    say "installing wine32:i386"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync serves an i386 index that does not
    # match its release file; the 32-bit libraries then lag their 64-bit
    # twins and cannot be installed beside them. A short sync is over after
    # a wait; a long one (seen: more than an hour) is not waited for.
    for attempt in 1 2; do
        apt-get update -q >/dev/null 2>&1
        if apt-get install -y -q wine32:i386 </dev/null >/dev/null 2>&1; then break; fi
        if [ "$attempt" = 2 ]; then
            say "apt-get could not install wine32:i386; installing it with matching library versions"
            install_matching_versions || { say "apt-get could not install wine32:i386"; exit 1; }
            break
        fi
        say "apt-get could not install wine32:i386; trying again in half a minute"
        sleep 30
    done
fi

if runs_32bit; then
    say "32-bit wine works; this kernel starts 32-bit programs itself"
    exit 0
fi
say "this kernel does not start 32-bit programs, and 32-bit wine under qemu-user crashes: the 32-bit runs are skipped"
exit 1
