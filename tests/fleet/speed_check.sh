#!/usr/bin/env bash
# quillmoor-report --prometheus over the sixteen slots of the sample set costs
# at most 1.3 times the plain text report, per process: both are started
# RUNS times in alternating rounds by qm-process-timer (so that the machine's
# drift hits both alike) and their median wall times compared.
#   speed_check.sh PROCESS_TIMER REPORT SAMPLES [RUNS]
set -euo pipefail
timer=$1
report=$2
samples=$3
runs=${4:-100}
limit_percent=130

out=$("$timer" "$runs" "$report" --simulate "$samples" -- "$report" --simulate "$samples" --prometheus)
read -r _ text_median text_min _ text_failures _ < <(sed -n 1p <<<"$out")
read -r _ prom_median prom_min _ prom_failures _ < <(sed -n 2p <<<"$out")
[ "$text_failures" = 0 ] && [ "$prom_failures" = 0 ] || { echo "speed_check: a run failed"; echo "$out"; exit 1; }
ratio=$((prom_median * 100 / text_median))
echo "speed_check: text report median ${text_median} us (min ${text_min}), --prometheus median ${prom_median} us" \
     "(min ${prom_min}), ${runs} runs each: ratio ${ratio} % (limit ${limit_percent} %)"
[ "$ratio" -le "$limit_percent" ] || { echo "speed_check: --prometheus is too slow"; exit 1; }
