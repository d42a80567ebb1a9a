#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a plain build (with the
# end-to-end check on real emulated disks), once under AddressSanitizer and
# UndefinedBehaviorSanitizer, and every fuzz target for a short time on its
# seed corpus. Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== sanitizer build (ASan + UBSan) =="
"$root/scripts/build.sh" build-asan -DQM_SANITIZE=ON -DQM_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs" -LE vm

echo "== plain build =="
"$root/scripts/build.sh" build -DQM_BUILD_BENCHMARKS=ON
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

echo "== fuzz targets (libFuzzer, ASan + UBSan; 20 s each) =="
"$root/scripts/fuzz.sh" --seconds 20
