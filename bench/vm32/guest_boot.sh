#!/bin/sh
# Installed in the guest image as /usr/local/sbin/torvane-guest and started
# at boot: mounts the host's 9p share, runs its guest_run.sh with the output
# in results/guest.log, then powers the guest off (qemu then ends).
mkdir -p /mnt/host
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 host0 /mnt/host && [ -f /mnt/host/guest_run.sh ]; then
    sh /mnt/host/guest_run.sh /mnt/host >/mnt/host/results/guest.log 2>&1
    sync
    umount /mnt/host
fi
systemctl --no-block poweroff
