#!/usr/bin/env bash
# Sets up, builds and starts Quillmoor. Without arguments it starts on the
# sample drive set; pass --real to read this machine's disks instead (needs
# root or CAP_SYS_RAWIO), or any other arguments to hand them to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build -DQM_BUILD_BENCHMARKS=ON
if [ $# -eq 0 ]; then
  set -- --simulate "$root/samples"
elif [ "$1" = "--real" ]; then
  shift
fi
if [ -x "$root/build/app/quillmoor" ]; then
  exec "$root/build/app/quillmoor" "$@"
fi
exec "$root/build/tools/quillmoor-report" "$@"
