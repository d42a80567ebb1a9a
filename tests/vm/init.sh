#!/bin/sh
# The first process of the test VM (busybox sh, as root). run-in-vm.sh puts
# this file at /init of the initial RAM disk. It brings up the two ATA
# controllers one after the other, so that the AHCI disk is always /dev/sda
# and the PIIX disk /dev/sdb, runs the command line of the run once and powers
# the machine off.
#
# Files the harness provides:
#   /etc/qm-vm/modules.{core,sata,pata,extra}  kernel modules to load, in order
#   /etc/qm-vm/nvme                            present: wait for the NVMe namespace
#   /etc/qm-vm/run.conf                        RUN_TOKEN (marks this run's output)
#   /etc/qm-vm/command.sh                      the command line
# The command's output goes to the second serial port, framed by marker lines
# that carry RUN_TOKEN; the kernel's messages stay on the first.

/bin/busybox mount -t proc proc /proc
/bin/busybox --install -s
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs -o mode=1777 tmpfs /tmp

export PATH=/qm:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
. /etc/qm-vm/run.conf

note() { echo "qm-vm: $*" >/dev/console; }
halt_now() { sync; poweroff -f; sleep 10; }

MODULES=/lib/modules/$(uname -r)
load_modules() {
    for m in $(cat "/etc/qm-vm/modules.$1" 2>/dev/null); do
        insmod "$MODULES/$m" 2>/tmp/insmod.err ||
            note "insmod $m failed: $(cat /tmp/insmod.err)"
    done
}

disk_count() {
    n=0
    for d in /sys/block/sd*; do [ -e "$d" ] && n=$((n + 1)); done
    echo "$n"
}

# Waits (at most 30 s) until at least $1 SCSI disks exist.
wait_for_disks() {
    tries=0
    while [ "$(disk_count)" -lt "$1" ]; do
        tries=$((tries + 1))
        [ "$tries" -gt 600 ] && { note "only $(disk_count) of $1 disks appeared"; return 1; }
        usleep 50000
    done
}

load_modules core
load_modules sata
wait_for_disks 1
load_modules pata
wait_for_disks 2
load_modules extra

# With the NVMe controller: wait (at most 30 s) until its namespace is there,
# and give the nodes the owner and mode Debian's udev gives them (the
# controller root:root 0600, the namespace root:disk 0660).
NVME_CTRL='' NVME_NS=''
if [ -e /etc/qm-vm/nvme ]; then
    tries=0
    while [ ! -b /dev/nvme0n1 ] || [ ! -c /dev/nvme0 ]; do
        tries=$((tries + 1))
        [ "$tries" -gt 600 ] && { note "the NVMe namespace did not appear"; break; }
        usleep 50000
    done
    if [ -b /dev/nvme0n1 ]; then
        NVME_CTRL=/dev/nvme0 NVME_NS=/dev/nvme0n1
        chmod 600 /dev/nvme0
        chgrp disk /dev/nvme0n1*
        chmod 660 /dev/nvme0n1*
        note "/dev/nvme0 and /dev/nvme0n1: $(cat /sys/class/nvme/nvme0/model)"
    fi
fi
export NVME_CTRL NVME_NS

# Name each disk by the driver of the PCI function it hangs off, and give the
# nodes the owner and mode Debian's udev gives them (root:disk, 0660).
AHCI_DISK='' AHCI_SG='' IDE_DISK='' IDE_SG=''
for d in /sys/block/sd*; do
    [ -e "$d" ] || continue
    name=${d##*/}
    path=$(readlink -f "$d/device")
    driver=$(readlink "${path%%/ata*}/driver")
    sg=$(ls "$d/device/scsi_generic" 2>/dev/null)
    chgrp disk /dev/"$name"* ${sg:+"/dev/$sg"}
    chmod 660 /dev/"$name"* ${sg:+"/dev/$sg"}
    note "/dev/$name (${sg:+/dev/$sg}) behind ${driver##*/}: $(cat "$d/device/model")"
    case ${driver##*/} in
        ahci) AHCI_DISK=/dev/$name AHCI_SG=${sg:+/dev/$sg} ;;
        ata_piix) IDE_DISK=/dev/$name IDE_SG=${sg:+/dev/$sg} ;;
    esac
done
export AHCI_DISK AHCI_SG IDE_DISK IDE_SG

OUT=/dev/ttyS1
[ -c "$OUT" ] || { note "no $OUT for the output"; halt_now; }
# Raw mode: no CR inserted before each LF.
stty -F "$OUT" raw -echo || note "stty on $OUT failed"
exec 3>"$OUT"

uptime_s() { cut -d' ' -f1 /proc/uptime; }
echo "@@qm-vm $RUN_TOKEN begin uptime=$(uptime_s)" >&3
(cd /qm && sh /etc/qm-vm/command.sh) </dev/null >&3 2>&3
status=$?
# The leading newline ends a last line the command left open; the host
# removes it again.
printf '\n@@qm-vm %s end status=%d uptime=%s\n' "$RUN_TOKEN" "$status" "$(uptime_s)" >&3
# Closing the port waits until the serial line has sent everything.
exec 3>&-
halt_now
