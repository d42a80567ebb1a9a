#!/usr/bin/env bash
# bench/run-in-vm.sh [options]
#
# Measures the real read path in one run of the test VM (tests/vm) on its
# AHCI disk (slot 0, /dev/sda), with --nvme also on its NVMe controller
# (slot 2, /dev/nvme0), and prints a table:
#   - in process (quillmoor-real-path-bench): the bare five ioctls, the same
#     commands through the read path's device seam, and SmartReader::ReadDrive,
#     in steady state (medians, and the median of ReadDrive / bare taken round
#     by round); the first and second ReadDrive, volume lookup, capacity query
#     and code-set conversion, each first call in a fresh process (medians
#     over the processes);
#   - per process (qm-process-timer, fork to wait): quillmoor-report --slot 0,
#     a dynamically linked one-line C++ program and the bare ioctls as a
#     static program, started in rounds (medians).
# The goals: ReadDrive steady <= 1.1 x the bare ioctls (an NVMe drive's:
# its two admin commands, open to close); quillmoor-report
# <= 1.3 x the one-line program; with --path helper as well, a read through
# quillmoor-smart-helper <= 1.5 x a direct one, measured as the user meets
# it: a whole quillmoor-report --slot 0 as uid 65534 (helper) against root
# (direct). The in-process figures through the helper are printed beside it,
# with one round trip that touches no device: under the VM's one emulated
# CPU that round trip alone costs well over half a direct ReadDrive, so no
# helper in another process can read within 1.5 x inside one process there
# (the line "floor" shows the bound for a single request per read).
#
# Options:
#   --build DIR     the build folder measured (default: build in the repository)
#   --baseline DIR  also measure the quillmoor-report and the bench of an
#                   earlier build folder in the same run (column "before")
#   --path NAME     a read path of quillmoor-real-path-bench to measure
#                   (repeatable; default: direct): direct or helper (the
#                   helper of the build goes into the VM beside the bench)
#   --add FILE      one more file for the VM, e.g. what a read path needs (repeatable)
#   --nvme          attach the NVMe controller and measure its steady read too
#   --runs N        process starts per program (default 40)
#   --fresh N       fresh processes per first-call measurement (default 10)
#   --steady N      rounds of the steady-state comparison (default 500)
#   --save FILE     also keep the VM's raw output in FILE
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build baseline="" paths=() adds=() runs=40 fresh=10 steady=500 save="" nvme=false
while [ $# -gt 0 ]; do
  case $1 in
    --nvme) nvme=true; shift; continue ;;
    --build) build=$2 ;;
    --baseline) baseline=$2 ;;
    --path) paths+=("$2") ;;
    --add) adds+=(--add "$2") ;;
    --runs) runs=$2 ;;
    --fresh) fresh=$2 ;;
    --steady) steady=$2 ;;
    --save) save=$2 ;;
    -h|--help) sed -n '2,/^set -euo/{/^set -euo/d; s/^# \{0,1\}//; p}' "$0"; exit 0 ;;
    *) echo "run-in-vm.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
[ ${#paths[@]} -gt 0 ] || paths=(direct)

need() { [ -x "$1" ] || { echo "run-in-vm.sh: $1 is missing (build with -DQM_BUILD_BENCHMARKS=ON)" >&2; exit 2; }; }
programs=("$build/bench/quillmoor-real-path-bench" "$build/bench/qm-bare-read" "$build/bench/qm-process-timer"
          "$build/bench/qm-one-line" "$build/tools/quillmoor-report")
helper=false
for p in "${paths[@]}"; do [ "$p" != helper ] || helper=true; done
$helper && programs+=("$build/libexec/quillmoor/quillmoor-smart-helper")
vm_args=()
for p in "${programs[@]}"; do need "$p"; vm_args+=(--add "$p"); done

out=$(mktemp)
tools=$(mktemp -d)
trap 'rm -rf "$out" "$tools"' EXIT
if $helper; then
  # The end-to-end check's static tools: the helper gets its file
  # capabilities, and quillmoor-report runs as root (direct) and as uid
  # 65534 (through the helper), both started by the same launcher.
  for tool in as_user set_file_caps; do
    cc -static -O2 -o "$tools/${tool//_/-}" "$root/tests/e2e/$tool.c"
    vm_args+=(--add "$tools/${tool//_/-}")
  done
fi
versions=(after)
if [ -n "$baseline" ]; then
  # Same libraries as the measured build: copied as they are, under other names.
  need "$baseline/bench/quillmoor-real-path-bench"; need "$baseline/tools/quillmoor-report"
  vm_args+=(--file "$baseline/bench/quillmoor-real-path-bench:quillmoor-real-path-bench.before"
            --file "$baseline/tools/quillmoor-report:quillmoor-report.before")
  versions=(before after)
fi

# Inside the VM (busybox sh); the versions take turns at every step.
cmd="cd /qm; B=quillmoor-real-path-bench; R=quillmoor-report; for i in \$(seq $fresh); do"
for path in "${paths[@]}"; do
  for w in read volumes capacity convert; do
    for v in "${versions[@]}"; do
      suffix=""; [ "$v" = before ] && suffix=.before
      cmd+=" \$B$suffix first $w 0 --path $path --tag $v;"
    done
  done
done
cmd+=" done"
for path in "${paths[@]}"; do
  for v in "${versions[@]}"; do
    suffix=""; [ "$v" = before ] && suffix=.before
    cmd+="; \$B$suffix steady 0 \$AHCI_DISK $steady --path $path --tag $v"
    # An earlier build may not know NVMe slots: the controller is measured in this one.
    [ "$v" = before ] || ! $nvme || cmd+="; \$B steady 2 \$NVME_CTRL $steady --path $path --tag $v"
  done
done
! $nvme || vm_args+=(--nvme)
timed="quillmoor-report --slot 0"
[ -z "$baseline" ] || timed="quillmoor-report.before --slot 0 -- $timed"
if $helper; then
  cmd+="; \$B trips 0 $steady --tag after; set-file-caps /qm/quillmoor-smart-helper"
  timed+=" -- as-user 0 0 /qm/quillmoor-report --slot 0 -- as-user 65534 65534 /qm/quillmoor-report --slot 0"
fi
cmd+="; qm-process-timer $runs $timed -- qm-one-line -- qm-bare-read \$AHCI_DISK"

bash "$root/tests/vm/run-in-vm.sh" "${vm_args[@]}" "${adds[@]}" --timeout 900 --cmd "$cmd" >"$out"
[ -z "$save" ] || cp "$out" "$save"

awk -v versions="${versions[*]}" '
  function median(list,   a, n, i, j, t) {
    n = split(list, a, " ")
    for (i = 2; i <= n; i++) { t = a[i] + 0; for (j = i - 1; j >= 1 && a[j] + 0 > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    return n ? a[int((n + 1) / 2)] : 0
  }
  function row(label, key, format,   i, line) {
    line = sprintf("%-42s", label)
    for (i = 1; i <= nv; i++) line = line sprintf(" %20s", (key "@" v[i]) in value ? sprintf(format, value[key "@" v[i]]) : "-")
    print line
  }
  function pair(label, key,   i, line) {
    line = sprintf("%-42s", label)
    for (i = 1; i <= nv; i++) line = line sprintf(" %20s", (key "@" v[i]) in first ? sprintf("%.0f / %.0f", median(first[key "@" v[i]]), median(second[key "@" v[i]])) : "-")
    print line
  }
  BEGIN { nv = split(versions, v, " ") }
  # FIRST what:path@version first second
  $1 == "FIRST" { first[$2] = first[$2] " " $3; second[$2] = second[$2] " " $4; split($2, w, "[:@]"); if (!(w[2] in seenpath)) { seenpath[w[2]] = 1; paths[++np] = w[2] } }
  # STEADY|RATIO label@version median min max
  $1 == "STEADY" || $1 == "RATIO" { value[$1 " " $2] = $3 }
  # PROCESS median min max failures command...
  $1 == "PROCESS" {
    name = $6 == "quillmoor-report.before" ? "report@before" : $6 == "quillmoor-report" ? "report@after" : $6
    if ($6 == "as-user") name = "report-as-" $7
    value[name] = $2 / 1000; if ($5 != 0) failures = failures " " $6 " (" $5 " runs)"
  }
  /failed/ { problems = problems "\n  vm: " $0 }
  END {
    header = sprintf("%-42s", ""); for (i = 1; i <= nv; i++) header = header sprintf(" %20s", v[i]); print header
    print "in process, steady state (microseconds, median)"
    for (p = 1; p <= np; p++) {
      P = paths[p]
      row("  bare five ioctls, beside " P, "STEADY bare:" P, "%.1f")
      row("  the exchanges through " P, "STEADY exchanges:" P, "%.1f")
      row("  ReadDrive through " P, "STEADY read:" P, "%.1f")
      row("  ReadDrive / bare, per round (goal <= 1.10)", "RATIO read:" P, "%.2f")
      if (("STEADY read:" P "/nvme@" v[nv]) in value) {
        row("  NVMe: bare two admin ioctls, beside " P, "STEADY bare:" P "/nvme", "%.1f")
        row("  NVMe: the exchanges through " P, "STEADY exchanges:" P "/nvme", "%.1f")
        row("  NVMe: ReadDrive through " P, "STEADY read:" P "/nvme", "%.1f")
        row("  NVMe: ReadDrive / bare, per round (goal <= 1.10)", "RATIO read:" P "/nvme", "%.2f")
      }
    }
    print "first call / second call in a fresh process (microseconds, median)"
    for (p = 1; p <= np; p++) {
      P = paths[p]
      pair("  ReadDrive, " P, "read:" P); pair("  volume lookup, " P, "volumes:" P)
      pair("  capacity query, " P, "capacity:" P); pair("  code-set conversion", "convert:" P)
    }
    print "per process (milliseconds, median, fork to wait)"
    row("  quillmoor-report --slot 0", "report", "%.1f")
    for (i = 1; i <= nv; i++) if (("report@" v[i]) in value) value["share@" v[i]] = value["report@" v[i]] / value["qm-one-line"]
    printf "%-42s %20.1f\n", "  one-line C++ program (dynamic)", value["qm-one-line"]
    printf "%-42s %20.1f\n", "  bare ioctls (static program)", value["qm-bare-read"]
    row("  quillmoor-report / one-line (goal <= 1.30)", "share", "%.2f")
    for (i = 1; i <= nv; i++) {
      d = "STEADY read:direct@" v[i]; h = "STEADY read:helper@" v[i]
      if ((d in value) && (h in value)) value["helper@" v[i]] = value[h] / value[d]
    }
    row("  ReadDrive helper / direct, steady", "helper", "%.2f")
    if ("STEADY trip:rights@after" in value) {
      print "one request to the helper, in process (microseconds, median)"
      printf "%-42s %20.1f\n", "  a round trip that touches no device", value["STEADY trip:rights@after"]
      printf "%-42s %20.1f\n", "  version query through the helper", value["STEADY trip:version@after"]
      printf "%-42s %20.1f\n", "  the same query in process", value["STEADY trip:version-direct@after"]
      if ("STEADY read:direct@after" in value)
        printf "%-42s %20.2f\n", "  1 + round trip / direct ReadDrive (floor)", 1 + value["STEADY trip:rights@after"] / value["STEADY read:direct@after"]
    }
    if ("report-as-0" in value) {
      printf "%-42s %20.1f\n", "  quillmoor-report --slot 0 as root (direct)", value["report-as-0"]
      printf "%-42s %20.1f\n", "  the same as uid 65534 (through the helper)", value["report-as-65534"]
      printf "%-42s %20.2f\n", "  through the helper / direct (goal <= 1.50)", value["report-as-65534"] / value["report-as-0"]
    }
    if (failures != "") print "FAILED runs:" failures
    if (problems != "") print "problems:" problems
  }' "$out"
