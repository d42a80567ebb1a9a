#!/usr/bin/env bash
# Configures and builds one build folder: build.sh DIR [cmake options...]
set -euo pipefail
dir=${1:-build}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$root/$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/$dir" "${generator[@]}" "$@"
else
  cmake -S "$root" -B "$root/$dir" "$@" >/dev/null
fi
cmake --build "$root/$dir" -j"$(nproc)"
