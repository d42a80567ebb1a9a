#!/usr/bin/env bash
# fuzz.sh [--seconds N | --runs N] [target ...]
#
# Builds the fuzz targets (fuzz/, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) with clang in build-fuzz, then runs each target
# (all by default) on a temporary copy of its seed corpus fuzz/corpus/NAME
# for the bound given (default --seconds 60), one after the other, and prints
# per target the executions, the time and the corpus size. The checked-in
# corpus is never changed. Exits non-zero when a target finds a crash, a leak
# or undefined behaviour; the input that did it is kept in
# build-fuzz/findings/NAME/ and the target's log is shown.
#
# Environment: QM_FUZZ_NICE (default 10) is the niceness of the runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
bound=(-max_total_time=60)
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) bound=(-max_total_time="$2"); shift 2 ;;
    --runs) bound=(-runs="$2"); shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/{/^set -euo/d; s/^# \{0,1\}//; p}' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

compiler=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$compiler" ] || { echo "fuzz.sh: clang++ is missing (scripts/setup.sh installs clang-14)" >&2; exit 2; }
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQM_FUZZ=ON -DQM_WITH_QT=OFF -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCHMARKS=OFF >/dev/null
else
  cmake -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" --target qm_fuzz_all -j"$(nproc)"
[ ${#targets[@]} -gt 0 ] || mapfile -t targets <"$build/fuzz/targets.txt"

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A quarantine of 32 MB still holds the memory freed in many runs (a use
# after free is found), and keeps the fuzzer from touching fresh pages all
# the time (the default 256 MB makes the file-heavy targets markedly slower).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
printf '%-14s %12s %9s %10s %8s  %s\n' target executions seconds "exec/s" corpus result
for t in "${targets[@]}"; do
  program=$build/fuzz/${t}_fuzzer
  [ -x "$program" ] && [ -d "$root/fuzz/corpus/$t" ] ||
    { echo "fuzz.sh: no target $t (fuzz/${t}_fuzzer.cpp and fuzz/corpus/$t/)" >&2; exit 2; }
  mkdir -p "$work/$t/corpus" "$work/$t/findings"
  cp -R "$root/fuzz/corpus/$t/." "$work/$t/corpus/"
  start=$(date +%s.%N)
  rc=0
  nice -n "${QM_FUZZ_NICE:-10}" "$program" "${bound[@]}" -print_final_stats=1 -timeout=10 \
    -artifact_prefix="$work/$t/findings/" "$work/$t/corpus" >"$work/$t/log" 2>&1 || rc=$?
  seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log" | tail -n 1)
  corpus=$(find "$work/$t/corpus" -type f | wc -l)
  result=ok
  if [ "$rc" != 0 ] || [ -n "$(ls -A "$work/$t/findings")" ]; then
    result="FAILED (exit $rc)"
    failed+=("$t")
    mkdir -p "$build/findings/$t"
    cp -R "$work/$t/findings/." "$build/findings/$t/" 2>/dev/null || true
    cp "$work/$t/log" "$build/findings/$t/log"
  fi
  printf '%-14s %12s %9.0f %10.0f %8s  %s\n' "$t" "${runs:-?}" "$seconds" \
    "$(awk -v n="${runs:-0}" -v s="$seconds" 'BEGIN { print n / (s + 0.001) }')" "$corpus" "$result"
done

for t in "${failed[@]}"; do
  echo "== $t: the end of its log (all of it and the input in build-fuzz/findings/$t/) =="
  tail -n 60 "$build/findings/$t/log"
done
[ ${#failed[@]} -eq 0 ]
