#!/usr/bin/env bash
# Makes 32-bit wine usable for the end-to-end run of the shipping i686 DLL.
# Installs wine32 (and qemu-user) when missing and, when this kernel cannot
# start 32-bit programs itself, registers qemu-i386 for them (root only).
#   setup-i686.sh          set up as far as possible
#   setup-i686.sh --check  change nothing, only tell whether it works
# Exit status 0: 32-bit wine works; 1: it cannot work here (reason printed).
set -u

# The 32-bit loader; TORVANE_WINE names another (as the tests set it).
WINE32=${TORVANE_WINE:-/usr/lib/wine/wine}
QEMU=/usr/bin/qemu-i386
BINFMT=/proc/sys/fs/binfmt_misc

say() { echo "setup-i686: $*"; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The 32-bit loader is itself an i386 program: it starts only where the
# kernel (natively or through a registered emulator) runs such programs.
runs_32bit() { [ -x "$WINE32" ] && "$WINE32" --version >/dev/null 2>&1; }

if [ "${1:-}" = --check ]; then
    if runs_32bit; then exit 0; fi
    if [ ! -x "$WINE32" ]; then
        say "32-bit wine is not installed (run scripts/setup-i686.sh as root)"
    else
        say "this system cannot start 32-bit programs (run scripts/setup-i686.sh as root to register qemu-i386)"
    fi
    exit 1
fi

need=()
installed wine32:i386 || need+=(wine32:i386)
installed qemu-user || need+=(qemu-user)
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        say "${need[*]} missing, and installing needs root"; exit 1
    fi
    say "installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q "${need[@]}" </dev/null >/dev/null || { say "apt-get could not install ${need[*]}"; exit 1; }
fi

if runs_32bit; then
    if [ -e "$BINFMT/qemu-i386" ] && head -n 1 "$BINFMT/qemu-i386" | grep -qx enabled; then
        say "32-bit wine starts through qemu-i386, registered earlier: this kernel does not run 32-bit programs itself"
    else
        say "32-bit wine works; this kernel starts 32-bit programs itself, no emulator needed"
    fi
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    say "this kernel cannot start 32-bit programs, and registering qemu-i386 needs root"; exit 1
fi
if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" || { say "cannot mount binfmt_misc"; exit 1; }
fi
if [ ! -e "$BINFMT/qemu-i386" ]; then
    # i386 ELF executables and shared objects; F opens the emulator now, so it
    # also serves programs started in other mount namespaces.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU"':FP' \
        >"$BINFMT/register" || { say "cannot register qemu-i386"; exit 1; }
    say "registered $QEMU for 32-bit programs: they run emulated, and slowly"
elif [ "$(head -1 "$BINFMT/qemu-i386")" != enabled ]; then
    echo 1 >"$BINFMT/qemu-i386" || { say "cannot enable the qemu-i386 entry"; exit 1; }
    say "enabled the qemu-i386 entry of binfmt_misc"
fi
if runs_32bit; then
    say "32-bit wine works under qemu-i386"
    exit 0
fi
say "32-bit wine still does not start"
exit 1
