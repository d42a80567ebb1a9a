#!/usr/bin/env bash
# real_disks_in_vm.sh REPORT REPO
#
# End-to-end check of the real-disk path (SG_IO, ATA pass-through, block-device
# geometry) against the real Linux kernel: boots a throw-away VM with two
# emulated ATA disks (slot 0: SATA behind AHCI, slot 1: PATA behind PIIX), runs
# quillmoor-report and smartctl inside it, and compares on this side, per slot:
# model, serial and firmware with `smartctl -i`; every attribute row (id,
# current, worst, threshold, raw value) with `smartctl -A`; the capacity row
# with the 62.75 MB that 8 cylinders x 255 x 63 x 512 bytes make.
#
#   REPORT  the built quillmoor-report
#   REPO    the repository root; the VM harness is REPO/tests/vm/run-in-vm.sh
#           (QM_RUN_IN_VM overrides the path)
#
# Exit status: 0 all equal; 1 a difference or a broken run (details on stdout);
# 77 the VM itself could not run (no emulator, no packages, boot failure): skip,
#    except under CI (CI set), where that is a failure.
# With QM_E2E_VM_OUTPUT=FILE the VM is not started and FILE (the saved output
# of an earlier run) is compared instead.
set -u

REPORT=${1:?usage: real_disks_in_vm.sh REPORT REPO}
REPO=${2:?usage: real_disks_in_vm.sh REPORT REPO}
RUN_IN_VM=${QM_RUN_IN_VM:-${REPO}/tests/vm/run-in-vm.sh}
EXPECTED_CAPACITY="62.75 MB"

fail() { printf 'real_disks_in_vm: FAILED: %s\n' "$*"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-e2e.XXXXXX") || fail "cannot create a temporary folder"
trap 'rm -rf "$work"' EXIT
out=$work/vm.out

if [ -n "${QM_E2E_VM_OUTPUT:-}" ]; then
  cp "$QM_E2E_VM_OUTPUT" "$out" || fail "cannot read $QM_E2E_VM_OUTPUT"
else
  [ -x "$REPORT" ] || fail "no report program at $REPORT"
  [ -f "$RUN_IN_VM" ] || fail "VM harness not found at $RUN_IN_VM (set QM_RUN_IN_VM)"
  report_name=$(basename "$REPORT")
  # Inside the VM (busybox sh): every piece of output between marker lines.
  # smartctl prints raw values as 48-bit hex (-v N,hex48) so that the bytes
  # the report uses can be taken from it exactly.
  vm_cmd="echo '@@@ begin disks'; echo \"\$AHCI_DISK \$IDE_DISK\"; echo '@@@ end disks';
echo '@@@ begin report'; ${report_name} 2>/tmp/report.err; rc=\$?; echo '@@@ end report';
echo \"@@@ report-status \$rc\"; echo '@@@ begin report-stderr'; cat /tmp/report.err; echo '@@@ end report-stderr';
for d in \$AHCI_DISK \$IDE_DISK; do echo \"@@@ begin smart \$d\"; smartctl -i -A -v N,hex48 -d sat \$d; echo \"@@@ end smart \$d\"; done; true"
  bash "$RUN_IN_VM" --add "$REPORT" --cmd "$vm_cmd" >"$out" 2>"$work/vm.err"
  rc=$?
  if [ "$rc" = 125 ]; then
    tail -n 15 "$work/vm.err"
    # In CI the check must run: a VM that cannot start is a failure there.
    if [ -n "${CI:-}" ]; then fail "the VM could not run (run-in-vm.sh exit 125)"; fi
    echo "real_disks_in_vm: SKIPPED: the VM could not run here (run-in-vm.sh exit 125)"
    exit 77
  fi
  if [ "$rc" != 0 ]; then
    tail -n 15 "$work/vm.err"
    cat "$out"
    fail "the VM run ended with exit status $rc (124: time limit)"
  fi
fi

# Lines between "@@@ begin NAME" and "@@@ end NAME".
section() { awk -v name="$1" '$0 == "@@@ end " name { on = 0 } on { print } $0 == "@@@ begin " name { on = 1 }' "$out"; }

show_and_fail() {
  echo "---- VM output ----"
  cat "$out"
  echo "-------------------"
  fail "$*"
}

disks=$(section disks)
[ "$disks" = "/dev/sda /dev/sdb" ] ||
  show_and_fail "expected the AHCI disk at /dev/sda (slot 0) and the PIIX disk at /dev/sdb (slot 1), got '$disks'"

report_status=$(sed -n 's/^@@@ report-status //p' "$out")
[ "$report_status" = 0 ] || show_and_fail "quillmoor-report exited with status '${report_status}'"

section report >"$work/report.txt"
slots=$(sed -n 's/^== slot \([0-9]*\) .*==$/\1/p' "$work/report.txt" | tr '\n' ' ')
[ "$slots" = "0 1 " ] || show_and_fail "the report should list slots 0 and 1 exactly, it lists '${slots}'"

# One slot's block of the report as normalized lines:
#   info <key><TAB><value>        for the disk-information rows
#   attr id current worst threshold raw
report_slot() {
  awk -F '\t' -v slot="$1" '
    /^== slot / { on = ($0 ~ "^== slot " slot " ") ; table = 0; next }
    !on { next }
    $0 == "" { on = 0; next }
    $1 == "状態" && $2 == "ID" { table = 1; next }
    table && NF == 7 { printf "attr %d %d %d %d %d\n", $2, $4, $6, $5, $7; next }
    table { printf "bad-row %s\n", $0; next }
    NF == 2 { printf "info %s\t%s\n", $1, $2 }
  ' "$work/report.txt"
}

# The same lines from smartctl for one disk. Raw value as the report defines
# it: raw bytes 0-1 little-endian, byte 0 alone for attribute 194.
smart_disk() {
  section "smart $1" | awk '
    function hex(s,   i, v) {
      v = 0; s = tolower(s)
      for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
      return v
    }
    function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
    /^Device Model:/     { v = $0; sub(/^Device Model:/, "", v);     printf "info モデル\t%s\n", trim(v) }
    /^Serial Number:/    { v = $0; sub(/^Serial Number:/, "", v);    printf "info シリアルNo\t%s\n", trim(v) }
    /^Firmware Version:/ { v = $0; sub(/^Firmware Version:/, "", v); printf "info ファームウェア\t%s\n", trim(v) }
    /^ID# ATTRIBUTE_NAME/ { table = 1; next }
    table && NF == 0 { table = 0 }
    table && $1 ~ /^[0-9]+$/ {
      raw = $NF
      if (raw !~ /^0x[0-9a-fA-F]+$/) { printf "bad-raw %s\n", $0; next }
      digits = ($1 == 194) ? 2 : 4
      printf "attr %d %d %d %d %d\n", $1, $4, $5, $6, hex(substr(raw, length(raw) - digits + 1))
    }
  '
}

problems=0
compare_slot() {
  local slot=$1 disk=$2 kind=$3
  local rep smart key want got
  rep=$(report_slot "$slot")
  smart=$(smart_disk "$disk")
  for key in モデル シリアルNo ファームウェア; do
    want=$(printf '%s\n' "$smart" | awk -F '\t' -v k="info $key" '$1 == k { print $2; exit }')
    got=$(printf '%s\n' "$rep" | awk -F '\t' -v k="info $key" '$1 == k { print $2; exit }')
    if [ -z "$want" ] || [ "$got" != "$want" ]; then
      echo "slot $slot ($kind): $key: report '$got', smartctl '$want'"
      problems=$((problems + 1))
    fi
  done
  got=$(printf '%s\n' "$rep" | awk -F '\t' '$1 == "info ディスク容量" { print $2; exit }')
  if [ "$got" != "$EXPECTED_CAPACITY" ]; then
    echo "slot $slot ($kind): ディスク容量: report '$got', expected '$EXPECTED_CAPACITY'"
    problems=$((problems + 1))
  fi
  want=$(printf '%s\n' "$smart" | grep -E '^(attr|bad-raw) ')
  got=$(printf '%s\n' "$rep" | grep -E '^(attr|bad-row) ')
  if [ -z "$want" ] || [ "$got" != "$want" ]; then
    echo "slot $slot ($kind): attribute rows differ (id current worst threshold raw):"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | sed 's/^</  smartctl:/; s/^>/  report:  /'
    problems=$((problems + 1))
  fi
}

compare_slot 0 /dev/sda "SATA behind AHCI"
compare_slot 1 /dev/sdb "PATA behind PIIX"

if [ "$problems" != 0 ]; then
  show_and_fail "$problems difference(s) between quillmoor-report and smartctl on the emulated disks"
fi
echo "real_disks_in_vm: slots 0 (AHCI) and 1 (PIIX) agree with smartctl: identity, attributes, capacity"
exit 0
