#!/usr/bin/env bash
# Measures the largest message the i686 testtorvane.dll answers inside
# torvane-host.exe under 32-bit wine, and its peak memory.
#
# Why a virtual machine: this kind of machine's kernel does not start 32-bit
# programs, and 32-bit wine under qemu-user crashes. So a small Debian 12
# i386 system is built into a disk image and booted with qemu-system-i386
# (software emulation, no KVM); 32-bit wine runs there on a real 32-bit
# kernel. The guest runs guest_run.sh from a 9p share at boot, writes its
# results to the share and powers off. Where this machine's kernel starts
# 32-bit programs and 32-bit wine is installed (scripts/setup-i686.sh), the
# same guest script runs here instead, without the virtual machine.
#
#   bench/vm32/measure_peak_32bit.sh [--sizes "25 50 ..."] [--rebuild]
#
# As root on Debian 12. Uses build/win32/bin (i686 programs), build/win64/bin
# (the wine64 reference run, when there) and make_messages of
# build/native-release (built when missing). Work folder: TORVANE_VM32_WORK
# (default /var/tmp/torvane-vm32); the image is kept there and reused.
# Prints the table: shape, size MB, exit, seconds, peak MB.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WORK=${TORVANE_VM32_WORK:-/var/tmp/torvane-vm32}
MIRROR=${TORVANE_VM32_MIRROR:-http://deb.debian.org/debian}
SIZES="25 50 100 200 400 800"
REBUILD=
# Guest memory: as much as a 32-bit PAE guest comfortably has, so that only
# the process's own 2 GB (or 3 GB) address space limits it.
MEMORY=${TORVANE_VM32_MEMORY:-3584}
# One run may take long under emulation: past this many seconds a run fails.
RUN_TIMEOUT=${TORVANE_VM32_RUN_TIMEOUT:-3600}
while [ $# -gt 0 ]; do
    case $1 in
    --sizes) SIZES=$2; shift 2 ;;
    --rebuild) REBUILD=1; shift ;;
    *) echo "usage: $0 [--sizes \"25 50 ...\"] [--rebuild]" >&2; exit 2 ;;
    esac
done

say() { echo "vm32: $*" >&2; }
started=$(date +%s)
[ "$(id -u)" = 0 ] || { say "run as root"; exit 1; }
for f in torvane-host.exe testtorvane.dll; do
    [ -f "$ROOT/build/win32/bin/$f" ] || { say "build/win32/bin/$f is not built"; exit 1; }
done

# --- host packages ----------------------------------------------------------
NATIVE=
bash "$ROOT/scripts/setup-i686.sh" --check >/dev/null 2>&1 && NATIVE=1

export DEBIAN_FRONTEND=noninteractive
need=()
packages="binutils-mingw-w64-i686 cmake ninja-build g++"
[ -n "$NATIVE" ] || packages="$packages debootstrap qemu-system-x86 e2fsprogs"
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -q >/dev/null || true  # a failing index leaves the others usable
    apt-get install -y -q --no-install-recommends "${need[@]}" </dev/null >/dev/null
fi
mkdir -p "$WORK"

# --- the image --------------------------------------------------------------
ROOTFS=$WORK/rootfs DISK=$WORK/disk.img
build_rootfs() {
    rm -rf "$ROOTFS" "$WORK/rootfs-ready" "$WORK/image-ready"
    # The second stage of debootstrap runs i386 programs (dpkg, maintainer
    # scripts) in a chroot: a static qemu-i386 does that here, registered
    # for this build only under its own binfmt name, with the F flag so that
    # it works inside the chroot. Wine itself never runs under it.
    local q=$WORK/qemu-static
    if [ ! -x "$q/usr/bin/qemu-i386-static" ]; then
        rm -rf "$q" && mkdir -p "$q"
        (cd "$q" && apt-get download -q qemu-user-static 2>/dev/null && dpkg-deb -x qemu-user-static_*.deb .)
    fi
    local entry=/proc/sys/fs/binfmt_misc/torvane-vm32-i386
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    [ -e "$entry" ] && echo -1 >"$entry"
    echo ":torvane-vm32-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$q/usr/bin/qemu-i386-static:F" \
        >/proc/sys/fs/binfmt_misc/register
    trap 'echo -1 >'"$entry"' 2>/dev/null || true; umount -R '"$ROOTFS"'/proc '"$ROOTFS"'/sys '"$ROOTFS"'/dev 2>/dev/null || true' EXIT

    # wine is wine32 on i386; xvfb-run because wine wants an X display;
    # time for the peak RSS. The kernel is the 686 one, not 686-pae: under
    # this qemu's software emulation (7.2) the PAE kernel hangs in a page
    # fault loop when it starts its first user process; 686 still uses 4 GB.
    say "debootstrap i386 bookworm (about 25 minutes)"
    debootstrap --arch=i386 --variant=minbase --foreign \
        --include=systemd-sysv,udev,kmod,linux-image-686,initramfs-tools,wine,wine32,xvfb,xauth,xfonts-base,time,procps \
        bookworm "$ROOTFS" "$MIRROR" >"$WORK/debootstrap.log" 2>&1
    # An initramfs of the few modules the guest boots with (root is ext4 on a
    # virtio disk): the default, most modules, takes ten minutes under
    # qemu-user. Set before the second stage, which makes it.
    mkdir -p "$ROOTFS/etc/initramfs-tools/conf.d" "$ROOTFS/etc/initramfs-tools/hooks"
    echo MODULES=list >"$ROOTFS/etc/initramfs-tools/conf.d/torvane-vm32"
    install -m 755 "$HERE/initramfs_hook.sh" "$ROOTFS/etc/initramfs-tools/hooks/torvane-vm32"
    chroot "$ROOTFS" /debootstrap/debootstrap --second-stage >>"$WORK/debootstrap.log" 2>&1 ||
        { tail -30 "$WORK/debootstrap.log" >&2; exit 1; }

    # The guest runs the share's guest_run.sh at boot (guest_boot.sh).
    echo torvane-vm32 >"$ROOTFS/etc/hostname"
    echo '/dev/vda / ext4 rw,noatime 0 1' >"$ROOTFS/etc/fstab"
    echo 'deb '"$MIRROR"' bookworm main' >"$ROOTFS/etc/apt/sources.list"
    install -m 755 "$HERE/guest_boot.sh" "$ROOTFS/usr/local/sbin/torvane-guest"
    install -m 644 "$HERE/torvane-guest.service" "$ROOTFS/etc/systemd/system/torvane-guest.service"
    ln -sf /etc/systemd/system/torvane-guest.service "$ROOTFS/etc/systemd/system/multi-user.target.wants/torvane-guest.service"
    chroot "$ROOTFS" apt-get clean
    echo -1 >"$entry"
    trap - EXIT
    touch "$WORK/rootfs-ready"
}
build_disk() {
    # Booted straight from its kernel and initrd: no boot loader.
    cp "$ROOTFS"/boot/vmlinuz-*-686 "$WORK/vmlinuz"
    cp "$ROOTFS"/boot/initrd.img-*-686 "$WORK/initrd.img"
    # The disk made from the folder as it is: no loop device or mount needed.
    # Room for the wine prefix and the largest answer's files.
    say "making the disk image"
    rm -f "$DISK"
    mkfs.ext4 -q -F -L torvane -d "$ROOTFS" "$DISK" 24G
    touch "$WORK/image-ready"
}
if [ -z "$NATIVE" ]; then
    if [ -n "$REBUILD" ] || [ ! -f "$WORK/rootfs-ready" ]; then build_rootfs; fi
    if [ ! -f "$WORK/image-ready" ]; then build_disk; fi
fi

# --- the share: programs, templates, mailbox, messages ----------------------
SHARE=$WORK/share
mkdir -p "$SHARE/messages" "$SHARE/results"
rm -rf "$SHARE/bin"
# As the release archive lays it out: the DLL, the host, the Classic pair and
# the settings beside each other, the sample mailbox in mailbox/.
cp -r "$ROOT/build/win32/bin" "$SHARE/bin"
cp "$ROOT/templates/classic/torvane.tml" "$ROOT/templates/classic/torvanefwd.tml" "$ROOT/release/testtorvane.ini" "$SHARE/bin/"
mkdir -p "$SHARE/bin/mailbox" && cp "$ROOT"/examples/mailbox/* "$SHARE/bin/mailbox/"
cp "$ROOT/examples/messages/html-with-image.eml" "$SHARE/messages/"
# Plain-text messages are answered only with ConvertText on.
printf '[Settings]\r\nConvertText=TRUE\r\n' >"$SHARE/convert-text.ini"
cp "$HERE/guest_run.sh" "$ROOT/tests/wine/wine_session.sh" "$SHARE/"
echo "$RUN_TIMEOUT" >"$SHARE/run_timeout"

MAKE=$ROOT/build/native-release/bench/make_messages
if [ ! -x "$MAKE" ]; then
    (cd "$ROOT" && { [ -d build/native-release ] || cmake --preset native-release >/dev/null; } &&
        cmake --build --preset native-release --target make_messages >/dev/null)
fi
# make_messages writes realistic-, html-third- and plain-Nmb.eml per size.
make_sizes() {
    local todo=()
    for s in "$@"; do [ -f "$SHARE/messages/realistic-${s}mb.eml" ] || todo+=("$s"); done
    [ ${#todo[@]} -eq 0 ] || "$MAKE" "$SHARE/messages" "${todo[@]}"
}

# --- one boot ---------------------------------------------------------------
# The guest reads share/jobs.txt, one job a line, and leaves share/results.
boot() {
    local name=$1
    if [ -n "$NATIVE" ]; then
        say "running the guest's jobs on this machine's 32-bit wine: $name"
        rm -f "$SHARE/results/done"
        TORVANE_VM32_HOME=$WORK/native sh "$SHARE/guest_run.sh" "$SHARE" >"$SHARE/results/guest.log" 2>&1
        [ -f "$SHARE/results/done" ] || { say "the run did not finish: see $SHARE/results/guest.log"; exit 1; }
        return
    fi
    say "booting the guest: $name"
    rm -f "$SHARE/results/done"
    local t0=$(date +%s)
    # No SMAP in the emulated CPU: this qemu (7.2) reads the stack of a user
    # mode iret as the kernel would, which SMAP refuses: wine's first
    # programs then die in a kernel oops.
    timeout 6h qemu-system-i386 -machine pc -accel tcg,thread=multi -cpu max,-smap -smp 2 -m "$MEMORY" \
        -kernel "$WORK/vmlinuz" -initrd "$WORK/initrd.img" \
        -append "root=/dev/vda rw console=ttyS0 quiet" \
        -drive file="$DISK",format=raw,if=virtio,cache=unsafe \
        -virtfs local,path="$SHARE",mount_tag=host0,security_model=passthrough,id=host0 \
        -nic none -display none -monitor none -serial file:"$WORK/console-$name.log" -no-reboot </dev/null ||
        say "qemu ended with status $?"
    say "$name: guest ran $(( $(date +%s) - t0 )) s"
    [ -f "$SHARE/results/done" ] || { say "the guest did not finish: see $WORK/console-$name.log and $SHARE/results/guest.log"; exit 1; }
}

# --- the wine64 reference run on this machine -------------------------------
reference() {
    local bin=$ROOT/build/win64/bin ref=$WORK/reference
    [ -f "$bin/torvane-host.exe" ] && command -v xvfb-run >/dev/null && [ -x /usr/lib/wine/wine64 ] || return 0
    rm -rf "$ref" && mkdir -p "$ref"
    cp -r "$bin" "$ref/bin"
    cp "$SHARE/bin/"*.tml "$SHARE/bin/testtorvane.ini" "$ref/bin/" && cp -r "$SHARE/bin/mailbox" "$ref/bin/"
    # Its own prefix and one persistent wineserver, as the tests run wine.
    (cd "$ref" && WINEPREFIX=$ref/prefix WINEDEBUG=-all TORVANE_RANDOM_SEED=1 TORVANE_WINE=/usr/lib/wine/wine64 \
        TORVANE_WINESERVER=/usr/lib/wine/wineserver xvfb-run -a sh -c '
        sh "$1/wine_session.sh" start
        for m in html-with-image realistic-1mb; do
            $TORVANE_WINE bin/torvane-host.exe "$1/messages/$m.eml" --temp "t-$m" -o "$m.html" </dev/null 2>"$m.err"
            echo $? >"$m.exit"
        done
        sh "$1/wine_session.sh" stop' sh "$SHARE") >"$ref/log" 2>&1 || true
}

# --- the plan ---------------------------------------------------------------
first=$(echo "$SIZES" | awk '{print $1}')
make_sizes 1 $SIZES
rm -rf "$SHARE/results"/*
{
    # Is it a working run? The same answers as wine64 gives here.
    echo "check html-with-image messages/html-with-image.eml"
    echo "check realistic-1mb messages/realistic-1mb.eml"
    # Each shape up to its first failure.
    echo "ladder realistic $SIZES"
    echo "ladder html-third $SIZES"
    echo "ladder plain $SIZES"
} >"$SHARE/jobs.txt"
reference
boot ladder

# Bisection of each shape between its last size answered and its first
# refused: seven sizes between them, searched in one more run.
cp "$SHARE/results/table.txt" "$WORK/table-ladder.txt"
: >"$SHARE/jobs.txt"
for shape in realistic html-third plain; do
    last_ok=$(awk -v s="$shape" '$1==s && $8=="yes" {n=$2} END {print n}' "$WORK/table-ladder.txt")
    first_bad=$(awk -v s="$shape" '$1==s && $8!="yes" {print $2; exit}' "$WORK/table-ladder.txt")
    if [ -n "$last_ok" ] && [ -n "$first_bad" ] && [ $((first_bad - last_ok)) -gt 8 ]; then
        between=$(awk -v a="$last_ok" -v b="$first_bad" 'BEGIN {for (k = 1; k < 8; k++) printf "%d ", a + (b - a) * k / 8}')
        make_sizes $between
        echo "bisect $shape $last_ok $between $first_bad" >>"$SHARE/jobs.txt"
    fi
done
if [ -s "$SHARE/jobs.txt" ]; then
    boot bisect
    cat "$WORK/table-ladder.txt" "$SHARE/results/table.txt" >"$WORK/table.txt"
else
    cp "$WORK/table-ladder.txt" "$WORK/table.txt"
fi

# --- report -----------------------------------------------------------------
echo
if [ -f "$WORK/reference/html-with-image.html" ]; then
    for m in html-with-image realistic-1mb; do
        # The answers name their temp folder: compare with it taken out.
        if diff <(sed 's/[A-Za-z]:[\\/][^"]*t-'"$m"'//g' "$WORK/reference/$m.html") \
                <(sed 's/[A-Za-z]:[\\/][^"]*t-'"$m"'//g' "$SHARE/results/$m.html") >/dev/null; then
            echo "check $m: the guest's answer equals wine64's here"
        else
            echo "check $m: the guest's answer DIFFERS from wine64's here"
        fi
    done
fi
if x86_64-w64-mingw32-objdump -p "$ROOT/build/win32/bin/torvane-host.exe" 2>/dev/null | grep -qi "large address aware" ||
   i686-w64-mingw32-objdump -p "$ROOT/build/win32/bin/torvane-host.exe" 2>/dev/null | grep -qi "large address aware"; then
    echo "torvane-host.exe is large address aware: 3 GB of user address space under 32-bit wine"
else
    echo "torvane-host.exe is not large address aware: 2 GB of user address space under 32-bit wine"
fi
echo
# answered: exit 0 with an answer and, but for plain text, its files saved.
printf '%-12s %8s %5s %9s %9s %11s %6s %8s\n' shape "size MB" exit seconds "peak MB" "answer B" files answered
sort -k1,1 -k2,2n -u "$WORK/table.txt" |
    awk '{printf "%-12s %8d %5s %9s %9.0f %11s %6s %8s\n", $1, $2, $3, $4, $5 / 1024, $6, $7, $8}'
echo
for f in "$SHARE"/results/*.err; do
    [ -s "$f" ] || continue
    echo "== $(basename "$f" .err): $(head -c 600 "$f" | tr '\n' ' ')"
done
echo "total wall time: $(( $(date +%s) - started )) s"
