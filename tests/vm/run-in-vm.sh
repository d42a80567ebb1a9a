#!/usr/bin/env bash
# run-in-vm.sh [options] --cmd 'COMMAND LINE'
#
# Runs one command line in a throw-away QEMU virtual machine that has two
# emulated ATA disks driven by the real Linux libata stack:
#   /dev/sda  a SATA disk behind an AHCI controller        (drive slot 0)
#   /dev/sdb  a PATA disk behind the PIIX IDE controller   (drive slot 1)
# and, with --nvme, QEMU's NVMe controller driven by the kernel's nvme driver:
#   /dev/nvme0, namespace /dev/nvme0n1                     (drive slot 2)
# Each disk holds one ext2 partition, not mounted. The machine boots Debian's
# kernel (its package is fetched with apt-get download on first use and kept
# in the cache folder) with a busybox RAM disk, under software emulation.
#
# Inside, busybox sh runs the command line as root in /qm, the working folder
# (on PATH), with stdin from /dev/null and stderr merged into stdout. The
# environment names the disks: AHCI_DISK, AHCI_SG (the SATA disk and its SCSI
# generic node), IDE_DISK, IDE_SG, and with --nvme NVME_CTRL and NVME_NS.
# smartctl (and skdump, when installed here) is on PATH.
#
# Options:
#   --cmd STR          the command line (required). Single-quote it, so that
#                      $AHCI_DISK and the like expand inside the machine.
#   --add FILE         copy an executable or shared library into /qm, with
#                      the shared libraries and the loader it needs (repeatable)
#   --file SRC[:DEST]  copy a file or folder as it is (no libraries) to DEST,
#                      relative to /qm or absolute; default /qm/NAME (repeatable)
#   --module NAME      load kernel module NAME, and the modules it needs, once
#                      the disks are up (repeatable)
#   --nvme             also attach QEMU's NVMe controller (serial QMNVME0001) with
#                      one namespace of the disks' size; its driver is loaded and
#                      the command waits until the namespace is there
#   --disk-mib N       size of each disk in MiB (default 64)
#   --sata-props P     extra QEMU ide-hd properties for the SATA disk,
#   --pata-props P       e.g. 'model=NAME,serial=X1'
#   --timeout SEC      time limit for the machine's run (default 300)
#   --mem MIB          memory of the machine (default 512)
#   --console          copy the kernel's console log to stderr afterwards
#   --keep             keep the run's folder (disk images, logs) and name it
#
# Output: the command's output on stdout, between the lines
#   ===== vm: begin output =====
#   ===== vm: end output (exit status N) =====
# Progress, timings and, when the run fails, the console log go to stderr.
# Exit status: the command's own; 124 when the time limit ended the run; 125
# when the command did not run to its end (missing packages, no kernel, boot
# failure, machine died).
#
# Environment:
#   QM_VM_CACHE       the cache folder (default ${XDG_CACHE_HOME:-~/.cache}/
#                     quillmoor-vm; /tmp/quillmoor-vm-UID without a home)
#   QM_VM_KERNEL_PKG  the kernel package to boot (default: the one Debian's
#                     linux-image-amd64 depends on)
set -euo pipefail
export PATH=$PATH:/usr/sbin:/sbin
# Everything staged for the machine must stay readable for other users there.
umask 022

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$HERE/image.sh"

say() { printf '[vm] %s\n' "$*" >&2; }
give_up() { say "$*"; exit 125; }
usage() { sed -n '2,/^set -euo/{/^set -euo/d; s/^# \{0,1\}//; p}' "$0"; }

# ------------------------------------------------------------------ options
COMMAND_LINE=""
ADDS=() FILES=() EXTRA_MODULES=()
DISK_MIB=64 SATA_PROPS="" PATA_PROPS="" TIME_LIMIT=300 MEMORY=512
SHOW_CONSOLE=0 KEEP=0 NVME=0

parse_options() {
    while [ $# -gt 0 ]; do
        case $1 in
            --console) SHOW_CONSOLE=1; shift; continue ;;
            --keep) KEEP=1; shift; continue ;;
            --nvme) NVME=1; shift; continue ;;
            -h|--help) usage; exit 0 ;;
            --cmd|--add|--file|--module|--disk-mib|--sata-props|--pata-props|--timeout|--mem)
                [ $# -ge 2 ] || { usage >&2; give_up "$1 needs a value"; } ;;
            *) usage >&2; give_up "unknown option: $1" ;;
        esac
        case $1 in
            --cmd) COMMAND_LINE=$2 ;;
            --add) ADDS+=("$2") ;;
            --file) FILES+=("$2") ;;
            --module) EXTRA_MODULES+=("$2") ;;
            --disk-mib) DISK_MIB=$2 ;;
            --sata-props) SATA_PROPS=$2 ;;
            --pata-props) PATA_PROPS=$2 ;;
            --timeout) TIME_LIMIT=$2 ;;
            --mem) MEMORY=$2 ;;
        esac
        shift 2
    done
    [ -n "$COMMAND_LINE" ] || { usage >&2; give_up "--cmd is required"; }
    local n
    for n in "$DISK_MIB" "$TIME_LIMIT" "$MEMORY"; do
        [[ $n =~ ^[1-9][0-9]*$ ]] || give_up "not a positive whole number: $n"
    done
    [ "$DISK_MIB" -ge 8 ] || give_up "--disk-mib must be at least 8"
    local f
    for f in "${ADDS[@]}"; do [ -f "$f" ] || give_up "--add: no such file: $f"; done
    for f in "${FILES[@]}"; do [ -e "${f%%:*}" ] || give_up "--file: no such file: ${f%%:*}"; done
}

# ------------------------------------------------------------------ host
# Every program the harness uses, with the Debian package that has it
# (scripts/setup.sh installs them).
check_host() {
    local missing=() pair
    for pair in qemu-system-x86_64:qemu-system-x86 cpio:cpio depmod:kmod \
                mke2fs:e2fsprogs xz:xz-utils smartctl:smartmontools \
                dpkg-deb:dpkg apt-get:apt ldd:libc-bin flock:util-linux; do
        command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
    done
    # A dynamically linked busybox would need its libraries before any exist.
    if [ ! -x /bin/busybox ] || ldd /bin/busybox 2>/dev/null | grep -q '=>'; then
        missing+=(busybox-static)
    fi
    [ ${#missing[@]} -eq 0 ] ||
        give_up "missing packages: ${missing[*]} (scripts/setup.sh installs them)"
}

choose_cache() {
    if [ -n "${QM_VM_CACHE:-}" ]; then
        CACHE=$QM_VM_CACHE
    elif [ -n "${XDG_CACHE_HOME:-}${HOME:-}" ] &&
         mkdir -p "${XDG_CACHE_HOME:-$HOME/.cache}/quillmoor-vm" 2>/dev/null; then
        CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/quillmoor-vm
    else
        CACHE=${TMPDIR:-/tmp}/quillmoor-vm-$(id -u)
    fi
    mkdir -p "$CACHE" || give_up "cannot create the cache folder $CACHE"
}

# ------------------------------------------------------------------ disks
le32() {  # the four bytes of $1, least significant first
    printf '%b' "$(printf '\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"
}

# A disk image of DISK_MIB MiB: an MBR with one Linux partition from 1 MiB to
# the end, holding an empty ext2 file system labelled $2.
make_disk() {
    local image=$1 first=2048 count=$((DISK_MIB * 2048 - 2048))
    truncate -s "${DISK_MIB}M" "$image"
    { printf '\x00\x20\x21\x00\x83\xfe\xff\xff'; le32 "$first"; le32 "$count"; } |
        dd of="$image" bs=1 seek=446 conv=notrunc status=none
    printf '\x55\xaa' | dd of="$image" bs=1 seek=510 conv=notrunc status=none
    mke2fs -q -F -t ext2 -L "$2" -E offset=$((first * 512)) "$image" $((count / 2))k >/dev/null 2>&1 ||
        say "mke2fs failed; $2 stays unformatted"
}

# ------------------------------------------------------------------ machine
# Boots the machine and waits for it to power off, at most TIME_LIMIT
# seconds; sets MACHINE_STATUS (124 when the limit ended it).
run_machine() {
    local props_sata=${SATA_PROPS:+,$SATA_PROPS} props_pata=${PATA_PROPS:+,$PATA_PROPS}
    local machine=(
        qemu-system-x86_64 -machine pc -accel tcg -smp 1 -m "$MEMORY"
        -nodefaults -no-user-config -display none -no-reboot
        -kernel "$BOOT_IMAGE" -initrd "$RUN/initrd"
        -append "console=ttyS0 panic=-1 mitigations=off"
        -serial "file:$RUN/console.log" -serial "file:$RUN/output.log"
        -device ahci,id=sata
        -drive "if=none,id=sata-disk,file=$RUN/sata.img,format=raw,cache=unsafe"
        -device "ide-hd,drive=sata-disk,bus=sata.0$props_sata"
        -drive "if=none,id=pata-disk,file=$RUN/pata.img,format=raw,cache=unsafe"
        -device "ide-hd,drive=pata-disk,bus=ide.0,unit=0$props_pata")
    local what="AHCI disk, PIIX disk"
    if [ "$NVME" = 1 ]; then
        machine+=(-drive "if=none,id=nvme-disk,file=$RUN/nvme.img,format=raw,cache=unsafe"
                  -device "nvme,drive=nvme-disk,serial=QMNVME0001")
        what+=", NVMe controller"
    fi
    say "booting $KVER ($(basename "$BOOT_IMAGE")) under TCG: $what"
    : >"$RUN/console.log"; : >"$RUN/output.log"
    timeout -k 5 "$TIME_LIMIT" "${machine[@]}" >"$RUN/qemu.log" 2>&1 &
    MACHINE_PID=$!
    MACHINE_STATUS=0
    wait "$MACHINE_PID" || MACHINE_STATUS=$?
    MACHINE_PID=""
}

# Reads the second serial port's log: writes the command's output to
# RUN/body and sets BEGUN and ENDED (guest uptimes) and STATUS; each is "-"
# when its marker line is missing.
read_output() {
    local summary
    summary=$(awk -v begin="@@qm-vm $RUN_TOKEN begin " -v end="@@qm-vm $RUN_TOKEN end " -v body="$RUN/body" '
        index($0, begin) == 1 { on = 1; started = substr($0, length(begin) + 8); next }
        on && index($0, end) == 1 {
            split(substr($0, length(end) + 1), f, /[ =]/); status = f[2]; finished = f[4]
            on = 0; done = 1; next
        }
        on { line[++n] = $0 }
        END {
            # The end marker opened with a line break of its own.
            if (done && n > 0 && line[n] == "") n--
            printf "" > body
            for (i = 1; i <= n; i++) print line[i] > body
            print (done ? status : "-"), (started == "" ? "-" : started), (done ? finished : "-")
        }' "$RUN/output.log")
    read -r STATUS BEGUN ENDED <<<"$summary"
}

# Prints the command's output between marker lines and exits with the run's
# status; says on stderr how long it took or why it failed.
report() {
    read_output
    local elapsed=$(($(date +%s) - STARTED))
    [ "$BEGUN" = - ] || { echo "===== vm: begin output ====="; cat "$RUN/body"; }
    if [ "$STATUS" != - ]; then
        echo "===== vm: end output (exit status $STATUS) ====="
        say "command started $BEGUN s after boot, ran $(awk -v a="$BEGUN" -v b="$ENDED" 'BEGIN { printf "%.1f", b - a }') s (guest clock); whole run $elapsed s"
        [ "$SHOW_CONSOLE" = 0 ] || { say "console log:"; cat "$RUN/console.log" >&2; }
        exit "$STATUS"
    fi
    local why="the machine stopped (qemu exit status $MACHINE_STATUS)"
    [ "$MACHINE_STATUS" != 124 ] || why="the time limit of $TIME_LIMIT s ended the run"
    [ "$BEGUN" = - ] || echo "===== vm: output ends here: $why ====="
    say "the command did not finish: $why; whole run $elapsed s"
    if [ "$SHOW_CONSOLE" = 1 ]; then say "console log:"; cat "$RUN/console.log" >&2
    else say "last lines of the console log:"; tail -n 30 "$RUN/console.log" >&2; fi
    [ ! -s "$RUN/qemu.log" ] || { say "qemu said:"; cat "$RUN/qemu.log" >&2; }
    [ "$MACHINE_STATUS" = 124 ] && exit 124
    exit 125
}

cleanup() {
    if [ -n "${MACHINE_PID:-}" ]; then kill "$MACHINE_PID" 2>/dev/null || true; wait "$MACHINE_PID" 2>/dev/null || true; fi
    [ -n "${RUN:-}" ] || return 0
    if [ "$KEEP" = 1 ]; then say "run folder kept: $RUN"; else rm -rf "$RUN"; fi
}

main() {
    STARTED=$(date +%s)
    parse_options "$@"
    check_host
    choose_cache
    RUN=$(mktemp -d "${TMPDIR:-/tmp}/qm-vm-run.XXXXXX") || give_up "cannot create a run folder"
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    RUN_TOKEN=$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')
    # One run at a time changes the cache.
    exec 9>"$CACHE/lock"
    flock 9
    prepare_kernel
    prepare_base
    build_run_tree "$RUN/tree"
    exec 9>&-
    make_archive "$RUN/tree" "$RUN/run.cpio"
    cat "$BASE_ARCHIVE" "$RUN/run.cpio" >"$RUN/initrd"
    make_disk "$RUN/sata.img" qm-sata
    make_disk "$RUN/pata.img" qm-pata
    [ "$NVME" = 0 ] || make_disk "$RUN/nvme.img" qm-nvme
    run_machine
    report
}

main "$@"
