#!/usr/bin/env bash
# real_disks_in_vm.sh REPORT REPO [HELPER]
#
# End-to-end check of the real-disk path (SG_IO, ATA pass-through, NVMe admin
# commands, block-device geometry) against the real Linux kernel: boots a
# throw-away VM with two emulated ATA disks (slot 0: SATA behind AHCI, slot 1:
# PATA behind PIIX) and QEMU's NVMe controller (slot 2), runs
# quillmoor-report and smartctl inside it, and compares on this side, per
# slot: model, serial and firmware with `smartctl -i`; every attribute row
# (id, current, worst, threshold, raw value) with `smartctl -A`; for the NVMe
# drive every row of the health log with `smartctl -a -j` and the temperature
# threshold with `smartctl -a`; the capacity row with the 62.75 MB that 8
# cylinders x 255 x 63 x 512 bytes make.
#
# With HELPER (quillmoor-smart-helper) the same run also proves the route of
# an unprivileged user: the helper gets the file capabilities its install
# gives it, and quillmoor-report run as uid 65534 (through a static launcher
# built here) must read both disks exactly as root does. Before any read, the
# helper, run as that user, is fed crafted requests: it must answer its rights,
# an IDENTIFY and CHECK POWER MODE on both disks (awake), Identify Controller
# and the health log of the NVMe drive, and refuse SMART DISABLE OPERATIONS,
# WRITE SECTORS, slot 16, Get Log Page of another log or length, Set
# Features, Format NVM and a namespace write (SMART must still be enabled
# afterwards, and the NVMe namespace and its write counters unchanged). A
# copy of the two programs whose helper lacks the capabilities must give the
# rights message and, of the NVMe drive, what sysfs tells every user (model,
# serial, firmware, temperature, one row saying the log needs the helper); a
# helper installed without cap_sys_admin reads the ATA disks and gives the
# same for the NVMe drive.
#
#   REPORT  the built quillmoor-report
#   REPO    the repository root; the VM harness is REPO/tests/vm/run-in-vm.sh
#           (QM_RUN_IN_VM overrides the path)
#   HELPER  the built quillmoor-smart-helper (optional)
#
# Exit status: 0 all equal; 1 a difference or a broken run (details on stdout);
# 77 the VM itself could not run (no emulator, no packages, boot failure): skip,
#    except under CI (CI set), where that is a failure.
# With QM_E2E_VM_OUTPUT=FILE the VM is not started and FILE (the saved output
# of an earlier run) is compared instead; QM_E2E_SAVE_OUTPUT=FILE saves it.
set -u

REPORT=${1:?usage: real_disks_in_vm.sh REPORT REPO [HELPER]}
REPO=${2:?usage: real_disks_in_vm.sh REPORT REPO [HELPER]}
HELPER=${3:-}
RUN_IN_VM=${QM_RUN_IN_VM:-${REPO}/tests/vm/run-in-vm.sh}
EXPECTED_CAPACITY="62.75 MB"

fail() { printf 'real_disks_in_vm: FAILED: %s\n' "$*"; exit 1; }

# Requests fed to the helper, and the answer each must get: status (00 done,
# 02 refused) and the first payload byte (for CHECK POWER MODE 01: awake, as
# the emulated disks always are), in hex; the record layout is in
# drives/linux/helper_protocol.h.
# The NVMe requests name the controller nvme0 (class 2, number 0) in slot 2;
# the health log answers with the log's first byte, the critical warning (00).
REQUESTS="rights identify-slot0 power-slot0 power-slot1 smart-disable write-sectors identify-slot16"
REQUESTS+=" nvme-identify nvme-health-log nvme-error-log nvme-log-1024 nvme-set-features nvme-format nvme-write"
EXPECTED_ANSWERS="rights 00 00
identify-slot0 00 00
power-slot0 00 01
power-slot1 00 01
smart-disable 02 00
write-sectors 02 00
identify-slot16 02 00
nvme-identify 00 36
nvme-health-log 00 00
nvme-error-log 02 00
nvme-log-1024 02 00
nvme-set-features 02 00
nvme-format 02 00
nvme-write 02 00"

# request FILE KIND SLOT CLASS [OFFSET=VALUE...]: one 104-byte request record
# (drives/linux/helper_protocol.h): "QR", kind, slot, the disk's class (1 sd,
# 2 nvme; its number is the slot's sd letter or 0), then the 32-byte ATA
# command block and the 64-byte NVMe command with the given bytes set
# (offsets from the start of the ATA block: 32 and above is the NVMe command).
request() {
  local file=$1 kind=$2 slot=$3 class=$4 i pair b number
  shift 4
  number=$slot
  [ "$class" != 2 ] || number=0
  [ "$kind" != 1 ] || number=0
  local bytes=(81 82 "$kind" "$slot" "$class" 0 "$number" 0)
  for ((i = 0; i < 96; i++)); do bytes+=(0); done
  for pair in "$@"; do bytes[$((8 + ${pair%%=*}))]=$((${pair#*=})); done
  for b in "${bytes[@]}"; do printf "\\x$(printf %02x "$b")"; done >"$file"
}

write_requests() {
  local smart="5=1 6=1 7=0x4F 8=0xC2 9=0xA0 10=0xB0"
  local all="36=0xFF 37=0xFF 38=0xFF 39=0xFF"  # nsid: all namespaces
  request "$1/rights.bin" 1 0 0
  request "$1/identify-slot0.bin" 4 0 1 1=0x02 5=1 6=1 9=0xA0 10=0xEC
  request "$1/power-slot0.bin" 5 0 1 9=0xA0 10=0xE5
  request "$1/power-slot1.bin" 5 1 1 9=0xA0 10=0xE5 12=1
  request "$1/smart-disable.bin" 3 0 1 4=0xD9 $smart
  request "$1/write-sectors.bin" 4 0 1 1=0x02 5=1 6=1 9=0xA0 10=0x30
  request "$1/identify-slot16.bin" 4 16 1 1=0x02 5=1 6=1 9=0xA0 10=0xEC 12=16
  # Identify Controller (06h, CNS 1) and Get Log Page 02h of 128 dwords.
  request "$1/nvme-identify.bin" 7 2 2 32=0x06 72=0x01
  request "$1/nvme-health-log.bin" 7 2 2 32=0x02 $all 72=0x02 74=0x7F
  request "$1/nvme-error-log.bin" 7 2 2 32=0x02 $all 72=0x01 74=0x7F
  request "$1/nvme-log-1024.bin" 7 2 2 32=0x02 $all 72=0x02 74=0xFF
  # Set Features 04h (temperature threshold) to 0 K; Format NVM of namespace
  # 1; a write (opcode 01h) of namespace 1.
  request "$1/nvme-set-features.bin" 7 2 2 32=0x09 72=0x04
  request "$1/nvme-format.bin" 7 2 2 32=0x80 36=1
  request "$1/nvme-write.bin" 7 2 2 32=0x01 36=1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-e2e.XXXXXX") || fail "cannot create a temporary folder"
trap 'rm -rf "$work"' EXIT
out=$work/vm.out

if [ -n "${QM_E2E_VM_OUTPUT:-}" ]; then
  cp "$QM_E2E_VM_OUTPUT" "$out" || fail "cannot read $QM_E2E_VM_OUTPUT"
else
  [ -x "$REPORT" ] || fail "no report program at $REPORT"
  [ -f "$RUN_IN_VM" ] || fail "VM harness not found at $RUN_IN_VM (set QM_RUN_IN_VM)"
  report_name=$(basename "$REPORT")
  vm_args=(--nvme --add "$REPORT")
  # Inside the VM (busybox sh): every piece of output between marker lines.
  # smartctl prints raw values as 48-bit hex (-v N,hex48) so that the bytes
  # the report uses can be taken from it exactly. It reads the disks after
  # the refused requests and before any report (whose reads enable SMART).
  vm_cmd="echo '@@@ begin disks'; echo \"\$AHCI_DISK \$IDE_DISK \$NVME_CTRL\"; echo '@@@ end disks';
echo \"@@@ nvme-hash-before \$(md5sum <\$NVME_NS)\";
echo '@@@ begin nvme-json'; smartctl -a -j \$NVME_CTRL; echo '@@@ end nvme-json';
echo '@@@ begin nvme-text'; smartctl -a \$NVME_CTRL; echo '@@@ end nvme-text';"
  if [ -n "$HELPER" ]; then
    [ -x "$HELPER" ] || fail "no helper program at $HELPER"
    helper_name=$(basename "$HELPER")
    mkdir -p "$work/requests"
    write_requests "$work/requests"
    for tool in as_user set_file_caps; do
      cc -static -O2 -o "$work/${tool//_/-}" "$REPO/tests/e2e/$tool.c" ||
        fail "cannot build the static $tool with the system compiler"
    done
    vm_args+=(--add "$HELPER" --add "$work/as-user" --add "$work/set-file-caps" --file "$work/requests:requests")
    vm_cmd+="
set-file-caps /qm/${helper_name} || echo '@@@ no file capabilities';
for r in ${REQUESTS}; do
  s=\$(as-user 65534 65534 /qm/${helper_name} </qm/requests/\$r.bin | od -An -tx1 -j3 -N6 | awk '{ print \$1, \$6 }');
  echo \"@@@ answer \$r \${s:-none}\";
done;"
  fi
  vm_cmd+="
for d in \$AHCI_DISK \$IDE_DISK; do echo \"@@@ begin smart \$d\"; smartctl -i -A -v N,hex48 -d sat \$d; echo \"@@@ end smart \$d\"; done;
echo '@@@ begin report'; ${report_name} 2>/tmp/report.err; rc=\$?; echo '@@@ end report';
echo \"@@@ report-status \$rc\"; echo '@@@ begin report-stderr'; cat /tmp/report.err; echo '@@@ end report-stderr';"
  if [ -n "$HELPER" ]; then
    vm_cmd+="
echo '@@@ begin user-report'; as-user 65534 65534 /qm/${report_name} 2>/tmp/user.err; rc=\$?; echo '@@@ end user-report';
echo \"@@@ user-report-status \$rc\"; echo '@@@ begin user-report-stderr'; cat /tmp/user.err; echo '@@@ end user-report-stderr';
mkdir /tmp/nocap && cp /qm/${report_name} /qm/${helper_name} /tmp/nocap/ && chmod 755 /tmp/nocap;
echo '@@@ begin nocap-report'; as-user 65534 65534 /tmp/nocap/${report_name} 2>/tmp/nocap.err; rc=\$?; echo '@@@ end nocap-report';
echo \"@@@ nocap-report-status \$rc\"; echo '@@@ begin nocap-report-stderr'; cat /tmp/nocap.err; echo '@@@ end nocap-report-stderr';
mkdir /tmp/ataonly && cp /qm/${report_name} /qm/${helper_name} /tmp/ataonly/ && chmod 755 /tmp/ataonly && set-file-caps /tmp/ataonly/${helper_name} ata-only;
echo '@@@ begin ataonly-report'; as-user 65534 65534 /tmp/ataonly/${report_name} 2>/tmp/ataonly.err; rc=\$?; echo '@@@ end ataonly-report';
echo \"@@@ ataonly-report-status \$rc\"; echo '@@@ begin ataonly-report-stderr'; cat /tmp/ataonly.err; echo '@@@ end ataonly-report-stderr';"
  fi
  vm_cmd+="
echo '@@@ begin nvme-json-after'; smartctl -a -j \$NVME_CTRL; echo '@@@ end nvme-json-after';
echo \"@@@ nvme-hash-after \$(md5sum <\$NVME_NS)\";"
  vm_cmd+=" true"
  bash "$RUN_IN_VM" "${vm_args[@]}" --cmd "$vm_cmd" >"$out" 2>"$work/vm.err"
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

[ -z "${QM_E2E_SAVE_OUTPUT:-}" ] || cp "$out" "$QM_E2E_SAVE_OUTPUT"

# Lines between "@@@ begin NAME" and "@@@ end NAME".
section() { awk -v name="$1" '$0 == "@@@ end " name { on = 0 } on { print } $0 == "@@@ begin " name { on = 1 }' "$out"; }

show_and_fail() {
  echo "---- VM output ----"
  cat "$out"
  echo "-------------------"
  fail "$*"
}

disks=$(section disks)
[ "$disks" = "/dev/sda /dev/sdb /dev/nvme0" ] ||
  show_and_fail "expected the AHCI disk at /dev/sda (slot 0), the PIIX disk at /dev/sdb (slot 1) and the NVMe controller /dev/nvme0 (slot 2), got '$disks'"

# check_report NAME [SLOTS [STDERR]]: the run NAME (report, user-report, ...)
# ended with status 0, said nothing on standard error (or something matching
# STDERR) and listed SLOTS exactly (default "0 1 2"); its output goes to
# $work/NAME.txt.
check_report() {
  local status slots want=${2:-0 1 2} err=${3:-}
  status=$(sed -n "s/^@@@ $1-status //p" "$out")
  [ "$status" = 0 ] || show_and_fail "$1: quillmoor-report exited with status '${status}'"
  if [ -z "$err" ]; then
    [ -z "$(section "$1-stderr")" ] || show_and_fail "$1: quillmoor-report wrote to standard error"
  else
    section "$1-stderr" | grep -q "$err" || show_and_fail "$1: quillmoor-report did not say '$err' on standard error"
  fi
  section "$1" >"$work/$1.txt"
  slots=$(sed -n 's/^== slot \([0-9]*\) .*==$/\1/p' "$work/$1.txt" | tr '\n' ' ')
  [ "$slots" = "$want " ] || show_and_fail "$1: the report should list slots $want exactly, it lists '${slots}'"
}
check_report report

if [ -n "$HELPER" ]; then
  ! grep -q '^@@@ no file capabilities' "$out" || show_and_fail "the helper could not be given its file capabilities"
  answers=$(sed -n 's/^@@@ answer //p' "$out")
  [ "$answers" = "$EXPECTED_ANSWERS" ] ||
    show_and_fail "the helper's answers (request, status) differ: expected
$EXPECTED_ANSWERS
got
$answers"
  for d in /dev/sda /dev/sdb; do
    section "smart $d" | grep -q '^SMART support is: *Enabled' ||
      show_and_fail "$d: SMART is not enabled after the refused SMART DISABLE OPERATIONS"
  done
  check_report user-report
  # Without the helper's capabilities the ATA disks cannot be read; the NVMe
  # drive shows what sysfs tells every user.
  check_report nocap-report 2 'no rights to send commands to the disks'
  check_report ataonly-report
fi

# One slot's block of report run $2 as normalized lines:
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
  ' "$work/$2.txt"
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
  local slot=$1 disk=$2 kind=$3 run=$4
  local rep smart key want got
  rep=$(report_slot "$slot" "$run")
  smart=$(smart_disk "$disk")
  for key in モデル シリアルNo ファームウェア; do
    want=$(printf '%s\n' "$smart" | awk -F '\t' -v k="info $key" '$1 == k { print $2; exit }')
    got=$(printf '%s\n' "$rep" | awk -F '\t' -v k="info $key" '$1 == k { print $2; exit }')
    if [ -z "$want" ] || [ "$got" != "$want" ]; then
      echo "$run, slot $slot ($kind): $key: report '$got', smartctl '$want'"
      problems=$((problems + 1))
    fi
  done
  got=$(printf '%s\n' "$rep" | awk -F '\t' '$1 == "info ディスク容量" { print $2; exit }')
  if [ "$got" != "$EXPECTED_CAPACITY" ]; then
    echo "$run, slot $slot ($kind): ディスク容量: report '$got', expected '$EXPECTED_CAPACITY'"
    problems=$((problems + 1))
  fi
  want=$(printf '%s\n' "$smart" | grep -E '^(attr|bad-raw) ')
  got=$(printf '%s\n' "$rep" | grep -E '^(attr|bad-row) ')
  if [ -z "$want" ] || [ "$got" != "$want" ]; then
    echo "$run, slot $slot ($kind): attribute rows differ (id current worst threshold raw):"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | sed 's/^</  smartctl:/; s/^>/  report:  /'
    problems=$((problems + 1))
  fi
}

runs="report"
[ -z "$HELPER" ] || runs="report user-report"
for run in $runs; do
  compare_slot 0 /dev/sda "SATA behind AHCI" "$run"
  compare_slot 1 /dev/sdb "PATA behind PIIX" "$run"
done

# ---------------------------------------------------------------- NVMe
command -v jq >/dev/null 2>&1 || fail "jq is missing (scripts/setup.sh installs it)"
section nvme-json >"$work/nvme.json"
section nvme-json-after >"$work/nvme-after.json"
jq -e .nvme_smart_health_information_log "$work/nvme.json" >/dev/null 2>&1 ||
  show_and_fail "smartctl -a -j gave no health log of the NVMe drive"

# Slot 2 of report run $1 as lines "info <label><TAB><value>" and
# "row <ID> <raw> <threshold> <mark>".
report_nvme() {
  awk -F '\t' '
    /^== slot / { on = ($0 ~ "^== slot 2 ") ; table = 0; next }
    !on { next }
    $0 == "" { on = 0; next }
    $1 == "状態" && $2 == "ID" { table = 1; next }
    table { printf "row %s %s %s %s\n", ($2 == "" ? "-" : $2), ($7 == "" ? "-" : $7), ($5 == "" ? "-" : $5), $1; next }
    NF == 2 { printf "info %s\t%s\n", $1, $2 }
  ' "$work/$1.txt"
}

# The same from smartctl: identity, the temperature and every field of the
# health log under the row id the report gives it (the critical warning as
# the report writes it, 0x and two hex digits), with the threshold column
# the report shows: the spare threshold, WCTEMP (from the text output; JSON
# does not carry it) and 100.
warning_threshold=$(section nvme-text | sed -n 's/^Warning  Comp. Temp. Threshold: *\([0-9]*\) Celsius.*/\1/p')
[ -n "$warning_threshold" ] || show_and_fail "smartctl -a gave no warning temperature threshold of the NVMe drive"
smart_nvme() {
  jq -r --arg wctemp "$warning_threshold" '
    . as $d | .nvme_smart_health_information_log as $l |
    "info モデル\t\($d.model_name)", "info シリアルNo\t\($d.serial_number)",
    "info ファームウェア\t\($d.firmware_version)", "info 現在の温度\t\($d.temperature.current)",
    "row 00 \($l.critical_warning) -",
    "row 01 \($l.temperature) \($wctemp)", "row 03 \($l.available_spare) \($l.available_spare_threshold)",
    "row 04 \($l.available_spare_threshold) -", "row 05 \($l.percentage_used) 100",
    "row 20 \($l.data_units_read) -", "row 30 \($l.data_units_written) -", "row 40 \($l.host_reads) -",
    "row 50 \($l.host_writes) -", "row 60 \($l.controller_busy_time) -", "row 70 \($l.power_cycles) -",
    "row 80 \($l.power_on_hours) -", "row 90 \($l.unsafe_shutdowns) -", "row A0 \($l.media_errors) -",
    "row B0 \($l.num_err_log_entries) -", "row C0 \($l.warning_temp_time) -", "row C4 \($l.critical_comp_time) -",
    (($l.temperature_sensors // []) | to_entries[] | "row \(["C8","CA","CC","CE","D0","D2","D4","D6"][.key]) \(.value) -")
  ' "$work/nvme.json" |
    # The critical warning as the report writes it: the JSON value is a number.
    awk '$1 == "row" && $2 == "00" { printf "row 00 0x%02X -\n", $3; next } { print }'
}

compare_nvme() {
  local run=$1 rep want got
  rep=$(report_nvme "$run")
  want=$(smart_nvme)
  got=$(printf '%s\n' "$rep" | awk '$1 == "row" { print $1, $2, $3, $4; next } /^info (モデル|シリアルNo|ファームウェア|現在の温度)\t/ { print }')
  if [ -z "$want" ] || [ "$got" != "$want" ]; then
    echo "$run, slot 2 (NVMe): rows differ from smartctl -a -j (id raw threshold):"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | sed 's/^</  smartctl:/; s/^>/  report:  /'
    problems=$((problems + 1))
  fi
  for label in シリンダ数 ヘッド/トラック; do
    got=$(printf '%s\n' "$rep" | awk -F '\t' -v k="info $label" '$1 == k { print $2; exit }')
    [ "$got" = "-" ] || { echo "$run, slot 2 (NVMe): $label: '$got', expected a dash"; problems=$((problems + 1)); }
  done
  got=$(printf '%s\n' "$rep" | awk -F '\t' '$1 == "info ディスク容量" { print $2; exit }')
  [ "$got" = "$EXPECTED_CAPACITY" ] ||
    { echo "$run, slot 2 (NVMe): ディスク容量: report '$got', expected '$EXPECTED_CAPACITY'"; problems=$((problems + 1)); }
}

for run in $runs; do compare_nvme "$run"; done

# Without a helper that may send admin commands (none at all, or one
# installed without cap_sys_admin): identity and temperature from sysfs and
# hwmon, the one row about the log, no other row.
sysfs_nvme() {
  local run=$1 rep want got
  rep=$(report_nvme "$run")
  want=$(smart_nvme | grep -E '^info ')
  got=$(printf '%s\n' "$rep" | grep -E '^info (モデル|シリアルNo|ファームウェア|現在の温度)'$'\t')
  [ "$got" = "$want" ] || { echo "$run, slot 2 (NVMe): identity or temperature differ from smartctl:"; \
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got"); problems=$((problems + 1)); }
  got=$(printf '%s\n' "$rep" | grep '^row ')
  [ "$got" = "row - - - 不明" ] ||
    { echo "$run, slot 2 (NVMe): expected the one unrated row about the log, got: $got"; problems=$((problems + 1)); }
  printf '%s\n' "$rep" | grep -q '^row .* 不明$' && section "$run" | grep -q '健康情報ログ（読み取れません）' ||
    { echo "$run, slot 2 (NVMe): the row does not name the health log"; problems=$((problems + 1)); }
}
if [ -n "$HELPER" ]; then
  sysfs_nvme nocap-report
  sysfs_nvme ataonly-report
  # The ATA disks through the helper without cap_sys_admin read as before.
  compare_slot 0 /dev/sda "SATA behind AHCI" ataonly-report
fi

# Nothing changed the drive: the namespace's bytes, what was written, the
# warnings and the errors are as before.
before=$(sed -n 's/^@@@ nvme-hash-before //p' "$out")
after=$(sed -n 's/^@@@ nvme-hash-after //p' "$out")
[ -n "$before" ] && [ "$before" = "$after" ] ||
  { echo "the NVMe namespace changed: md5 '$before' before, '$after' after"; problems=$((problems + 1)); }
unchanged='.nvme_smart_health_information_log | [.data_units_written, .host_writes, .critical_warning, .media_errors, .available_spare]'
[ "$(jq -c "$unchanged" "$work/nvme.json")" = "$(jq -c "$unchanged" "$work/nvme-after.json")" ] ||
  { echo "the NVMe drive's log changed: $(jq -c "$unchanged" "$work/nvme.json") before, $(jq -c "$unchanged" "$work/nvme-after.json") after"
    problems=$((problems + 1)); }

if [ "$problems" != 0 ]; then
  show_and_fail "$problems difference(s) between quillmoor-report and smartctl on the emulated disks"
fi
echo "real_disks_in_vm: slots 0 (AHCI), 1 (PIIX) and 2 (NVMe) agree with smartctl: identity, attributes, health log, capacity"
if [ -n "$HELPER" ]; then
  echo "real_disks_in_vm: as uid 65534 through quillmoor-smart-helper (file capabilities) the rows are the same;"
  echo "real_disks_in_vm: CHECK POWER MODE through it: both disks awake; it refused SMART DISABLE OPERATIONS, WRITE SECTORS and slot 16;"
  echo "real_disks_in_vm: NVMe through it: Identify Controller and the health log; it refused another log, another length,"
  echo "real_disks_in_vm:   Set Features, Format NVM and a namespace write, and the drive is unchanged;"
  echo "real_disks_in_vm: without its capabilities (or without cap_sys_admin): the NVMe drive from sysfs, one row about the log"
fi
exit 0
