#!/usr/bin/env bash
# The start-up and stalled-drive check on a bare X display (Xvfb, no window
# manager): times until a window maps, measured by qm-map-timer from just
# before the process starts to the map event (no polling).
#
#   bench/startup_check.sh [--runs N] [--baseline PROGRAM] [BUILD_DIR]
#
# 1. Cold start: the program on the sample set against a bare Qt Widgets
#    window with one line of Japanese text (qm-bare-window), and the program
#    on the sample set with drive 0 stalled (delay = 20: every exchange takes
#    20 s), runs alternating, N each (default 9); medians and their ratios.
#    --baseline PROGRAM times another build of the program in the same rounds.
# 2. While the stalled drive is being read: opening the File menu (a click on
#    it until the menu maps) and the about box (Alt+H, V until it maps),
#    N each, medians.
# 3. Closing the program (Alt+F, E) while the drive is being read, until the
#    process has ended.
# Every run gets a fresh settings file (the program is copied into its own
# folder). Needs Xvfb, xdotool and a build with the benchmarks (qm-map-timer).
set -euo pipefail
runs=9
baseline=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --baseline) baseline=$(readlink -f "$2"); shift 2 ;;
    *) break ;;
  esac
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build}")

if [ -z "${DISPLAY:-}" ] || [ "${QM_CHECK_ON_XVFB:-}" != 1 ]; then
  export QM_CHECK_ON_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$0" --runs "$runs" ${baseline:+--baseline "$baseline"} "$build"
fi
export QT_QPA_PLATFORM=xcb
timer="$build/bench/qm-map-timer"
bare="$build/bench/qm-bare-window"
for tool in "$timer" "$bare" "$build/app/quillmoor"; do
  [ -x "$tool" ] || { echo "startup_check: $tool is missing (build with the benchmarks)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/baseline"
cp "$build/app/quillmoor" "$work/program/"
[ -n "$baseline" ] && cp "$baseline" "$work/baseline/quillmoor"
cp -r "$root/samples" "$work/samples"
cp -r "$root/samples" "$work/stalled"
# Drive 0, the first drive the window shows, takes 20 s for every exchange.
sed -i 's/^\[0\]$/[0]\ndelay = 20/' "$work/stalled/drives.ini"

median() { grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ms() { "$timer" "$@" | cut -d' ' -f1 || true; }
fresh() { rm -f "$work/program/Quillmoor.ini" "$work/baseline/Quillmoor.ini"; }

echo "== cold start to the first mapped window ($runs alternating runs each, ms) =="
: > "$work/bare"; : > "$work/plain"; : > "$work/stall"; : > "$work/base"
for ((i = 0; i < runs; i++)); do
  ms -- "$bare" >> "$work/bare"
  fresh; ms -- "$work/program/quillmoor" --simulate "$work/samples" >> "$work/plain"
  fresh; ms -- "$work/program/quillmoor" --simulate "$work/stalled" >> "$work/stall"
  if [ -n "$baseline" ]; then fresh; ms -- "$work/baseline/quillmoor" --simulate "$work/samples" >> "$work/base"; fi
done
b=$(median < "$work/bare"); p=$(median < "$work/plain"); s=$(median < "$work/stall")
echo "bare Qt window        median $b   runs: $(tr '\n' ' ' < "$work/bare")"
echo "quillmoor, samples    median $p   runs: $(tr '\n' ' ' < "$work/plain")"
echo "quillmoor, stalled    median $s   runs: $(tr '\n' ' ' < "$work/stall")"
if [ -n "$baseline" ]; then
  x=$(median < "$work/base")
  echo "baseline, samples     median $x   runs: $(tr '\n' ' ' < "$work/base")"
  echo "baseline / bare = $(awk -v a="$x" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
fi
echo "quillmoor / bare = $(awk -v a="$p" -v b="$b" 'BEGIN { printf "%.2f", a / b }')  (goal: at most 1.20)"
echo "stalled / samples = $(awk -v a="$s" -v b="$p" 'BEGIN { printf "%.2f", a / b }')  (goal: at most 1.10)"

echo "== while drive 0 is being read (ms) =="
fresh
"$work/program/quillmoor" --simulate "$work/stalled" 2>/dev/null &
pid=$!
sleep 3   # started; drive 0 answers its first exchange after 20 s
window=$(xdotool search --sync --onlyvisible --name "^Quillmoor Ver" | head -1)
: > "$work/menu"; : > "$work/about"
for ((i = 0; i < runs; i++)); do
  ms --popups --keep -- xdotool mousemove --window "$window" 25 10 click 1 >> "$work/menu"
  xdotool key Escape; sleep 0.2
  xdotool mousemove --window "$window" 400 400 click 1; sleep 0.1
  ms --keep -- xdotool key alt+h v >> "$work/about"
  sleep 0.2; xdotool key Escape; sleep 0.2
done
echo "File menu open        median $(median < "$work/menu")   runs: $(tr '\n' ' ' < "$work/menu")  (goal: under 100)"
echo "about box open        median $(median < "$work/about")   runs: $(tr '\n' ' ' < "$work/about")  (goal: under 100)"

echo "== closing while drive 0 is being read =="
xdotool mousemove --window "$window" 400 400 click 1
start=$(date +%s%N)
xdotool key alt+f e
wait "$pid" || true
echo "exit took $(( ($(date +%s%N) - start) / 1000000 )) ms  (goal: under 1000)"
