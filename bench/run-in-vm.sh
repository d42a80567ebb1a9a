#!/usr/bin/env bash
# bench/run-in-vm.sh [options]
#
# Measures the real read path in one run of the test VM (tests/vm) on its
# AHCI disk (slot 0, /dev/sda) and prints a table:
#   - in process (quillmoor-real-path-bench): the bare five ioctls against
#     SmartReader::ReadDrive in steady state; the first and second ReadDrive,
#     volume lookup, capacity query and code-set conversion, each first call
#     in a fresh process (medians over the processes);
#   - per process (qm-process-timer, fork to wait): quillmoor-report --slot 0,
#     a dynamically linked one-line C++ program and the bare ioctls as a
#     static program, started in rounds (medians).
# and the ratios the read path is held to: ReadDrive steady <= 1.1 x bare
# ioctls, quillmoor-report <= 1.3 x the one-line program.
#
# Options:
#   --build DIR     the build folder (default: build beside this script's folder)
#   --path NAME     a read path of quillmoor-real-path-bench to measure
#                   (repeatable; default: direct)
#   --add FILE      one more file for the VM, e.g. what a read path needs (repeatable)
#   --runs N        process starts per program (default 40)
#   --fresh N       fresh processes per first-call measurement (default 10)
#   --steady N      rounds of the steady-state comparison (default 300)
#   --save FILE     also keep the VM's raw output in FILE
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build paths=() adds=() runs=40 fresh=10 steady=300 save=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2 ;;
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

programs=("$build/bench/quillmoor-real-path-bench" "$build/bench/qm-bare-read" "$build/bench/qm-process-timer"
          "$build/bench/qm-one-line" "$build/tools/quillmoor-report")
for p in "${programs[@]}"; do
  [ -x "$p" ] || { echo "run-in-vm.sh: $p is missing (build with -DQM_BUILD_BENCHMARKS=ON)" >&2; exit 2; }
done

# Inside the VM (busybox sh).
cmd="B=quillmoor-real-path-bench"
for path in "${paths[@]}"; do
  cmd+="; for i in \$(seq $fresh); do for w in read volumes capacity convert; do \$B first \$w 0 --path $path; done; done"
  cmd+="; \$B steady 0 \$AHCI_DISK $steady --path $path"
done
cmd+="; qm-process-timer $runs quillmoor-report --slot 0 -- qm-one-line -- qm-bare-read \$AHCI_DISK"

out=$(mktemp)
trap 'rm -f "$out"' EXIT
vm_args=()
for p in "${programs[@]}"; do vm_args+=(--add "$p"); done
bash "$root/tests/vm/run-in-vm.sh" "${vm_args[@]}" "${adds[@]}" --timeout 600 --cmd "$cmd" >"$out"
[ -z "$save" ] || cp "$out" "$save"

awk '
  function median(list,   a, n, i, j, t) {
    n = split(list, a, " ")
    for (i = 2; i <= n; i++) { t = a[i] + 0; for (j = i - 1; j >= 1 && a[j] + 0 > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    return n ? a[int((n + 1) / 2)] : 0
  }
  # FIRST what:path first second
  $1 == "FIRST" {
    if (!($2 in first)) order[++n] = $2
    first[$2] = first[$2] " " $3; second[$2] = second[$2] " " $4
  }
  # STEADY label median min max
  $1 == "STEADY" { steady[$2] = $3; spread[$2] = $4 "-" $5; if ($2 != "bare") reads[++r] = $2 }
  # PROCESS median min max failures command...
  $1 == "PROCESS" {
    c = $6; for (i = 7; i <= NF; i++) c = c " " $i
    procs[++p] = c; proc[$6] = $2 / 1000
    pline[c] = sprintf("%12.1f %14s", $2 / 1000, sprintf("%.1f-%.1f", $3 / 1000, $4 / 1000))
    if ($5 != 0) pline[c] = pline[c] sprintf("   %d runs FAILED", $5)
  }
  /FAILED|failed/ && $1 != "PROCESS" { print "vm: " $0 }
  END {
    printf "%-46s %12s %14s\n", "in process (microseconds)", "median", "min-max"
    printf "%-46s %12.1f %14s\n", "bare five ioctls", steady["bare"], spread["bare"]
    for (i = 1; i <= r; i++) {
      k = reads[i]; ratio = steady[k] / steady["bare"]
      printf "%-46s %12.1f %14s   %.2f x bare (goal <= 1.10: %s)\n", "ReadDrive steady, " k, steady[k], spread[k],
             ratio, ratio <= 1.10 ? "met" : "NOT met"
    }
    printf "\n%-46s %12s %14s\n", "first call in a fresh process (microseconds)", "first", "second"
    for (i = 1; i <= n; i++) printf "%-46s %12.1f %14.1f\n", order[i], median(first[order[i]]), median(second[order[i]])
    printf "\n%-46s %12s %14s\n", "per process (milliseconds, fork to wait)", "median", "min-max"
    for (i = 1; i <= p; i++) printf "%-46s %s\n", procs[i], pline[procs[i]]
    ratio = proc["quillmoor-report"] / proc["qm-one-line"]
    printf "\nquillmoor-report --slot 0: %.2f x the one-line C++ program (goal <= 1.30: %s)\n", ratio,
           ratio <= 1.30 ? "met" : "NOT met"
  }' "$out"
